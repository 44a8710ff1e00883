// Column types, the 137-byte column record, field values and their conversions to and from text.
#include "database/FieldValues.h"

#include "database/Bytes.h"
#include "database/Win1252.h"

#include <QCalendar>
#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

namespace orlaventis {
namespace {

constexpr std::array<const char*, kColumnTypeCount> kTypeNames = {
    "boolean", "byte",     "comp",     "integer",  "datetime", "extended", "integer6", "integer7",
    "double",  "real48",   "linklist", "shortint", "single",   "string",   "word",
};

// Bytes a fixed-size value occupies; 0 for strings, link lists and unknown codes.
int FixedWidth(uint8_t type) {
  switch (static_cast<ColumnType>(type)) {
    case ColumnType::ctBoolean:
    case ColumnType::ctByte:
    case ColumnType::ctShortInt: return 1;
    case ColumnType::ctWord: return 2;
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7:
    case ColumnType::ctSingle: return 4;
    case ColumnType::ctReal48: return 6;
    case ColumnType::ctComp:
    case ColumnType::ctDateTime:
    case ColumnType::ctDouble: return 8;
    case ColumnType::ctExtended: return 10;
    default: return 0;
  }
}

bool IsIntegerType(ColumnType t) {
  return t == ColumnType::ctByte || t == ColumnType::ctShortInt || t == ColumnType::ctWord ||
         t == ColumnType::ctInteger || t == ColumnType::ctInteger6 ||
         t == ColumnType::ctInteger7;
}

// The integer a value of an integer type holds, read at the type's width and signedness.
int64_t IntegerOf(ColumnType t, const TFieldValue& v) {
  const uint8_t* d = v.Data.data();
  switch (t) {
    case ColumnType::ctByte: return d[0];
    case ColumnType::ctShortInt: return static_cast<int8_t>(d[0]);
    case ColumnType::ctWord: return LoadLE<uint16_t>(d);
    default: return LoadLE<int32_t>(d);
  }
}

void StoreInteger(ColumnType t, TFieldValue& v, int64_t n) {
  uint8_t* d = v.Data.data();
  switch (t) {
    case ColumnType::ctByte:
    case ColumnType::ctShortInt: d[0] = static_cast<uint8_t>(n); break;
    case ColumnType::ctWord: StoreLE<uint16_t>(d, static_cast<uint16_t>(n)); break;
    default: StoreLE<int32_t>(d, static_cast<int32_t>(static_cast<uint32_t>(n))); break;
  }
}

QString CutShort(QString text) {
  if (text.size() > kShortTextLength) text.truncate(kShortTextLength);
  return text;
}

// Regional time formats may name a time zone ("t"), which a plain time does not have.
QString WithoutZone(const QString& format) {
  QString out;
  bool quoted = false;
  for (QChar c : format) {
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && c == QLatin1Char('t')) continue;
    out.append(c);
  }
  return out.simplified();
}

// The format with every two-digit year ("yy", not part of a longer run) widened to four digits;
// quoted text is kept as it is.
QString FourDigitYears(const QString& format) {
  QString out;
  bool quoted = false;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (quoted || c != QLatin1Char('y')) {
      out.append(c);
      ++i;
      continue;
    }
    qsizetype run = 0;
    while (i + run < format.size() && format[i + run] == QLatin1Char('y')) ++run;
    out.append(QString(run == 2 ? 4 : run, QLatin1Char('y')));
    i += run;
  }
  return out;
}

// Regional date formats always show four-digit years (a two-digit year cannot tell 1905 from
// 2005); the regional forms stay for reading what the user types in them.
struct DateFormats {
  QLocale locale;
  QString shortDate, longDate, shortTime, longTime;
  QString regionalShortDate, regionalLongDate;
};

std::mutex gLocaleMutex;
std::optional<QLocale> gDateLocale;

DateFormats Formats() {
  DateFormats f{DateLocale(), {}, {}, {}, {}, {}, {}};
  f.regionalShortDate = f.locale.dateFormat(QLocale::ShortFormat);
  f.regionalLongDate = f.locale.dateFormat(QLocale::LongFormat);
  f.shortDate = FourDigitYears(f.regionalShortDate);
  f.longDate = FourDigitYears(f.regionalLongDate);
  f.shortTime = WithoutZone(f.locale.timeFormat(QLocale::ShortFormat));
  f.longTime = WithoutZone(f.locale.timeFormat(QLocale::LongFormat));
  return f;
}

// Two-digit years name a year of the hundred years that end this many years after today's.
constexpr int kTwoDigitYearsAhead = 20;

int YearOfTwoDigits(int twoDigits) {
  const int first = QDate::currentDate().year() + kTwoDigitYearsAhead - 99;
  return first + ((twoDigits - first) % 100 + 100) % 100;
}

// `text` read with the date format `regional` (and `time`, a time format, when not empty): with
// four-digit years first, then, when `regional` has two-digit years, with those. Empty when it
// cannot be read.
std::optional<QDateTime> ReadDate(const QLocale& l, const QString& text, const QString& regional,
                                  const QString& time) {
  const auto read = [&](const QString& dateFormat, QCalendar calendar) {
    if (time.isEmpty()) return QDateTime(l.toDate(text, dateFormat, calendar), QTime(0, 0), Qt::UTC);
    return l.toDateTime(text, dateFormat + QLatin1Char(' ') + time, calendar);
  };
  const QString wide = FourDigitYears(regional);
  if (const QDateTime dt = read(wide, QCalendar()); dt.isValid()) return dt;
  if (wide == regional) return std::nullopt;
  // Read in the Julian calendar, whose years 1900 .. 1999 are leap every fourth year, so that
  // 29 February "00" is read as well; the day then moves to its year of the window.
  const QCalendar julian(QCalendar::System::Julian);
  const QDateTime dt = read(regional, julian);
  if (!dt.isValid()) return std::nullopt;
  const QCalendar::YearMonthDay parts = julian.partsFromDate(dt.date());
  const QDate date(YearOfTwoDigits(parts.year % 100), parts.month, parts.day);
  if (!date.isValid()) return std::nullopt;
  return QDateTime(date, dt.time(), Qt::UTC);
}

const QDate kDayZero(1899, 12, 30);
constexpr int64_t kMsPerDay = 86400000;
constexpr double kMaxDays = 1.0e7;

}  // namespace

QString ColumnTypeName(uint8_t code) {
  return code < kColumnTypeCount ? QString::fromLatin1(kTypeNames[code]) : QString();
}

std::optional<ColumnType> ColumnTypeFromName(const QString& name) {
  QString n = name.toLower();
  if (n.startsWith(QLatin1String("ct"))) n = n.mid(2);
  for (int i = 0; i < kColumnTypeCount; ++i)
    if (n == QLatin1String(kTypeNames[static_cast<size_t>(i)])) return static_cast<ColumnType>(i);
  return std::nullopt;
}

// ---- TColumnDef ----

QString TColumnDef::Name() const {
  return DecodeWin1252(std::string_view(reinterpret_cast<const char*>(bytes.data()) + 6,
                                        static_cast<size_t>(NameLength())));
}

int TColumnDef::NameLength() const { return std::min<int>(bytes[5], kNameLength); }

bool TColumnDef::SetName(const QString& name) {
  const auto encoded = EncodeWin1252(name.left(kNameLength));
  if (!encoded) return false;
  std::fill(bytes.begin() + 5, bytes.begin() + 69, uint8_t{0});
  bytes[5] = static_cast<uint8_t>(encoded->size());
  std::memcpy(bytes.data() + 6, encoded->constData(), static_cast<size_t>(encoded->size()));
  return true;
}

uint8_t TColumnDef::Byte(int offset) const {
  return offset >= 0 && offset < kColumnDefSize ? bytes[static_cast<size_t>(offset)] : 0;
}
uint16_t TColumnDef::Word(int offset) const {
  return offset >= 0 && offset + 2 <= kColumnDefSize ? LoadLE<uint16_t>(&bytes[offset]) : 0;
}
int32_t TColumnDef::Int32(int offset) const {
  return offset >= 0 && offset + 4 <= kColumnDefSize ? LoadLE<int32_t>(&bytes[offset]) : 0;
}
double TColumnDef::Float64(int offset) const {
  return offset >= 0 && offset + 8 <= kColumnDefSize ? LoadLE<double>(&bytes[offset]) : 0.0;
}
void TColumnDef::SetByte(int offset, uint8_t v) {
  if (offset >= 0 && offset < kColumnDefSize) bytes[static_cast<size_t>(offset)] = v;
}
void TColumnDef::SetWord(int offset, uint16_t v) {
  if (offset >= 0 && offset + 2 <= kColumnDefSize) StoreLE(&bytes[offset], v);
}
void TColumnDef::SetInt32(int offset, int32_t v) {
  if (offset >= 0 && offset + 4 <= kColumnDefSize) StoreLE(&bytes[offset], v);
}
void TColumnDef::SetFloat64(int offset, double v) {
  if (offset >= 0 && offset + 8 <= kColumnDefSize) StoreLE(&bytes[offset], v);
}

int64_t TColumnDef::DefaultInteger() const {
  switch (Type()) {
    case ColumnType::ctBoolean: return bytes[72];
    case ColumnType::ctByte: return bytes[71];
    case ColumnType::ctShortInt: return static_cast<int8_t>(bytes[71]);
    case ColumnType::ctWord: return Word(71);
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7: return Int32(71);
    default: return 0;
  }
}

void TColumnDef::SetDefaultInteger(int64_t v) {
  switch (Type()) {
    case ColumnType::ctBoolean: bytes[72] = static_cast<uint8_t>(v); break;
    case ColumnType::ctByte:
    case ColumnType::ctShortInt: bytes[71] = static_cast<uint8_t>(v); break;
    case ColumnType::ctWord: SetWord(71, static_cast<uint16_t>(v)); break;
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7: SetInt32(71, static_cast<int32_t>(static_cast<uint32_t>(v))); break;
    default: break;
  }
}

TColumnDef TColumnDef::NewColumn(const QString& name, ColumnType type) {
  TColumnDef c;
  c.SetName(name);
  c.SetType(type);
  switch (type) {
    case ColumnType::ctComp:
    case ColumnType::ctExtended:
    case ColumnType::ctDouble:
    case ColumnType::ctReal48:
    case ColumnType::ctSingle: c.SetDecimals(2); break;
    case ColumnType::ctDateTime: c.SetDefaultDayNumber(1.0); break;
    case ColumnType::ctString: c.SetWord(71, 63); break;
    case ColumnType::ctLinkList: c.SetInt32(79, 10); break;
    default: break;
  }
  return c;
}

// ---- TFieldValue ----

int64_t TFieldValue::Int64() const { return LoadLE<int64_t>(Data.data()); }
int32_t TFieldValue::Int32At(int slot) const {
  return slot >= 0 && slot < kValueDataSize / 4 ? LoadLE<int32_t>(&Data[4 * slot]) : 0;
}
double TFieldValue::Float64() const { return LoadLE<double>(Data.data()); }
float TFieldValue::Float32() const { return LoadLE<float>(Data.data()); }
std::span<const uint8_t> TFieldValue::StringBytes() const {
  const auto end = std::find(Data.begin(), Data.begin() + kShortTextLength, uint8_t{0});
  return {Data.data(), static_cast<size_t>(end - Data.begin())};
}
QString TFieldValue::String() const {
  const auto b = StringBytes();
  return DecodeWin1252(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}
void TFieldValue::SetInt64(int64_t v) { StoreLE(Data.data(), v); }
void TFieldValue::SetInt32At(int slot, int32_t v) {
  if (slot >= 0 && slot < kValueDataSize / 4) StoreLE(&Data[4 * slot], v);
}
void TFieldValue::SetFloat64(double v) { StoreLE(Data.data(), v); }
void TFieldValue::SetFloat32(float v) { StoreLE(Data.data(), v); }

// ---- sizes and empty values ----

int64_t FieldSize(const TColumnDef& column) {
  switch (column.Type()) {
    case ColumnType::ctString: return column.StringSize();
    case ColumnType::ctLinkList: {
      const int64_t n = column.LinkCount();
      return n > 0 ? 4 * n : 0;
    }
    default: return FixedWidth(column.TypeCode());
  }
}

TFieldValue InitValue(uint8_t typeCode) {
  TFieldValue v;
  v.Type = typeCode;
  if (static_cast<ColumnType>(typeCode) == ColumnType::ctDateTime) v.SetFloat64(1.0);
  return v;
}

bool IsEmptyValue(const TFieldValue& value) {
  const uint8_t* d = value.Data.data();
  switch (static_cast<ColumnType>(value.Type)) {
    case ColumnType::ctString: return d[0] == 0;
    case ColumnType::ctLinkList: return value.Int32At(0) == 0;
    case ColumnType::ctDateTime: return value.Float64() == 1.0;
    case ColumnType::ctDouble: return value.Float64() == 0.0;
    case ColumnType::ctSingle: return value.Float32() == 0.0f;
    case ColumnType::ctReal48: return d[0] == 0;
    case ColumnType::ctExtended:  // zero of either sign; a tiny denormal is not empty
      return std::all_of(d, d + 9, [](uint8_t b) { return b == 0; }) && (d[9] & 0x7F) == 0;
    default: {
      const int w = FixedWidth(value.Type);
      const int n = w > 0 ? w : kValueDataSize;
      return std::all_of(d, d + n, [](uint8_t b) { return b == 0; });
    }
  }
}

// ---- reading ----

std::optional<uint8_t> ScrambleStringByte(uint8_t b) {
  if (b <= 128) return static_cast<uint8_t>(b + 127);
  if (b <= 253) return static_cast<uint8_t>(b - 127);
  return std::nullopt;
}

void ReadField(std::span<const uint8_t> field, const TColumnDef& column, bool scrambled,
               TFieldValue& value) {
  // The empty value of the type, written in place: a value is large, and fields are read often.
  value.NotRead = 0;
  value.Type = column.TypeCode();
  value.Data.fill(0);
  if (column.Type() == ColumnType::ctDateTime) value.SetFloat64(1.0);
  const int64_t size = FieldSize(column);
  if (size <= 0 || static_cast<int64_t>(field.size()) < size) {
    value.NotRead = 1;
    return;
  }
  switch (column.Type()) {
    case ColumnType::ctString: {
      // A field wider than a value holds keeps its first 255 bytes; the rest is skipped.
      const size_t n = static_cast<size_t>(std::min<int64_t>(size, kShortTextLength));
      size_t i = 0;
      for (; i < n; ++i) {
        const uint8_t b = scrambled ? UnscrambleStringByte(field[i]) : field[i];
        if (b == 0) break;
        value.Data[i] = b;
      }
      value.Data[i] = 0;
      break;
    }
    case ColumnType::ctLinkList: {
      // All N links are in the field; a value keeps the first 50.
      const size_t n = static_cast<size_t>(std::min<int64_t>(column.LinkCount(), kMaxLinks));
      std::memcpy(value.Data.data(), field.data(), 4 * n);
      break;
    }
    default: std::memcpy(value.Data.data(), field.data(), static_cast<size_t>(size)); break;
  }
}

// ---- number encodings ----

double DecodeReal48(std::span<const uint8_t, 6> b) {
  if (b[0] == 0) return 0.0;
  uint64_t frac = 0;
  for (int i = 1; i <= 4; ++i) frac |= static_cast<uint64_t>(b[i]) << (8 * (i - 1));
  frac |= static_cast<uint64_t>(b[5] & 0x7F) << 32;
  const double m = 1.0 + std::ldexp(static_cast<double>(frac), -39);
  const double v = std::ldexp(m, b[0] - 129);
  return (b[5] & 0x80) ? -v : v;
}

std::optional<std::array<uint8_t, 6>> EncodeReal48(double v) {
  std::array<uint8_t, 6> out{};
  if (!std::isfinite(v)) return std::nullopt;
  if (v == 0.0) return out;
  int e = 0;
  const double m = std::frexp(std::fabs(v), &e);  // |v| = m * 2^e, m in [0.5, 1)
  int exponent = e + 128;
  uint64_t frac = static_cast<uint64_t>(std::llround(std::ldexp(2.0 * m - 1.0, 39)));
  if (frac >> 39) {
    frac = 0;
    ++exponent;
  }
  if (exponent > 255) return std::nullopt;
  if (exponent < 1) return out;  // below the smallest 6-byte real
  out[0] = static_cast<uint8_t>(exponent);
  for (int i = 1; i <= 4; ++i) out[i] = static_cast<uint8_t>(frac >> (8 * (i - 1)));
  out[5] = static_cast<uint8_t>((frac >> 32) & 0x7F) | (v < 0 ? 0x80 : 0);
  return out;
}

double DecodeExtended(std::span<const uint8_t, 10> b) {
  const uint64_t mant = LoadLE<uint64_t>(b.data());
  const uint16_t se = LoadLE<uint16_t>(b.data() + 8);
  const bool negative = (se & 0x8000) != 0;
  const int exp = se & 0x7FFF;
  double v;
  if (exp == 0x7FFF)
    v = (mant << 1) == 0 ? std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::quiet_NaN();
  else
    v = std::ldexp(static_cast<double>(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
  return negative ? -v : v;
}

std::array<uint8_t, 10> EncodeExtended(double v) {
  std::array<uint8_t, 10> out{};
  uint64_t mant = 0;
  uint16_t se = std::signbit(v) ? 0x8000 : 0;
  if (std::isnan(v)) {
    mant = 0xC000000000000000ull;
    se |= 0x7FFF;
  } else if (std::isinf(v)) {
    mant = 0x8000000000000000ull;
    se |= 0x7FFF;
  } else if (v != 0.0) {
    int e = 0;
    const double m = std::frexp(std::fabs(v), &e);
    mant = static_cast<uint64_t>(std::ldexp(m, 64));  // exact: 53 significant bits
    se |= static_cast<uint16_t>(e - 1 + 16383);
  }
  StoreLE(out.data(), mant);
  StoreLE(out.data() + 8, se);
  return out;
}

// ---- building blocks ----

QString BoolToText(uint8_t byte, uint8_t style) {
  static const char* const kWords[3][2] = {{"No", "Yes"}, {"False", "True"}, {"Off", "On"}};
  if (style > 2) return QString();
  return QString::fromLatin1(kWords[style][byte != 0 ? 1 : 0]);
}

std::optional<bool> ParseBoolWord(const QString& text, uint8_t style) {
  if (style > 2) return std::nullopt;
  if (text == BoolToText(1, style)) return true;
  if (text == BoolToText(0, style)) return false;
  return std::nullopt;
}

bool TextToBool(const QString& text, uint8_t style, bool defaultValue) {
  return ParseBoolWord(text, style).value_or(defaultValue);
}

namespace {
QString StyleNumberText(QString text, uint8_t style) {
  // "-0.00" after rounding shows no sign.
  if (text.startsWith(QLatin1Char('-')) &&
      std::all_of(text.begin() + 1, text.end(),
                  [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); }))
    text.remove(0, 1);
  if (style == 1) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0) text[dot] = QLatin1Char(',');
  } else if (style == 2) {
    text.append(QLatin1Char('%'));
  }
  return CutShort(std::move(text));
}
}  // namespace

QString NumberToText(uint8_t style, int decimals, double number) {
  if (std::isnan(number)) return QStringLiteral("NAN");
  if (std::isinf(number)) return number < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  return StyleNumberText(QString::number(number, 'f', std::clamp(decimals, 0, 255)), style);
}

QString IntegerNumberToText(uint8_t style, int decimals, int64_t number) {
  QString text = QString::number(number);
  if (decimals > 0) text += QLatin1Char('.') + QString(std::min(decimals, 255), QLatin1Char('0'));
  return StyleNumberText(std::move(text), style);
}

QLocale DateLocale() {
  std::lock_guard lock(gLocaleMutex);
  return gDateLocale ? *gDateLocale : QLocale::system();
}

void SetDateLocale(const QLocale& locale) {
  std::lock_guard lock(gLocaleMutex);
  gDateLocale = locale;
}

void ResetDateLocale() {
  std::lock_guard lock(gLocaleMutex);
  gDateLocale.reset();
}

QDateTime DayNumberToDateTime(double dayNumber) {
  if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > kMaxDays) return QDateTime();
  const double platform = dayNumber - kDayNumberOffset;
  const double days = std::trunc(platform);
  int64_t ms = std::llround(std::fabs(platform - days) * kMsPerDay);
  ms = std::min<int64_t>(ms, kMsPerDay - 1);
  return QDateTime(kDayZero.addDays(static_cast<qint64>(days)),
                   QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)), Qt::UTC);
}

double DateTimeToDayNumber(const QDate& date, const QTime& time) {
  const double days = static_cast<double>(kDayZero.daysTo(date));
  const double frac = static_cast<double>(time.msecsSinceStartOfDay()) / kMsPerDay;
  return (days < 0 ? days - frac : days + frac) + kDayNumberOffset;
}

QString DateTimeToText(uint8_t style, double dayNumber) {
  const QDateTime dt = DayNumberToDateTime(dayNumber);
  if (!dt.isValid()) return QString();
  const QDate date = dt.date();
  const QTime time = dt.time();
  const int ms = time.msecsSinceStartOfDay();
  const DateFormats f = Formats();
  const QLocale& l = f.locale;
  QString text;
  switch (style) {
    case 0: text = l.toString(date, f.shortDate) + QLatin1Char(' ') + l.toString(time, f.shortTime); break;
    case 1: text = l.toString(date, f.longDate) + QLatin1Char(' ') + l.toString(time, f.longTime); break;
    case 2: text = l.toString(date, f.shortDate); break;
    case 3: text = l.toString(date, f.longDate); break;
    case 4: text = l.toString(time, f.shortTime); break;
    case 5: text = l.toString(time, f.longTime); break;
    default:
      text = l.toString(date, f.shortDate);
      if (ms != 0) text += QLatin1Char(' ') + l.toString(time, f.longTime);
      break;
  }
  return CutShort(text);
}


std::optional<double> ParseDateTime(const QString& text, uint8_t style) {
  const DateFormats f = Formats();
  const QLocale& l = f.locale;
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  if (style == 2 || style == 3) {
    for (const QString& fmt : {f.regionalShortDate, f.regionalLongDate})
      if (const auto d = ReadDate(l, t, fmt, QString())) return DateTimeToDayNumber(d->date(), QTime(0, 0));
    return std::nullopt;
  }
  if (style == 4 || style == 5) {
    for (const QString& fmt : {f.shortTime, f.longTime})
      if (const QTime tm = l.toTime(t, fmt); tm.isValid()) return DateTimeToDayNumber(kDayZero, tm);
    return std::nullopt;
  }
  for (const QString& df : {f.regionalShortDate, f.regionalLongDate}) {
    for (const QString& tf : {f.shortTime, f.longTime})
      if (const auto dt = ReadDate(l, t, df, tf)) return DateTimeToDayNumber(dt->date(), dt->time());
    if (const auto d = ReadDate(l, t, df, QString())) return DateTimeToDayNumber(d->date(), QTime(0, 0));
  }
  return std::nullopt;
}

double TextToDateTime(const QString& text, uint8_t style, double defaultValue) {
  return ParseDateTime(text, style).value_or(defaultValue);
}

std::optional<int64_t> TextToInteger(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  bool hex = false;
  if (i < n && text[i] == QLatin1Char('$')) {
    hex = true;
    ++i;
  }
  if (i >= n) return std::nullopt;
  uint64_t magnitude = 0;
  for (; i < n; ++i) {
    const char16_t c = text[i].unicode();
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    const int64_t v = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    return negative ? -v : v;
  }
  const int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return v;
}

std::optional<double> TextToNumber(const QString& text, uint8_t style) {
  QString t = text;
  if (style == 1) {
    const qsizetype comma = t.indexOf(QLatin1Char(','));
    if (comma >= 0) t[comma] = QLatin1Char('.');
  } else if (style == 2) {
    const qsizetype percent = t.indexOf(QLatin1Char('%'));
    if (percent >= 0 && percent == t.size() - 1) t.chop(1);
  }
  static const QRegularExpression kNumber(
      QStringLiteral("^ *[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)? *$"));
  if (!kNumber.match(t).hasMatch()) return std::nullopt;
  bool ok = false;
  const double v = QLocale::c().toDouble(t.trimmed(), &ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

// ---- display text and conversion ----

QString FieldText(const TColumnDef& column, const TFieldValue& value) {
  const uint8_t* d = value.Data.data();
  const uint8_t style = column.Style();
  const int decimals = column.Decimals();
  switch (column.Type()) {
    case ColumnType::ctBoolean: return BoolToText(d[0], style);
    case ColumnType::ctByte:
    case ColumnType::ctShortInt:
    case ColumnType::ctWord:
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7: return QString::number(IntegerOf(column.Type(), value));
    case ColumnType::ctComp: return IntegerNumberToText(style, decimals, value.Int64());
    case ColumnType::ctExtended:
      return NumberToText(style, decimals, DecodeExtended(std::span<const uint8_t, 10>(d, 10)));
    case ColumnType::ctDouble: return NumberToText(style, decimals, value.Float64());
    case ColumnType::ctReal48:
      return NumberToText(style, decimals, DecodeReal48(std::span<const uint8_t, 6>(d, 6)));
    case ColumnType::ctSingle: return NumberToText(style, decimals, value.Float32());
    case ColumnType::ctDateTime: return DateTimeToText(style, value.Float64());
    case ColumnType::ctString: return value.String();
    default: return QString();
  }
}

bool TextToValue(const QString& text, const TColumnDef& column, TFieldValue& value) {
  const ColumnType type = column.Type();
  value.Type = column.TypeCode();
  value.NotRead = 0;
  if (type == ColumnType::ctBoolean) {
    const bool current = value.Data[0] != 0;
    const bool r = TextToBool(text, column.Style(), current);
    if (r == current) {
      value.Data[0] = static_cast<uint8_t>(column.DefaultInteger());
      value.NotRead = 1;
    } else {
      value.Data[0] = r ? 1 : 0;
    }
  } else if (IsIntegerType(type)) {
    const int64_t current = IntegerOf(type, value);
    const int64_t r = TextToInteger(text).value_or(current);
    if (r == current) {
      StoreInteger(type, value, column.DefaultInteger());
      value.NotRead = 1;
    } else {
      StoreInteger(type, value, r);
    }
  } else if (type == ColumnType::ctDateTime) {
    const double current = value.Float64();
    const double r = text.isEmpty() ? current : TextToDateTime(text, column.Style(), current);
    if (r != current) {
      value.SetFloat64(r);
    } else {
      value.SetFloat64(column.DefaultDayNumber());
      value.NotRead = 1;
    }
  } else if (type == ColumnType::ctComp || type == ColumnType::ctExtended ||
             type == ColumnType::ctDouble || type == ColumnType::ctReal48 ||
             type == ColumnType::ctSingle) {
    const std::optional<double> r = TextToNumber(text, column.Style());
    if (!r) {
      value.NotRead = 1;
    } else if (type == ColumnType::ctComp) {
      // Halves go to the even neighbour (the default rounding mode).
      const double whole = std::nearbyint(*r);
      if (whole >= -9.2233720368547758e18 && whole < 9.2233720368547758e18)
        value.SetInt64(static_cast<int64_t>(whole));
      else
        value.NotRead = 1;
    } else if (type == ColumnType::ctExtended) {
      const auto b = EncodeExtended(*r);
      std::copy(b.begin(), b.end(), value.Data.begin());
    } else if (type == ColumnType::ctDouble) {
      value.SetFloat64(*r);
    } else if (type == ColumnType::ctReal48) {
      if (const auto b = EncodeReal48(*r))
        std::copy(b->begin(), b->end(), value.Data.begin());
      else
        value.NotRead = 1;
    } else if (std::fabs(*r) <= std::numeric_limits<float>::max()) {
      value.SetFloat32(static_cast<float>(*r));
    } else {
      value.NotRead = 1;
    }
  } else if (type == ColumnType::ctString) {
    // A character without a single-byte form cannot be stored: the conversion fails and the
    // data stays as it was.
    const auto bytes = EncodeWin1252(text.left(kShortTextLength));
    if (!bytes) {
      value.NotRead = 1;
    } else {
      value.Data.fill(0);
      std::memcpy(value.Data.data(), bytes->constData(), static_cast<size_t>(bytes->size()));
    }
  }
  return value.NotRead == 0;
}

}  // namespace orlaventis
