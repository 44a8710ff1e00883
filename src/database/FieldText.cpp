// Field values as display text and typed text into field values: booleans, numbers, whole fields.
#include "database/FieldText.h"

#include "database/Bytes.h"
#include "database/DayNumbers.h"
#include "database/NumberEncodings.h"
#include "database/Win1252.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace orlaventis {
namespace {

bool IsIntegerType(ColumnType t) {
  return t == ColumnType::ctByte || t == ColumnType::ctShortInt || t == ColumnType::ctWord ||
         t == ColumnType::ctInteger || t == ColumnType::ctInteger6 || t == ColumnType::ctInteger7;
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

QString StyleNumberText(QString text, uint8_t style) {
  // "-0.00" after rounding shows no sign.
  if (text.startsWith(QLatin1Char('-')) && std::all_of(text.begin() + 1, text.end(), [](QChar c) {
        return c == QLatin1Char('0') || c == QLatin1Char('.');
      }))
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

QString FieldText(const TColumnDef& column, const TFieldValue& value, const QLocale& dateLocale) {
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
    case ColumnType::ctDateTime: return DateTimeToText(style, value.Float64(), dateLocale);
    case ColumnType::ctString: return value.String();
    default: return QString();
  }
}

bool TextToValue(const QString& text, const TColumnDef& column, TFieldValue& value,
                 const QLocale& dateLocale) {
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
    const double r = text.isEmpty() ? current
                                    : TextToDateTime(text, column.Style(), current, dateLocale);
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
