// corvane-cli download [-o FILE]: the window's "Read Logs From KST" download
// (LogDownload: the same steps, capture, decode, stale-count and silence
// rules), written as "Save Logs" writes the log file (LogFiles::save).
#include "clioutput.h"
#include "livesession.h"
#include "logs/logfiles.h"
#include "protocol/downloadarchiving.h"
#include "protocol/logdownload.h"
#include "subcommands.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <cmath>

namespace DownloadCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli download [-o FILE] [--archive ARCHIVE] (--port PORT | --demo)\n"
    "                            [--settings FILE]\n"
    "\n"
    "Downloads the pump's history logs as the window's \"Read Logs From KST\" does\n"
    "(one poll first for the log count; \"PRINTLOG\"; the download ends with the\n"
    "pump's \"Done ok\", after 10 seconds without a line, when the port goes away\n"
    "or on SIGINT / SIGTERM) and writes the log file as \"Save Logs\" would: each\n"
    "captured line, two blanks, CR LF. It goes to FILE (replaced only once the new\n"
    "one is complete), with -o - to standard output, or else to\n"
    "corvane-<serial>-<YYYYMMDD-HHMM>.csv in the current folder (the serial number\n"
    "with characters other than letters, digits, - and _ made _; the PC's time at\n"
    "the start; -2, -3 ... added rather than replace an earlier file). Then prints\n"
    "{\"file\": ..., \"records\": N, \"expected\": M, \"complete\": true|false,\n"
    "\"seconds\": S} (to standard error when the log goes to standard output).\n"
    "When \"Done ok\" came after fewer records than the status report counted\n"
    "(lines were lost), also \"received\": N, \"short\": true, and complete is\n"
    "false; more records than counted is a stale count, and complete.\n"
    "Progress on standard error: a bar redrawn in place on a terminal, otherwise a\n"
    "line about once a second (\"Reading log 312 of 999\").\n"
    "Every download that ends, complete or not, is also kept in the sample archive\n"
    "(see corvane-cli archive --help); where it went, or why it could not be kept,\n"
    "is said on standard error, and changes neither the file nor the exit status.\n"
    "\n"
    "Options:\n"
    "  -o FILE          where the log file goes; - for standard output. Its folder\n"
    "                   must exist and be writable before anything is sent.\n"
    "  --archive ARCHIVE  the sample archive: an SQLite file or a postgresql:// URL\n"
    "                   (else CORVANE_ARCHIVE, else Corvane's data folder)\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 \"Done ok\" arrived with every record counted; 1 the log file\n"
    "(or standard output) could not be written; 2 usage error; 3 no pump; 4 the\n"
    "download ended early or short (what was captured is still written, and the\n"
    "reason is on standard error).\n";

bool writableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

const Subcommand kSubcommand = {"download",
                                "download [-o FILE] [--archive ARCHIVE] (--port PORT | --demo) "
                                "[--settings FILE]",
                                "download [-o FILE]",
                                "download the history logs into a log file",
                                kHelp,
                                &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    specs << OptionSpec{QStringLiteral("-o"), true}
          << OptionSpec{QStringLiteral("--archive"), true};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    if (parsed->has(QStringLiteral("-o"))) {
        o.output = parsed->value(QStringLiteral("-o"));
        if (o.output.isEmpty()) {
            *error = QStringLiteral("-o wants a file name, or - for standard output");
            return std::nullopt;
        }
    }
    // A download takes minutes and empties nothing, but a file that cannot be
    // written at its end would lose it: the place is checked before any
    // command goes out.
    if (o.output != QLatin1String("-")) {
        const QFileInfo target(o.output.isEmpty() ? QDir::currentPath() + QStringLiteral("/x")
                                                  : o.output);
        if (target.isDir()) {
            *error = QStringLiteral("-o %1: is a folder").arg(o.output);
            return std::nullopt;
        }
        if (!writableFolder(target.absolutePath())) {
            *error = QStringLiteral("cannot write a file in %1").arg(target.absolutePath());
            return std::nullopt;
        }
        if (!o.output.isEmpty())
            o.output = target.absoluteFilePath();
    }
    auto withArchive = withPump(o, *parsed, error);
    if (withArchive) {
        withArchive->archive = ArchiveCommand::location(parsed->value(QStringLiteral("--archive")),
                                                        withArchive->pump.demo, error);
        if (!withArchive->archive)
            return std::nullopt;
    }
    return withArchive;
}

namespace {

// A plain progress line at most this often when standard error is no terminal.
constexpr qint64 kPlainProgressMs = 1000;
constexpr int kBarWidth = 30;

// What the user sees of a download's progress on standard error.
class Progress {
public:
    explicit Progress(Output& out) : m_out(out) {}

    void show(int read, int expected) {
        if (read == m_shown || (read == 0 && m_shown < 0))
            return;
        if (m_out.errIsTerminal()) {
            m_out.redraw(progressBar(read, expected));
        } else {
            if (m_shown >= 0 && m_since.isValid() && !m_since.hasExpired(kPlainProgressMs))
                return;
            m_out.progress(progressText(read, expected));
            m_since.start();
        }
        m_shown = read;
    }
    // The last count is shown, whatever the rate, and the bar's line ended.
    void finish(int read, int expected) {
        if (m_shown >= 0 || read > 0) {
            m_since.invalidate();
            show(read, expected);
        }
        m_out.endRedraw();
    }

private:
    Output& m_out;
    QElapsedTimer m_since;
    int m_shown = -1;
};

} // namespace

QString defaultFileName(const QString& serial, const QDateTime& at) {
    QString safe;
    for (const QChar ch : serial.trimmed()) {
        const bool plain = (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) ||
                           (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) ||
                           (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) ||
                           ch == QLatin1Char('-') || ch == QLatin1Char('_');
        safe += plain ? ch : QLatin1Char('_');
    }
    if (safe.isEmpty())
        safe = QStringLiteral("unknown");
    return QStringLiteral("corvane-%1-%2.csv")
        .arg(safe, at.toString(QStringLiteral("yyyyMMdd-HHmm")));
}

QString unusedPath(const QString& folder, const QString& name) {
    const QDir dir(folder);
    QString path = dir.filePath(name);
    const QString stem = QFileInfo(name).completeBaseName();
    const QString suffix = QFileInfo(name).suffix();
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(suffix));
    return path;
}

QString progressText(int read, int expected) {
    return QStringLiteral("Reading log %1 of %2").arg(read).arg(expected);
}

QString progressBar(int read, int expected) {
    const double part = expected > 0 ? std::min(1.0, double(read) / expected) : 1.0;
    const int filled = int(std::floor(part * kBarWidth));
    return QStringLiteral("%1 [%2%3] %4%")
        .arg(progressText(read, expected), QString(filled, QLatin1Char('#')),
             QString(kBarWidth - filled, QLatin1Char('-')))
        .arg(int(std::floor(part * 100)));
}

int run(const Options& options, Output& out) {
    return openThenRun(options, out, &runOn);
}

int runOn(const Options& options, LiveSession& live) {
    Output& out = live.output();
    PumpSession& session = live.session();
    LogDownload download(session);
    if (options.silenceMs > 0)
        download.setSilenceTimeout(options.silenceMs);
    const bool toStdout = options.output == QLatin1String("-");
    Progress progress(out);
    QElapsedTimer took;
    QString serial;
    QDateTime startedAt;

    // The handlers below use this run's locals: they go with it.
    QObject scope;
    // After the download's own handler (connected when it was made), so the
    // count includes the line just handled.
    QObject::connect(&session, &PumpSession::lineHandled, &scope, [&](const LineResult&) {
        if (download.running() && !live.ending())
            progress.show(download.recordsRead(), download.recordsExpected());
    });
    // "Reading Logs is completed", or how far it got and why it stopped.
    QObject::connect(&download, &LogDownload::messageRequested, &scope, [&](const QString& text) {
        progress.finish(download.recordsRead(), download.recordsExpected());
        out.progress(text);
    });
    QObject::connect(&download, &LogDownload::finished, &scope, [&](LogDownload::Outcome outcome) {
        // "Done ok" with fewer records than counted: lines were lost.
        const bool isShort = outcome == LogDownload::Outcome::Completed && download.shortOfCount();
        bool complete = outcome == LogDownload::Outcome::Completed && !isShort;
        const double seconds = std::round(double(took.elapsed()) / 100.0) / 10.0;
        const CaptureMemo& memo = session.memo();
        // Kept first: a log file that cannot be written still leaves it there.
        if (options.archive)
            ArchiveCommand::keepDownload(*options.archive,
                                         DownloadArchiving::describe(live.state(), memo, outcome,
                                                                     download.recordsRead(),
                                                                     startedAt),
                                         out);
        QString file = options.output;
        if (toStdout) {
            // A log cut by a full disk or a closed pipe is not the log: the
            // run ends with exit 1 (Output's failure ends the session).
            complete = out.putOut(memo.toFileBytes()) && complete;
        } else {
            if (file.isEmpty())
                file = unusedPath(QDir::currentPath(), defaultFileName(serial, startedAt));
            const LogFiles::Result saved = LogFiles::save(memo, file);
            if (!saved.ok) {
                out.progress(QStringLiteral("corvane-cli download: the log file %1 could not be "
                                            "written: %2")
                                 .arg(file, saved.message));
                live.end(Exit::kFailed);
                return;
            }
            if (!saved.message.isEmpty())
                out.progress(saved.message);
        }
        QJsonObject result{{QStringLiteral("file"), file},
                           {QStringLiteral("records"), download.recordsRead()},
                           {QStringLiteral("expected"), download.recordsExpected()},
                           {QStringLiteral("complete"), complete},
                           {QStringLiteral("seconds"), seconds}};
        // Only then: scripts read the summary of a whole download as it was.
        if (isShort) {
            result.insert(QStringLiteral("received"), download.recordsRead());
            result.insert(QStringLiteral("short"), true);
        }
        if (toStdout)
            out.jsonToErr(result);
        else
            out.json(result);
        live.end(complete ? Exit::kDone : Exit::kDownloadShort);
    });

    // An interruption ends a download the way the pump's silence does: what
    // was captured is written, and the exit status says it is not all.
    live.onInterrupt = [&live, &download](int signalNumber) {
        if (download.running())
            download.stop();
        else
            live.endNow(128 + signalNumber);
    };

    // One poll for the log count (SavedLogCount) and the serial number.
    live.awaitReports([&](const LineResult&, const LineResult&) {
        serial = live.state().serialNumber;
        startedAt = QDateTime::currentDateTime();
        took.start();
        if (!download.start()) {
            live.end(Exit::kNoPump); // the session said why
            return;
        }
        out.progress(QStringLiteral("Reading logs: the status report counts %1")
                         .arg(download.recordsExpected()));
    });
    return live.exec();
}

int main(const QStringList& args, Output& out) {
    return parseThenRun(args, out, kSubcommand, &parse, &run);
}

} // namespace DownloadCommand
