// Tests of TPointerChain and TBooleanChain.
#include "database/Chains.h"

#include <QTest>

#include <array>

using namespace orlaventis;

class TestChains : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void walksBothWaysOneStepAtATime() {
    std::array<int, 10> items{};
    TPointerChain chain(QStringLiteral("Test"));
    for (int& i : items) QVERIFY(chain.Add(&i));
    QCOMPARE(chain.Count(), 10);
    QCOMPARE(chain.CursorPos(), 10);
    for (int p = 1; p <= 10; ++p) {
      QCOMPARE(chain.Items(p), static_cast<void*>(&items[p - 1]));
      QCOMPARE(chain.CursorPos(), p);
    }
    for (int p = 10; p >= 1; --p) {
      QCOMPARE(chain.Items(p), static_cast<void*>(&items[p - 1]));
      QCOMPARE(chain.CursorPos(), p);
    }
    // Jumps from the cursor to far positions still land right (nearer-end starts).
    for (int p : {7, 2, 9, 3, 10, 1, 6, 5}) QCOMPARE(chain.Items(p), static_cast<void*>(&items[p - 1]));
    QCOMPARE(chain.Items(0), nullptr);
    QCOMPARE(chain.Items(11), nullptr);
    QCOMPARE(chain.Items(-3), nullptr);
  }

  void putAndDeleteKeepTheLinks() {
    std::array<int, 5> items{};
    int other = 0;
    TPointerChain chain(QStringLiteral("Test"));
    for (int& i : items) chain.Add(&i);
    chain.Put(3, &other);
    QCOMPARE(chain.Items(3), static_cast<void*>(&other));
    chain.Items(4);
    chain.Put(9, &other);  // no such position: only the cursor moves to the first node
    QCOMPARE(chain.CursorPos(), 1);
    QCOMPARE(chain.Items(5), static_cast<void*>(&items[4]));

    QVERIFY(chain.Delete(1));  // the second node becomes First
    QCOMPARE(chain.CursorPos(), 1);
    QCOMPARE(chain.Items(1), static_cast<void*>(&items[1]));
    QVERIFY(chain.Delete(chain.Count()));  // the previous node becomes Last
    QCOMPARE(chain.Count(), 3);
    QCOMPARE(chain.Items(3), static_cast<void*>(&items[3]));
    QVERIFY(chain.Delete(2));
    QCOMPARE(chain.Items(1), static_cast<void*>(&items[1]));
    QCOMPARE(chain.Items(2), static_cast<void*>(&items[3]));
    chain.Items(2);
    QVERIFY(!chain.Delete(0));
    QCOMPARE(chain.CursorPos(), 1);
    QVERIFY(!chain.Delete(3));
    QVERIFY(chain.Delete(1));
    QVERIFY(chain.Delete(1));
    QCOMPARE(chain.Count(), 0);
    QCOMPARE(chain.CursorPos(), 0);
    QCOMPARE(chain.Items(1), nullptr);
    QVERIFY(chain.Add(&other));  // usable again after becoming empty
    QCOMPARE(chain.Items(1), static_cast<void*>(&other));
  }

  void longChainFreesWithoutRecursion() {
    int item = 0;
    auto chain = std::make_unique<TPointerChain>(QStringLiteral("Long"));
    for (int i = 0; i < 1000000; ++i) chain->Add(&item);
    QCOMPARE(chain->Items(500000), static_cast<void*>(&item));
    chain.reset();  // would overflow the stack if nodes were freed recursively
  }

  void booleanChain() {
    TBooleanChain flags(QStringLiteral("Groups"));
    QCOMPARE(flags.Count(), 0);
    QVERIFY(!flags.Get(0));
    QVERIFY(flags.Fill(5, false));
    QCOMPARE(flags.Count(), 5);
    QVERIFY(!flags.Get(5));
    flags.Set(2, true);
    flags.Set(7, true);  // outside: ignored
    QVERIFY(flags.Get(2));
    QVERIFY(!flags.Get(1));
    QCOMPARE(flags.Count(), 5);
    QVERIFY(flags.Fill(3, true));
    QVERIFY(flags.Get(0) && flags.Get(2) && !flags.Get(3) && !flags.Get(-1));
    QVERIFY(!flags.Fill(-1, true));
    QCOMPARE(flags.Count(), 0);
    flags.Fill(2, true);
    flags.Clear();
    QCOMPARE(flags.Count(), 0);
  }
};

QTEST_GUILESS_MAIN(TestChains)
#include "TestChains.moc"
