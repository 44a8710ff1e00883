// Tests of the catalogue: loading, damaged files, selection against a brute-force model, browsing.
#include "database/CatalogFixture.h"
#include "database/Catalog.h"
#include "database/QueryCriteria.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

const QString kGroups = QStringLiteral("Picture Groups");
const QString kItems = QStringLiteral("Picture Items");
const QString kGroup = QStringLiteral("Group");

QString Write(const QTemporaryDir& dir, const std::vector<Item>& items, const QString& name = QStringLiteral("ol44.cat")) {
  const QString path = dir.filePath(name);
  QString error;
  if (!olvtool::WriteDatabase(Catalogue(items), path, QString(), &error)) qWarning() << error;
  return path;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Save(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

// Item numbers of the selection, walked with SetPosition/ItemAt as the Catalog section does.
std::vector<int> Walk(TCatalog& c) {
  std::vector<int> numbers;
  for (int i = 1; c.SetPosition(c.CurrentGroup, i); ++i) {
    numbers.push_back(c.ItemAt(c.CurrentGroup, i).Item);
    if (c.ItemAt(c.CurrentGroup, i).Group != 0) return {};
  }
  return numbers;
}

}  // namespace

class TestCatalog : public QObject {
  Q_OBJECT

 private slots:
  void loadsItemsAndGroups() {
    QTemporaryDir dir;
    const QString path = Write(dir, SmallItems());
    TCatalog c;
    QVERIFY(c.GroupMode);
    c.Load(path, kGroups, kItems, kGroup);
    QVERIFY(c.Loaded);
    QCOMPARE(c.FileName, path);
    QVERIFY(c.Database->IsOpen());
    QCOMPARE(c.ItemTotal(), 7);
    QCOMPARE(c.GroupTotal(), 3);
    QCOMPARE(c.ItemCount, 7);
    QCOMPARE(c.GroupCount, 0);
    QCOMPARE(c.Item(4)->Group, 0);
    QCOMPARE(c.Item(7)->Group, 7);
    QCOMPARE(c.Item(1)->Selected, uint8_t{0});
    QVERIFY(c.Item(0) == nullptr && c.Item(8) == nullptr);
    // Loaded but nothing selected yet: no navigation.
    QVERIFY(!c.SetPosition(1, 1));
    QCOMPARE(c.GroupNumber(1), 0);
    c.Clear();
    QVERIFY(!c.Loaded && !c.Database->IsOpen() && c.FileName.isEmpty());
    QCOMPARE(c.ItemTotal(), 0);
    QCOMPARE(c.ItemCount, 0);
  }

  void refusesWhatIsNotACatalogue() {
    QTemporaryDir dir;
    const QString path = Write(dir, SmallItems());
    TCatalog c;
    c.Load(dir.filePath(QStringLiteral("missing.cat")), kGroups, kItems, kGroup);
    QVERIFY(!c.Loaded);
    c.Load(path, kGroups, kItems, QStringLiteral("Header"));  // not a link list
    QVERIFY(!c.Loaded);
    QVERIFY(!c.Database->IsOpen());
    c.Load(path, kGroups, kItems, QStringLiteral("Nope"));
    QVERIFY(!c.Loaded);
    c.Load(path, QStringLiteral("Groups"), kItems, kGroup);
    QVERIFY(!c.Loaded);
    c.Load(path, kGroups, QStringLiteral("Items"), kGroup);
    QVERIFY(!c.Loaded);
    QCOMPARE(c.ItemTotal(), 0);
    c.Load(path, kGroups, kItems, kGroup);
    QVERIFY(c.Loaded);
  }

  void damagedFilesLoadNothingOrOnlyWhatIsThere() {
    QTemporaryDir dir;
    const QString path = Write(dir, SmallItems());
    const QByteArray good = ReadAll(path);
    const QString bad = dir.filePath(QStringLiteral("bad.cat"));
    // Every cut: either refused or loaded with no more items than the file could hold.
    for (qsizetype cut = 0; cut < good.size(); cut += 7) {
      Save(bad, good.left(cut));
      TCatalog c;
      c.Load(bad, kGroups, kItems, kGroup);
      QVERIFY(c.ItemTotal() <= 7);
      c.RecomputeSelection(nullptr);
      QVERIFY(c.ItemCount <= c.ItemTotal());
    }
    // A stored record count far beyond the data: the index stops at what can be read.
    QByteArray inflated = good;
    const int itemsDef = 272 + (77 + 137) + (77 + 137);  // third table definition
    QCOMPARE(inflated.mid(itemsDef + 5, 13), QByteArray("Picture Items"));
    for (int b = 0; b < 4; ++b) inflated[itemsDef + 68 + b] = char(b == 3 ? 0x7f : 0xff);
    Save(bad, inflated);
    TCatalog c;
    c.Load(bad, kGroups, kItems, kGroup);
    QVERIFY(c.Loaded);
    QVERIFY(c.ItemTotal() >= 7);
    QVERIFY(c.ItemTotal() < inflated.size());
  }

  void unrestrictedSelectionAndStepping() {
    QTemporaryDir dir;
    TCatalog c;
    c.Load(Write(dir, SmallItems()), kGroups, kItems, kGroup);
    c.GroupMode = false;
    c.RecomputeSelection(nullptr);
    // Items 4 (no group) and 7 (group beyond the groups table) are never selected.
    QCOMPARE(c.ItemCount, 5);
    QCOMPARE(c.GroupCount, 3);
    QCOMPARE(c.CurrentItem, 1);
    QCOMPARE(c.CurrentGroup, 1);
    QCOMPARE(c.CurrentItemInGroup, 1);
    QCOMPARE(c.GroupItemCount, 2);
    QCOMPARE(c.GroupNumber(3), 3);
    QCOMPARE(c.GroupNumber(4), 0);
    QCOMPARE(c.ItemAt(9, 4).Item, 5);
    QCOMPARE(c.ItemAt(9, 6).Item, 0);
    QVERIFY(c.SetPosition(c.CurrentGroup, 2));  // item 2, group 2
    QCOMPARE(c.CurrentGroup, 2);
    QCOMPARE(c.CurrentItemInGroup, 1);
    QVERIFY(c.SetPosition(c.CurrentGroup, 3));  // item 3: the second and last of group 1
    QCOMPARE(c.CurrentGroup, 1);
    QCOMPARE(c.CurrentItemInGroup, 2);
    QCOMPARE(c.GroupItemCount, 2);
    QVERIFY(c.SetPosition(c.CurrentGroup, 4));  // item 5, the only one of group 3
    QCOMPARE(c.CurrentGroup, 3);
    QCOMPARE(c.CurrentItemInGroup, 1);
    QCOMPARE(c.GroupItemCount, 1);
    QVERIFY(!c.SetPosition(c.CurrentGroup, 6));
    QVERIFY(!c.SetPosition(c.CurrentGroup, 0));
    QCOMPARE(c.CurrentItem, 4);
    QCOMPARE(Walk(c), (std::vector<int>{1, 2, 3, 5, 6}));
  }

  void emptySelectionBlocksNavigation() {
    QTemporaryDir dir;
    TCatalog c;
    c.Load(Write(dir, SmallItems()), kGroups, kItems, kGroup);
    TQueryCriteria q;
    QVERIFY(q.LoadDefinition(c.Database.get(), kItems, QStringLiteral("Picture Properties")));
    QVERIFY(q.CommitText(2, QStringLiteral("3")).changed);  // no item has 3 doors
    c.RecomputeSelection(&q);
    QCOMPARE(c.ItemCount, 0);
    QCOMPARE(c.GroupCount, 0);
    QVERIFY(!c.SetPosition(1, 1));
    QCOMPARE(c.ItemAt(1, 1).Item, 0);
    QCOMPARE(c.GroupNumber(1), 0);
    QCOMPARE(c.CurrentItem, 0);
  }

  // Random catalogues and queries against a model computed from the fixture's own source.
  void selectionMatchesBruteForce() {
    QRandomGenerator rng(20240501);
    const QStringList headers{QStringLiteral("Coupé front"), QStringLiteral("coupe rear"), QStringLiteral("Saloon"),
                              QStringLiteral("ENGINE"), QStringLiteral("engine bay")};
    const QStringList needles{QStringLiteral("coupe"), QStringLiteral("ENG"), QStringLiteral("e"), QStringLiteral("zz")};
    for (int round = 0; round < 12; ++round) {
      std::vector<Item> items;
      const int n = 1 + rng.bounded(40);
      for (int i = 0; i < n; ++i) {
        Item x;
        x.group = rng.bounded(0, 6);
        x.doors = 2 + rng.bounded(3);
        x.header = headers[rng.bounded(headers.size())];
        x.year = QStringLiteral("%1-0%2-15").arg(1994 + rng.bounded(3)).arg(1 + rng.bounded(9));
        x.colours = QStringLiteral("%1,%2").arg(rng.bounded(6)).arg(rng.bounded(6));
        items.push_back(x);
      }
      QTemporaryDir dir;
      TCatalog c;
      c.Load(Write(dir, items), kGroups, kItems, kGroup);
      QVERIFY(c.Loaded);
      c.GroupMode = false;
      TQueryCriteria q;
      QVERIFY(q.LoadDefinition(c.Database.get(), kItems, QStringLiteral("Picture Properties")));
      const bool useColour = rng.bounded(2), useDoors = rng.bounded(2), useTitle = rng.bounded(2),
                 useYear = rng.bounded(2);
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
      if (useYear) {
        TQueryCriterion& y = *q.Criterion(4);
        y.Value.SetFloat64(DateTimeToDayNumber(QDate(year, 12, 31), QTime(23, 0)));
        y.Active = true;
      }
      c.RecomputeSelection(&q);

      std::vector<int> expected;
      std::vector<bool> groupSet(4, false);
      for (int i = 0; i < n; ++i) {
        const Item& x = items[static_cast<size_t>(i)];
        bool keep = x.group >= 1 && x.group <= 3;
        if (useColour) {
          bool any = false;
          for (const QString& l : x.colours.split(QLatin1Char(','))) {
            const int link = l.toInt();
            if (link < 1) break;
            any = any || ticked[static_cast<size_t>(link)];
          }
          keep = keep && any;
        }
        if (useDoors) keep = keep && x.doors == doors;
        if (useTitle) keep = keep && x.header.toUpper().contains(needle.toUpper());
        if (useYear) keep = keep && x.year.left(4).toInt() == year;
        if (keep) {
          expected.push_back(i + 1);
          groupSet[static_cast<size_t>(x.group)] = true;
        }
      }
      QCOMPARE(c.ItemCount, static_cast<int>(expected.size()));
      QCOMPARE(c.GroupCount, static_cast<int>(std::count(groupSet.begin(), groupSet.end(), true)));
      for (int g = 1; g <= 3; ++g) QCOMPARE(c.Groups.Get(g), bool(groupSet[static_cast<size_t>(g)]));
      // Walking the selection visits the expected items, each with its group's counters.
      for (size_t i = 0; i < expected.size(); ++i) {
        QVERIFY(c.SetPosition(c.CurrentGroup, static_cast<int>(i) + 1));
        const int group = items[static_cast<size_t>(expected[i] - 1)].group;
        QCOMPARE(c.ItemAt(0, static_cast<int>(i) + 1).Item, expected[i]);
        QCOMPARE(c.GroupNumber(c.CurrentGroup), group);
        int rank = 0, total = 0;
        for (size_t j = 0; j < expected.size(); ++j) {
          if (items[static_cast<size_t>(expected[j] - 1)].group != group) continue;
          ++total;
          if (j <= i) ++rank;
        }
        QCOMPARE(c.CurrentItemInGroup, rank);
        QCOMPARE(c.GroupItemCount, total);
      }
      QVERIFY(!c.SetPosition(c.CurrentGroup, static_cast<int>(expected.size()) + 1));
    }
  }
};

QTEST_GUILESS_MAIN(TestCatalog)
#include "TestCatalog.moc"
