#include "core/pickertext.h"

#include <QStringList>

namespace PickerText {

namespace {
// Whole text of digits (blanks around allowed); -1 otherwise.
int number(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 4)
        return -1;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    return t.toInt();
}
} // namespace

std::optional<QDate> parseDate(const QString& text) {
    QDate d;
    if (text.contains(QLatin1Char(','))) {
        const QStringList p = text.split(QLatin1Char(','));
        if (p.size() != 3)
            return std::nullopt;
        const int m = number(p[0]), day = number(p[1]), y = number(p[2]);
        if (m < 0 || day < 0 || y < 0 || y > 99)
            return std::nullopt;
        d = QDate(2000 + y, m, day);
    } else {
        if (text.size() != 8)
            return std::nullopt;
        const int y = number(text.left(4)), m = number(text.mid(4, 2)),
                  day = number(text.mid(6, 2));
        if (y < 0 || m < 0 || day < 0)
            return std::nullopt;
        d = QDate(y, m, day);
    }
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> parseTime(const QString& text) {
    const QStringList p = text.split(QLatin1Char(':'));
    if (p.size() < 2 || p.size() > 3)
        return std::nullopt;
    const int h = number(p[0]), m = number(p[1]);
    int s = 0, hundredths = 0;
    if (p.size() == 3) {
        const QStringList sp = p[2].split(QLatin1Char('.'));
        if (sp.size() > 2)
            return std::nullopt;
        s = number(sp[0]);
        if (sp.size() == 2) {
            if (sp[1].size() != 2)
                return std::nullopt;
            hundredths = number(sp[1]);
        }
    }
    if (h < 0 || m < 0 || s < 0 || hundredths < 0)
        return std::nullopt;
    const QTime t(h, m, s, hundredths * 10);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

QString formatDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString formatTime(const QTime& time) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.msec() / 10, 2, 10, QLatin1Char('0'));
}

QString pcDate(const QDate& date) {
    return QStringLiteral("%1,%2,%3")
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day())
        .arg(date.year() % 100, 2, 10, QLatin1Char('0'));
}

QString pcTime(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace PickerText
