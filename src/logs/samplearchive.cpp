#include "logs/samplearchive.h"

#include "core/appstate.h"
#include "logs/capturememo.h"
#include "logs/logdecoder.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

namespace {

bool isPostgres(const ArchiveLocation& where) {
    return where.backend == ArchiveLocation::Backend::PostgreSQL;
}

QString sqlError(const QSqlError& e) {
    const QString text = e.databaseText().trimmed();
    return text.isEmpty() ? e.text().trimmed() : text;
}

quint32 bigEndian(const uchar* p) {
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// SQLite would take a file that is not a database, or one cut short, and
// only fail later, possibly after writing to it. The first 100 bytes say
// what the file must be; a file that does not match is never opened.
QString sqliteFileProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    if (info.size() == 0)
        return {}; // SQLite's own empty database
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return f.errorString();
    const QByteArray header = f.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return QStringLiteral("it is not an SQLite database");
    const auto* h = reinterpret_cast<const uchar*>(header.constData());
    const quint32 pageSize = h[16] == 0 && h[17] == 1 ? 65536 : (quint32(h[16]) << 8 | h[17]);
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("it is damaged (no valid page size)");
    // The page count is to be trusted when the change counter that goes with
    // it matches; otherwise the file must at least be whole pages.
    const quint32 pages = bigEndian(h + 28);
    const bool pagesValid = pages > 0 && bigEndian(h + 24) == bigEndian(h + 92);
    if (pagesValid && info.size() < qint64(pages) * pageSize)
        return QStringLiteral("it is damaged (cut short: %1 of %2 bytes)")
            .arg(info.size())
            .arg(qint64(pages) * pageSize);
    if (!pagesValid && info.size() % pageSize != 0)
        return QStringLiteral("it is damaged (not a whole number of pages)");
    return {};
}

// Qt binds a null string as SQL NULL; the archive keeps empty text instead.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

QString timeText(const QDateTime& at) {
    return at.toUTC().toString(Qt::ISODate);
}

// The columns a list shows; the bytes stay in their own table.
const char kSummaryColumns[] = "id, pump_serial, pump_model, downloaded_at, user_name, host_name, "
                               "ended, records, byte_count, sha256";

ArchivedDownload summaryFrom(const QSqlQuery& q) {
    ArchivedDownload d;
    d.id = q.value(0).toLongLong();
    d.pumpSerial = q.value(1).toString();
    d.pumpModel = q.value(2).toString();
    d.downloadedAt = QDateTime::fromString(q.value(3).toString(), Qt::ISODate).toUTC();
    d.user = q.value(4).toString();
    d.host = q.value(5).toString();
    d.ended = q.value(6).toString();
    d.records = q.value(7).toInt();
    d.byteCount = q.value(8).toLongLong();
    d.sha256 = q.value(9).toString();
    return d;
}

} // namespace

SampleArchive::SampleArchive(ArchiveLocation where, Mode mode)
    : m_where(std::move(where)), m_mode(mode) {
    static QAtomicInteger<quint64> made;
    m_connection = QStringLiteral("corvane-archive-%1").arg(made.fetchAndAddRelaxed(1));
}

SampleArchive::~SampleArchive() {
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

template <typename T> ArchiveResult<T> SampleArchive::failed(const QString& why) const {
    ArchiveResult<T> r;
    r.error = QStringLiteral("the archive %1: %2").arg(m_where.shown(), why);
    return r;
}

QString SampleArchive::sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

ArchiveResult<bool> SampleArchive::open() {
    if (m_open)
        return {true, {}};
    if (!m_where.usable())
        return {false, m_where.error};
    m_absent = false;
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
    if (!isPostgres(m_where)) {
        const ArchiveResult<bool> r = openSqlite();
        if (!r.ok() || m_absent)
            return r;
    } else {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
        if (!db.isValid())
            return failed<bool>(QStringLiteral("this computer has no PostgreSQL driver for Qt "
                                               "(Debian package libqt6sql6-psql)"));
        db.setHostName(m_where.host);
        db.setPort(m_where.port);
        db.setDatabaseName(m_where.database);
        db.setUserName(m_where.user);
        db.setPassword(m_where.password);
        db.setConnectOptions(m_where.connectOptions);
        if (!db.open())
            return failed<bool>(sqlError(db.lastError()));
        // A table another client holds locked is not waited for forever.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SET lock_timeout = %1").arg(kBusyTimeoutMs)))
            return failed<bool>(sqlError(q.lastError()));
    }
    const ArchiveResult<bool> r = checkSchema();
    if (!r.ok()) {
        QSqlDatabase::database(m_connection, false).close();
        return r;
    }
    m_open = true;
    return r;
}

ArchiveResult<bool> SampleArchive::openSqlite() {
    const QString problem = sqliteFileProblem(m_where.path);
    if (!problem.isEmpty())
        return failed<bool>(problem + QStringLiteral("; it was left as it is"));
    const QFileInfo file(m_where.path);
    if (m_mode == Mode::ReadOnly && !file.exists()) {
        m_absent = true;
        m_open = true;
        return {true, {}};
    }
    if (!QDir().mkpath(file.absolutePath()))
        return failed<bool>(QStringLiteral("its folder cannot be made"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid())
        return failed<bool>(QStringLiteral("this computer has no SQLite driver for Qt "
                                           "(Debian package libqt6sql6-sqlite)"));
    db.setDatabaseName(m_where.path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
    // A journal left by a writer that was killed is rolled back by the next
    // connection that may write; a reader that may not would be refused.
    if (m_mode == Mode::ReadOnly && !QFileInfo::exists(m_where.path + QStringLiteral("-journal")))
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open())
        return failed<bool>(sqlError(db.lastError()));
    return {true, {}};
}

ArchiveResult<bool> SampleArchive::checkSchema() {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    const QString tables =
        isPostgres(m_where)
            ? QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                             "table_schema = current_schema()")
            : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                             "LIKE 'sqlite_%'");
    if (!q.exec(tables))
        return failed<bool>(sqlError(q.lastError()));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    q.finish();
    const bool ours = names.contains(QLatin1String("schema_version"));
    if (!ours) {
        // A database that holds other things is somebody else's: nothing of
        // ours goes into it. A shared PostgreSQL database may hold other
        // tables, as long as none of them has our names.
        const bool foreign = isPostgres(m_where)
                                 ? names.contains(QLatin1String("downloads")) ||
                                       names.contains(QLatin1String("download_bytes"))
                                 : !names.isEmpty();
        if (foreign)
            return failed<bool>(QStringLiteral("it holds other tables and no Corvane archive; it "
                                               "was left as it is"));
        if (m_mode == Mode::ReadOnly) {
            m_absent = true;
            return {true, {}};
        }
        return createSchema();
    }
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next())
        return failed<bool>(sqlError(q.lastError()));
    const int version = q.value(0).toInt();
    q.finish();
    if (version > kSchemaVersion)
        return failed<bool>(QStringLiteral("it was made by a newer Corvane (archive version %1; "
                                           "this one reads version %2); it was left as it is")
                                .arg(version)
                                .arg(kSchemaVersion));
    return {true, {}};
}

ArchiveResult<bool> SampleArchive::createSchema() {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const bool pg = isPostgres(m_where);
    QSqlQuery q(db);
    // One transaction, taken before looking again: two programs starting on
    // a new archive at once create it once.
    if (!q.exec(pg ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")))
        return failed<bool>(sqlError(q.lastError()));
    const QStringList steps = {
        pg ? QStringLiteral("SELECT pg_advisory_xact_lock(7305482910)") : QString(),
        QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS downloads ("
                       "id %1, pump_serial TEXT NOT NULL, pump_model TEXT NOT NULL, "
                       "downloaded_at TEXT NOT NULL, user_name TEXT NOT NULL, "
                       "host_name TEXT NOT NULL, ended TEXT NOT NULL, records INTEGER NOT NULL, "
                       "byte_count BIGINT NOT NULL, sha256 TEXT NOT NULL)")
            .arg(pg ? QLatin1String("BIGSERIAL PRIMARY KEY")
                    : QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT")),
        // The bytes apart, so listing thousands of downloads reads none of them.
        QStringLiteral("CREATE TABLE IF NOT EXISTS download_bytes ("
                       "download_id %1 PRIMARY KEY REFERENCES downloads (id), "
                       "bytes %2 NOT NULL)")
            .arg(pg ? QLatin1String("BIGINT") : QLatin1String("INTEGER"),
                 pg ? QLatin1String("BYTEA") : QLatin1String("BLOB")),
        QStringLiteral("CREATE INDEX IF NOT EXISTS downloads_by_date ON downloads "
                       "(downloaded_at, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS downloads_by_pump ON downloads "
                       "(pump_serial, downloaded_at, id)"),
        QStringLiteral("INSERT INTO schema_version (version) SELECT %1 WHERE NOT EXISTS "
                       "(SELECT 1 FROM schema_version)")
            .arg(kSchemaVersion),
    };
    for (const QString& sql : steps) {
        if (!sql.isEmpty() && !q.exec(sql)) {
            const QString why = sqlError(q.lastError());
            q.exec(QStringLiteral("ROLLBACK"));
            return failed<bool>(QStringLiteral("it could not be set up: ") + why);
        }
        q.finish();
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QString why = sqlError(q.lastError());
        q.exec(QStringLiteral("ROLLBACK"));
        return failed<bool>(QStringLiteral("it could not be set up: ") + why);
    }
    return {true, {}};
}

ArchiveResult<qint64> SampleArchive::store(const NewDownload& download) {
    const ArchiveResult<QList<qint64>> r = store(QList<NewDownload>{download});
    if (!r.ok())
        return {0, r.error};
    return {r.value.value(0), {}};
}

ArchiveResult<QList<qint64>> SampleArchive::store(const QList<NewDownload>& downloads) {
    if (m_mode == Mode::ReadOnly)
        return failed<QList<qint64>>(QStringLiteral("it was opened for reading only"));
    if (const auto r = open(); !r.ok())
        return {{}, r.error};
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return failed<QList<qint64>>(sqlError(db.lastError()));
    QList<qint64> ids;
    QString why;
    {
        QSqlQuery row(db);
        QSqlQuery bytes(db);
        const bool prepared =
            row.prepare(QStringLiteral(
                "INSERT INTO downloads (pump_serial, pump_model, downloaded_at, user_name, "
                "host_name, ended, records, byte_count, sha256) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "RETURNING id")) &&
            bytes.prepare(
                QStringLiteral("INSERT INTO download_bytes (download_id, bytes) VALUES (?, ?)"));
        if (!prepared)
            why = sqlError(row.lastError().isValid() ? row.lastError() : bytes.lastError());
        for (qsizetype i = 0; prepared && i < downloads.size() && why.isEmpty(); ++i) {
            const NewDownload& d = downloads[i];
            row.addBindValue(notNull(d.pumpSerial));
            row.addBindValue(notNull(d.pumpModel));
            row.addBindValue(timeText(d.downloadedAt));
            row.addBindValue(notNull(d.user));
            row.addBindValue(notNull(d.host));
            row.addBindValue(notNull(d.ended));
            row.addBindValue(d.records);
            row.addBindValue(qint64(d.bytes.size()));
            row.addBindValue(sha256(d.bytes));
            if (!row.exec() || !row.next()) {
                why = sqlError(row.lastError());
                break;
            }
            const qint64 id = row.value(0).toLongLong();
            row.finish();
            bytes.addBindValue(id);
            // Never NULL, also for an empty download.
            bytes.addBindValue(d.bytes.isNull() ? QByteArray("") : d.bytes);
            if (!bytes.exec()) {
                why = sqlError(bytes.lastError());
                break;
            }
            ids << id;
        }
    }
    if (why.isEmpty() && db.commit())
        return {ids, {}};
    if (why.isEmpty())
        why = sqlError(db.lastError());
    db.rollback();
    return failed<QList<qint64>>(why);
}

ArchiveResult<QList<ArchivedDownload>>
SampleArchive::list(int offset, int limit, const std::optional<QString>& pumpSerial) {
    if (const auto r = open(); !r.ok())
        return {{}, r.error};
    if (m_absent || limit <= 0)
        return {};
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM downloads %2 ORDER BY downloaded_at DESC, id DESC "
                             "LIMIT ? OFFSET ?")
                  .arg(QLatin1String(kSummaryColumns),
                       pumpSerial ? QStringLiteral("WHERE pump_serial = ?") : QString()));
    if (pumpSerial)
        q.addBindValue(*pumpSerial);
    q.addBindValue(limit);
    q.addBindValue(std::max(0, offset));
    if (!q.exec())
        return failed<QList<ArchivedDownload>>(sqlError(q.lastError()));
    QList<ArchivedDownload> out;
    while (q.next())
        out << summaryFrom(q);
    if (q.lastError().isValid())
        return failed<QList<ArchivedDownload>>(sqlError(q.lastError()));
    return {out, {}};
}

ArchiveResult<qint64> SampleArchive::count(const std::optional<QString>& pumpSerial) {
    if (const auto r = open(); !r.ok())
        return {0, r.error};
    if (m_absent)
        return {};
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM downloads") +
              (pumpSerial ? QStringLiteral(" WHERE pump_serial = ?") : QString()));
    if (pumpSerial)
        q.addBindValue(*pumpSerial);
    if (!q.exec() || !q.next())
        return failed<qint64>(sqlError(q.lastError()));
    return {q.value(0).toLongLong(), {}};
}

ArchiveResult<ArchivedDownload> SampleArchive::fetch(qint64 id) {
    if (const auto r = open(); !r.ok())
        return {{}, r.error};
    const auto missing = [this, id] {
        return failed<ArchivedDownload>(QStringLiteral("it holds no download #%1").arg(id));
    };
    if (m_absent)
        return missing();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    // Only the downloads table has a column "id".
    q.prepare(QStringLiteral("SELECT %1, bytes FROM downloads LEFT JOIN download_bytes ON "
                             "download_id = id WHERE id = ?")
                  .arg(QLatin1String(kSummaryColumns)));
    q.addBindValue(id);
    if (!q.exec())
        return failed<ArchivedDownload>(sqlError(q.lastError()));
    if (!q.next())
        return q.lastError().isValid() ? failed<ArchivedDownload>(sqlError(q.lastError()))
                                       : missing();
    ArchivedDownload d = summaryFrom(q);
    d.bytes = q.value(10).toByteArray();
    // What comes back is what went in, or it is not handed out as if it were.
    if (q.value(10).isNull() || d.bytes.size() != d.byteCount || sha256(d.bytes) != d.sha256)
        return failed<ArchivedDownload>(
            QStringLiteral("the bytes of download #%1 do not match their SHA-256").arg(id));
    return {d, {}};
}

ArchiveResult<bool> SampleArchive::remove(qint64 id) {
    if (m_mode == Mode::ReadOnly)
        return failed<bool>(QStringLiteral("it was opened for reading only"));
    if (const auto r = open(); !r.ok())
        return {false, r.error};
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return failed<bool>(sqlError(db.lastError()));
    QString why;
    int removed = 0;
    {
        QSqlQuery q(db);
        for (const char* sql : {"DELETE FROM download_bytes WHERE download_id = ?",
                                "DELETE FROM downloads WHERE id = ?"}) {
            q.prepare(QLatin1String(sql));
            q.addBindValue(id);
            if (!q.exec()) {
                why = sqlError(q.lastError());
                break;
            }
            removed = q.numRowsAffected();
        }
    }
    if (why.isEmpty() && removed == 0)
        why = QStringLiteral("it holds no download #%1").arg(id);
    if (why.isEmpty() && db.commit())
        return {true, {}};
    if (why.isEmpty())
        why = sqlError(db.lastError());
    db.rollback();
    return failed<bool>(why);
}

namespace ArchiveIdentity {

QString userName() {
    for (const char* name : {"USER", "USERNAME", "LOGNAME"})
        if (const QString v = qEnvironmentVariable(name); !v.isEmpty())
            return v;
    // A service started without them: the name of the home folder.
    return QDir::home().dirName();
}

QString hostName() {
    return QSysInfo::machineHostName();
}

} // namespace ArchiveIdentity

int countLogRecords(const QByteArray& fileBytes) {
    CaptureMemo memo;
    memo.setFromFileBytes(fileBytes);
    AppState state;
    int records = 0;
    for (int n = 1; n <= memo.lineCount(); ++n) {
        QString line = memo.line(n);
        if (line.endsWith(QLatin1String("  ")))
            line.chop(2);
        records += Decode::logLine(line, n, state).kind == LogLineResult::Kind::Record;
    }
    return records;
}
