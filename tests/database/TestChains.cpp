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
    QCOMPARE((std::tuple{chain.Count(), chain.CursorPos()}), (std::tuple{10, 10}));
    // Up, down, then jumps from the cursor to far positions (nearer-end starts) all land right:
    // the item at each position, then the cursor left there.
    for (int p :
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 7, 2, 9, 3, 10, 1, 6, 5})
      QCOMPARE((std::tuple{chain.Items(p), chain.CursorPos()}), (std::tuple{&items[p - 1], p}));
    QCOMPARE((QList{chain.Items(0), chain.Items(11), chain.Items(-3)}), (QList<int*>(3)));  // none
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
    QCOMPARE(chain.CursorPos(), 1);
    QCOMPARE(chain.Items(5), &items[4]);
    QVERIFY(chain.Delete(1));
    QCOMPARE(chain.CursorPos(), 1);
    QCOMPARE(chain.Items(1), &items[1]);  // the second node becomes First
    QVERIFY(chain.Delete(chain.Count()));
    QCOMPARE(chain.Count(), 3);
    QCOMPARE(chain.Items(3), &items[3]);  // the previous becomes Last
    QVERIFY(chain.Delete(2));
    QCOMPARE((QList{chain.Items(1), chain.Items(2)}), (QList<int*>{&items[1], &items[3]}));
    QVERIFY(!chain.Delete(0));
    QCOMPARE(chain.CursorPos(), 1);  // from position 2: the cursor moves to the first node
    QVERIFY(!chain.Delete(3));
    QVERIFY(chain.Delete(1));
    QVERIFY(chain.Delete(1));
    QCOMPARE((std::tuple{chain.Count(), chain.CursorPos(), chain.Items(1)}),
             (std::tuple{0, 0, static_cast<int*>(nullptr)}));
    QVERIFY(chain.Add(&other));
    QCOMPARE(chain.Items(1), &other);  // usable again after becoming empty
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
    QCOMPARE(flags.Count(), 0);
    QVERIFY(!flags.Get(0));
    QVERIFY(flags.Fill(5, false));
    QCOMPARE((std::tuple{flags.Count(), flags.Get(5)}), (std::tuple{5, false}));
    flags.Set(2, true), flags.Set(7, true);  // outside: ignored
    QCOMPARE((std::tuple{flags.Get(2), flags.Get(1), flags.Count()}), (std::tuple{true, false, 5}));
    QVERIFY(flags.Fill(3, true));
    QCOMPARE((QList{flags.Get(0), flags.Get(2), flags.Get(3), flags.Get(-1)}),
             (QList{true, true, false, false}));
    QVERIFY(!flags.Fill(-1, true));
    QCOMPARE(flags.Count(), 0);
    flags.Fill(2, true), flags.Clear();
    QCOMPARE(flags.Count(), 0);
  }
};

QTEST_GUILESS_MAIN(TestChains)
#include "TestChains.moc"
