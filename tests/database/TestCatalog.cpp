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
const QString kItems = QStringLiteral("Picture Items");
const QString kGroup = QStringLiteral("Group");

QString Write(const QTemporaryDir& dir, const std::vector<Item>& items) {
  const QString path = dir.filePath("ol44.cat");
  QString error;
  if (!olvtool::WriteDatabase(Catalogue(items), path, QString(), &error)) qWarning() << error;
  return path;
}

const QString kProps = QStringLiteral("Picture Properties");

}  // namespace

class TestCatalog : public QObject {
  Q_OBJECT

 private slots:
  void loadsItemsAndGroups() {
    QTemporaryDir dir;
    const QString path = Write(dir, SmallItems());
    TCatalog c;
    QVERIFY(c.GroupMode);
    // What is not a catalogue loads nothing: no file, a group column that is no link list or
    // does not exist, unknown tables.
    const QStringList refused[] = {{dir.filePath("missing.cat"), kGroups, kItems, kGroup}, {path, kGroups, kItems, "Header"},
                                   {path, kGroups, kItems, "Nope"}, {path, "Groups", kItems, kGroup},
                                   {path, kGroups, "Items", kGroup}};
    for (const QStringList& r : refused) {
      c.Load(r[0], r[1], r[2], r[3]);
      QVERIFY2(!c.Loaded && !c.Database->IsOpen() && c.ItemTotal() == 0, qPrintable(r.join('|')));
    }
    c.Load(path, kGroups, kItems, kGroup);
    QVERIFY(c.Loaded && c.FileName == path && c.Database->IsOpen());
    QVERIFY(c.ItemTotal() == 7 && c.GroupTotal() == 3 && c.ItemCount == 7 && c.GroupCount == 0);
    QVERIFY(c.Item(4)->Group == 0 && c.Item(7)->Group == 7 && c.Item(1)->Selected == 0 && !c.Item(0) && !c.Item(8));
    QVERIFY(!c.SetPosition(1, 1) && c.GroupNumber(1) == 0);  // loaded but nothing selected yet: no navigation
    c.Clear();
    QVERIFY(!c.Loaded && !c.Database->IsOpen() && c.FileName.isEmpty() && c.ItemTotal() == 0 && c.ItemCount == 0);
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
      QVERIFY(c.ItemTotal() <= 7 && c.ItemCount <= c.ItemTotal());
    }
    // A stored record count far beyond the data: the index stops at what can be read.
    QByteArray inflated = good;
    const int itemsDef = 272 + (77 + 137) + (77 + 137);  // third table definition
    QCOMPARE(inflated.mid(itemsDef + 5, 13), QByteArray("Picture Items"));
    for (int b = 0; b < 4; ++b) inflated[itemsDef + 68 + b] = char(b == 3 ? 0x7f : 0xff);
    QVERIFY(WriteFile(bad, inflated));
    TCatalog c;
    c.Load(bad, kGroups, kItems, kGroup);
    QVERIFY(c.Loaded && c.ItemTotal() >= 7 && c.ItemTotal() < inflated.size());
  }

  void unrestrictedSelectionAndStepping() {
    QTemporaryDir dir;
    TCatalog c;
    c.Load(Write(dir, SmallItems()), kGroups, kItems, kGroup);
    c.GroupMode = false;
    c.RecomputeSelection(nullptr);
    // Items 4 (no group) and 7 (group beyond the groups table) are never selected.
    QVERIFY(c.ItemCount == 5 && c.GroupCount == 3 && c.CurrentItem == 1);
    QVERIFY(c.CurrentGroup == 1 && c.CurrentItemInGroup == 1 && c.GroupItemCount == 2);
    QVERIFY(c.GroupNumber(3) == 3 && c.GroupNumber(4) == 0 && c.ItemAt(9, 4).Item == 5 && c.ItemAt(9, 6).Item == 0);
    // Outside the selection: refused, the position kept.
    QVERIFY(c.SetPosition(c.CurrentGroup, 4));
    QVERIFY(!c.SetPosition(c.CurrentGroup, 6) && !c.SetPosition(c.CurrentGroup, 0) && c.CurrentItem == 4);
    // An empty selection blocks navigation.
    TQueryCriteria q;
    QVERIFY(q.LoadDefinition(c.Database.get(), kItems, kProps) && q.CommitText(2, "3").changed);  // no 3 doors
    c.RecomputeSelection(&q);
    QVERIFY(c.ItemCount == 0 && c.GroupCount == 0 && c.CurrentItem == 0 && !c.SetPosition(1, 1));
    QVERIFY(c.ItemAt(1, 1).Item == 0 && c.GroupNumber(1) == 0);
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
        items.push_back({rng.bounded(0, 6), 2 + rng.bounded(3), headers[rng.bounded(headers.size())],
                         QStringLiteral("%1-0%2-15").arg(1994 + rng.bounded(3)).arg(1 + rng.bounded(9)),
                         QStringLiteral("%1,%2").arg(rng.bounded(6)).arg(rng.bounded(6))});
      QTemporaryDir dir;
      TCatalog c;
      c.Load(Write(dir, items), kGroups, kItems, kGroup);
      c.GroupMode = false;
      TQueryCriteria q;
      QVERIFY(c.Loaded && q.LoadDefinition(c.Database.get(), kItems, kProps));
      const bool useColour = rng.bounded(2), useDoors = rng.bounded(2), useTitle = rng.bounded(2), useYear = rng.bounded(2);
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
      if (useYear) q.Criterion(4)->Value.SetFloat64(DateTimeToDayNumber(QDate(year, 12, 31), QTime(23, 0)));
      q.Criterion(4)->Active = useYear;
      c.RecomputeSelection(&q);
      std::vector<int> expected;
      std::vector<bool> groupSet(4, false);
      for (int i = 0; i < n; ++i) {
        const Item& x = items[static_cast<size_t>(i)];
        bool keep = x.group >= 1 && x.group <= 3;
        bool anyTicked = false;  // among the links up to the first below 1
        for (const QString& l : x.colours.split(QLatin1Char(',')))
          if (l.toInt() < 1 || (anyTicked = ticked[l.toUInt()])) break;
        if (useColour) keep = keep && anyTicked;
        if (useDoors) keep = keep && x.doors == doors;
        if (useTitle) keep = keep && x.header.toUpper().contains(needle.toUpper());
        if (useYear) keep = keep && x.year.left(4).toInt() == year;
        if (keep) expected.push_back(i + 1), groupSet[static_cast<size_t>(x.group)] = true;
      }
      QCOMPARE(c.ItemCount, static_cast<int>(expected.size()));
      QCOMPARE(c.GroupCount, static_cast<int>(std::count(groupSet.begin(), groupSet.end(), true)));
      for (int g = 1; g <= 3; ++g) QCOMPARE(c.Groups.Get(g), bool(groupSet[static_cast<size_t>(g)]));
      // Walking the selection visits the expected items, each with its group's counters.
      for (size_t i = 0; i < expected.size(); ++i) {
        QVERIFY(c.SetPosition(c.CurrentGroup, static_cast<int>(i) + 1));
        const int group = items[static_cast<size_t>(expected[i] - 1)].group;
        QVERIFY(c.ItemAt(0, static_cast<int>(i) + 1).Item == expected[i] && c.GroupNumber(c.CurrentGroup) == group);
        int rank = 0, total = 0;
        for (size_t j = 0; j < expected.size(); ++j)
          if (items[static_cast<size_t>(expected[j] - 1)].group == group) ++total, rank += j <= i;
        QVERIFY(c.CurrentItemInGroup == rank && c.GroupItemCount == total);
      }
      QVERIFY(!c.SetPosition(c.CurrentGroup, static_cast<int>(expected.size()) + 1));
    }
  }
};

QTEST_GUILESS_MAIN(TestCatalog)
#include "TestCatalog.moc"
