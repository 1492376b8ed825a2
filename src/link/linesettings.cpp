#include "link/linesettings.h"

#include <QStringList>

std::optional<LineSettings> LineSettings::parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    LineSettings s;
    bool ok1 = false, ok2 = false, ok3 = false;
    s.baud = parts[0].trimmed().toInt(&ok1);
    const QString parity = parts[1].trimmed().toUpper();
    s.dataBits = parts[2].trimmed().toInt(&ok2);
    s.stopBits = parts[3].trimmed().toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || parity.size() != 1 || s.baud <= 0)
        return std::nullopt;
    s.parity = parity[0].toLatin1();
    if (!QByteArrayView("NEOMS").contains(s.parity) || s.dataBits < 5 || s.dataBits > 8 ||
        (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    return s;
}
