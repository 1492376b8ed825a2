// A PostgreSQL server of the test's own: initdb and pg_ctl in a temporary
// folder, trust authentication, no TCP port (a Unix socket in that folder
// only). Run as root (CI), the server runs as "nobody", since initdb refuses
// root. Stopped (immediate) and removed when the object goes, also after a
// failed test. Without the server programs, skipReason() says so.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <pwd.h>
#include <unistd.h>

class PostgresServer {
public:
    static constexpr int kStartBoundMs = 120000;

    PostgresServer() {
        m_bin = serverPrograms();
        if (m_bin.isEmpty()) {
            m_skip = QStringLiteral("the PostgreSQL server programs (initdb, pg_ctl) are not "
                                    "installed: Debian package postgresql");
            return;
        }
        m_dir = std::make_unique<QTemporaryDir>(QDir::temp().filePath("corvane-pg-XXXXXX"));
        if (!m_dir->isValid()) {
            m_error = QStringLiteral("no temporary folder");
            return;
        }
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || ::chown(QFile::encodeName(m_dir->path()).constData(), nobody->pw_uid,
                                   nobody->pw_gid) != 0) {
                m_error = QStringLiteral("cannot hand the folder to the user nobody");
                return;
            }
            m_asNobody = true;
        }
        const QString data = m_dir->filePath(QStringLiteral("data"));
        if (!run("initdb", QStringList{"-D", data, "-U", kUser} +
                               QString("-A trust -E UTF8 --locale=C --no-sync").split(' ')))
            return;
        const QString options = QStringLiteral("-c listen_addresses='' -c "
                                               "unix_socket_directories='%1' -c fsync=off")
                                    .arg(m_dir->path());
        m_started = run("pg_ctl", {"-D", data, "-l", m_dir->filePath("server.log"), "-o", options,
                                   "-w", "-t", "60", "start"});
    }

    ~PostgresServer() {
        // Also a server that came up too late for pg_ctl's wait.
        if (m_dir && QFile::exists(m_dir->filePath(QStringLiteral("data/postmaster.pid"))))
            run("pg_ctl", {"-D", m_dir->filePath("data"), "-m", "immediate", "-w", "stop"});
    }

    bool running() const { return m_started; }
    // Why the server cannot be had here (not installed); empty otherwise.
    QString skipReason() const { return m_skip; }
    // Why it did not start although it is installed.
    QString error() const { return m_error; }
    QString socketFolder() const { return m_dir ? m_dir->path() : QString(); }

    // A new, empty database; its URL, or empty when it could not be made.
    QString createDatabase(const QString& name) {
        if (!m_started)
            return {};
        const QString connection = QStringLiteral("postgres-server-admin");
        bool made = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
            db.setHostName(socketFolder());
            db.setUserName(kUser);
            db.setDatabaseName(QStringLiteral("postgres"));
            QSqlQuery q(db);
            made = db.open() && q.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
            if (!made)
                m_error = (q.lastError().isValid() ? q.lastError() : db.lastError()).text();
        }
        QSqlDatabase::removeDatabase(connection);
        return made ? url(name) : QString();
    }

    QString url(const QString& database) const {
        return QStringLiteral("postgresql://%1@/%2?host=%3").arg(kUser, database, socketFolder());
    }

private:
    static inline const QString kUser = QStringLiteral("corvane");

    // The folder holding initdb and pg_ctl: on the PATH, or Debian's
    // /usr/lib/postgresql/<version>/bin (the newest).
    static QString serverPrograms() {
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("initdb"));
        if (!onPath.isEmpty())
            return QFileInfo(onPath).absolutePath();
        QDir versions(QStringLiteral("/usr/lib/postgresql"));
        QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(found.begin(), found.end(),
                  [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
        for (const QString& v : found) {
            const QString bin = versions.filePath(v + QStringLiteral("/bin"));
            if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
                QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
                return bin;
        }
        return {};
    }

    bool run(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir->path());
        const QString path = QDir(m_bin).filePath(program);
        if (m_asNobody)
            p.start("runuser", QStringList{"-u", "nobody", "--", path} + args);
        else
            p.start(path, args);
        if (!p.waitForFinished(kStartBoundMs) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            if (p.state() != QProcess::NotRunning)
                p.kill();
            m_error = QStringLiteral("%1 failed: %2")
                          .arg(program, QString::fromLocal8Bit(p.readAll()).trimmed());
            return false;
        }
        return true;
    }

    QString m_bin;
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_asNobody = false;
    bool m_started = false;
    QString m_skip;
    QString m_error;
};
