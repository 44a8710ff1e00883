// Tests of column records, field values and their text conversions.
#include "database/ColumnDefinitions.h"
#include "database/DayNumbers.h"
#include "database/FieldText.h"
#include "database/FieldValue.h"
#include "database/NumberEncodings.h"

#include <QTest>

#include <cmath>

using namespace orlaventis;

namespace {

using enum ColumnType;

TColumnDef Column(ColumnType type, uint8_t style = 0) {
  TColumnDef c = TColumnDef::NewColumn(QStringLiteral("C"), type);
  c.SetStyle(style);
  return c;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> l) { return {l.begin(), l.end()}; }
// Decodes 6 bytes as a 6-byte real, 10 as an extended.
double Stored(const std::vector<uint8_t>& b) {
  if (b.size() == 6) return DecodeReal48(std::span<const uint8_t, 6>(b.data(), 6));
  return DecodeExtended(std::span<const uint8_t, 10>(b.data(), 10));
}
// Typed text into a column of whole numbers: the value read back is, for ctComp, the whole value;
// for ctBoolean and ctByte, byte 0; for ctInteger, 32 bits. Booleans: case matters, "No" yields
// what is already held, else the column's default.
struct IntegerCase {
  ColumnType type;
  int style, defaultInteger;
  const char* text;
  bool converts;
  int64_t integer;
};
// clang-format off
const IntegerCase kIntegerCases[] = {
    {ctComp, 0, 0, "2.5", true, 2}, {ctComp, 0, 0, "3.5", true, 4},
    {ctBoolean, 0, 0, "Yes", true, 1}, {ctBoolean, 0, 0, "yes", false, 0},
    {ctBoolean, 0, 0, "No", false, 0}, {ctBoolean, 2, 1, "Maybe", false, 1},
    {ctByte, 0, 9, "300", true, 44}, {ctByte, 0, 9, "0", false, 9}, {ctByte, 0, 9, "12a", false, 9},
    {ctInteger, 0, 0, "  -$10", true, -16}, {ctInteger, 0, 0, "$FFFFFFFF", true, -1}};
// clang-format on

// A number or a day number and its text in a style; `decimals` only for numbers, `converts`
// only for typed text.
struct TextCase {
  int style, decimals;
  double value;
  const char* text;
  bool converts = true;
};

}  // namespace

Q_DECLARE_METATYPE(IntegerCase)
Q_DECLARE_METATYPE(TextCase)

class TestFieldValues : public QObject {
  Q_OBJECT
  QLocale locale_;  // the date locale the conversions are given
 private Q_SLOTS:
  void init() { locale_ = QLocale(QLocale::English, QLocale::UnitedKingdom); }

  void columnRecordsAndEmptyValues() {
    TColumnDef bad = Column(ctByte), links = Column(ctLinkList);
    bad.bytes[70] = 15;  // no such type
    links.SetInt32(79, -2);
    QCOMPARE((QList<int64_t>{FieldSize(bad), FieldSize(links)}), (QList<int64_t>{0, 0}));
    links.SetInt32(79, 0x7FFFFFFF);  // no 32-bit overflow
    QCOMPARE(FieldSize(links), int64_t{4} * 0x7FFFFFFF);
    QVERIFY(InitValue(ctDateTime).Float64() == 1.0);
    for (int code = 0; code < kColumnTypeCount; ++code) {
      TFieldValue v = InitValue(static_cast<uint8_t>(code));
      QVERIFY(IsEmptyValue(v));
      QCOMPARE(v.NotRead, 0);
      v.Data[0] = 1;
      if (code != static_cast<int>(ctDateTime)) QVERIFY(!IsEmptyValue(v));
    }
    TFieldValue s = InitValue(ctString);
    s.Data[1] = 'x';  // text still empty: the first byte ends it
    QVERIFY(IsEmptyValue(s));
    // Names: cut to 63 characters, single-byte only.
    TColumnDef c;
    QVERIFY(c.SetName(QString(70, 'n')));
    QCOMPARE((std::tuple{c.NameLength(), c.Name()}), (std::tuple{63, QString(63, 'n')}));
    QVERIFY(!c.SetName("\u0101"));
    c.bytes[5] = 200;  // a damaged length byte reads no further than the name field
    QCOMPARE(c.Name().size(), 63);
    QVERIFY(!ColumnTypeFromName("float"));
  }
  void readsStringAndLinkListFields() {
    TColumnDef c = Column(ctString);
    c.SetWord(71, 10);
    TFieldValue v;
    ReadField(Bytes({'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0}), c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE(FieldText(c, v, locale_), "ABC");
    ReadField(Bytes({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'X'}), c, false, v);
    QCOMPARE(FieldText(c, v, locale_), "abcdefghij");
    ReadField(Bytes({'a', 'b', 'c'}), c, false, v);  // short: not read
    QCOMPARE(v.NotRead, 1);
    QVERIFY(IsEmptyValue(v));
    c.SetWord(71, 4);
    ReadField(Bytes({193, 194, 195, 127}), c, true, v);  // scrambled; 127 reads as 0
    QCOMPARE(v.String(), QStringLiteral("BCD"));
    ReadField(Bytes({0, 0x80, 200, 72}), c, true, v);  // 0 -> 127, 128 -> 1, 200 -> 73
    QCOMPARE(std::vector<uint8_t>(v.Data.begin(), v.Data.begin() + 4), Bytes({127, 1, 73, 199}));
    QCOMPARE(v.StringBytes().size(), 4);
    for (int b = 0; b <= 253; ++b)  // writing and reading scrambled strings agree
      QCOMPARE(UnscrambleStringByte(*ScrambleStringByte(static_cast<uint8_t>(b))), uint8_t(b));
    QCOMPARE((QList{ScrambleStringByte(254), ScrambleStringByte(255)}),
             (QList<std::optional<uint8_t>>(2)));  // no scrambled form
    // A field wider than a value: read whole, keep 255 characters.
    c.SetWord(71, 300);
    std::vector<uint8_t> wide(300, 'w');
    ReadField(wide, c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE(FieldText(c, v, locale_), QString(255, 'w'));
    ReadField(std::span<const uint8_t>(wide).first(299), c, false, v);  // one byte short
    QVERIFY(!v.IsRead());
    // Link lists, into a fresh value.
    c = Column(ctLinkList);
    c.SetInt32(79, 3);
    v = TFieldValue();
    ReadField(Bytes({3, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}), c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE((QList{v.Int32At(0), v.Int32At(2), v.Int32At(3)}), (QList{3, 5, 0}));
    c.SetInt32(79, 60);  // more links than a value holds: all read, first 50 kept
    std::vector<uint8_t> many(240);
    for (int i = 0; i < 60; ++i) many[4 * i] = static_cast<uint8_t>(i + 1);
    ReadField(many, c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE((QList{v.Int32At(49), v.Int32At(50)}), (QList{50, 0}));
    ReadField(std::span<const uint8_t>(many).first(239), c, false, v);
    QVERIFY(!v.IsRead());
  }
  void storedNumbers_data() {
    QTest::addColumn<QList<int>>("bytes");  // 6: a 6-byte real, 10: an extended
    QTest::addColumn<double>("value");
    // 6-byte reals: exponent extremes 2^-128 and just below 2^127, sign in byte 5, a zero exponent.
    auto row = [](const char* n, QList<int> b, double v) { QTest::newRow(n) << b << v; };
    const double ulp = std::ldexp(1.0, -39);
    // clang-format off
    row("real48 1", {0x81, 0, 0, 0, 0, 0}, 1.0);
    row("real48 -2.5", {0x82, 0, 0, 0, 0, 0xA0}, -2.5);
    row("real48 zero exponent", {0, 9, 9, 9, 9, 9}, 0.0);
    row("real48 2^-128", {1, 0, 0, 0, 0, 0}, std::ldexp(1.0, -128));
    row("real48 lowest fraction bit", {0x81, 1, 0, 0, 0, 0}, 1.0 + ulp);
    row("real48 most negative", {255, 255, 255, 255, 255, 255}, (ulp - 2) * std::ldexp(1.0, 126));
    row("extended 1", {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, 1.0);
    row("extended -2.5", {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}, -2.5);
    row("extended below every double", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.0);
    row("extended smallest denormal", {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}, 5e-324);
    row("extended bit below integer", {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}, 1.5);
    // clang-format on
  }
  void storedNumbers() {
    QFETCH(QList<int>, bytes);
    QFETCH(double, value);
    QCOMPARE(Stored(std::vector<uint8_t>(bytes.cbegin(), bytes.cend())), value);
  }
  void numberEncodings() {
    for (double x : {0.1, 123456.789, -1e-30, 1.5e38})
      QVERIFY(std::fabs(DecodeReal48(*EncodeReal48(x)) - x) <= std::fabs(x) * 1e-11);
    QVERIFY(!EncodeReal48(1e39));
    QVERIFY(!EncodeReal48(NAN));
    for (double d : {3.141592653589793, -1e300, 5e-324, 0.0})
      QCOMPARE(DecodeExtended(EncodeExtended(d)), d);
    QVERIFY(std::isinf(DecodeExtended(EncodeExtended(INFINITY))));
    QVERIFY(std::isnan(DecodeExtended(EncodeExtended(NAN))));
    QVERIFY(std::isinf(Stored({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F})));  // beyond double
    // Zero with the sign bit: a negative zero, empty, shown as zero.
    const double nz = Stored({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80});
    QVERIFY(nz == 0.0);
    QVERIFY(std::signbit(nz));
    TFieldValue ext = InitValue(ctExtended);
    ext.Data[9] = 0x80;
    QVERIFY(IsEmptyValue(ext));
    QCOMPARE(FieldText(Column(ctExtended), ext, locale_), "0.00");
  }
  void numberTexts_data() {
    QTest::addColumn<TextCase>("c");
    // Exact halves round away from zero; style 1 and 2 keep the sign in front; an unknown style
    // is a plain point.
    // clang-format off
    const TextCase rows[] = {
        {0, 2, 2.5, "2.50"}, {1, 2, 2.5, "2,50"}, {2, 2, 2.5, "2.50%"}, {0, 0, -1234.5678, "-1235"},
        {0, 2, 0.125, "0.13"}, {0, 0, -2.5, "-3"}, {1, 3, -1234.5, "-1234,500"},
        {2, 1, -0.25, "-0.3%"}, {7, 1, 1.0, "1.0"}, {0, 2, -0.001, "0.00"},
        {0, 2, INFINITY, "INF"}};
    // clang-format on
    for (const auto& r : rows)
      QTest::addRow("style %d, %d decimals, %g", r.style, r.decimals, r.value) << r;
  }
  void numberTexts() {
    QFETCH(TextCase, c);
    QCOMPARE(NumberToText(c.style, c.decimals, c.value), QString(c.text));
  }
  void integerAndBooleanTexts() {
    QCOMPARE(IntegerNumberToText(1, 2, -5), "-5,00");
    QCOMPARE(IntegerNumberToText(0, 2, INT64_MIN), "-9223372036854775808.00");
    QCOMPARE((QStringList{BoolToText(1, 0), BoolToText(7, 1), BoolToText(0, 2), BoolToText(1, 3)}),
             (QStringList{"Yes", "True", "Off", ""}));
    QCOMPARE(NumberToText(0, 200, 1e300).size(), 255);  // display texts are cut to 255 characters
    TFieldValue v = InitValue(ctShortInt), w = InitValue(ctWord);
    v.Data[0] = w.Data[0] = w.Data[1] = 0xFF;
    QCOMPARE(FieldText(Column(ctShortInt), v, locale_), "-1");
    QCOMPARE(FieldText(Column(ctWord), w, locale_), "65535");
  }
  // Typed text into a value: the value on success, the column default or the value held on
  // failure, and the not-read flag as a failed conversion leaves it.
  void textToValueRules() {
    TColumnDef d = Column(ctDouble, 1);
    TFieldValue v = InitValue(ctDouble);
    // Into a fresh value of type t, in a column of that type.
    const auto into = [&](const char* text, ColumnType t) {
      return TextToValue(text, Column(t), (v = InitValue(t)), locale_);
    };
    const auto read = [&](const char* text) {
      return std::tuple{TextToValue(text, d, v, locale_), v.Float64()};
    };
    QCOMPARE(read("12,5"), (std::tuple{true, 12.5}));
    d.SetStyle(2);
    v = InitValue(ctDouble);
    QCOMPARE(read("12.5%"), (std::tuple{true, 12.5}));
    QVERIFY(!TextToValue("12%5", d, v, locale_));
    QCOMPARE((std::tuple{int(v.NotRead), v.Float64()}), (std::tuple{1, 12.5}));  // kept on failure
    d.SetStyle(0);
    for (const char* bad : {"1,000", "", "1.5x", "e5", "--1", "inf"})
      QVERIFY2(!TextToValue(QString::fromLatin1(bad), d, v, locale_), bad);
    QCOMPARE(read(" -1.5e2 "), (std::tuple{true, -150.0}));
    QVERIFY(!into("1e19", ctComp));
    QVERIFY(!into("1e39", ctSingle));
    QVERIFY(into("0.5", ctReal48));
    QCOMPARE(FieldText(Column(ctReal48), v, locale_), "0.50");
    // Only "$" introduces hexadecimal digits; blanks only lead.
    for (const char* bad : {"0x10", "$", "-", "1 ", "$G", "1.0", "+-1", "2147483648"})
      QVERIFY2(!TextToInteger(QString::fromLatin1(bad)), bad);
    QCOMPARE(
        (QList{TextToInteger("$00000000F"), TextToInteger("+7"), TextToInteger("-2147483648")}),
        (QList<std::optional<int64_t>>{15, 7, -2147483648LL}));
    const TColumnDef s = Column(ctString);
    QVERIFY(TextToValue(QString(300, 'z'), s, (v = InitValue(ctString)), locale_));
    QCOMPARE(v.String().size(), 255);
    QVERIFY(TextToValue(QString(), s, v, locale_));
    QVERIFY(IsEmptyValue(v));
    QVERIFY(!TextToValue("\u0101", s, v, locale_));  // no single-byte form
    v = InitValue(ctLinkList);
    v.NotRead = 1;
    QVERIFY(TextToValue("3", Column(ctLinkList), v, locale_));
    QCOMPARE(v.Int32At(0), 0);  // nothing converted, flag cleared
  }
  // Per column: the text, whether it converts, and the first bytes of the value after it.
  void textIntoIntegerColumns_data() {
    QTest::addColumn<IntegerCase>("c");
    for (const IntegerCase& c : kIntegerCases)
      QTest::addRow("\"%s\" into type %d", c.text, int(c.type)) << c;  // each text once
  }
  void textIntoIntegerColumns() {
    QFETCH(IntegerCase, c);
    TColumnDef column = Column(c.type, c.style);
    column.SetDefaultInteger(c.defaultInteger);
    TFieldValue v = InitValue(c.type);
    QCOMPARE(TextToValue(QString::fromLatin1(c.text), column, v, locale_), c.converts);
    int64_t got = c.type == ctComp ? v.Int64() : c.type == ctInteger ? v.Int32At(0) : v.Data[0];
    QCOMPARE(got, c.integer);
  }
  void dayNumbers() {
    QCOMPARE(DayNumberToDateTime(693594.0 - 1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    QCOMPARE(DateTimeToDayNumber(QDate(1899, 12, 29), QTime(6, 0)), 693594.0 - 1.25);
    QVERIFY(!DayNumberToDateTime(NAN).isValid());
    QVERIFY(!DayNumberToDateTime(1e300).isValid());
    QCOMPARE(DateTimeToText(2, 1e300, locale_), QString());
  }
  void dateStylesInAPinnedLocale_data() {
    QTest::addColumn<TextCase>("c");
    const double day = DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5, 9));
    // clang-format off
    const TextCase styles[] = {
        {2, 0, 693594.0, "30/12/1899"}, {2, 0, 1.0, "01/01/0001"}, {0, 0, day, "29/02/2024 13:05"},
        {1, 0, day, "Thursday, 29 February 2024 13:05:09"},
        {3, 0, day, "Thursday, 29 February 2024"}, {4, 0, day, "13:05"}, {5, 0, day, "13:05:09"},
        {9, 0, day, "29/02/2024 13:05:09"}, {9, 0, std::floor(day), "29/02/2024"}};
    // clang-format on
    for (const auto& s : styles) QTest::addRow("style %d: %s", s.style, s.text) << s;
  }
  void dateStylesInAPinnedLocale() {
    QFETCH(TextCase, c);
    QCOMPARE(DateTimeToText(c.style, c.value, locale_), QString(c.text));
  }
  // Text into a date column: what converts, the value after it, and the text it shows then.
  void textIntoDateColumns_data() {
    QTest::addColumn<TextCase>("c");  // the value: the default 5.0 on failure
    const double day = std::floor(DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5, 9)));
    const double dayTime = DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5));
    QTest::newRow("date") << TextCase{2, 0, day, "29/02/2024"};
    QTest::newRow("no such day") << TextCase{2, 0, 5.0, "31/02/2024", false};
    QTest::newRow("empty") << TextCase{2, 0, 5.0, "", false};
    QTest::newRow("the empty day number") << TextCase{2, 0, 5.0, "01/01/0001", false};  // no date
    QTest::newRow("time") << TextCase{4, 0, 693594.75, "18:00"};
    QTest::newRow("date and time") << TextCase{0, 0, dayTime, "29/02/2024 13:05"};
  }
  void textIntoDateColumns() {
    QFETCH(TextCase, c);
    TColumnDef column = Column(ctDateTime, uint8_t(c.style));
    column.SetDefaultDayNumber(5.0);
    TFieldValue v = InitValue(ctDateTime);
    QCOMPARE(TextToValue(c.text, column, v, locale_), c.converts);
    QCOMPARE(v.Float64(), c.value);
    if (c.converts) QCOMPARE(FieldText(column, v, locale_), QString(c.text));
  }
  // "M/d/yy" (en_US): two digits name a year of the hundred ending 20 years from now; what
  // no calendar has is refused; date and time read back in both forms.
  void twoDigitYearsInAPinnedLocale_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");  // invalid: refused
    const int year = QDate::currentDate().year();
    const auto yy = [](int y) { return QString::number(y % 100).rightJustified(2, u'0'); };
    QTest::newRow("20 years from now") << "1/2/" + yy(year + 20) << QDate(year + 20, 1, 2);
    QTest::newRow("21 years on") << "1/2/" + yy(year + 21) << QDate(year - 79, 1, 2);
    QTest::newRow("four digits") << QString("12/31/1957") << QDate(1957, 12, 31);
    QTest::newRow("no such day") << QString("2/30/05") << QDate();
    QTest::newRow("one digit") << QString("6/1/5") << QDate();
    QTest::newRow("three digits") << QString("6/1/205") << QDate();
  }
  void twoDigitYearsInAPinnedLocale() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    locale_ = QLocale(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(DayNumberToDateTime(ParseDateTime(text, 2, locale_).value_or(NAN)).date(), date);
  }
  // Date styles follow the locale; en_US date and time read back in both year forms.
  void datesInOtherLocales() {
    locale_ = QLocale(QLocale::Dutch, QLocale::Netherlands);
    const double leapDay = DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5, 9));
    QCOMPARE(DateTimeToText(3, leapDay, locale_), QStringLiteral("donderdag 29 februari 2024"));
    locale_ = QLocale(QLocale::English, QLocale::UnitedStates);
    const double day = DateTimeToDayNumber(QDate(2005, 6, 1), QTime(13, 30));
    const QString shown = DateTimeToText(0, day, locale_);
    QVERIFY2(shown.startsWith(QStringLiteral("6/1/2005 ")), qPrintable(shown));
    QCOMPARE(ParseDateTime(QString(shown).replace("2005", "05"), 0, locale_), std::optional(day));
  }
};

QTEST_GUILESS_MAIN(TestFieldValues)
#include "TestFieldValues.moc"
