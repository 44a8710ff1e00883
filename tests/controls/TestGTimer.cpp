#include <QTest>
class TestGTimer : public QObject { Q_OBJECT };
QTEST_MAIN(TestGTimer)
#include "TestGTimer.moc"
