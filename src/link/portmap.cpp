#include "link/portmap.h"

#include "config/inifile.h"

namespace PortMap {

QString defaultDevice(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString device(int portNumber, const QString& iniPath) {
    if (!iniPath.isEmpty()) {
        cIniFile ini;
        ini.filename = iniPath;
        ini.Section = QStringLiteral("Comm Port");
        QString named;
        ini.ReadString(QStringLiteral("Com%1").arg(portNumber), named, QString());
        if (!named.trimmed().isEmpty())
            return named.trimmed();
    }
    return defaultDevice(portNumber);
}

QString describe(int portNumber, const QString& device) {
    return QStringLiteral("Com%1 (%2)").arg(portNumber).arg(device);
}

bool choose(int portNumber, const QString& device, const QString& iniPath) {
    if (portNumber < 1 || portNumber > 4 || device.trimmed().isEmpty() || iniPath.isEmpty())
        return false;
    cIniFile ini;
    ini.filename = iniPath;
    ini.Section = QStringLiteral("Comm Port");
    return ini.WriteString(QStringLiteral("Com%1").arg(portNumber), device.trimmed());
}

} // namespace PortMap
