#include <QTest>
class TestProImg : public QObject { Q_OBJECT };
QTEST_MAIN(TestProImg)
#include "TestProImg.moc"
