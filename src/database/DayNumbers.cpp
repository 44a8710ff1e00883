// Day numbers, the stored form of a date and time, and their texts in a locale's regional formats.
#include "database/DayNumbers.h"

#include "database/FieldValue.h"

#include <QCalendar>

#include <algorithm>
#include <cmath>

namespace orlaventis {
namespace {

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

DateFormats Formats(const QLocale& locale) {
  DateFormats f{locale, {}, {}, {}, {}, {}, {}};
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
    if (time.isEmpty())
      return QDateTime(l.toDate(text, dateFormat, calendar), QTime(0, 0), Qt::UTC);
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

QString DateTimeToText(uint8_t style, double dayNumber, const QLocale& locale) {
  const QDateTime dt = DayNumberToDateTime(dayNumber);
  if (!dt.isValid()) return QString();
  const QDate date = dt.date();
  const QTime time = dt.time();
  const int ms = time.msecsSinceStartOfDay();
  const DateFormats f = Formats(locale);
  const QLocale& l = f.locale;
  QString text;
  switch (style) {
    case 0:
      text = l.toString(date, f.shortDate) + QLatin1Char(' ') + l.toString(time, f.shortTime);
      break;
    case 1:
      text = l.toString(date, f.longDate) + QLatin1Char(' ') + l.toString(time, f.longTime);
      break;
    case 2: text = l.toString(date, f.shortDate); break;
    case 3: text = l.toString(date, f.longDate); break;
    case 4: text = l.toString(time, f.shortTime); break;
    case 5: text = l.toString(time, f.longTime); break;
    default:
      text = l.toString(date, f.shortDate);
      if (ms != 0) text += QLatin1Char(' ') + l.toString(time, f.longTime);
      break;
  }
  return text.left(kShortTextLength);
}

std::optional<double> ParseDateTime(const QString& text, uint8_t style, const QLocale& locale) {
  const DateFormats f = Formats(locale);
  const QLocale& l = f.locale;
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  if (style == 2 || style == 3) {
    for (const QString& fmt : {f.regionalShortDate, f.regionalLongDate})
      if (const auto d = ReadDate(l, t, fmt, QString()))
        return DateTimeToDayNumber(d->date(), QTime(0, 0));
    return std::nullopt;
  }
  if (style == 4 || style == 5) {
    for (const QString& fmt : {f.shortTime, f.longTime})
      if (const QTime tm = l.toTime(t, fmt); tm.isValid()) return DateTimeToDayNumber(kDayZero, tm);
    return std::nullopt;
  }
  for (const QString& df : {f.regionalShortDate, f.regionalLongDate}) {
    for (const QString& tf : {f.shortTime, f.longTime})
      if (const auto dt = ReadDate(l, t, df, tf))
        return DateTimeToDayNumber(dt->date(), dt->time());
    if (const auto d = ReadDate(l, t, df, QString()))
      return DateTimeToDayNumber(d->date(), QTime(0, 0));
  }
  return std::nullopt;
}

double TextToDateTime(const QString& text, uint8_t style, double defaultValue,
                      const QLocale& locale) {
  return ParseDateTime(text, style, locale).value_or(defaultValue);
}

}  // namespace orlaventis
