// Tests of the query grid's rules: rows from the definition table, ticking, typing, matching.
#include "database/CatalogFixture.h"
#include "database/Catalog.h"
#include "database/QueryCriteria.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

const QString kItems = QStringLiteral("Picture Items");
const QString kProps = QStringLiteral("Picture Properties");

struct Loaded {
  QTemporaryDir dir;
  TTessaranObject db;
  TQueryCriteria q;
  Loaded() {
    const QString path = dir.filePath(QStringLiteral("ol44.cat"));
    QString error;
    if (!olvtool::WriteDatabase(Catalogue(SmallItems()), path, QString(), &error)) qWarning() << error;
    db.Open(path, path, QString(), QString());
    q.LoadDefinition(&db, kItems, kProps);
  }
};

std::vector<int> Flags(const TQueryCriterion& c) {
  std::vector<int> set;
  for (int k = 0; k < c.Relations->Count(); ++k)
    if (c.Relations->Get(k)) set.push_back(k);
  return set;
}

int Chars(const QString& text) { return 10 * static_cast<int>(text.size()); }

TFieldValue Typed(ColumnType type) { return InitValue(type); }

}  // namespace

class TestQueryCriteria : public QObject {
  Q_OBJECT

 private slots:
  void rowsFromTheDefinitionTable() {
    Loaded f;
    QVERIFY(f.q.Loaded());
    // Lower-case "yes", another table, no "Q" and an unknown column give no row.
    QCOMPARE(f.q.Count(), 4);
    QStringList labels;
    for (int r = 1; r <= 4; ++r) labels << f.q.Criterion(r)->Label;
    QCOMPARE(labels, (QStringList{"Colour", "Doors", "Title", "Year"}));
    const TQueryCriterion& colour = *f.q.Criterion(1);
    QVERIFY(colour.IsLinkList());
    QCOMPARE(colour.Relations->Count(), 6);  // five colours plus flag 0
    QCOMPARE(Flags(colour), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(colour.Hint, QStringLiteral("Pick colours"));
    QCOMPARE(f.q.SelectAllText(1), QStringLiteral("Select All"));
    QCOMPARE(f.q.SelectAllText(2), QStringLiteral("Any doors"));
    QVERIFY(f.q.Criterion(2)->HasOption(QLatin1Char('R')));
    QVERIFY(!f.q.Criterion(3)->HasOption(QLatin1Char('R')));
    QVERIFY(f.q.Criterion(2)->Relations == nullptr);
    QVERIFY(IsEmptyValue(f.q.Criterion(2)->Value) && !f.q.Criterion(2)->Active);
    QCOMPARE(f.q.CellText(3, Chars, 500), QStringLiteral("All titles"));

    TQueryCriteria other;
    QVERIFY(!other.LoadDefinition(nullptr, kItems, kProps));
    QVERIFY(!other.LoadDefinition(&f.db, QString(), kProps));
    QVERIFY(!other.LoadDefinition(&f.db, kItems, QStringLiteral("Nope")));
    QVERIFY(!other.LoadDefinition(&f.db, QStringLiteral("Colours"), kProps));  // no rows for it
    QCOMPARE(other.Count(), 0);
    QVERIFY(!other.Loaded() && other.Database() == nullptr);
  }

  void dropDownLinesMapToTheirRecords() {
    Loaded f;
    const std::vector<TDropDownLine> lines = f.q.DropDownLines(1);
    QCOMPARE(lines.size(), size_t{5});  // record 4 has no text and no line
    const std::vector<std::tuple<QString, int, int>> want{{"Select All", 1, 0}, {"Red", 1, 1},
                                                          {"Dark red", 2, 2}, {"Blue", 1, 3},
                                                          {"Green", 1, 5}};
    for (size_t i = 0; i < lines.size(); ++i)
      QCOMPARE(std::make_tuple(lines[i].Text, lines[i].Level, lines[i].Flag), want[i]);
    QVERIFY(f.q.DropDownLines(2).empty());
  }

  void tickingLines() {
    Loaded f;
    TQueryCriterion& c = *f.q.Criterion(1);
    const auto lines = f.q.DropDownLines(1);
    QVERIFY(!f.q.ClickLine(1, lines, 0));  // everything selected already: no change
    QVERIFY(f.q.ClickLine(1, lines, 3));   // Blue
    QVERIFY(c.Active);
    QCOMPARE(Flags(c), (std::vector<int>{3}));
    QVERIFY(f.q.ClickLine(1, lines, 1));  // Red ticks its nested Dark red too
    QCOMPARE(Flags(c), (std::vector<int>{1, 2, 3}));
    QCOMPARE(f.q.CellText(1, Chars, 1000), QStringLiteral("Red & Dark red & Blue"));
    QCOMPARE(f.q.CellText(1, Chars, 60), QStringLiteral("Red & Dark red"));
    QCOMPARE(f.q.CellText(1, Chars, 30), QStringLiteral("Red"));
    // The measure adds the whole text so far after each append: 2 + (30 + 2) after "Red",
    // then + (140 + 2) after "Red & Dark red".
    QCOMPARE(f.q.CellText(1, Chars, 34), QStringLiteral("Red"));
    QCOMPARE(f.q.CellText(1, Chars, 35), QStringLiteral("Red & Dark red"));
    QCOMPARE(f.q.CellText(1, Chars, 176), QStringLiteral("Red & Dark red"));
    QCOMPARE(f.q.CellText(1, Chars, 177), QStringLiteral("Red & Dark red & Blue"));
    QVERIFY(f.q.ClickLine(1, lines, 2));  // unticking the nested line alone
    QCOMPARE(Flags(c), (std::vector<int>{1, 3}));
    QVERIFY(f.q.ClickLine(1, lines, 2));
    // Ticking the only unticked line: everything selected, row inactive.
    QVERIFY(f.q.ClickLine(1, lines, 4));
    QVERIFY(!c.Active);
    QCOMPARE(Flags(c), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(f.q.CellText(1, Chars, 1000), QStringLiteral("Select All"));
    // Unticking the last ticked line: inactive with every flag set.
    QVERIFY(f.q.ClickLine(1, lines, 4));
    QCOMPARE(Flags(c), (std::vector<int>{5}));  // from "everything", a tick starts afresh
    QVERIFY(c.Active);
    QVERIFY(f.q.ClickLine(1, lines, 4));
    QVERIFY(!c.Active);
    QCOMPARE(Flags(c), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // The select-all line restores everything from a restricted row.
    QVERIFY(f.q.ClickLine(1, lines, 3));
    QVERIFY(f.q.ClickLine(1, lines, 0));
    QVERIFY(!c.Active);
    QCOMPARE(Flags(c).size(), size_t{6});
    QVERIFY(!f.q.ClickLine(1, lines, 9));
  }

  void typingValues() {
    Loaded f;
    TQueryCriterion& doors = *f.q.Criterion(2);
    auto r = f.q.CommitText(2, QStringLiteral("Any doors"));  // into an inactive row
    QVERIFY(!r.changed && !r.rejected);
    r = f.q.CommitText(2, QStringLiteral("4"));
    QVERIFY(r.changed && doors.Active);
    QCOMPARE(doors.Value.Int32At(0), 4);
    QCOMPARE(f.q.CellText(2, Chars, 500), f.db.ValueToText(kItems, QStringLiteral("Doors"), doors.Value));
    QVERIFY(!f.q.CellText(2, Chars, 500).isEmpty());
    // 0 is the empty value of an integer: not converted, the row stays as it was.
    r = f.q.CommitText(2, QStringLiteral("0"));
    QVERIFY(r.rejected && !r.changed);
    QVERIFY(doors.Active);
    QCOMPARE(doors.Value.Int32At(0), 4);
    QVERIFY(f.q.CommitText(2, QStringLiteral("four")).rejected);
    QCOMPARE(doors.Value.Int32At(0), 4);
    r = f.q.CommitText(2, QStringLiteral("Any doors"));  // select-all text into an active row
    QVERIFY(r.changed && !doors.Active && IsEmptyValue(doors.Value));
    // A string row: the empty text clears, any other text restricts.
    QVERIFY(f.q.CommitText(3, QStringLiteral("coupe")).changed);
    QCOMPARE(f.q.Criterion(3)->Value.String(), QStringLiteral("coupe"));
    QVERIFY(f.q.CommitText(3, QString()).changed);
    QVERIFY(!f.q.Criterion(3)->Active);
  }

  void resetRowsDeactivateTheOthers() {
    Loaded f;
    const auto lines = f.q.DropDownLines(1);
    QVERIFY(f.q.ClickLine(1, lines, 3));
    QVERIFY(f.q.CommitText(3, QStringLiteral("coupe")).changed);
    const auto r = f.q.CommitText(2, QStringLiteral("2"));  // the "R" row
    QVERIFY(r.changed && r.resetOthers);
    QVERIFY(f.q.Criterion(2)->Active);
    QVERIFY(!f.q.Criterion(1)->Active && !f.q.Criterion(3)->Active);
    QCOMPARE(Flags(*f.q.Criterion(1)).size(), size_t{6});
    QVERIFY(IsEmptyValue(f.q.Criterion(3)->Value));
    f.q.ResetCriteria(0);
    QVERIFY(!f.q.Criterion(2)->Active && IsEmptyValue(f.q.Criterion(2)->Value));
  }

  void matchingByType() {
    TQueryCriterion c;
    TFieldValue v;
    const auto check = [&](ColumnType type, auto setWanted, auto setValue, bool expect) {
      c.ColumnDef = TColumnDef::NewColumn(QStringLiteral("X"), type);
      c.Value = Typed(type);
      v = Typed(type);
      setWanted(c.Value);
      setValue(v);
      return CriterionMatches(c, v) == expect;
    };
    const auto i32 = [](int32_t x) { return [x](TFieldValue& f) { f.SetInt32At(0, x); }; };
    const auto i64 = [](int64_t x) { return [x](TFieldValue& f) { f.SetInt64(x); }; };
    const auto f64 = [](double x) { return [x](TFieldValue& f) { f.SetFloat64(x); }; };
    const auto f32 = [](float x) { return [x](TFieldValue& f) { f.SetFloat32(x); }; };
    const auto byte = [](uint8_t b, uint8_t b1 = 0) {
      return [b, b1](TFieldValue& f) { f.Data[0] = b; f.Data[1] = b1; };
    };
    QVERIFY(check(ColumnType::ctByte, byte(7), byte(7, 9), true));
    QVERIFY(check(ColumnType::ctShortInt, byte(7), byte(8), false));
    QVERIFY(check(ColumnType::ctWord, byte(7, 1), byte(7, 2), false));
    QVERIFY(check(ColumnType::ctWord, byte(7, 1), byte(7, 1), true));
    QVERIFY(check(ColumnType::ctComp, i64(1LL << 40), i64((1LL << 40) + 1), false));
    QVERIFY(check(ColumnType::ctComp, i64(1LL << 40), i64(1LL << 40), true));
    QVERIFY(check(ColumnType::ctInteger, i32(-5), i32(-5), true));
    QVERIFY(check(ColumnType::ctInteger7, i32(5), i32(6), false));
    QVERIFY(check(ColumnType::ctDouble, f64(1.5), f64(1.5), true));
    QVERIFY(check(ColumnType::ctSingle, f32(1.5f), f32(2.5f), false));
    const double jan = DateTimeToDayNumber(QDate(1995, 1, 1), QTime());
    const double dec = DateTimeToDayNumber(QDate(1995, 12, 31), QTime(23, 59));
    const double next = DateTimeToDayNumber(QDate(1996, 1, 1), QTime());
    QVERIFY(check(ColumnType::ctDateTime, f64(jan), f64(dec), true));
    QVERIFY(check(ColumnType::ctDateTime, f64(dec), f64(next), false));
    QVERIFY(check(ColumnType::ctDateTime, f64(1e300), f64(1e300), false));  // no date at all
    const auto ext = [](double x) {
      return [x](TFieldValue& f) {
        const auto b = EncodeExtended(x);
        std::copy(b.begin(), b.end(), f.Data.begin());
      };
    };
    QVERIFY(check(ColumnType::ctExtended, ext(2.25), ext(2.25), true));
    QVERIFY(check(ColumnType::ctExtended, ext(2.25), ext(2.5), false));
    // All 64 mantissa bits count, more than a double holds.
    const auto lowBit = [](TFieldValue& f) {
      const auto b = EncodeExtended(2.25);
      std::copy(b.begin(), b.end(), f.Data.begin());
      f.Data[0] ^= 1;
    };
    QVERIFY(check(ColumnType::ctExtended, ext(2.25), lowBit, false));
    QVERIFY(check(ColumnType::ctExtended, lowBit, lowBit, true));
    QVERIFY(check(ColumnType::ctExtended, ext(0.0), ext(-0.0), true));
    const auto nan = [](TFieldValue& f) {
      std::fill(f.Data.begin(), f.Data.begin() + 10, uint8_t{0xff});
    };
    QVERIFY(check(ColumnType::ctExtended, nan, nan, false));
    // An unnormal (integer bit clear) equals the normal encoding of the same number.
    const auto unnormal = [](TFieldValue& f) {
      const auto b = EncodeExtended(2.25);
      std::copy(b.begin(), b.end(), f.Data.begin());
      uint64_t m = 0;
      for (int i = 7; i >= 0; --i) m = (m << 8) | f.Data[static_cast<size_t>(i)];
      m >>= 1;
      for (int i = 0; i < 8; ++i) f.Data[static_cast<size_t>(i)] = uint8_t(m >> (8 * i));
      const int e = (f.Data[8] | (f.Data[9] << 8)) + 1;
      f.Data[8] = uint8_t(e);
      f.Data[9] = uint8_t(e >> 8);
    };
    QVERIFY(check(ColumnType::ctExtended, ext(2.25), unnormal, true));
    const auto r48 = [](double x) {
      return [x](TFieldValue& f) {
        const auto b = *EncodeReal48(x);
        std::copy(b.begin(), b.end(), f.Data.begin());
      };
    };
    QVERIFY(check(ColumnType::ctReal48, r48(3.5), r48(3.5), true));
    QVERIFY(check(ColumnType::ctReal48, r48(3.5), r48(-3.5), false));

    // Strings: ASCII case-insensitive, anywhere; the criterion ends up in capitals.
    const auto str = [](const char* s) {
      return [s](TFieldValue& f) { std::copy(s, s + std::strlen(s) + 1, f.Data.begin()); };
    };
    QVERIFY(check(ColumnType::ctString, str("oup"), str("A COUPE"), true));
    QCOMPARE(c.Value.String(), QStringLiteral("OUP"));
    QVERIFY(check(ColumnType::ctString, str("coupe"), str("Coup\xe9"), false));
    QVERIFY(check(ColumnType::ctString, str(""), str("anything"), false));

    // Link lists: at most N links, stopping at the first below 1.
    c.ColumnDef = TColumnDef::NewColumn(QStringLiteral("L"), ColumnType::ctLinkList);
    c.ColumnDef.SetInt32(79, 2);
    c.Value = Typed(ColumnType::ctLinkList);
    c.Relations = std::make_unique<TBooleanChain>(QStringLiteral("Relations"));
    c.Relations->Fill(6, false);
    c.Relations->Set(4, true);
    v = Typed(ColumnType::ctLinkList);
    v.SetInt32At(0, 2);
    v.SetInt32At(1, 4);
    QVERIFY(CriterionMatches(c, v));
    v.SetInt32At(0, 0);  // stops before the 4
    QVERIFY(!CriterionMatches(c, v));
    v.SetInt32At(0, 1);
    v.SetInt32At(1, 3);
    v.SetInt32At(2, 4);  // beyond N
    QVERIFY(!CriterionMatches(c, v));
    v.SetInt32At(0, 999);  // a link beyond the flags is simply not ticked
    QVERIFY(!CriterionMatches(c, v));

    // Not read on either side, or an unknown type code, never matches.
    c.ColumnDef = TColumnDef::NewColumn(QStringLiteral("X"), ColumnType::ctInteger);
    c.Value = Typed(ColumnType::ctInteger);
    v = Typed(ColumnType::ctInteger);
    QVERIFY(CriterionMatches(c, v));
    v.NotRead = 1;
    QVERIFY(!CriterionMatches(c, v));
    v.NotRead = 0;
    c.Value.NotRead = 1;
    QVERIFY(!CriterionMatches(c, v));
    c.Value.NotRead = 0;
    v.Type = 15;
    QVERIFY(!CriterionMatches(c, v));
  }
};

QTEST_GUILESS_MAIN(TestQueryCriteria)
#include "TestQueryCriteria.moc"
