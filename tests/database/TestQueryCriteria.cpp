// Tests of the query grid's rules: rows from the definition table, ticking, typing, matching.
#include "database/CatalogFixture.h"
#include "database/DayNumbers.h"
#include "database/NumberEncodings.h"
#include "database/QueryCriteria.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

struct Loaded {
  QTemporaryDir dir;
  TTessaranObject db;
  TQueryCriteria q;
  Loaded() {
    if (WriteAndOpen(Catalogue(SmallItems()), dir.filePath("ol44.cat"), db))
      q.LoadDefinition(&db, kItems, kProps);
  }
};

// The set flags of a link-list row.
std::vector<int> Flags(const TQueryCriterion& c) {
  std::vector<int> set;
  for (int k = 0; k < c.Relations->Count(); ++k)
    if (c.Relations->Get(k)) set.push_back(k);
  return set;
}
int Chars(const QString& text) { return 10 * static_cast<int>(text.size()); }

// Writes a criterion's or a field's value.
using Setter = std::function<void(TFieldValue&)>;
Setter Raw(QByteArray bytes) {
  return [bytes](TFieldValue& f) { std::copy(bytes.begin(), bytes.end(), f.Data.begin()); };
}
Setter Ext(double x, bool lowBit = false, bool unnormal = false) {
  return [=](TFieldValue& f) {
    const auto b = EncodeExtended(x);
    std::copy(b.begin(), b.end(), f.Data.begin());
    f.Data[0] ^= lowBit ? 1 : 0;
    if (!unnormal) return;
    // The same number with the integer bit clear: the mantissa one place down, the exponent up.
    uint64_t m = 0;
    for (int i = 7; i >= 0; --i) m = (m << 8) | f.Data[size_t(i)];
    for (int i = 0; i < 8; ++i) f.Data[size_t(i)] = uint8_t((m >> 1) >> (8 * i));
    const int e = (f.Data[8] | (f.Data[9] << 8)) + 1;
    f.Data[8] = uint8_t(e), f.Data[9] = uint8_t(e >> 8);
  };
}
// A criterion of `type`, the value it wants, the value it meets, whether they match.
struct TypeCase {
  const char* what;
  ColumnType type;
  Setter wanted, value;
  bool matches;
};

}  // namespace

Q_DECLARE_METATYPE(TypeCase)

class TestQueryCriteria : public QObject {
  Q_OBJECT
 private slots:
  void rowsFromTheDefinitionTableAndTicking() {
    Loaded f;
    TQueryCriteria& q = f.q;
    // Lower-case "yes", another table, no "Q" and an unknown column give no row.
    QVERIFY(q.Loaded());
    QCOMPARE(q.Count(), 4);
    QStringList labels;
    for (int r = 1; r <= 4; ++r) labels << q.Criterion(r)->Label;
    QCOMPARE(labels, (QStringList{"Colour", "Doors", "Title", "Year"}));
    const TQueryCriterion &colour = *q.Criterion(1), &doors = *q.Criterion(2);
    // Five colours plus flag 0, all set.
    QVERIFY(colour.IsLinkList());
    QCOMPARE((std::tuple{colour.Relations->Count(), colour.Hint}),
             (std::tuple{6, QString("Pick colours")}));
    QCOMPARE(Flags(colour), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE((QStringList{q.SelectAllText(1), q.SelectAllText(2), q.CellText(3, Chars, 500)}),
             (QStringList{"Select All", "Any doors", "All titles"}));
    QCOMPARE((QList{doors.HasOption('R'), q.Criterion(3)->HasOption('R')}), (QList{true, false}));
    QVERIFY(!doors.Relations);
    QCOMPARE((std::tuple{IsEmptyValue(doors.Value), doors.Active}), (std::tuple{true, false}));
    TQueryCriteria other;  // "Colours" has no rows
    QVERIFY(!other.LoadDefinition(nullptr, kItems, kProps));
    QVERIFY(!other.LoadDefinition(&f.db, QString(), kProps));
    QVERIFY(!other.LoadDefinition(&f.db, kItems, "Nope"));
    QVERIFY(!other.LoadDefinition(&f.db, "Colours", kProps));
    QCOMPARE((std::tuple{other.Count(), other.Loaded(), other.Database() == nullptr}),
             (std::tuple{0, false, true}));
    // Ticking lines of the link-list row, one click after the other.
    TQueryCriterion& c = *q.Criterion(1);
    const auto lines = q.DropDownLines(1);
    // text/level/flag; record 4 has no text and so no line; a value row has none
    QStringList shown;
    for (const TDropDownLine& l : lines)
      shown << QString("%1/%2/%3").arg(l.Text).arg(l.Level).arg(l.Flag);
    QCOMPARE(shown,
             QStringList({"Select All/1/0", "Red/1/1", "Dark red/2/2", "Blue/1/3", "Green/1/5"}));
    QVERIFY(q.DropDownLines(2).empty());
    // Each click in turn: the line, whether anything changed, whether the row restricts, the flags
    // and the cell text after it.
    const std::vector<int> all{0, 1, 2, 3, 4, 5};
    // clang-format off
    struct Click { int line; bool changed, active; std::vector<int> flags; const char* text; };
    const Click clicks[] = {
        {0, false, false, all, "Select All"},  // everything selected already: no change
        {3, true, true, {3}, "Blue"},
        {1, true, true, {1, 2, 3}, "Red & Dark red & Blue"},  // Red ticks its nested Dark red too
        {2, true, true, {1, 3}, "Red & Blue"},                // unticking the nested line alone
        {2, true, true, {1, 2, 3}, "Red & Dark red & Blue"},
        {4, true, false, all, "Select All"},  // the only unticked line: all selected, inactive
        {4, true, true, {5}, "Green"},        // from "everything", a tick starts afresh
        {4, true, false, all, "Select All"},  // unticking the last ticked line: every flag set
        {3, true, true, {3}, "Blue"},
        {0, true, false, all, "Select All"},  // the select-all line restores everything
        {9, false, false, all, "Select All"},
    };
    // clang-format on
    for (size_t i = 0; i < std::size(clicks); ++i) {
      const auto& k = clicks[i];
      const bool changed = q.ClickLine(1, lines, k.line);
      const std::vector<int> flags = Flags(c);
      QCOMPARE((std::tuple{i, changed, c.Active, QList<int>(flags.begin(), flags.end())}),
               (std::tuple{i, k.changed, k.active, QList<int>(k.flags.begin(), k.flags.end())}));
      QCOMPARE(q.CellText(1, Chars, 1000), QString::fromLatin1(k.text));
    }
  }
  // The measure adds the whole text so far after each append: 2 + (30 + 2) after "Red",
  // then + (140 + 2) after "Red & Dark red".
  void cellTextWithinAWidth_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    const QString red = "Red", dark = "Red & Dark red";
    const std::pair<int, QString> widths[] = {
        {60, dark}, {30, red}, {34, red}, {35, dark}, {176, dark}, {177, "Red & Dark red & Blue"}};
    for (const auto& [width, text] : widths) QTest::addRow("%d wide", width) << width << text;
  }
  void cellTextWithinAWidth() {
    QFETCH(int, width);
    QFETCH(QString, text);
    Loaded f;
    const auto lines = f.q.DropDownLines(1);
    QVERIFY(f.q.ClickLine(1, lines, 3));  // Blue alone
    QVERIFY(f.q.ClickLine(1, lines, 1));  // Red and Dark red too
    QCOMPARE(f.q.CellText(1, Chars, width), text);
  }
  void typingValuesAndResets() {
    Loaded f;
    TQueryCriteria& q = f.q;
    TQueryCriterion &doors = *q.Criterion(2), &title = *q.Criterion(3);
    auto r = q.CommitText(2, "Any doors");  // into an inactive row
    QCOMPARE((std::tuple{r.changed, r.rejected}), (std::tuple{false, false}));
    r = q.CommitText(2, "4");
    QCOMPARE((std::tuple{r.changed, doors.Active, doors.Value.Int32At(0)}),
             (std::tuple{true, true, 4}));
    QCOMPARE(q.CellText(2, Chars, 500) + f.db.ValueToText(kItems, "Doors", doors.Value), "44");
    // 0 is the empty value of an integer: not converted, the row stays as it was.
    r = q.CommitText(2, "0");
    QCOMPARE((std::tuple{r.rejected, r.changed, doors.Active, doors.Value.Int32At(0)}),
             (std::tuple{true, false, true, 4}));
    QCOMPARE((std::tuple{q.CommitText(2, "four").rejected, doors.Value.Int32At(0)}),
             (std::tuple{true, 4}));
    r = q.CommitText(2, "Any doors");  // select-all text into an active row
    QCOMPARE((std::tuple{r.changed, doors.Active, IsEmptyValue(doors.Value)}),
             (std::tuple{true, false, true}));
    // A string row: the empty text clears, any other text restricts.
    QCOMPARE((std::tuple{q.CommitText(3, "coupe").changed, title.Value.String()}),
             (std::tuple{true, QString("coupe")}));
    QCOMPARE((std::tuple{q.CommitText(3, QString()).changed, title.Active}),
             (std::tuple{true, false}));
    // A value in the "R" row resets the others.
    QVERIFY(q.ClickLine(1, q.DropDownLines(1), 3));
    QVERIFY(q.CommitText(3, "coupe").changed);
    r = q.CommitText(2, "2");
    QCOMPARE((std::tuple{r.changed, r.resetOthers}), (std::tuple{true, true}));
    QCOMPARE((QList{q.Criterion(1)->Active, doors.Active, title.Active}),
             (QList{false, true, false}));
    QCOMPARE((std::tuple{Flags(*q.Criterion(1)).size(), IsEmptyValue(title.Value)}),
             (std::tuple{size_t(6), true}));
    q.ResetCriteria(0);
    QCOMPARE((std::tuple{doors.Active, IsEmptyValue(doors.Value)}), (std::tuple{false, true}));
  }
  void matchingByType_data() {
    QTest::addColumn<TypeCase>("c");
    const auto i32 = [](int x) -> Setter { return [x](TFieldValue& f) { f.SetInt32At(0, x); }; };
    const auto i64 = [](int64_t x) -> Setter { return [x](TFieldValue& f) { f.SetInt64(x); }; };
    const auto f64 = [](double x) -> Setter { return [x](TFieldValue& f) { f.SetFloat64(x); }; };
    const auto f32 = [](float x) -> Setter { return [x](TFieldValue& f) { f.SetFloat32(x); }; };
    const auto r48 = [](double x) {
      return Raw(QByteArray(reinterpret_cast<const char*>(EncodeReal48(x)->data()), 6));
    };
    const double jan = DateTimeToDayNumber(QDate(1995, 1, 1), QTime());
    const double dec = DateTimeToDayNumber(QDate(1995, 12, 31), QTime(23, 59));
    const double next = DateTimeToDayNumber(QDate(1996, 1, 1), QTime());
    using enum ColumnType;
    const QByteArray nan(10, '\xff');
    // clang-format off
    const TypeCase cases[] = {
        {"byte: first byte only", ctByte, Raw("\7"), Raw("\7\11"), true},
        {"shortint", ctShortInt, Raw("\7"), Raw("\10"), false},
        {"word: both bytes", ctWord, Raw("\7\1"), Raw("\7\2"), false},
        {"comp: all 64 bits", ctComp, i64(1LL << 40), i64((1LL << 40) + 1), false},
        {"integer", ctInteger, i32(-5), i32(-5), true},
        {"integer7", ctInteger7, i32(5), i32(6), false},
        {"double", ctDouble, f64(1.5), f64(1.5), true},
        {"single", ctSingle, f32(1.5f), f32(2.5f), false},
        {"date: the same year", ctDateTime, f64(jan), f64(dec), true},
        {"date: the next year", ctDateTime, f64(dec), f64(next), false},
        {"date: no date at all", ctDateTime, f64(1e300), f64(1e300), false},
        // All 64 mantissa bits count, more than a double holds.
        {"extended: lowest bit", ctExtended, Ext(2.25), Ext(2.25, true), false},
        {"extended: lowest bit on both", ctExtended, Ext(2.25, true), Ext(2.25, true), true},
        {"extended: zeros of either sign", ctExtended, Ext(0.0), Ext(-0.0), true},
        {"extended: NaN", ctExtended, Raw(nan), Raw(nan), false},
        {"extended: unnormal", ctExtended, Ext(2.25), Ext(2.25, false, true), true},
        {"real48", ctReal48, r48(3.5), r48(3.5), true},
        {"real48: sign", ctReal48, r48(3.5), r48(-3.5), false},
        // Strings: ASCII case-insensitive, anywhere; the criterion ends up in capitals.
        {"string: anywhere, any case", ctString, Raw("oup"), Raw("A COUPE"), true},
        {"string: ASCII only", ctString, Raw("coupe"), Raw("Coup\xe9"), false},
        {"string: empty", ctString, Raw(QByteArray(1, 0)), Raw("anything"), false}};
    // clang-format on
    for (const auto& t : cases) QTest::newRow(t.what) << t;
  }
  void matchingByType() {
    QFETCH(TypeCase, c);
    TQueryCriterion q;
    q.ColumnDef = TColumnDef::NewColumn("X", c.type);
    TFieldValue v;
    q.Value = v = InitValue(c.type);
    c.wanted(q.Value);
    c.value(v);
    QCOMPARE(CriterionMatches(q, v), c.matches);
    if (c.type == ColumnType::ctString && c.matches) QCOMPARE(q.Value.String(), "OUP");
  }
  // Link lists: at most N links, stopping at the first below 1; only 4 is ticked.
  void matchingLinkLists_data() {
    QTest::addColumn<QList<int>>("links");
    QTest::addColumn<bool>("matches");
    QTest::newRow("ticked among the first two") << QList{2, 4, 0} << true;
    QTest::newRow("stopped by a 0 before it") << QList{0, 4, 0} << false;
    QTest::newRow("beyond N") << QList{1, 3, 4} << false;
    QTest::newRow("a link beyond the flags") << QList{999, 3, 4} << false;  // simply not ticked
  }
  void matchingLinkLists() {
    QFETCH(QList<int>, links);
    QFETCH(bool, matches);
    TQueryCriterion c;
    c.ColumnDef = TColumnDef::NewColumn("L", ColumnType::ctLinkList);
    c.ColumnDef.SetInt32(79, 2);
    c.Value = InitValue(ColumnType::ctLinkList);
    c.Relations = std::make_unique<TBooleanChain>(QStringLiteral("Relations"));
    c.Relations->Fill(6, false);
    c.Relations->Set(4, true);
    TFieldValue v = InitValue(ColumnType::ctLinkList);
    for (int i = 0; i < 3; ++i) v.SetInt32At(i, links[i]);
    QCOMPARE(CriterionMatches(c, v), matches);
  }
  // Not read on either side, or an unknown type code, never matches.
  void matchingNeedsReadValuesOfAKnownType() {
    TQueryCriterion c;
    TFieldValue v;
    c.ColumnDef = TColumnDef::NewColumn("X", ColumnType::ctInteger);
    c.Value = v = InitValue(ColumnType::ctInteger);
    QVERIFY(CriterionMatches(c, v));
    for (int k = 0; k < 3; ++k) {
      TFieldValue value = v;
      c.Value.NotRead = k == 1, value.NotRead = k == 0;
      if (k == 2) value.Type = 15;
      QVERIFY2(!CriterionMatches(c, value), qPrintable(QString::number(k)));
    }
  }
};

QTEST_GUILESS_MAIN(TestQueryCriteria)
#include "TestQueryCriteria.moc"
