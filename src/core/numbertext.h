// The number rules shared by every decoder of the pump's fixed-column
// fields: what counts as a number in a field, the digit-only whole-number
// pattern, halves-to-even rounding and the exact product of a decimal value
// and a factor. Pure functions; the status and log decoders build their
// captions and cells from them.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace NumberText {

// A field as the pump sends it: blanks around the number, an optional sign,
// digits with at most one decimal point. Anything else is not a number.
std::optional<double> parse(QStringView field);

// The digit-placeholder patterns ("##", "###", "####"): the value rounded to
// a whole number (halves away from zero), no leading zeros, no separators;
// zero is empty text.
QString whole(double value);
// A whole value written in plain decimal, zero included ("0", "759").
QString plain(double value);

// Rounded to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);
// value * factor as the decimal product it stands for: the binary product is
// rounded to 15 significant digits, so 10.00 * 25.4 is 254 and not
// 253.99999999999997 before a fraction is dropped.
double decimalProduct(double value, double factor);

} // namespace NumberText
