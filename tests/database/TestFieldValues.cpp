// Tests of column records, field values, number encodings, day numbers and their text conversions.
#include "database/ColumnDefinitions.h"
#include "database/DayNumbers.h"
#include "database/FieldText.h"
#include "database/FieldValue.h"
#include "database/NumberEncodings.h"

#include <QTest>

#include <cmath>

using namespace orlaventis;

namespace {

TColumnDef Column(ColumnType type, uint8_t style = 0) {
  TColumnDef c = TColumnDef::NewColumn(QStringLiteral("C"), type);
  c.SetStyle(style);
  return c;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) { return std::vector<uint8_t>(list.begin(), list.end()); }
double Real48(std::initializer_list<int> b) { return DecodeReal48(std::span<const uint8_t, 6>(Bytes(b).data(), 6)); }
double Extended(std::initializer_list<int> b) { return DecodeExtended(std::span<const uint8_t, 10>(Bytes(b).data(), 10)); }

}  // namespace

class TestFieldValues : public QObject {
  Q_OBJECT
  QLocale locale_;  // the date locale the conversions are given

 private Q_SLOTS:
  void init() { locale_ = QLocale(QLocale::English, QLocale::UnitedKingdom); }

  void fieldSizesAndEmptyValues() {
    TColumnDef bad = Column(ColumnType::ctByte), links = Column(ColumnType::ctLinkList);
    bad.bytes[70] = 15;  // no such type
    links.SetInt32(79, -2);
    QVERIFY(FieldSize(bad) == 0 && FieldSize(links) == 0);
    links.SetInt32(79, 0x7FFFFFFF);  // no 32-bit overflow
    QVERIFY(FieldSize(links) == int64_t{4} * 0x7FFFFFFF && InitValue(ColumnType::ctDateTime).Float64() == 1.0);
    for (int code = 0; code < kColumnTypeCount; ++code) {
      TFieldValue v = InitValue(static_cast<uint8_t>(code));
      QVERIFY(IsEmptyValue(v) && v.NotRead == 0);
      v.Data[0] = 1;
      if (code != static_cast<int>(ColumnType::ctDateTime)) QVERIFY(!IsEmptyValue(v));
    }
    TFieldValue s = InitValue(ColumnType::ctString);
    s.Data[1] = 'x';  // text still empty: the first byte ends it
    QVERIFY(IsEmptyValue(s));
  }

  void columnRecordNames() {
    TColumnDef c;
    QVERIFY(c.SetName(QString(70, 'n')) && c.NameLength() == 63 && c.Name() == QString(63, 'n'));
    QVERIFY(!c.SetName("\u0101"));
    c.bytes[5] = 200;  // a damaged length byte reads no further than the name field
    QVERIFY(c.Name().size() == 63 && !ColumnTypeFromName("float"));
  }

  void readsStringFields() {
    TColumnDef c = Column(ColumnType::ctString);
    c.SetWord(71, 10);
    TFieldValue v;
    ReadField(Bytes({'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0}), c, false, v);
    QVERIFY(v.IsRead() && FieldText(c, v, locale_) == "ABC");
    ReadField(Bytes({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'X'}), c, false, v);
    QVERIFY(FieldText(c, v, locale_) == "abcdefghij");
    ReadField(Bytes({'a', 'b', 'c'}), c, false, v);  // short: not read
    QVERIFY(v.NotRead == 1 && IsEmptyValue(v));
    c.SetWord(71, 4);
    ReadField(Bytes({193, 194, 195, 127}), c, true, v);  // scrambled; 127 reads as 0
    QCOMPARE(v.String(), QStringLiteral("BCD"));
    ReadField(Bytes({0, 0x80, 200, 72}), c, true, v);  // 0 -> 127, 128 -> 1, 200 -> 73
    QVERIFY(std::vector<uint8_t>(v.Data.begin(), v.Data.begin() + 4) == Bytes({127, 1, 73, 199}) && v.StringBytes().size() == 4);
    for (int b = 0; b <= 253; ++b)  // writing and reading scrambled strings agree
      QCOMPARE(UnscrambleStringByte(*ScrambleStringByte(static_cast<uint8_t>(b))), uint8_t(b));
    QVERIFY(!ScrambleStringByte(254) && !ScrambleStringByte(255));
    // A field wider than a value: read whole, keep 255 characters.
    c.SetWord(71, 300);
    std::vector<uint8_t> wide(300, 'w');
    ReadField(wide, c, false, v);
    QVERIFY(v.IsRead() && FieldText(c, v, locale_) == QString(255, 'w'));
    ReadField(std::span<const uint8_t>(wide).first(299), c, false, v);  // one byte short
    QVERIFY(!v.IsRead());
  }

  void readsLinkLists() {
    TColumnDef c = Column(ColumnType::ctLinkList);
    c.SetInt32(79, 3);
    TFieldValue v;
    ReadField(Bytes({3, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}), c, false, v);
    QVERIFY(v.IsRead() && v.Int32At(0) == 3 && v.Int32At(2) == 5 && v.Int32At(3) == 0);
    c.SetInt32(79, 60);  // more links than a value holds: all read, first 50 kept
    std::vector<uint8_t> many(240);
    for (int i = 0; i < 60; ++i) many[4 * i] = static_cast<uint8_t>(i + 1);
    ReadField(many, c, false, v);
    QVERIFY(v.IsRead() && v.Int32At(49) == 50 && v.Int32At(50) == 0);
    ReadField(std::span<const uint8_t>(many).first(239), c, false, v);
    QVERIFY(!v.IsRead());
  }

  void numberEncodings() {
    // 6-byte reals: exponent extremes 2^-128 and just below 2^127, sign in byte 5, a zero exponent.
    const std::pair<double, double> reals[] = {
        {Real48({0x81, 0, 0, 0, 0, 0}), 1.0}, {Real48({0x82, 0, 0, 0, 0, 0xA0}), -2.5}, {Real48({0, 9, 9, 9, 9, 9}), 0.0},
        {Real48({1, 0, 0, 0, 0, 0}), std::ldexp(1.0, -128)}, {Real48({0x81, 1, 0, 0, 0, 0}), 1.0 + std::ldexp(1.0, -39)},
        {Real48({255, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), -(2.0 - std::ldexp(1.0, -39)) * std::ldexp(1.0, 126)},
        // Extended: an extended denormal (below every double), the smallest double denormal,
        // and a fraction bit just below the integer bit.
        {Extended({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0}, {Extended({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}), -2.5},
        {Extended({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0}, {Extended({0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}), 5e-324},
        {Extended({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}), 1.5}};
    for (const auto& [got, want] : reals) QCOMPARE(got, want);
    for (double x : {0.1, 123456.789, -1e-30, 1.5e38})
      QVERIFY(std::fabs(DecodeReal48(*EncodeReal48(x)) - x) <= std::fabs(x) * 1e-11);
    QVERIFY(!EncodeReal48(1e39) && !EncodeReal48(NAN));
    for (double d : {3.141592653589793, -1e300, 5e-324, 0.0}) QCOMPARE(DecodeExtended(EncodeExtended(d)), d);
    QVERIFY(std::isinf(DecodeExtended(EncodeExtended(INFINITY))) && std::isnan(DecodeExtended(EncodeExtended(NAN))));
    QVERIFY(std::isinf(Extended({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F})));  // beyond double: infinite
    // Zero with the sign bit: a negative zero, empty, shown as zero.
    const double nz = Extended({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80});
    QVERIFY(nz == 0.0 && std::signbit(nz));
    TFieldValue ext = InitValue(ColumnType::ctExtended);
    ext.Data[9] = 0x80;
    QVERIFY(IsEmptyValue(ext) && FieldText(Column(ColumnType::ctExtended), ext, locale_) == "0.00");
  }

  void numberAndBooleanTexts() {
    // Exact halves round away from zero; style 1 and 2 keep the sign in front; an unknown style
    // is a plain point; display texts are cut to 255 characters.
    const struct { QString got; const char* want; } texts[] = {
        {NumberToText(0, 2, 2.5), "2.50"},         {NumberToText(1, 2, 2.5), "2,50"},
        {NumberToText(2, 2, 2.5), "2.50%"},        {NumberToText(0, 0, -1234.5678), "-1235"},
        {NumberToText(0, 2, 0.125), "0.13"},       {NumberToText(0, 0, -2.5), "-3"},
        {NumberToText(1, 3, -1234.5), "-1234,500"}, {NumberToText(2, 1, -0.25), "-0.3%"},
        {NumberToText(7, 1, 1.0), "1.0"},          {IntegerNumberToText(1, 2, -5), "-5,00"},
        {NumberToText(0, 2, -0.001), "0.00"},      {NumberToText(0, 2, INFINITY), "INF"},
        {IntegerNumberToText(0, 2, std::numeric_limits<int64_t>::min()), "-9223372036854775808.00"},
        {BoolToText(1, 0), "Yes"},                 {BoolToText(7, 1), "True"},
        {BoolToText(0, 2), "Off"},                 {BoolToText(1, 3), ""},
    };
    for (const auto& t : texts) QCOMPARE(t.got, QString::fromLatin1(t.want));
    QCOMPARE(NumberToText(0, 200, 1e300).size(), 255);
    TFieldValue v = InitValue(ColumnType::ctShortInt), w = InitValue(ColumnType::ctWord);
    v.Data[0] = w.Data[0] = w.Data[1] = 0xFF;
    QCOMPARE(FieldText(Column(ColumnType::ctShortInt), v, locale_) + FieldText(Column(ColumnType::ctWord), w, locale_), QStringLiteral("-165535"));
  }

  // Typed text into a value: the value on success, the column default or the value held on
  // failure, and the not-read flag as a failed conversion leaves it.
  void textToValueRules() {
    TColumnDef d = Column(ColumnType::ctDouble, 1);
    TFieldValue v = InitValue(ColumnType::ctDouble);
    QVERIFY(TextToValue("12,5", d, v, locale_) && v.Float64() == 12.5);
    d.SetStyle(2);
    QVERIFY(TextToValue("12.5%", d, (v = InitValue(ColumnType::ctDouble)), locale_) && v.Float64() == 12.5);
    QVERIFY(!TextToValue("12%5", d, v, locale_) && v.NotRead == 1 && v.Float64() == 12.5);  // unchanged on failure
    d.SetStyle(0);
    for (const char* bad : {"1,000", "", "1.5x", "e5", "--1", "inf"}) QVERIFY2(!TextToValue(QString::fromLatin1(bad), d, v, locale_), bad);
    QVERIFY(TextToValue(" -1.5e2 ", d, v, locale_) && v.Float64() == -150.0);
    // Per column: the text, whether it converts, and the first bytes of the value after it.
    // ctComp: the whole value; ctBoolean, ctByte: byte 0; ctInteger: 32 bits.
    // Booleans: case matters, "No" yields what is already held, else the column's default.
    using enum ColumnType;
    const struct { ColumnType type; int style, defaultInteger; const char* text; bool converts; int64_t integer; } cases[] = {
        {ctComp, 0, 0, "2.5", true, 2}, {ctComp, 0, 0, "3.5", true, 4}, {ctBoolean, 0, 0, "Yes", true, 1},
        {ctBoolean, 0, 0, "yes", false, 0}, {ctBoolean, 0, 0, "No", false, 0}, {ctBoolean, 2, 1, "Maybe", false, 1},
        {ctByte, 0, 9, "300", true, 44}, {ctByte, 0, 9, "0", false, 9}, {ctByte, 0, 9, "12a", false, 9},
        {ctInteger, 0, 0, "  -$10", true, -16}, {ctInteger, 0, 0, "$FFFFFFFF", true, -1}};
    for (const auto& c : cases) {
      TColumnDef column = Column(c.type, c.style);
      column.SetDefaultInteger(c.defaultInteger);
      v = InitValue(c.type);
      QVERIFY2(TextToValue(QString::fromLatin1(c.text), column, v, locale_) == c.converts, c.text);
      const int64_t got = c.type == ColumnType::ctComp ? v.Int64() : c.type == ColumnType::ctInteger ? v.Int32At(0) : v.Data[0];
      QVERIFY2(got == c.integer, c.text);
    }
    QVERIFY(!TextToValue("1e19", Column(ColumnType::ctComp), (v = InitValue(ColumnType::ctComp)), locale_));
    QVERIFY(!TextToValue("1e39", Column(ColumnType::ctSingle), (v = InitValue(ColumnType::ctSingle)), locale_));
    QVERIFY(TextToValue("0.5", Column(ColumnType::ctReal48), (v = InitValue(ColumnType::ctReal48)), locale_) &&
            FieldText(Column(ColumnType::ctReal48), v, locale_) == "0.50");
    // Only "$" introduces hexadecimal digits; blanks only lead.
    for (const char* bad : {"0x10", "$", "-", "1 ", "$G", "1.0", "+-1", "2147483648"})
      QVERIFY2(!TextToInteger(QString::fromLatin1(bad)), bad);
    QCOMPARE(QList({*TextToInteger("$00000000F"), *TextToInteger("+7"), *TextToInteger("-2147483648")}),
             QList<int64_t>({15, 7, -2147483648LL}));
    const TColumnDef s = Column(ColumnType::ctString);
    QVERIFY(TextToValue(QString(300, 'z'), s, (v = InitValue(ColumnType::ctString)), locale_) && v.String().size() == 255);
    QVERIFY(TextToValue(QString(), s, v, locale_) && IsEmptyValue(v));
    QVERIFY(!TextToValue("\u0101", s, v, locale_));  // no single-byte form
    v = InitValue(ColumnType::ctLinkList);
    v.NotRead = 1;
    QVERIFY(TextToValue("3", Column(ColumnType::ctLinkList), v, locale_) && v.Int32At(0) == 0);  // nothing converted, flag cleared
  }

  void dayNumbers() {
    QCOMPARE(DayNumberToDateTime(693594.0 - 1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    QCOMPARE(DateTimeToDayNumber(QDate(1899, 12, 29), QTime(6, 0)), 693594.0 - 1.25);
    QVERIFY(!DayNumberToDateTime(NAN).isValid() && !DayNumberToDateTime(1e300).isValid() && DateTimeToText(2, 1e300, locale_).isEmpty());
  }

  void dateStylesInAPinnedLocale() {
    const double day = DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5, 9));
    const struct { int style; double day; const char* text; } styles[] = {
        {2, 693594.0, "30/12/1899"}, {2, 1.0, "01/01/0001"}, {0, day, "29/02/2024 13:05"},
        {1, day, "Thursday, 29 February 2024 13:05:09"}, {3, day, "Thursday, 29 February 2024"}, {4, day, "13:05"},
        {5, day, "13:05:09"}, {9, day, "29/02/2024 13:05:09"}, {9, std::floor(day), "29/02/2024"}};
    for (const auto& s : styles) QCOMPARE(DateTimeToText(s.style, s.day, locale_), QString::fromLatin1(s.text));
    locale_ = QLocale(QLocale::Dutch, QLocale::Netherlands);
    QCOMPARE(DateTimeToText(3, day, locale_), QStringLiteral("donderdag 29 februari 2024"));
    locale_ = QLocale(QLocale::English, QLocale::UnitedKingdom);
    // Text into a date column: what converts, and the value after it (the default 5.0 on failure).
    TColumnDef c = Column(ColumnType::ctDateTime, 2);
    c.SetDefaultDayNumber(5.0);
    const struct { int style; const char* text; bool converts; double value; } typed[] = {
        {2, "29/02/2024", true, std::floor(day)}, {2, "31/02/2024", false, 5.0}, {2, "", false, 5.0},
        {2, "01/01/0001", false, 5.0},  // the empty day number: not a date
        {4, "18:00", true, 693594.75}, {0, "29/02/2024 13:05", true, DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5))}};
    for (const auto& t : typed) {
      c.SetStyle(t.style);
      TFieldValue v = InitValue(ColumnType::ctDateTime);
      QVERIFY2(TextToValue(QString::fromLatin1(t.text), c, v, locale_) == t.converts, t.text);
      QCOMPARE(v.Float64(), t.value);
      if (t.converts) QCOMPARE(FieldText(c, v, locale_), t.style == 4 ? QStringLiteral("18:00") : QString::fromLatin1(t.text));
    }
  }

  // "M/d/yy" (en_US): two digits name a year of the hundred ending 20 years from now; what
  // no calendar has is refused; date and time read back in both forms.
  void twoDigitYearsInAPinnedLocale() {
    locale_ = QLocale(QLocale::English, QLocale::UnitedStates);
    const int year = QDate::currentDate().year();
    const auto yy = [](int y) { return QString::number(y % 100).rightJustified(2, QLatin1Char('0')); };
    const std::pair<QString, QDate> cases[] = {
        {"1/2/" + yy(year + 20), QDate(year + 20, 1, 2)}, {"1/2/" + yy(year + 21), QDate(year - 79, 1, 2)},
        {"12/31/1957", QDate(1957, 12, 31)}, {"2/30/05", {}}, {"6/1/5", {}}, {"6/1/205", {}}};
    for (const auto& [text, date] : cases)
      QCOMPARE(DayNumberToDateTime(ParseDateTime(text, 2, locale_).value_or(NAN)).date(), date);
    const double day = DateTimeToDayNumber(QDate(2005, 6, 1), QTime(13, 30));
    const QString shown = DateTimeToText(0, day, locale_);
    QVERIFY2(shown.startsWith(QStringLiteral("6/1/2005 ")), qPrintable(shown));
    QCOMPARE(ParseDateTime(QString(shown).replace("2005", "05"), 0, locale_), std::optional<double>(day));
  }
};

QTEST_GUILESS_MAIN(TestFieldValues)
#include "TestFieldValues.moc"
