// Day numbers, the stored form of a date and time, and their texts in a locale's regional formats.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

namespace orlaventis {

constexpr double kDayNumberOffset = 693594.0;  // day number of 30 December 1899

// Day number <-> calendar: the platform value (day number - 693594) counts days from
// 30 December 1899; its whole part (toward zero) is the day, its unsigned fraction the time.
// DayNumberToDateTime gives an invalid QDateTime where DateTimeToText gives the empty text.
QDateTime DayNumberToDateTime(double dayNumber);
double DateTimeToDayNumber(const QDate& date, const QTime& time);

// Date texts follow the regional formats of the `locale` they are given: a database passes
// its own (TTessaranObject::DateLocale, the system's unless set).
// Date text of a day number by date style (0 short date + short time, 1 long date + long time,
// 2 short date, 3 long date, 4 short time, 5 long time, others short date and, unless
// midnight, long time) in `locale`, years always with four digits. Empty for a day number
// that names no representable date (NaN, infinite, beyond ten million days).
QString DateTimeToText(uint8_t style, double dayNumber, const QLocale& locale);
// Parses date text by style (0, 1 and others date and time, 2 and 3 date, 4 and 5 time) with
// the short or long regional formats of `locale`; nullopt when it cannot be read. Years are
// read with four digits, and also with two where the regional format has two: those name the
// year of the hundred years ending 20 years after the current one ("05" is 2005, "57" 1957 in
// 2026).
std::optional<double> ParseDateTime(const QString& text, uint8_t style, const QLocale& locale);
double TextToDateTime(const QString& text, uint8_t style, double defaultValue,
                      const QLocale& locale);

}  // namespace orlaventis
