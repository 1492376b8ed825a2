#include "core/sysinfo.h"

#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace SysInfo {

QStringList linuxCandidates() {
    return {QStringLiteral("gnome-system-monitor"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("hardinfo"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lxtask")};
}

QString viewerPath(const std::function<QString(const QString&)>& findExecutable,
                   const std::function<bool(const QString&)>& fileExists) {
#ifdef Q_OS_WIN
    Q_UNUSED(findExecutable);
    QSettings tools(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QSettings::NativeFormat);
    const QString path = tools.value(QStringLiteral("PATH")).toString();
    if (!path.isEmpty())
        return path;
    QSettings location(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"),
        QSettings::NativeFormat);
    const QString folder = location.value(QStringLiteral("MSINFO")).toString();
    if (!folder.isEmpty()) {
        const QString exe = folder + QStringLiteral("\\MSINFO32.EXE");
        if (fileExists(exe))
            return exe;
    }
    return QString();
#else
    for (const QString& name : linuxCandidates()) {
        const QString path = findExecutable(name);
        if (!path.isEmpty() && fileExists(path))
            return path;
    }
    return QString();
#endif
}

QString viewerPath() {
    return viewerPath([](const QString& n) { return QStandardPaths::findExecutable(n); },
                      [](const QString& p) { return QFileInfo::exists(p); });
}

} // namespace SysInfo
