#include "status/numberformat.h"

#include <cfenv>
#include <cmath>

namespace NumberFormat {

namespace {

QString integerText(double whole) {
    if (whole == 0)
        return QString(); // also for -0
    return QString::number(static_cast<qint64>(whole));
}

// A number written in plain decimal, as the whole-number texts need it.
QString plainNumber(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

} // namespace

std::optional<double> parseNumber(const QString& field) {
    const QString t = field.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
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
    const double c = (*f - 32) * 5 / 9;
    // nearbyint rounds in the current mode; the default is to nearest, ties to even.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(c);
    std::fesetround(old);
    return integerText(rounded);
}

std::optional<QString> barometricMillimetres(const QString& field) {
    const auto v = parseNumber(field);
    if (!v)
        return std::nullopt;
    const double product = QString::number(*v * 25.4, 'g', 15).toDouble();
    return plainNumber(std::trunc(product));
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
