// The sample archive: every download kept in a database as the exact bytes
// "Save Logs" would write, with their SHA-256, the pump it came from, when,
// by whom and how it ended, so a download nobody saved is never lost. One
// SQLite file per user by default, or a lab's shared PostgreSQL database,
// through the same code and schema (versioned, created on first use).
//
// Every write is one transaction, so a program killed in the middle leaves
// the archive as it was before. A file that is not a sound SQLite database is
// refused before anything is written to it, a database made by a newer
// Corvane is refused unaltered, and a locked database gives up after
// kBusyTimeoutMs. Nothing here throws: each call returns its result or the
// reason it failed, and a failed open is tried again by the next call.
#pragma once

#include "logs/archivelocation.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// How a download ended, as the archive keeps it.
namespace ArchiveEnding {
inline const QString kComplete = QStringLiteral("complete");   // the pump's "Done ok"
inline const QString kSilent = QStringLiteral("silent");       // the pump fell silent
inline const QString kStopped = QStringLiteral("stopped");     // stopped by hand
inline const QString kUnplugged = QStringLiteral("unplugged"); // the port went away
inline const QString kImported = QStringLiteral("imported");   // a log file taken in
} // namespace ArchiveEnding

// A download to be archived.
struct NewDownload {
    QString pumpSerial;
    QString pumpModel;
    QDateTime downloadedAt; // kept in UTC, to the second
    QString user;
    QString host;
    QString ended; // ArchiveEnding
    int records = 0;
    QByteArray bytes; // what "Save Logs" writes
};

// A download as the archive holds it.
struct ArchivedDownload {
    qint64 id = 0;
    QString pumpSerial;
    QString pumpModel;
    QDateTime downloadedAt; // UTC
    QString user;
    QString host;
    QString ended;
    int records = 0;
    qint64 byteCount = 0;
    QString sha256;   // 64 lower-case hex digits
    QByteArray bytes; // fetch() only; lists leave it empty
};

// A value, or why there is none (`error` not empty).
template <typename T> struct ArchiveResult {
    T value{};
    QString error;
    bool ok() const { return error.isEmpty(); }
};

class SampleArchive {
public:
    static constexpr int kSchemaVersion = 1;
    // A database another program holds locked is waited for this long.
    static constexpr int kBusyTimeoutMs = 2000;

    enum class Mode {
        ReadWrite, // creates the file and the schema when missing
        ReadOnly,  // never writes; a missing archive reads as empty
    };

    explicit SampleArchive(ArchiveLocation where, Mode mode = Mode::ReadWrite);
    ~SampleArchive();
    SampleArchive(const SampleArchive&) = delete;
    SampleArchive& operator=(const SampleArchive&) = delete;

    const ArchiveLocation& location() const { return m_where; }
    // Connects and checks the database (each call below does so when it is
    // not open yet).
    ArchiveResult<bool> open();
    bool isOpen() const { return m_open; }

    // Keeps the download; its id.
    ArchiveResult<qint64> store(const NewDownload& download);
    // Keeps them all in one transaction, or none; their ids in order.
    ArchiveResult<QList<qint64>> store(const QList<NewDownload>& downloads);
    // Downloads newest first, [offset, offset + limit), without their bytes;
    // only those of pump `pumpSerial` when it is given.
    ArchiveResult<QList<ArchivedDownload>> list(int offset, int limit,
                                                const std::optional<QString>& pumpSerial = {});
    ArchiveResult<qint64> count(const std::optional<QString>& pumpSerial = {});
    // One download with its bytes, checked against their SHA-256.
    ArchiveResult<ArchivedDownload> fetch(qint64 id);
    ArchiveResult<bool> remove(qint64 id);

    static QString sha256(const QByteArray& bytes);

private:
    template <typename T> ArchiveResult<T> failed(const QString& why) const;
    ArchiveResult<bool> openSqlite();
    ArchiveResult<bool> checkSchema();
    ArchiveResult<bool> createSchema();

    ArchiveLocation m_where;
    Mode m_mode;
    QString m_connection; // this archive's own QSqlDatabase connection name
    bool m_open = false;
    bool m_absent = false; // read-only, and there is no archive there yet
};

// Who is archiving, and on which machine.
namespace ArchiveIdentity {
QString userName();
QString hostName();
} // namespace ArchiveIdentity

// The history records in a log file's bytes, as the log table counts them.
int countLogRecords(const QByteArray& fileBytes);
