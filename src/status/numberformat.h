// How the pump's numeric fields are turned into display text: the digit-only
// whole-number pattern, the cc/min or L/min flow rule, Celsius and millimetre
// conversions for metric display, and the pump's date and time texts.
// Every function is pure; a result of nullopt means the field is not a number
// and the caption built from it must keep its previous text.
#pragma once

#include <QString>
#include <optional>

namespace NumberFormat {

// A field as the pump sends it: blanks around the number, an optional sign,
// digits with at most one decimal point. Anything else is not a number.
std::optional<double> parseNumber(const QString& field);

// Rounded to a whole number (halves away from zero), no leading zeros, no
// separators; zero is empty text.
QString wholeNumber(double value);
// The pattern applied to a field: a field that is not a number is shown unchanged.
QString wholeNumberField(const QString& field);

// Below 5000 "####cc/min", otherwise value / 1000 as "##0.00 L/min".
std::optional<QString> flowText(const QString& field);

// Fahrenheit field -> Celsius, rounded with ties to the even number, shown
// with the whole-number pattern.
std::optional<QString> celsiusText(const QString& field);

// Barometric pressure, inches of mercury -> whole millimetres. The product is
// rounded to 15 significant digits before the fraction is dropped, so a value
// such as 10.00 inches (253.99999999999997 in binary) still shows 254.
std::optional<QString> barometricMillimetres(const QString& field);
// Differential pressure, inches of water -> whole millimetres, fraction dropped.
std::optional<QString> differentialMillimetres(const QString& field);

// Hour, ":", minute, both exactly as sent ("14:05").
QString pumpTime(const QString& hour, const QString& minute);
// Year + 2000 as a number, then month and day as sent ("20030101"); nullopt
// when the year is not a number.
std::optional<QString> pumpDate(const QString& day, const QString& month, const QString& year);

} // namespace NumberFormat
