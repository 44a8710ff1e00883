#include <QTest>
class TestTicker : public QObject { Q_OBJECT };
QTEST_MAIN(TestTicker)
#include "TestTicker.moc"
