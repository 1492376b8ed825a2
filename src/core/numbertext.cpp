#include "core/numbertext.h"

#include <cfenv>
#include <cmath>

namespace NumberText {

std::optional<double> parse(QStringView field) {
    const QStringView t = field.trimmed();
    qsizetype i = 0;
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
    const double v = t.toString().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString whole(double value) {
    const double w = std::round(value);
    if (w == 0)
        return QString(); // also for -0
    return plain(w);
}

QString plain(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

double roundHalfEven(double value) {
    // nearbyint rounds in the current mode; the default is to nearest, ties to even.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(old);
    return rounded;
}

double decimalProduct(double value, double factor) {
    return QString::number(value * factor, 'g', 15).toDouble();
}

} // namespace NumberText
