#include "app/moduleloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

namespace ModuleLoader {

QStringList defaultDirs() {
    QStringList dirs;
    const QString fromEnv = qEnvironmentVariable("CORVANE_MODULE_DIR");
    if (!fromEnv.isEmpty())
        dirs << fromEnv;
    const QString program = QCoreApplication::applicationDirPath();
    dirs << program << QDir::cleanPath(program + QLatin1String("/" CORVANE_MODULE_FROM_BIN));
    return dirs;
}

QObject* loadRoot(const QString& name, const QStringList& dirs, QString* error) {
    QString failed; // a module that was found but would not load says why
    for (const QString& dir : dirs) {
        // The platform's prefix and suffix (lib...so, ...dll) are tried too.
        QPluginLoader loader(QDir(dir).filePath(name));
        if (loader.fileName().isEmpty())
            continue; // not in this folder
        if (QObject* root = loader.instance())
            return root;
        if (failed.isEmpty())
            failed = loader.errorString();
    }
    *error = !failed.isEmpty()
                 ? failed
                 : QStringLiteral("its module (%1) was not found in %2")
                       .arg(name, dirs.isEmpty()
                                      ? QStringLiteral("any folder")
                                      : QDir::toNativeSeparators(dirs.join(QStringLiteral(", "))));
    return nullptr;
}

} // namespace ModuleLoader
