// Field values as display text and typed text into field values: booleans, numbers, whole fields.
#pragma once

#include "database/ColumnDefinitions.h"
#include "database/FieldValue.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

namespace orlaventis {

// Display text of a value with the column's formatting (at most 255 characters); a date in the
// regional formats of `dateLocale` (see DateTimeToText). A link list is not formatted here (it
// needs the database; see TTessaranObject::GetValueAsText) and gives the empty text, as does a
// value whose type code is unknown.
QString FieldText(const TColumnDef& column, const TFieldValue& value, const QLocale& dateLocale);

// Converts `text` into `value` for `column`; true when converted (the value's flag is then 0).
// See the building blocks for the rules of each type (a date is read in the regional formats of
// `dateLocale`, see ParseDateTime); for the integer, boolean and date types a text yielding the
// value already held counts as failed and stores the column's default.
bool TextToValue(const QString& text, const TColumnDef& column, TFieldValue& value,
                 const QLocale& dateLocale);

// Building blocks.
// "Yes"/"No" (style 0), "True"/"False" (1), "On"/"Off" (2); the empty text for other styles.
QString BoolToText(uint8_t byte, uint8_t style);
// The style's true or false word (exact, case-sensitive), else nullopt.
std::optional<bool> ParseBoolWord(const QString& text, uint8_t style);
bool TextToBool(const QString& text, uint8_t style, bool defaultValue);
// Fixed-point text with `decimals` digits; style 1 uses a decimal comma, style 2 appends "%".
// Infinite and NaN values give "INF", "-INF" and "NAN".
QString NumberToText(uint8_t style, int decimals, double number);
// The same for a whole number, exact for every 64-bit value.
QString IntegerNumberToText(uint8_t style, int decimals, int64_t number);
// A whole number: optional leading blanks, optional sign, decimal digits or "$" and up to 8
// hexadecimal digits (taken as 32 bits); nullopt outside the 32-bit range or when malformed.
std::optional<int64_t> TextToInteger(const QString& text);
// A decimal number with "." and an optional exponent, after the style's preparation (style 1:
// the first "," becomes "."; style 2: a final "%" is removed). The whole text must be a number.
std::optional<double> TextToNumber(const QString& text, uint8_t style);

}  // namespace orlaventis
