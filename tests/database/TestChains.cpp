// Tests of TPointerChain<T> (positions, cursor, links) and TBooleanChain.
#include "database/Chains.h"

#include <QTest>

using namespace orlaventis;

class TestChains : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void walksBothWaysOneStepAtATime() {
    std::array<int, 10> items{};
    TPointerChain<int> chain(QStringLiteral("Test"));
    for (int& i : items) QVERIFY(chain.Add(&i));
    QVERIFY(chain.Count() == 10 && chain.CursorPos() == 10);
    // Up, down, then jumps from the cursor to far positions (nearer-end starts) all land right.
    for (int p : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 7, 2, 9, 3, 10, 1, 6, 5})
      QVERIFY2(chain.Items(p) == &items[p - 1] && chain.CursorPos() == p, qPrintable(QString::number(p)));
    QVERIFY(chain.Items(0) == nullptr && chain.Items(11) == nullptr && chain.Items(-3) == nullptr);
  }

  void putAndDeleteKeepTheLinks() {
    std::array<int, 5> items{};
    int other = 0;
    TPointerChain<int> chain(QStringLiteral("Test"));
    for (int& i : items) chain.Add(&i);
    chain.Put(3, &other);
    QCOMPARE(chain.Items(3), &other);
    chain.Items(4);
    chain.Put(9, &other);  // no such position: only the cursor moves to the first node
    QVERIFY(chain.CursorPos() == 1 && chain.Items(5) == &items[4]);
    QVERIFY(chain.Delete(1) && chain.CursorPos() == 1 && chain.Items(1) == &items[1]);  // the second node becomes First
    QVERIFY(chain.Delete(chain.Count()) && chain.Count() == 3 && chain.Items(3) == &items[3]);  // the previous becomes Last
    QVERIFY(chain.Delete(2) && chain.Items(1) == &items[1] && chain.Items(2) == &items[3]);
    QVERIFY(!chain.Delete(0) && chain.CursorPos() == 1);  // from position 2: the cursor moves to the first node
    QVERIFY(!chain.Delete(3) && chain.Delete(1) && chain.Delete(1));
    QVERIFY(chain.Count() == 0 && chain.CursorPos() == 0 && chain.Items(1) == nullptr);
    QVERIFY(chain.Add(&other) && chain.Items(1) == &other);  // usable again after becoming empty
  }

  void longChainFreesWithoutRecursion() {
    int item = 0;
    auto chain = std::make_unique<TPointerChain<int>>(QStringLiteral("Long"));
    for (int i = 0; i < 1000000; ++i) chain->Add(&item);
    QCOMPARE(chain->Items(500000), &item);
    chain.reset();  // would overflow the stack if nodes were freed recursively
  }

  void booleanChain() {
    TBooleanChain flags(QStringLiteral("Groups"));
    QVERIFY(flags.Count() == 0 && !flags.Get(0));
    QVERIFY(flags.Fill(5, false) && flags.Count() == 5 && !flags.Get(5));
    flags.Set(2, true), flags.Set(7, true);  // outside: ignored
    QVERIFY(flags.Get(2) && !flags.Get(1) && flags.Count() == 5);
    QVERIFY(flags.Fill(3, true) && flags.Get(0) && flags.Get(2) && !flags.Get(3) && !flags.Get(-1));
    QVERIFY(!flags.Fill(-1, true) && flags.Count() == 0);
    flags.Fill(2, true), flags.Clear();
    QCOMPARE(flags.Count(), 0);
  }
};

QTEST_GUILESS_MAIN(TestChains)
#include "TestChains.moc"
