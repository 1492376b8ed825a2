#include "link/portmap.h"

#include "config/inidocument.h"

namespace PortMap {

namespace {
const QString kSection = QStringLiteral("Comm Port");
}

QString defaultDevice(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString device(int portNumber, const QString& iniPath) {
    if (!iniPath.isEmpty()) {
        // A file that is there but not read reads as empty: the default.
        IniDocument ini;
        ini.load(iniPath);
        const QString named =
            ini.readString(kSection, QStringLiteral("Com%1").arg(portNumber), QString());
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
    // A file that is there but not read is never replaced.
    IniDocument ini;
    if (!ini.load(iniPath))
        return false;
    ini.writeString(kSection, QStringLiteral("Com%1").arg(portNumber), device.trimmed());
    return ini.save();
}

} // namespace PortMap
