// Tests of the catalogue: loading, damaged files, selection against a brute-force model, browsing.
#include "database/Catalog.h"
#include "database/CatalogFixture.h"
#include "database/DayNumbers.h"
#include "database/QueryCriteria.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

const QString kGroups = QStringLiteral("Picture Groups");
const QString kGroup = QStringLiteral("Group");

QString Write(const QTemporaryDir& dir, const std::vector<Item>& items) {
  const QString path = dir.filePath("ol44.cat");
  QString error;
  if (!olvtool::WriteDatabase(Catalogue(items), path, QString(), &error)) qWarning() << error;
  return path;
}
// The catalogue's state in one line, so that a failed comparison shows every counter.
QString State(const TCatalog& c) {
  QString s("loaded %1 open %2, items %3/%4, groups %5/%6, item %7 group %8, %9/%10 in the group");
  for (int n :
       {int(c.Loaded), int(c.Database->IsOpen()), c.ItemCount, c.ItemTotal(), c.GroupCount,
        c.GroupTotal(), c.CurrentItem, c.CurrentGroup, c.CurrentItemInGroup, c.GroupItemCount})
    s = s.arg(n);
  return s;
}

}  // namespace

class TestCatalog : public QObject {
  Q_OBJECT
 private slots:
  // What is not a catalogue loads nothing.
  void refusesWhatIsNoCatalogue_data() {
    QTest::addColumn<QStringList>("load");  // file name, groups table, items table, group column
    QTest::newRow("no file") << QStringList{"missing.cat", kGroups, kItems, kGroup};
    QTest::newRow("group column not links") << QStringList{"ol44.cat", kGroups, kItems, "Header"};
    QTest::newRow("no group column") << QStringList{"ol44.cat", kGroups, kItems, "Nope"};
    QTest::newRow("unknown groups table") << QStringList{"ol44.cat", "Groups", kItems, kGroup};
    QTest::newRow("unknown items table") << QStringList{"ol44.cat", kGroups, "Items", kGroup};
  }
  void refusesWhatIsNoCatalogue() {
    QFETCH(QStringList, load);
    QTemporaryDir dir;
    Write(dir, SmallItems());
    TCatalog c;
    c.Load(dir.filePath(load[0]), load[1], load[2], load[3]);
    QCOMPARE(State(c), "loaded 0 open 0, items 0/0, groups 0/0, item 0 group 0, 0/0 in the group");
  }
  // Loaded, then selected without restriction and stepped through, then cleared.
  void loadsSelectsStepsAndClears() {
    QTemporaryDir dir;
    const QString path = Write(dir, SmallItems());
    TCatalog c;
    QVERIFY(c.GroupMode);
    c.Load(path, kGroups, kItems, kGroup);
    QCOMPARE(c.FileName, path);
    QCOMPARE(State(c), "loaded 1 open 1, items 7/7, groups 0/3, item 0 group 0, 0/0 in the group");
    QCOMPARE((QList{c.Item(4)->Group, c.Item(7)->Group, int(c.Item(1)->Selected)}),
             (QList{0, 7, 0}));
    QVERIFY(!c.Item(0));
    QVERIFY(!c.Item(8));
    QVERIFY(!c.SetPosition(1, 1));  // loaded but nothing selected yet: no navigation
    QCOMPARE(c.GroupNumber(1), 0);
    // Unrestricted: items 4 (no group) and 7 (group beyond the groups table) are never selected.
    c.GroupMode = false;
    c.RecomputeSelection(nullptr);
    QCOMPARE(State(c), "loaded 1 open 1, items 5/7, groups 3/3, item 1 group 1, 1/2 in the group");
    QCOMPARE((QList{c.GroupNumber(3), c.GroupNumber(4), c.ItemAt(9, 4).Item, c.ItemAt(9, 6).Item}),
             (QList{3, 0, 5, 0}));
    // Outside the selection: refused, the position kept.
    QVERIFY(c.SetPosition(c.CurrentGroup, 4));
    QVERIFY(!c.SetPosition(c.CurrentGroup, 6));
    QVERIFY(!c.SetPosition(c.CurrentGroup, 0));
    QCOMPARE(c.CurrentItem, 4);
    // An empty selection blocks navigation.
    TQueryCriteria q;
    QVERIFY(q.LoadDefinition(c.Database.get(), kItems, kProps));
    QVERIFY(q.CommitText(2, "3").changed);  // no 3 doors
    c.RecomputeSelection(&q);
    QCOMPARE((QList{c.ItemCount, c.GroupCount, c.CurrentItem}), (QList{0, 0, 0}));
    QVERIFY(!c.SetPosition(1, 1));
    QCOMPARE((QList{c.ItemAt(1, 1).Item, c.GroupNumber(1)}), (QList{0, 0}));
    // Cleared: nothing left.
    c.Clear();
    QCOMPARE(c.FileName, QString());
    QCOMPARE(State(c), "loaded 0 open 0, items 0/0, groups 0/0, item 0 group 0, 0/0 in the group");
  }
  void damagedFilesLoadNothingOrOnlyWhatIsThere() {
    QTemporaryDir dir;
    const QString path = Write(dir, SmallItems());
    const QByteArray good = ReadFile(path);
    const QString bad = dir.filePath("bad.cat");
    // Every cut: either refused or loaded with no more items than the file could hold.
    for (qsizetype cut = 0; cut < good.size(); cut += 7) {
      QVERIFY(WriteFile(bad, good.left(cut)));
      TCatalog c;
      c.Load(bad, kGroups, kItems, kGroup);
      c.RecomputeSelection(nullptr);
      QCOMPARE_LE(c.ItemTotal(), 7);
      QCOMPARE_LE(c.ItemCount, c.ItemTotal());
    }
    // A stored record count far beyond the data: the index stops at what can be read.
    QByteArray inflated = good;
    const int itemsDef = 272 + (77 + 137) + (77 + 137);  // third table definition
    QCOMPARE(inflated.mid(itemsDef + 5, 13), QByteArray("Picture Items"));
    for (int b = 0; b < 4; ++b) inflated[itemsDef + 68 + b] = char(b == 3 ? 0x7f : 0xff);
    QVERIFY(WriteFile(bad, inflated));
    TCatalog c;
    c.Load(bad, kGroups, kItems, kGroup);
    QVERIFY(c.Loaded);
    QCOMPARE_GE(c.ItemTotal(), 7);
    QCOMPARE_LT(c.ItemTotal(), inflated.size());
  }

  // Random catalogues and queries against a model computed from the fixture's own source.
  void selectionMatchesBruteForce() {
    QRandomGenerator rng(20240501);
    const QStringList headers{"Coupé front", "coupe rear", "Saloon", "ENGINE", "engine bay"};
    const QStringList needles{"coupe", "ENG", "e", "zz"};
    for (int round = 0; round < 12; ++round) {
      std::vector<Item> items;
      const int n = 1 + rng.bounded(40);
      for (int i = 0; i < n; ++i)  // braced lists evaluate in order: a fixed sequence for the seed
        items.push_back({rng.bounded(0, 6), 2 + rng.bounded(3),
                         headers[rng.bounded(headers.size())],
                         QString("%1-0%2-15").arg(1994 + rng.bounded(3)).arg(1 + rng.bounded(9)),
                         QString("%1,%2").arg(rng.bounded(6)).arg(rng.bounded(6))});
      QTemporaryDir dir;
      TCatalog c;
      c.Load(Write(dir, items), kGroups, kItems, kGroup);
      c.GroupMode = false;
      TQueryCriteria q;
      QVERIFY(c.Loaded);
      QVERIFY(q.LoadDefinition(c.Database.get(), kItems, kProps));
      const bool useColour = rng.bounded(2), useDoors = rng.bounded(2);
      const bool useTitle = rng.bounded(2), useYear = rng.bounded(2);
      std::vector<bool> ticked(6, false);
      if (useColour) {
        TBooleanChain& r = *q.Criterion(1)->Relations;
        r.Fill(r.Count(), false);
        for (int k = 1; k <= 5; ++k) r.Set(k, ticked[k] = rng.bounded(2));
        q.Criterion(1)->Active = true;
      }
      const int doors = 2 + rng.bounded(3);
      if (useDoors) QVERIFY(q.CommitText(2, QString::number(doors)).changed);
      const QString needle = needles[rng.bounded(needles.size())];
      if (useTitle) QVERIFY(q.CommitText(3, needle).changed);
      const int year = 1994 + rng.bounded(3);
      const double lastHour = DateTimeToDayNumber(QDate(year, 12, 31), QTime(23, 0));
      if (useYear) q.Criterion(4)->Value.SetFloat64(lastHour);
      q.Criterion(4)->Active = useYear;
      c.RecomputeSelection(&q);
      std::vector<int> expected;
      std::vector<bool> groupSet(4, false);
      for (int i = 0; i < n; ++i) {
        const Item& x = items[size_t(i)];
        bool keep = x.group >= 1 && x.group <= 3;
        bool anyTicked = false;  // among the links up to the first below 1
        for (const QString& l : x.colours.split(QLatin1Char(',')))
          if (l.toInt() < 1 || (anyTicked = ticked[l.toUInt()])) break;
        if (useColour) keep = keep && anyTicked;
        if (useDoors) keep = keep && x.doors == doors;
        if (useTitle) keep = keep && x.header.toUpper().contains(needle.toUpper());
        if (useYear) keep = keep && x.year.left(4).toInt() == year;
        if (keep) expected.push_back(i + 1), groupSet[size_t(x.group)] = true;
      }
      QCOMPARE(c.ItemCount, int(expected.size()));
      QCOMPARE(c.GroupCount, int(std::count(groupSet.begin(), groupSet.end(), true)));
      for (int g = 1; g <= 3; ++g) QCOMPARE(c.Groups.Get(g), bool(groupSet[size_t(g)]));
      // Walking the selection visits the expected items, each with its group's counters.
      for (size_t i = 0; i < expected.size(); ++i) {
        QVERIFY(c.SetPosition(c.CurrentGroup, int(i) + 1));
        const int group = items[size_t(expected[i] - 1)].group;
        QCOMPARE((QList{c.ItemAt(0, int(i) + 1).Item, c.GroupNumber(c.CurrentGroup)}),
                 (QList{expected[i], group}));
        int rank = 0, total = 0;
        for (size_t j = 0; j < expected.size(); ++j)
          if (items[size_t(expected[j] - 1)].group == group) ++total, rank += j <= i;
        QCOMPARE((QList{c.CurrentItemInGroup, c.GroupItemCount}), (QList{rank, total}));
      }
      QVERIFY(!c.SetPosition(c.CurrentGroup, int(expected.size()) + 1));
    }
  }
};

QTEST_GUILESS_MAIN(TestCatalog)
#include "TestCatalog.moc"
