// Tests of the paint and trim choice rules: a written catalogue, damaged ones, a brute-force model.
#include "database/EnamelCascade.h"

#include "database/EnamelFixture.h"
#include "database/TableDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;

namespace {

using It = TEnamelFabricItem;
using O = EnamelOption;

// Straight from the definition: the records each list offers for the given choices, computed
// by filtering the items again for every list.
struct Expected {
  int model, year, coach, roof, material;
  const std::vector<TEnamelFabricItem>& items;
  const std::array<int, kEnamelOptionCount>& counts;

  bool InTable(int v, O option) const { return v >= 1 && v <= counts[size_t(option)]; }
  bool ToModel(const It& it) const { return model >= 1 && it.Group == model; }
  bool ToYear(const It& it) const { return ToModel(it) && year >= 1 && it.Modelyear == year; }
  bool ToCoach(const It& it) const { return ToYear(it) && coach >= 1 && it.CoachColor == coach; }
  bool ToRoof(const It& it) const { return ToCoach(it) && (roof == 0 || it.RoofColor == roof); }
  // The values of `field` in `option`'s table, of the items that pass `to`.
  QSet<int> Values(bool (Expected::*to)(const It&) const, int32_t It::*field, O option) const {
    QSet<int> s;
    for (const auto& it : items)
      if ((this->*to)(it) && InTable(it.*field, option)) s.insert(it.*field);
    return s;
  }
  QSet<int> Years() const { return Values(&Expected::ToModel, &It::Modelyear, O::Modelyears); }
  QSet<int> Coaches() const { return Values(&Expected::ToYear, &It::CoachColor, O::CoachColors); }
  QSet<int> Roofs() const { return Values(&Expected::ToCoach, &It::RoofColor, O::RoofColors); }
  QSet<int> Materials() const {
    return Values(&Expected::ToRoof, &It::FabricMaterial, O::FabricMaterials);
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
  for (int e = 0, r; (r = c.RecordOfEntry(option, e)) != 0; ++e) {
    if (c.EntryOfRecord(option, r) != e) return {-1};  // the two mappings disagree
    s.insert(r);
  }
  return s;
}
// Compares every list with the brute-force model for the cascade's current choices; empty when
// they agree, else what differs.
QString Compare(const TEnamelCascade& c, const std::array<int, kEnamelOptionCount>& counts) {
  auto cur = [&](EnamelOption o) { return int(c.Option(o).Current); };
  const Expected e(c.Model(), cur(O::Modelyears), cur(O::CoachColors), cur(O::RoofColors),
                   cur(O::FabricMaterials), c.Items(), counts);
  const std::array expected = {e.Years(), e.Coaches(), e.Roofs(), e.Materials(), e.Colours()};
  for (int i = 0; i < kEnamelOptionCount; ++i) {
    const auto option = static_cast<EnamelOption>(i);
    const QSet<int> got = OfferedRecords(c, option);
    if (got != expected[size_t(i)]) return QString("list %1 offers the wrong records").arg(i);
    const int current = cur(option);
    if (expected[size_t(i)].isEmpty() ? current != 0 : !expected[size_t(i)].contains(current))
      return QStringLiteral("list %1 has current %2 outside what it offers").arg(i).arg(current);
    if (c.Offered(option).size() != got.size()) return QString("list %1 names differ").arg(i);
  }
  return {};
}
QStringList Numbered(const QByteArray& prefix, int count) {
  QStringList l;
  for (int i = 1; i <= count; ++i) l.append(QString::fromLatin1(prefix) + QString::number(i));
  return l;
}

}  // namespace

class TestEnamelCascade : public QObject {
  Q_OBJECT
 private slots:
  // The sample catalogue through the engine: names, codes, items, then a walk of choices with
  // every list and both picture names after each.
  void loadsWrittenCatalogue() {
    QTemporaryDir dir;
    TTessaranObject db;
    const auto sample = fixture::EnamelDatabase(fixture::SampleEnamel());
    QVERIFY(dbfixture::WriteAndOpen(sample, dir.filePath("ol44.cat"), db));
    TEnamelCascade c;
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::Ok);
    QCOMPARE(c.Models() + c.Option(O::FabricMaterials).Codes,
             QStringList({"Berline", "Cabriolet", "Break", "CL", "LE"}));
    QCOMPARE(c.Option(EnamelOption::Modelyears).Codes, QStringList());
    QCOMPARE(c.Items().size(), size_t(8));
    QCOMPARE(c.Items()[7].CoachColor, 0);
    // Records + 1; nothing chosen.
    QCOMPARE((QList{c.Option(O::CoachColors).Available.Count(), c.Model()}), (QList{5, 0}));
    // Colours end at the first number below 1: 3, 4, then 0, so 5 is never read.
    QCOMPARE(c.Items()[1].FabricColors, (std::array<int32_t, 6>{3, 4, 0, 0, 0, 0}));
    const int kModel = kEnamelOptionCount;
    // The list chosen in (kModel: the models), the entry, what each list offers (missing:
    // nothing), the pictures.
    const QStringList y{"1961", "1962", "1964"}, rb{"Red", "Blue"}, wb{"White", "Black"};
    // clang-format off
    struct Step { int level, entry; QList<QStringList> offered; const char *car, *seat; };
    const Step steps[] = {
        {kModel, 0, {y, rb, wb, {"Cloth"}, {"Tan", "Silver"}}, "RD_WH", "CLT1"},
        // Black roof: leather in exactly the three-then-zero colours.
        {2, 1, {y, rb, wb, {"Leather"}, {"Navy", "Crimson"}}, "RD_BK", "LEB3"},
        {4, 1, {y, rb, wb, {"Leather"}, {"Navy", "Crimson"}}, "RD_BK", "LER4"},
        // A coach colour without a separate roof: no roof offered, the coach code twice, materials
        // from every item of that coach colour, and nothing carried over from the black roof
        // before.
        {1, 1, {y, rb, {}, {"Cloth", "Leather"}, {"Silver"}}, "BL_BL", "CLG2"},
        {3, 1, {y, rb, {}, {"Cloth", "Leather"}, {"Ebony"}}, "BL_BL", "LEK5"},
        // A year whose only item has no coach colour: nothing to the right, no pictures.
        {0, 2, {y, {}, {}, {}, {}}, "", ""},
        // Another model resets every list to its first entry; an item without a model year never
        // offers anything, a model without items offers nothing, and one past the list is none.
        {kModel, 1, {{"1963"}, {"Ivory"}, {"Black"}, {"Leather"}, {"Tan", "Silver", "Navy"}},
         "IV_BK", "LET1"},
        {kModel, 2, {}, "", ""},
        {kModel, 7, {}, "", ""},
    };
    // clang-format on
    const std::array<int, kEnamelOptionCount> counts = {4, 4, 2, 2, 5};
    for (size_t i = 0; i < std::size(steps); ++i) {
      const Step& s = steps[i];
      s.level == kModel ? c.ChooseModel(s.entry) : c.ChooseOption(O(s.level), s.entry);
      const QString row = QStringLiteral("step %1").arg(i);
      for (int o = 0; o < kEnamelOptionCount; ++o)
        QVERIFY2(c.Offered(O(o)) == s.offered.value(o), qPrintable(row + QString::number(o)));
      QCOMPARE((QStringList{row, c.CarPictureName(), c.SeatPictureName()}),
               (QStringList{row, s.car, s.seat}));
      const QString diff = Compare(c, counts);  // and every current choice among what is offered
      QVERIFY2(diff.isEmpty(), qPrintable(row + ": " + diff));
    }
    QCOMPARE(c.Model(), 0);
  }
  // Entries that are not offered leave the choice as it was.
  void entriesOutsideTheList() {
    TEnamelCascade c;
    const std::array names{Numbered("Y", 2), Numbered("C", 2), Numbered("R", 1), Numbered("F", 1),
                           Numbered("K", 2)};
    QVERIFY(c.SetData({"M"}, names, {QStringList(), {"c1", "c2"}, {"r1"}, {"f1"}, {"k1", "k2"}},
                      {{1, 2, 1, 0, 1, {1, 2}}, {1, 2, 2, 1, 1, {2}}}));
    c.ChooseModel(0);
    const auto years = O::Modelyears;
    QCOMPARE(c.Offered(years), QStringList({"Y2"}));
    const auto record = [&](int entry) { return c.RecordOfEntry(years, entry); };
    QCOMPARE((QList{record(0), record(1), record(-1)}), (QList{2, 0, 0}));
    QCOMPARE(c.EntryOfRecord(years, 1), -1);
    c.ChooseOption(O::CoachColors, 1);
    QCOMPARE(c.CarPictureName(), QString("c2_r1"));
    c.ChooseOption(O::CoachColors, 5);
    c.ChooseOption(O::FabricColors, -1);
    const auto current = [&](O o) { return c.Option(o).Current; };
    QCOMPARE((QList{current(O::CoachColors), current(O::FabricColors)}), (QList{2, 2}));
    QCOMPARE(c.SeatPictureName(), QString("f1k2"));
  }
  // Damaged or incomplete catalogues give a distinct result and an empty cascade.
  void damagedCatalogues() {
    QTemporaryDir dir;
    TTessaranObject db;
    TEnamelCascade c;
    // No paint and trim tables at all: no models.
    const olvtool::TableSource groups{"Picture Groups", {dbfixture::Col("Name")}, {{"A"}}, true};
    const olvtool::DatabaseSource other{{groups}, false, {}};
    QVERIFY(dbfixture::WriteAndOpen(other, dir.filePath("none.cat"), db));
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::NoModels);
    // A data file cut short: the last items' "Group" cannot be read.
    const QString defs = dir.filePath("cut.def"), data = dir.filePath("cut.dat");
    const auto sample = fixture::EnamelDatabase(fixture::SampleEnamel());
    QVERIFY(dbfixture::WriteAndOpen(sample, defs, db, data));
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::Ok);
    db.Close();
    QVERIFY(QFile(data).resize(QFileInfo(data).size() - 40));
    QVERIFY(db.Open(data, defs, QString(), QString()));
    QCOMPARE(c.Load(db), TEnamelCascade::LoadResult::ItemUnread);
    QCOMPARE((std::tuple{c.Models(), c.Items().size()}), (std::tuple{QStringList(), size_t(0)}));
    // Lists longer than a choice list may hold are refused before anything is sized.
    QVERIFY(!c.SetData({"M"}, {Numbered("Y", TEnamelCascade::kMaxRecords + 1)}, {}, {}));
    QCOMPARE(c.Models(), QStringList());
  }
  // Random catalogues and random choices, in any order, against the brute-force model; and the
  // combinations the walk visits against a brute-force enumeration.
  void agreesWithBruteForce() {
    QRandomGenerator random(20260612);
    for (int round = 0; round < 300; ++round) {
      const auto rnd = [&](int low, int high) { return random.bounded(low, high); };
      const std::array counts{rnd(1, 5), rnd(1, 5), rnd(0, 4), rnd(0, 4), rnd(0, 6)};
      const int models = random.bounded(1, 4);
      std::vector<TEnamelFabricItem> items;
      const int itemCount = random.bounded(0, 25);
      for (int i = 0; i < itemCount; ++i) {
        // Numbers from 0 to one past the table, so that unnamed and unknown records occur.
        auto pick = [&](int count) { return random.bounded(0, count + 2); };
        It it{pick(models), pick(counts[0]), pick(counts[1]), pick(counts[2]), pick(counts[3]), {}};
        for (int k = 0, n = rnd(0, 7); k < n; ++k) it.FabricColors[size_t(k)] = pick(counts[4]);
        items.push_back(it);
      }
      std::array<QStringList, kEnamelOptionCount> names, codes;
      for (size_t o = 0; o < names.size(); ++o) {
        names[o] = Numbered(QByteArray(1, "YCRFK"[o]), counts[o]);
        if (o > 0) codes[o] = Numbered(QByteArray(1, "ycrfk"[o]), counts[o]);
      }
      TEnamelCascade c;
      QVERIFY(c.SetData(Numbered("M", models), names, codes, items));
      c.ChooseModel(0);  // step -1
      for (int step = -1; step < 40; ++step) {
        const int level = random.bounded(0, kEnamelOptionCount + 1), entry = random.bounded(-1, 4);
        if (step < 0) {
        } else if (level == kEnamelOptionCount) {
          c.ChooseModel(entry);
        } else {
          c.ChooseOption(static_cast<EnamelOption>(level), entry);
        }
        const QString diff = Compare(c, counts);
        QVERIFY2(diff.isEmpty(),
                 qPrintable(QString("round %1 step %2: %3").arg(round).arg(step).arg(diff)));
      }
      // Every reachable (car, seat), by enumeration over the brute-force model.
      QSet<QString> expected;
      auto code = [&](int option, int record) { return codes[size_t(option)].value(record - 1); };
      for (int m = 1; m <= models; ++m) {
        const QSet<int> years = Expected{m, 0, 0, 0, 0, items, counts}.Years();
        if (years.isEmpty()) expected.insert(QStringLiteral("|"));
        for (int y : years) {
          const QSet<int> coaches = Expected{m, y, 0, 0, 0, items, counts}.Coaches();
          if (coaches.isEmpty()) expected.insert(QStringLiteral("|"));
          for (int co : coaches) {
            const QSet<int> roofs = Expected{m, y, co, 0, 0, items, counts}.Roofs();
            for (int r : roofs.isEmpty() ? QList<int>{0} : roofs.values()) {
              const QString car = code(1, co) + '_' + (r >= 1 ? code(2, r) : code(1, co));
              const QSet<int> materials = Expected{m, y, co, r, 0, items, counts}.Materials();
              if (materials.isEmpty()) expected.insert(car + '|');
              for (int f : materials) {
                const QSet<int> colours = Expected{m, y, co, r, f, items, counts}.Colours();
                if (colours.isEmpty()) expected.insert(car + '|' + code(3, f));
                for (int k : colours) expected.insert(car + '|' + code(3, f) + code(4, k));
              }
            }
          }
        }
      }
      QSet<QString> visited;
      std::array<QSet<int>, kEnamelOptionCount> reached;  // the records the walk chooses, per list
      c.ForEachChoice([&](const TEnamelCascade& v) {
        visited.insert(v.CarPictureName() + '|' + v.SeatPictureName());
        for (int o = 0; o < kEnamelOptionCount; ++o)
          reached[size_t(o)].insert(v.Option(O(o)).Current);
      });
      for (int o = 1; o < kEnamelOptionCount; ++o)
        for (int r = 1; r <= counts[size_t(o)] + 1; ++r) {
          const QString before = c.CarPictureName() + '|' + c.SeatPictureName();
          const bool chosen = c.ChooseRecord(EnamelOption(o), r);
          QCOMPARE(chosen, reached[size_t(o)].contains(r));
          if (!chosen) QCOMPARE(c.CarPictureName() + '|' + c.SeatPictureName(), before);
          if (chosen) QCOMPARE(c.Option(EnamelOption(o)).Current, r);
        }
      c.ChooseModel(0);
      QVERIFY2(visited == expected, qPrintable(QString("round %1: other combinations").arg(round)));
      QCOMPARE(c.Model(), 1);  // the walk ends on the first entries
    }
  }
};

QTEST_GUILESS_MAIN(TestEnamelCascade)
#include "TestEnamelCascade.moc"
