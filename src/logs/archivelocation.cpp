#include "logs/archivelocation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace {

// libpq takes option values in single quotes with \' and \\ escaped. QPSQL
// turns every ";" of the options into a blank before libpq reads them, so a
// value holding one cannot be passed on unchanged.
QString quotedOption(const QString& key, const QString& value, QString* error) {
    if (value.contains(QLatin1Char(';'))) {
        *error = QStringLiteral("the value of %1 may not contain \";\"").arg(key);
        return {};
    }
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), "\\'");
    return QStringLiteral("%1='%2'").arg(key, v);
}

ArchiveLocation postgres(const QString& text) {
    ArchiveLocation where;
    where.backend = ArchiveLocation::Backend::PostgreSQL;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        where.error = QStringLiteral("the archive URL is not valid: %1").arg(url.errorString());
        return where;
    }
    where.host = url.host(QUrl::FullyDecoded);
    where.port = url.port(-1);
    where.user = url.userName(QUrl::FullyDecoded);
    where.password = url.password(QUrl::FullyDecoded);
    where.database = url.path(QUrl::FullyDecoded).mid(1);
    if (where.database.contains(QLatin1Char('/')))
        where.error = QStringLiteral("the database name may not contain \"/\"");

    QStringList options;
    static const QRegularExpression key(QStringLiteral("^[a-z_]+$"));
    for (const auto& [name, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (name == QLatin1String("host")) {
            where.host = value;
        } else if (name == QLatin1String("port")) {
            bool ok = false;
            where.port = value.toInt(&ok);
            if (!ok || where.port <= 0 || where.port > 65535)
                where.error = QStringLiteral("port %1 is no port number").arg(value);
        } else if (name == QLatin1String("user")) {
            where.user = value;
        } else if (name == QLatin1String("password")) {
            where.password = value;
        } else if (name == QLatin1String("dbname")) {
            where.database = value;
        } else if (!key.match(name).hasMatch()) {
            where.error = QStringLiteral("\"%1\" is no connection option").arg(name);
        } else {
            QString why;
            const QString option = quotedOption(name, value, &why);
            if (option.isEmpty())
                where.error = why;
            options << option;
        }
    }
    // A server that does not answer must not hold the window for long.
    if (!QUrlQuery(url).hasQueryItem(QStringLiteral("connect_timeout")))
        options << QStringLiteral("connect_timeout=5");
    where.connectOptions = options.join(QLatin1Char(';'));
    if (!where.error.isEmpty())
        where.error =
            QStringLiteral("the archive URL %1 cannot be used: %2").arg(where.shown(), where.error);
    return where;
}

} // namespace

QString ArchiveLocation::shown() const {
    if (backend == Backend::SQLite)
        return QDir::toNativeSeparators(path);
    const bool socket = host.startsWith(QLatin1Char('/'));
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + QLatin1Char('@');
    if (!socket)
        text += host;
    if (port > 0)
        text += QLatin1Char(':') + QString::number(port);
    text += QLatin1Char('/') + database;
    if (socket)
        text += QStringLiteral("?host=") + host;
    return text;
}

namespace ArchiveLocations {

ArchiveLocation parse(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    if (const auto m = scheme.match(text); m.hasMatch()) {
        const QString name = m.captured(1).toLower();
        if (name == QLatin1String("postgresql") || name == QLatin1String("postgres"))
            return postgres(text);
        ArchiveLocation where;
        where.path = text;
        where.error =
            QStringLiteral("the archive %1 is neither a file nor a postgresql:// URL").arg(text);
        return where;
    }
    ArchiveLocation where;
    where.path = QFileInfo(text).absoluteFilePath();
    if (text.isEmpty())
        where.error = QStringLiteral("no archive file named");
    return where;
}

ArchiveLocation resolve(const QString& option, const QString& environment,
                        const QString& dataFolder, const QString& fileName) {
    if (!option.isEmpty())
        return parse(option);
    if (!environment.isEmpty())
        return parse(environment);
    if (dataFolder.isEmpty()) {
        ArchiveLocation where;
        where.error = QStringLiteral("this system names no data folder for the archive");
        return where;
    }
    return parse(QDir(dataFolder).filePath(fileName));
}

ArchiveLocation fromEnvironment(const QString& option, bool demo) {
    return resolve(option, qEnvironmentVariable(kEnvironment),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                   demo ? kDemoFileName : kFileName);
}

} // namespace ArchiveLocations
