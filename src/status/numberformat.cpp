#include "status/numberformat.h"

#include "core/numbertext.h"

#include <cmath>

namespace NumberFormat {

namespace {

QString integerText(double whole) {
    return whole == 0 ? QString() : NumberText::plain(whole); // also for -0
}

QString plainNumber(double value) {
    return NumberText::plain(value);
}

} // namespace

std::optional<double> parseNumber(const QString& field) {
    return NumberText::parse(field);
}

QString wholeNumber(double value) {
    return integerText(std::round(value));
}

QString wholeNumberField(const QString& field) {
    const auto v = parseNumber(field);
    return v ? wholeNumber(*v) : field;
}

std::optional<QString> flowText(const QString& field) {
    const auto v = parseNumber(field);
    if (!v)
        return std::nullopt;
    if (*v < 5000)
        return wholeNumber(*v) + QLatin1String("cc/min");
    // value / 1000 to two decimals is value / 10 in hundredths; halves round
    // away from zero as the display pattern does.
    const double hundredths = std::round(*v / 10.0);
    return QString::number(hundredths / 100.0, 'f', 2) + QLatin1String(" L/min");
}

std::optional<QString> celsiusText(const QString& field) {
    const auto f = parseNumber(field);
    if (!f)
        return std::nullopt;
    return integerText(NumberText::roundHalfEven((*f - 32) * 5 / 9));
}

std::optional<QString> barometricMillimetres(const QString& field) {
    const auto v = parseNumber(field);
    if (!v)
        return std::nullopt;
    return plainNumber(std::trunc(NumberText::decimalProduct(*v, 25.4)));
}

std::optional<QString> differentialMillimetres(const QString& field) {
    const auto v = parseNumber(field);
    if (!v)
        return std::nullopt;
    return plainNumber(std::trunc(*v * 25.4));
}

QString pumpTime(const QString& hour, const QString& minute) {
    return hour + QLatin1Char(':') + minute;
}

std::optional<QString> pumpDate(const QString& day, const QString& month, const QString& year) {
    const auto y = parseNumber(year);
    if (!y)
        return std::nullopt;
    return plainNumber(*y + 2000) + month + day;
}

} // namespace NumberFormat
