#include "app/runschartloader.h"

#include "app/runschart.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

namespace RunsChartLoader {

QStringList defaultDirs() {
    QStringList dirs;
    const QString fromEnv = qEnvironmentVariable("CORVANE_MODULE_DIR");
    if (!fromEnv.isEmpty())
        dirs << fromEnv;
    const QString program = QCoreApplication::applicationDirPath();
    dirs << program << QDir::cleanPath(program + QStringLiteral("/" CORVANE_MODULE_FROM_BIN));
    return dirs;
}

Result load(const QStringList& dirs) {
    Result result;
    QString failed; // a module that was found but would not load says why
    for (const QString& dir : dirs) {
        // The platform's prefix and suffix (lib...so, ...dll) are tried too.
        QPluginLoader loader(QDir(dir).filePath(QStringLiteral("corvane_runschart")));
        if (loader.fileName().isEmpty())
            continue; // not in this folder
        if (auto* factory = qobject_cast<RunsChartFactory*>(loader.instance())) {
            result.factory = factory;
            return result;
        }
        if (failed.isEmpty())
            failed = loader.isLoaded() ? QStringLiteral("%1 is not Corvane's chart module")
                                             .arg(QDir::toNativeSeparators(loader.fileName()))
                                       : loader.errorString();
    }
    result.error =
        !failed.isEmpty()
            ? failed
            : QStringLiteral("its module (corvane_runschart) was not found in %1")
                  .arg(dirs.isEmpty() ? QStringLiteral("any folder")
                                      : QDir::toNativeSeparators(dirs.join(QStringLiteral(", "))));
    return result;
}

} // namespace RunsChartLoader
