// Tests of column records, field values and their text conversions.
#include "database/FieldValues.h"

#include <QTest>

#include <cmath>

using namespace orlaventis;

namespace {

TColumnDef Column(ColumnType type, uint8_t style = 0) {
  TColumnDef c = TColumnDef::NewColumn(QStringLiteral("C"), type);
  c.SetStyle(style);
  return c;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> v;
  for (int b : list) v.push_back(static_cast<uint8_t>(b));
  return v;
}

}  // namespace

class TestFieldValues : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init() { SetDateLocale(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
  void cleanup() { ResetDateLocale(); }

  void fieldSizesAndEmptyValues() {
    const int sizes[] = {1, 1, 8, 4, 8, 10, 4, 4, 8, 6, 40, 1, 4, 63, 2};
    for (int code = 0; code < kColumnTypeCount; ++code)
      QCOMPARE(FieldSize(TColumnDef::NewColumn(QStringLiteral("x"), static_cast<ColumnType>(code))),
               int64_t{sizes[code]});
    TColumnDef bad = Column(ColumnType::ctByte);
    bad.bytes[70] = 15;
    QCOMPARE(FieldSize(bad), int64_t{0});
    TColumnDef links = Column(ColumnType::ctLinkList);
    links.SetInt32(79, -2);
    QCOMPARE(FieldSize(links), int64_t{0});
    links.SetInt32(79, 0x7FFFFFFF);  // no 32-bit overflow
    QCOMPARE(FieldSize(links), int64_t{4} * 0x7FFFFFFF);

    QCOMPARE(InitValue(ColumnType::ctDateTime).Float64(), 1.0);
    QVERIFY(IsEmptyValue(InitValue(ColumnType::ctDateTime)));
    for (int code = 0; code < kColumnTypeCount; ++code) {
      TFieldValue v = InitValue(static_cast<uint8_t>(code));
      QVERIFY(IsEmptyValue(v));
      QCOMPARE(v.NotRead, uint8_t{0});
      v.Data[0] = 1;
      if (code != static_cast<int>(ColumnType::ctDateTime)) QVERIFY(!IsEmptyValue(v));
    }
    TFieldValue s = InitValue(ColumnType::ctString);
    s.Data[1] = 'x';  // text still empty: the first byte ends it
    QVERIFY(IsEmptyValue(s));
  }

  void columnRecordNames() {
    TColumnDef c;
    QVERIFY(c.SetName(QString(70, QLatin1Char('n'))));
    QCOMPARE(c.NameLength(), 63);
    QCOMPARE(c.Name(), QString(63, QLatin1Char('n')));
    QVERIFY(!c.SetName(QStringLiteral("\u0101")));
    c.bytes[5] = 200;  // a damaged length byte reads no further than the name field
    QCOMPARE(c.Name().size(), 63);
    QCOMPARE(ColumnTypeFromName(QStringLiteral("ctLinkList")), std::optional(ColumnType::ctLinkList));
    QCOMPARE(ColumnTypeFromName(QStringLiteral("Real48")), std::optional(ColumnType::ctReal48));
    QVERIFY(!ColumnTypeFromName(QStringLiteral("float")));
  }

  void readsStringFields() {
    TColumnDef c = Column(ColumnType::ctString);
    c.SetWord(71, 10);
    TFieldValue v;
    ReadField(Bytes({'A', 'B', 'C', 0, 0, 0, 0, 0, 0, 0}), c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE(FieldText(c, v), QStringLiteral("ABC"));
    ReadField(Bytes({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'X'}), c, false, v);
    QCOMPARE(FieldText(c, v), QStringLiteral("abcdefghij"));
    ReadField(Bytes({'a', 'b', 'c'}), c, false, v);  // short: not read
    QCOMPARE(v.NotRead, uint8_t{1});
    QVERIFY(IsEmptyValue(v));

    c.SetWord(71, 4);
    ReadField(Bytes({193, 194, 195, 127}), c, true, v);  // scrambled; 127 reads as 0
    QCOMPARE(v.String(), QStringLiteral("BCD"));
    ReadField(Bytes({0, 0x80, 200, 72}), c, true, v);  // 0 -> 127, 128 -> 1, 200 -> 73
    QCOMPARE(v.StringBytes().size(), size_t{4});
    QCOMPARE(v.Data[0], uint8_t{127});
    QCOMPARE(v.Data[1], uint8_t{1});
    QCOMPARE(v.Data[2], uint8_t{73});
    QCOMPARE(v.Data[3], uint8_t{199});
    for (int b = 0; b <= 253; ++b)  // writing and reading scrambled strings agree
      QCOMPARE(UnscrambleStringByte(*ScrambleStringByte(static_cast<uint8_t>(b))), uint8_t(b));
    QVERIFY(!ScrambleStringByte(254) && !ScrambleStringByte(255));

    // A field wider than a value: read whole, keep 255 characters.
    c.SetWord(71, 300);
    std::vector<uint8_t> wide(300, 'w');
    ReadField(wide, c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE(FieldText(c, v), QString(255, QLatin1Char('w')));
    wide.pop_back();
    ReadField(wide, c, false, v);
    QVERIFY(!v.IsRead());
  }

  void readsLinkLists() {
    TColumnDef c = Column(ColumnType::ctLinkList);
    c.SetInt32(79, 3);
    TFieldValue v;
    ReadField(Bytes({3, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}), c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE(v.Int32At(0), 3);
    QCOMPARE(v.Int32At(2), 5);
    QCOMPARE(v.Int32At(3), 0);
    c.SetInt32(79, 60);  // more links than a value holds: all read, first 50 kept
    std::vector<uint8_t> many(240);
    for (int i = 0; i < 60; ++i) many[4 * i] = static_cast<uint8_t>(i + 1);
    ReadField(many, c, false, v);
    QVERIFY(v.IsRead());
    QCOMPARE(v.Int32At(49), 50);
    QCOMPARE(v.Int32At(50), 0);
    many.resize(239);
    ReadField(many, c, false, v);
    QVERIFY(!v.IsRead());
  }

  void numberEncodings() {
    QCOMPARE(DecodeReal48(std::span<const uint8_t, 6>(Bytes({0x81, 0, 0, 0, 0, 0}).data(), 6)), 1.0);
    const auto r = Bytes({0x82, 0, 0, 0, 0, 0xA0});
    QCOMPARE(DecodeReal48(std::span<const uint8_t, 6>(r.data(), 6)), -2.5);
    QCOMPARE(DecodeReal48(std::span<const uint8_t, 6>(Bytes({0, 9, 9, 9, 9, 9}).data(), 6)), 0.0);
    const auto e = *EncodeReal48(-2.5);
    QCOMPARE(std::vector<uint8_t>(e.begin(), e.end()), r);
    for (double x : {0.1, 123456.789, -1e-30, 1.5e38})
      QVERIFY(std::fabs(DecodeReal48(*EncodeReal48(x)) - x) <= std::fabs(x) * 1e-11);
    QVERIFY(!EncodeReal48(1e39));
    QVERIFY(!EncodeReal48(NAN));

    const auto one = Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F});
    QCOMPARE(DecodeExtended(std::span<const uint8_t, 10>(one.data(), 10)), 1.0);
    const auto x = Bytes({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0});
    QCOMPARE(DecodeExtended(std::span<const uint8_t, 10>(x.data(), 10)), -2.5);
    const auto ex = EncodeExtended(-2.5);
    QCOMPARE(std::vector<uint8_t>(ex.begin(), ex.end()), x);
    for (double d : {3.141592653589793, -1e300, 5e-324, 0.0})
      QCOMPARE(DecodeExtended(EncodeExtended(d)), d);
    QVERIFY(std::isinf(DecodeExtended(EncodeExtended(INFINITY))));
    QVERIFY(std::isnan(DecodeExtended(EncodeExtended(NAN))));
    // Exponent extremes of the 6-byte real: 2^-128 and just below 2^127, sign in byte 5.
    QCOMPARE(DecodeReal48(std::span<const uint8_t, 6>(Bytes({1, 0, 0, 0, 0, 0}).data(), 6)),
             std::ldexp(1.0, -128));
    QCOMPARE(DecodeReal48(std::span<const uint8_t, 6>(Bytes({255, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}).data(), 6)),
             -(2.0 - std::ldexp(1.0, -39)) * std::ldexp(1.0, 126));
    QCOMPARE(DecodeReal48(std::span<const uint8_t, 6>(Bytes({0x81, 1, 0, 0, 0, 0}).data(), 6)),
             1.0 + std::ldexp(1.0, -39));
    // Extended: zero of either sign, an extended denormal (below every double), the smallest
    // double denormal, and a fraction bit just below the integer bit.
    const auto negZero = Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80});
    const double nz = DecodeExtended(std::span<const uint8_t, 10>(negZero.data(), 10));
    QVERIFY(nz == 0.0 && std::signbit(nz));
    TFieldValue ext = InitValue(ColumnType::ctExtended);
    std::copy(negZero.begin(), negZero.end(), ext.Data.begin());
    QVERIFY(IsEmptyValue(ext));
    QCOMPARE(FieldText(Column(ColumnType::ctExtended), ext), QStringLiteral("0.00"));
    const auto denormal = Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    QCOMPARE(DecodeExtended(std::span<const uint8_t, 10>(denormal.data(), 10)), 0.0);
    const auto tiny = Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B});  // 2^(15309-16383)
    QCOMPARE(DecodeExtended(std::span<const uint8_t, 10>(tiny.data(), 10)), 5e-324);
    const auto threeHalves = Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
    QCOMPARE(DecodeExtended(std::span<const uint8_t, 10>(threeHalves.data(), 10)), 1.5);
    const auto huge = Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F});  // beyond double: infinite
    QVERIFY(std::isinf(DecodeExtended(std::span<const uint8_t, 10>(huge.data(), 10))));
  }

  void numberAndBooleanTexts() {
    QCOMPARE(NumberToText(0, 2, 2.5), QStringLiteral("2.50"));
    QCOMPARE(NumberToText(1, 2, 2.5), QStringLiteral("2,50"));
    QCOMPARE(NumberToText(2, 2, 2.5), QStringLiteral("2.50%"));
    QCOMPARE(NumberToText(0, 0, -1234.5678), QStringLiteral("-1235"));
    // Exact halves round away from zero; style 1 and 2 keep the sign in front.
    QCOMPARE(NumberToText(0, 2, 0.125), QStringLiteral("0.13"));
    QCOMPARE(NumberToText(0, 0, 2.5), QStringLiteral("3"));
    QCOMPARE(NumberToText(0, 0, -2.5), QStringLiteral("-3"));
    QCOMPARE(NumberToText(1, 3, -1234.5), QStringLiteral("-1234,500"));
    QCOMPARE(NumberToText(2, 1, -0.25), QStringLiteral("-0.3%"));
    QCOMPARE(NumberToText(7, 1, 1.0), QStringLiteral("1.0"));  // an unknown style: plain point
    QCOMPARE(IntegerNumberToText(1, 2, -5), QStringLiteral("-5,00"));
    QCOMPARE(IntegerNumberToText(2, 0, 12), QStringLiteral("12%"));
    QCOMPARE(NumberToText(0, 2, -0.001), QStringLiteral("0.00"));
    QCOMPARE(NumberToText(0, 2, INFINITY), QStringLiteral("INF"));
    QCOMPARE(NumberToText(0, 200, 1e300).size(), 255);  // display texts are cut
    QCOMPARE(IntegerNumberToText(0, 2, std::numeric_limits<int64_t>::min()),
             QStringLiteral("-9223372036854775808.00"));
    QCOMPARE(BoolToText(1, 0), QStringLiteral("Yes"));
    QCOMPARE(BoolToText(7, 1), QStringLiteral("True"));
    QCOMPARE(BoolToText(0, 2), QStringLiteral("Off"));
    QCOMPARE(BoolToText(1, 3), QString());

    TColumnDef byteColumn = Column(ColumnType::ctShortInt);
    TFieldValue v = InitValue(ColumnType::ctShortInt);
    v.Data[0] = 0xF9;
    QCOMPARE(FieldText(byteColumn, v), QStringLiteral("-7"));
    TColumnDef word = Column(ColumnType::ctWord);
    v = InitValue(ColumnType::ctWord);
    v.Data[0] = 0xFF, v.Data[1] = 0xFF;
    QCOMPARE(FieldText(word, v), QStringLiteral("65535"));
  }

  void textToValueRules() {
    TColumnDef d = Column(ColumnType::ctDouble, 1);
    TFieldValue v = InitValue(ColumnType::ctDouble);
    QVERIFY(TextToValue(QStringLiteral("12,5"), d, v));
    QCOMPARE(v.Float64(), 12.5);
    d.SetStyle(2);
    v = InitValue(ColumnType::ctDouble);
    QVERIFY(TextToValue(QStringLiteral("12.5%"), d, v));
    QCOMPARE(v.Float64(), 12.5);
    QVERIFY(!TextToValue(QStringLiteral("12%5"), d, v));
    QCOMPARE(v.NotRead, uint8_t{1});
    QCOMPARE(v.Float64(), 12.5);  // unchanged on failure
    d.SetStyle(0);
    for (const char* bad : {"1,000", "", "1.5x", "e5", "--1", "inf"})
      QVERIFY2(!TextToValue(QString::fromLatin1(bad), d, v), bad);
    QVERIFY(TextToValue(QStringLiteral(" -1.5e2 "), d, v));
    QCOMPARE(v.Float64(), -150.0);

    TColumnDef comp = Column(ColumnType::ctComp);
    v = InitValue(ColumnType::ctComp);
    QVERIFY(TextToValue(QStringLiteral("2.5"), comp, v));
    QCOMPARE(v.Int64(), int64_t{2});
    QVERIFY(TextToValue(QStringLiteral("3.5"), comp, v));
    QCOMPARE(v.Int64(), int64_t{4});
    QVERIFY(!TextToValue(QStringLiteral("1e19"), comp, v));

    TColumnDef single = Column(ColumnType::ctSingle);
    v = InitValue(ColumnType::ctSingle);
    QVERIFY(!TextToValue(QStringLiteral("1e39"), single, v));
    TColumnDef real = Column(ColumnType::ctReal48);
    v = InitValue(ColumnType::ctReal48);
    QVERIFY(TextToValue(QStringLiteral("0.5"), real, v));
    QCOMPARE(FieldText(real, v), QStringLiteral("0.50"));

    TColumnDef b = Column(ColumnType::ctBoolean, 0);
    b.SetDefaultInteger(0);
    v = InitValue(ColumnType::ctBoolean);
    QVERIFY(TextToValue(QStringLiteral("Yes"), b, v));
    QCOMPARE(v.Data[0], uint8_t{1});
    v = InitValue(ColumnType::ctBoolean);
    QVERIFY(!TextToValue(QStringLiteral("yes"), b, v));  // case matters
    QVERIFY(!TextToValue(QStringLiteral("No"), b, v));   // yields what is already held
    b.SetStyle(2);
    b.SetDefaultInteger(1);
    v = InitValue(ColumnType::ctBoolean);
    QVERIFY(!TextToValue(QStringLiteral("Maybe"), b, v));
    QCOMPARE(v.Data[0], uint8_t{1});  // the column's default

    TColumnDef by = Column(ColumnType::ctByte);
    by.SetDefaultInteger(9);
    v = InitValue(ColumnType::ctByte);
    QVERIFY(TextToValue(QStringLiteral("300"), by, v));
    QCOMPARE(v.Data[0], uint8_t{44});
    v = InitValue(ColumnType::ctByte);
    QVERIFY(!TextToValue(QStringLiteral("0"), by, v));
    QCOMPARE(v.Data[0], uint8_t{9});
    v = InitValue(ColumnType::ctByte);
    QVERIFY(!TextToValue(QStringLiteral("12a"), by, v));
    QCOMPARE(v.Data[0], uint8_t{9});
    TColumnDef in = Column(ColumnType::ctInteger);
    v = InitValue(ColumnType::ctInteger);
    QVERIFY(TextToValue(QStringLiteral("  -$10"), in, v));
    QCOMPARE(v.Int32At(0), -16);
    QVERIFY(TextToValue(QStringLiteral("$FFFFFFFF"), in, v));
    QCOMPARE(v.Int32At(0), -1);
    QVERIFY(!TextToInteger(QStringLiteral("2147483648")));
    // Only "$" introduces hexadecimal digits; blanks only lead.
    for (const char* bad : {"0x10", "$", "-", "1 ", "$G", "1.0", "+-1"})
      QVERIFY2(!TextToInteger(QString::fromLatin1(bad)), bad);
    QCOMPARE(TextToInteger(QStringLiteral("$00000000F")), std::optional<int64_t>(15));
    QCOMPARE(TextToInteger(QStringLiteral("+7")), std::optional<int64_t>(7));
    QCOMPARE(TextToInteger(QStringLiteral("-2147483648")), std::optional<int64_t>(-2147483648LL));

    TColumnDef s = Column(ColumnType::ctString);
    v = InitValue(ColumnType::ctString);
    QVERIFY(TextToValue(QString(300, QLatin1Char('z')), s, v));
    QCOMPARE(v.String().size(), 255);
    QVERIFY(TextToValue(QString(), s, v));
    QVERIFY(IsEmptyValue(v));
    QVERIFY(!TextToValue(QStringLiteral("\u0101"), s, v));  // no single-byte form

    TColumnDef l = Column(ColumnType::ctLinkList);
    v = InitValue(ColumnType::ctLinkList);
    v.NotRead = 1;
    QVERIFY(TextToValue(QStringLiteral("3"), l, v));  // nothing converted, flag cleared
    QCOMPARE(v.Int32At(0), 0);
  }

  void dayNumbers() {
    QCOMPARE(DayNumberToDateTime(693594.0).date(), QDate(1899, 12, 30));
    QCOMPARE(DayNumberToDateTime(1.0).date(), QDate(1, 1, 1));
    QCOMPARE(DayNumberToDateTime(693594.0 - 1.25).date(), QDate(1899, 12, 29));
    QCOMPARE(DayNumberToDateTime(693594.0 - 1.25).time(), QTime(6, 0));
    QCOMPARE(DateTimeToDayNumber(QDate(1899, 12, 29), QTime(6, 0)), 693594.0 - 1.25);
    QCOMPARE(DateTimeToDayNumber(QDate(2024, 2, 29), QTime(12, 0)), 738945.5  /* platform day 45351 */);
    QVERIFY(!DayNumberToDateTime(NAN).isValid());
    QVERIFY(!DayNumberToDateTime(1e300).isValid());
    QCOMPARE(DateTimeToText(2, 1e300), QString());
  }

  void dateStylesInAPinnedLocale() {
    const double day = DateTimeToDayNumber(QDate(2024, 2, 29), QTime(13, 5, 9));
    QCOMPARE(DateTimeToText(2, 693594.0), QStringLiteral("30/12/1899"));
    QCOMPARE(DateTimeToText(2, 1.0), QStringLiteral("01/01/0001"));
    QCOMPARE(DateTimeToText(0, day), QStringLiteral("29/02/2024 13:05"));
    QCOMPARE(DateTimeToText(1, day), QStringLiteral("Thursday, 29 February 2024 13:05:09"));
    QCOMPARE(DateTimeToText(3, day), QStringLiteral("Thursday, 29 February 2024"));
    QCOMPARE(DateTimeToText(4, day), QStringLiteral("13:05"));
    QCOMPARE(DateTimeToText(5, day), QStringLiteral("13:05:09"));
    QCOMPARE(DateTimeToText(9, day), QStringLiteral("29/02/2024 13:05:09"));
    QCOMPARE(DateTimeToText(9, std::floor(day)), QStringLiteral("29/02/2024"));

    SetDateLocale(QLocale(QLocale::Dutch, QLocale::Netherlands));
    QCOMPARE(DateTimeToText(3, day), QStringLiteral("donderdag 29 februari 2024"));
    SetDateLocale(QLocale(QLocale::English, QLocale::UnitedKingdom));

    TColumnDef c = Column(ColumnType::ctDateTime, 2);
    c.SetDefaultDayNumber(5.0);
    TFieldValue v = InitValue(ColumnType::ctDateTime);
    QVERIFY(TextToValue(QStringLiteral("29/02/2024"), c, v));
    QCOMPARE(v.Float64(), std::floor(day));
    QCOMPARE(FieldText(c, v), QStringLiteral("29/02/2024"));
    v = InitValue(ColumnType::ctDateTime);
    QVERIFY(!TextToValue(QStringLiteral("31/02/2024"), c, v));
    QCOMPARE(v.Float64(), 5.0);
    v = InitValue(ColumnType::ctDateTime);
    QVERIFY(!TextToValue(QString(), c, v));
    v = InitValue(ColumnType::ctDateTime);
    QVERIFY(!TextToValue(QStringLiteral("01/01/0001"), c, v));  // the day number already held
    c.SetStyle(4);
    v = InitValue(ColumnType::ctDateTime);
    QVERIFY(TextToValue(QStringLiteral("18:00"), c, v));
    QCOMPARE(v.Float64(), 693594.75);
    c.SetStyle(0);
    v = InitValue(ColumnType::ctDateTime);
    QVERIFY(TextToValue(QStringLiteral("29/02/2024 13:05"), c, v));
    QCOMPARE(FieldText(c, v), QStringLiteral("29/02/2024 13:05"));
  }

  // "M/d/yy" (en_US): two digits name a year of the hundred ending 20 years from now; what
  // no calendar has is refused; date and time read back in both forms.
  void twoDigitYearsInAPinnedLocale() {
    SetDateLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    const int year = QDate::currentDate().year();
    const auto yy = [](int y) { return QString::number(y % 100).rightJustified(2, QLatin1Char('0')); };
    const std::pair<QString, QDate> cases[] = {
        {"1/2/" + yy(year + 20), QDate(year + 20, 1, 2)}, {"1/2/" + yy(year + 21), QDate(year - 79, 1, 2)},
        {"12/31/1957", QDate(1957, 12, 31)}, {"2/30/05", {}}, {"6/1/5", {}}, {"6/1/205", {}}};
    for (const auto& [text, date] : cases)
      QCOMPARE(DayNumberToDateTime(ParseDateTime(text, 2).value_or(NAN)).date(), date);
    const double day = DateTimeToDayNumber(QDate(2005, 6, 1), QTime(13, 30));
    const QString shown = DateTimeToText(0, day);
    QVERIFY(shown.startsWith(QStringLiteral("6/1/2005 ")));
    QCOMPARE(ParseDateTime(QString(shown).replace("2005", "05"), 0), std::optional<double>(day));
  }
};

QTEST_GUILESS_MAIN(TestFieldValues)
#include "TestFieldValues.moc"
