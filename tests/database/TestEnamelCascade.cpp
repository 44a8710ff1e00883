// Tests of the paint and trim choice rules: a written catalogue, damaged ones, and a brute-force model.
#include "database/EnamelCascade.h"

#include "database/EnamelFixture.h"
#include "database/TableDatabase.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;

namespace {

using Names = std::array<QStringList, kEnamelOptionCount>;

// Straight from the definition: the records each list offers for the given choices, computed
// by filtering the items again for every list.
struct Expected {
  int model, year, coach, roof, material;
  const std::vector<TEnamelFabricItem>& items;
  const std::array<int, kEnamelOptionCount>& counts;

  bool InTable(int value, EnamelOption option) const { return value >= 1 && value <= counts[size_t(option)]; }
  bool ToModel(const TEnamelFabricItem& it) const { return model >= 1 && it.Group == model; }
  bool ToYear(const TEnamelFabricItem& it) const { return ToModel(it) && year >= 1 && it.Modelyear == year; }
  bool ToCoach(const TEnamelFabricItem& it) const { return ToYear(it) && coach >= 1 && it.CoachColor == coach; }
  bool ToRoof(const TEnamelFabricItem& it) const { return ToCoach(it) && (roof == 0 || it.RoofColor == roof); }
  // The values of `field` in `option`'s table, of the items that pass `to`.
  QSet<int> Values(bool (Expected::*to)(const TEnamelFabricItem&) const, int32_t TEnamelFabricItem::*field,
                   EnamelOption option) const {
    QSet<int> s;
    for (const auto& it : items)
      if ((this->*to)(it) && InTable(it.*field, option)) s.insert(it.*field);
    return s;
  }
  QSet<int> Years() const { return Values(&Expected::ToModel, &TEnamelFabricItem::Modelyear, EnamelOption::Modelyears); }
  QSet<int> Coaches() const { return Values(&Expected::ToYear, &TEnamelFabricItem::CoachColor, EnamelOption::CoachColors); }
  QSet<int> Roofs() const { return Values(&Expected::ToCoach, &TEnamelFabricItem::RoofColor, EnamelOption::RoofColors); }
  QSet<int> Materials() const {
    return Values(&Expected::ToRoof, &TEnamelFabricItem::FabricMaterial, EnamelOption::FabricMaterials);
  }
  QSet<int> Colours() const {
    QSet<int> s;
    for (const auto& it : items) {
      if (!ToRoof(it) || material < 1 || it.FabricMaterial != material) continue;
      for (int c : it.FabricColors) {
        if (c < 1) break;
        if (InTable(c, EnamelOption::FabricColors)) s.insert(c);
      }
    }
    return s;
  }
};

QSet<int> OfferedRecords(const TEnamelCascade& c, EnamelOption option) {
  QSet<int> s;
  for (int e = 0;; ++e) {
    const int r = c.RecordOfEntry(option, e);
    if (r == 0) break;
    if (c.EntryOfRecord(option, r) != e) return {-1};  // the two mappings disagree
    s.insert(r);
  }
  return s;
}

// Compares every list with the brute-force model for the cascade's current choices; empty when
// they agree, else what differs.
QString Compare(const TEnamelCascade& c, const std::array<int, kEnamelOptionCount>& counts) {
  auto cur = [&](EnamelOption o) { return int(c.Option(o).Current); };
  const Expected e{c.Model(), cur(EnamelOption::Modelyears), cur(EnamelOption::CoachColors), cur(EnamelOption::RoofColors),
                   cur(EnamelOption::FabricMaterials), c.Items(), counts};
  const std::array<QSet<int>, kEnamelOptionCount> expected = {e.Years(), e.Coaches(), e.Roofs(), e.Materials(), e.Colours()};
  for (int i = 0; i < kEnamelOptionCount; ++i) {
    const auto option = static_cast<EnamelOption>(i);
    const QSet<int> got = OfferedRecords(c, option);
    if (got != expected[size_t(i)]) return QStringLiteral("list %1 offers the wrong records").arg(i);
    const int current = cur(option);
    if (expected[size_t(i)].isEmpty() ? current != 0 : !expected[size_t(i)].contains(current))
      return QStringLiteral("list %1 has current %2 outside what it offers").arg(i).arg(current);
    if (c.Offered(option).size() != got.size()) return QStringLiteral("list %1 names differ").arg(i);
  }
  return {};
}

TEnamelFabricItem Item(int group, int year, int coach, int roof, int material, std::initializer_list<int> colours) {
  TEnamelFabricItem it{group, year, coach, roof, material, {}};
  size_t k = 0;
  for (int c : colours) it.FabricColors[k++] = c;
  return it;
}

QStringList Numbered(const char* prefix, int count) {
  QStringList l;
  for (int i = 1; i <= count; ++i) l.append(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i));
  return l;
}

bool Write(const QString& path, const olvtool::DatabaseSource& source) {
  QString error;
  return olvtool::WriteDatabase(source, path, QString(), &error);
}

}  // namespace

class TestEnamelCascade : public QObject {
  Q_OBJECT

 private slots:
  // The sample catalogue through the engine: names, codes, items, the first choices.
  void loadsWrittenCatalogue() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ol44.cat"));
    QVERIFY(Write(path, fixture::EnamelDatabase(fixture::SampleEnamel())));
    TTessaranObject db;
    QVERIFY(db.Open(path, path, QString(), QString()));
    TEnamelCascade c;
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::Ok);
    QCOMPARE(c.Models(), QStringList({"Berline", "Cabriolet", "Break"}));
    QCOMPARE(c.Option(EnamelOption::FabricMaterials).Codes, QStringList({"CL", "LE"}));
    QVERIFY(c.Option(EnamelOption::Modelyears).Codes.isEmpty());
    QCOMPARE(c.Items().size(), size_t(8));
    QCOMPARE(c.Option(EnamelOption::CoachColors).Available.Count(), 5);  // records + 1
    // Colours end at the first number below 1: 3, 4, then 0, so 5 is never read.
    QCOMPARE(c.Items()[1].FabricColors, (std::array<int32_t, 6>{3, 4, 0, 0, 0, 0}));
    QCOMPARE(c.Items()[7].CoachColor, 0);
    QCOMPARE(c.Model(), 0);  // loading chooses nothing

    c.ChooseModel(0);
    QCOMPARE(c.Offered(EnamelOption::Modelyears), QStringList({"1961", "1962", "1964"}));
    QCOMPARE(c.Offered(EnamelOption::CoachColors), QStringList({"Red", "Blue"}));
    QCOMPARE(c.Offered(EnamelOption::RoofColors), QStringList({"White", "Black"}));
    QCOMPARE(c.Offered(EnamelOption::FabricMaterials), QStringList({"Cloth"}));
    QCOMPARE(c.Offered(EnamelOption::FabricColors), QStringList({"Tan", "Silver"}));
    QCOMPARE(c.CarPictureName(), QString("RD_WH"));
    QCOMPARE(c.SeatPictureName(), QString("CLT1"));

    // Black roof: leather in exactly the three-then-zero colours.
    c.ChooseOption(EnamelOption::RoofColors, 1);
    QCOMPARE(c.CarPictureName(), QString("RD_BK"));
    QCOMPARE(c.Offered(EnamelOption::FabricMaterials), QStringList({"Leather"}));
    QCOMPARE(c.Offered(EnamelOption::FabricColors), QStringList({"Navy", "Crimson"}));
    QCOMPARE(c.SeatPictureName(), QString("LEB3"));
    c.ChooseOption(EnamelOption::FabricColors, 1);
    QCOMPARE(c.SeatPictureName(), QString("LER4"));

    // A coach colour without a separate roof: no roof offered, the coach code twice, materials
    // from every item of that coach colour, and nothing carried over from the black roof before.
    c.ChooseOption(EnamelOption::CoachColors, 1);
    QVERIFY(!c.HasSeparateRoof());
    QCOMPARE(c.Option(EnamelOption::RoofColors).Current, 0);
    QCOMPARE(c.CarPictureName(), QString("BL_BL"));
    QCOMPARE(c.Offered(EnamelOption::FabricMaterials), QStringList({"Cloth", "Leather"}));
    c.ChooseOption(EnamelOption::FabricMaterials, 1);
    QCOMPARE(c.Offered(EnamelOption::FabricColors), QStringList({"Ebony"}));
    QCOMPARE(c.SeatPictureName(), QString("LEK5"));

    // A year whose only item has no coach colour: nothing to the right, no pictures.
    c.ChooseOption(EnamelOption::Modelyears, 2);
    QCOMPARE(c.Option(EnamelOption::Modelyears).Current, 4);
    QVERIFY(c.Offered(EnamelOption::CoachColors).isEmpty());
    QVERIFY(c.Offered(EnamelOption::FabricMaterials).isEmpty());
    QVERIFY(c.CarPictureName().isEmpty());
    QVERIFY(c.SeatPictureName().isEmpty());

    // Another model resets every list to its first entry; an item without a model year never
    // offers anything, and a model without items offers nothing.
    c.ChooseModel(1);
    QCOMPARE(c.Offered(EnamelOption::Modelyears), QStringList({"1963"}));
    QCOMPARE(c.CarPictureName(), QString("IV_BK"));
    QCOMPARE(c.Offered(EnamelOption::FabricColors), QStringList({"Tan", "Silver", "Navy"}));
    c.ChooseModel(2);
    QVERIFY(c.Offered(EnamelOption::Modelyears).isEmpty());
    QVERIFY(c.CarPictureName().isEmpty());
    c.ChooseModel(7);  // past the list: no model
    QCOMPARE(c.Model(), 0);
    QVERIFY(c.Offered(EnamelOption::Modelyears).isEmpty());
  }

  // Entries that are not offered leave the choice as it was.
  void entriesOutsideTheList() {
    TEnamelCascade c;
    QVERIFY(c.SetData({"M"}, {Numbered("Y", 2), Numbered("C", 2), Numbered("R", 1), Numbered("F", 1), Numbered("K", 2)},
                      {QStringList(), {"c1", "c2"}, {"r1"}, {"f1"}, {"k1", "k2"}},
                      {Item(1, 2, 1, 0, 1, {1, 2}), Item(1, 2, 2, 1, 1, {2})}));
    c.ChooseModel(0);
    QCOMPARE(c.Offered(EnamelOption::Modelyears), QStringList({"Y2"}));
    QCOMPARE(c.RecordOfEntry(EnamelOption::Modelyears, 0), 2);
    QCOMPARE(c.RecordOfEntry(EnamelOption::Modelyears, 1), 0);
    QCOMPARE(c.RecordOfEntry(EnamelOption::Modelyears, -1), 0);
    QCOMPARE(c.EntryOfRecord(EnamelOption::Modelyears, 1), -1);
    c.ChooseOption(EnamelOption::CoachColors, 1);
    QCOMPARE(c.CarPictureName(), QString("c2_r1"));
    c.ChooseOption(EnamelOption::CoachColors, 5);
    QCOMPARE(c.Option(EnamelOption::CoachColors).Current, 2);
    c.ChooseOption(EnamelOption::FabricColors, -1);
    QCOMPARE(c.Option(EnamelOption::FabricColors).Current, 2);
    QCOMPARE(c.SeatPictureName(), QString("f1k2"));
  }

  // Damaged or incomplete catalogues give a distinct result and an empty cascade.
  void damagedCatalogues() {
    QTemporaryDir dir;
    // No models.
    fixture::EnamelData d = fixture::SampleEnamel();
    d.models.clear();
    const QString empty = dir.filePath(QStringLiteral("empty.cat"));
    QVERIFY(Write(empty, fixture::EnamelDatabase(d)));
    TTessaranObject db;
    QVERIFY(db.Open(empty, empty, QString(), QString()));
    TEnamelCascade c;
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::NoModels);
    QVERIFY(c.Items().empty());
    db.Close();

    // No paint and trim tables at all.
    olvtool::DatabaseSource other;
    other.tables.push_back({QStringLiteral("Picture Groups"), {fixture::EnamelText(QStringLiteral("Name"))}, {{"A"}}, true});
    const QString none = dir.filePath(QStringLiteral("none.cat"));
    QVERIFY(Write(none, other));
    QVERIFY(db.Open(none, none, QString(), QString()));
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::NoModels);
    db.Close();

    // A data file cut short: the last items' "Group" cannot be read.
    const QString defs = dir.filePath(QStringLiteral("cut.def"));
    const QString data = dir.filePath(QStringLiteral("cut.dat"));
    QString error;
    QVERIFY(olvtool::WriteDatabase(fixture::EnamelDatabase(fixture::SampleEnamel()), defs, data, &error));
    QVERIFY(db.Open(data, defs, QString(), QString()));
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::Ok);
    db.Close();
    QFile file(data);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(file.size() - 40));
    file.close();
    QVERIFY(db.Open(data, defs, QString(), QString()));
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::ItemUnread);
    QVERIFY(c.Models().isEmpty());
    QVERIFY(c.Items().empty());

    // Lists longer than a choice list may hold are refused before anything is sized.
    QVERIFY(!c.SetData({"M"}, {Numbered("Y", TEnamelCascade::kMaxRecords + 1)}, {}, {}));
    QVERIFY(c.Models().isEmpty());
  }

  // Random catalogues and random choices, in any order, against the brute-force model; and the
  // combinations the walk visits against a brute-force enumeration.
  void agreesWithBruteForce() {
    QRandomGenerator random(20260612);
    for (int round = 0; round < 300; ++round) {
      const std::array<int, kEnamelOptionCount> counts = {random.bounded(1, 5), random.bounded(1, 5), random.bounded(0, 4),
                                                          random.bounded(0, 4), random.bounded(0, 6)};
      const int models = random.bounded(1, 4);
      std::vector<TEnamelFabricItem> items;
      const int itemCount = random.bounded(0, 25);
      for (int i = 0; i < itemCount; ++i) {
        // Numbers from 0 to one past the table, so that unnamed and unknown records occur.
        auto pick = [&](int count) { return random.bounded(0, count + 2); };
        TEnamelFabricItem it{pick(models), pick(counts[0]), pick(counts[1]), pick(counts[2]), pick(counts[3]), {}};
        for (int k = 0, n = random.bounded(0, 7); k < n; ++k) it.FabricColors[size_t(k)] = pick(counts[4]);
        items.push_back(it);
      }
      Names names{Numbered("Y", counts[0]), Numbered("C", counts[1]), Numbered("R", counts[2]), Numbered("F", counts[3]),
                  Numbered("K", counts[4])};
      Names codes{QStringList(), Numbered("c", counts[1]), Numbered("r", counts[2]), Numbered("f", counts[3]), Numbered("k", counts[4])};
      TEnamelCascade c;
      QVERIFY(c.SetData(Numbered("M", models), names, codes, items));

      c.ChooseModel(0);
      QString diff = Compare(c, counts);
      QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("round %1 start: %2").arg(round).arg(diff)));
      for (int step = 0; step < 40; ++step) {
        const int level = random.bounded(0, kEnamelOptionCount + 1);
        const int entry = random.bounded(-1, 4);
        if (level == kEnamelOptionCount) c.ChooseModel(entry);
        else c.ChooseOption(static_cast<EnamelOption>(level), entry);
        diff = Compare(c, counts);
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("round %1 step %2: %3").arg(round).arg(step).arg(diff)));
      }

      // Every reachable (car, seat), by enumeration over the brute-force model.
      QSet<QString> expected;
      auto code = [&](int option, int record) { return record >= 1 ? codes[size_t(option)].value(record - 1) : QString(); };
      for (int m = 1; m <= models; ++m) {
        const Expected em{m, 0, 0, 0, 0, items, counts};
        if (em.Years().isEmpty()) expected.insert(QStringLiteral("|"));
        for (int y : em.Years()) {
          const Expected ey{m, y, 0, 0, 0, items, counts};
          if (ey.Coaches().isEmpty()) expected.insert(QStringLiteral("|"));
          for (int co : ey.Coaches()) {
            const QSet<int> roofs = Expected{m, y, co, 0, 0, items, counts}.Roofs();
            const QList<int> roofChoices = roofs.isEmpty() ? QList<int>{0} : roofs.values();
            for (int r : roofChoices) {
              const QString car = code(1, co) + QLatin1Char('_') + (r >= 1 ? code(2, r) : code(1, co));
              const QSet<int> materials = Expected{m, y, co, r, 0, items, counts}.Materials();
              if (materials.isEmpty()) expected.insert(car + QLatin1Char('|'));
              for (int f : materials) {
                const QSet<int> colours = Expected{m, y, co, r, f, items, counts}.Colours();
                if (colours.isEmpty()) expected.insert(car + QLatin1Char('|') + code(3, f));
                for (int k : colours) expected.insert(car + QLatin1Char('|') + code(3, f) + code(4, k));
              }
            }
          }
        }
      }
      QSet<QString> visited;
      c.ForEachChoice([&](const TEnamelCascade& v) { visited.insert(v.CarPictureName() + QLatin1Char('|') + v.SeatPictureName()); });
      QVERIFY2(visited == expected, qPrintable(QStringLiteral("round %1: the walk visits other combinations").arg(round)));
      QCOMPARE(c.Model(), 1);  // the walk ends on the first entries
    }
  }
};

QTEST_GUILESS_MAIN(TestEnamelCascade)
#include "TestEnamelCascade.moc"
