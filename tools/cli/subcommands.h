// The subcommands of corvane-cli. Each one reads and checks all of its
// arguments first (parse: nothing is opened, nothing written; a refusal is a
// usage error, exit status 2) and only then runs (run). The live ones talk to
// the pump through a LiveSession, the window's own core.
#pragma once

#include "cliargs.h"
#include "livesession.h"
#include "logs/samplearchive.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Exit status of corvane-cli.
namespace Exit {
constexpr int kDone = 0;
constexpr int kFailed = 1; // the result could not be written, or the archive not read
constexpr int kUsage = 2;  // a usage error, or a refused destructive command
constexpr int kNoPump = 3;
constexpr int kDownloadShort = 4;
constexpr int kNotConfirmed = 5;
} // namespace Exit

struct Subcommand {
    const char* name;
    const char* synopsis; // the usage line after "corvane-cli "
    const char* brief;    // the same without the pump options, for the overview
    const char* summary;  // one line for the overview
    const char* help;     // SUBCOMMAND --help
    int (*main)(const QStringList& args, Output& out);
};

// Every subcommand, in the order the overview lists them.
const QList<Subcommand>& subcommands();
const Subcommand* findSubcommand(const QString& name);

// Prints "corvane-cli NAME: what" and the subcommand's usage to standard
// error; returns Exit::kUsage.
int usageError(Output& out, const Subcommand& sub, const QString& what);

// A subcommand's main: its arguments checked first, then the run, or the
// usage error.
template <typename Options>
int parseThenRun(const QStringList& args, Output& out, const Subcommand& sub,
                 std::optional<Options> (*parse)(const QStringList&, QString*),
                 int (*run)(const Options&, Output&)) {
    QString error;
    const auto options = parse(args, &error);
    return options ? run(*options, out) : usageError(out, sub, error);
}

// A live subcommand's run: opens the pump the options name (none:
// Exit::kNoPump) and does the work on it.
template <typename Options>
int openThenRun(const Options& options, Output& out, int (*runOn)(const Options&, LiveSession&)) {
    LiveSession live(options.pump, out);
    return live.open() ? runOn(options, live) : Exit::kNoPump;
}

namespace DecodeCommandLine {
extern const Subcommand kSubcommand;
struct Options {
    bool metric = false;
};
std::optional<Options> parse(const QStringList& args, QString* error);
int main(const QStringList& args, Output& out);
} // namespace DecodeCommandLine

namespace StatusCommand {
extern const Subcommand kSubcommand;
struct Options {
    PumpChoice pump;
    bool watch = false;
};
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int main(const QStringList& args, Output& out);
} // namespace StatusCommand

namespace TraceCommand {
extern const Subcommand kSubcommand;
struct Options {
    PumpChoice pump;
    qint64 ms = 0; // how long; 0: until interrupted
    bool raw = false;
};
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int main(const QStringList& args, Output& out);
// "12.034 > R99": seconds since the start, three decimals.
QByteArray stamped(double seconds, char arrow, const QByteArray& text);
} // namespace TraceCommand

namespace PortsCommand {
extern const Subcommand kSubcommand;
struct Options {
    QString settingsPath; // empty: the file the window would use
};
std::optional<Options> parse(const QStringList& args, QString* error);
// One object per port: Com1..Com4, then every other serial device listed.
QList<QJsonObject> list(const QString& settingsPath);
int main(const QStringList& args, Output& out);
} // namespace PortsCommand

namespace EraseCommand {
extern const Subcommand kLogs;         // erase-logs
extern const Subcommand kSamplingData; // clear-sampling-data
enum class What { Logs, SamplingData };
struct Options {
    PumpChoice pump;
    What what = What::Logs;
    bool yes = false;
};
std::optional<Options> parse(What what, const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int mainLogs(const QStringList& args, Output& out);
int mainSamplingData(const QStringList& args, Output& out);
} // namespace EraseCommand

// The live subcommands below run in two halves: run() opens the pump the
// options name, runOn() does the work on a session that is open (tests hand
// it one over a simulated pump) and returns the exit status.

namespace DownloadCommand {
extern const Subcommand kSubcommand;
struct Options {
    PumpChoice pump;
    QString output;    // "-": standard output; empty: corvane-<serial>-<YYYYMMDD-HHMM>.csv here
    int silenceMs = 0; // a silent pump ends the download after this; 0: the window's 10 s
    // Where the ended download is kept; none: nowhere.
    std::optional<ArchiveLocation> archive;
};
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int runOn(const Options& options, LiveSession& live);
int main(const QStringList& args, Output& out);
// "corvane-<serial>-<YYYYMMDD-HHMM>.csv": the serial number trimmed of
// blanks, every character but ASCII letters, digits, "-" and "_" made "_"
// ("unknown" when nothing is left); the PC's local time.
QString defaultFileName(const QString& serial, const QDateTime& at);
// `name` in `folder`, or, when a file of that name is there already, the
// first of name-2.csv, name-3.csv ... that is not: an earlier download is
// never replaced by a name the user did not give.
QString unusedPath(const QString& folder, const QString& name);
// "Reading log 312 of 999", with a bar for a terminal.
QString progressText(int read, int expected);
QString progressBar(int read, int expected);
} // namespace DownloadCommand

namespace SetClockCommand {
extern const Subcommand kSubcommand;
struct Options {
    PumpChoice pump;
    std::optional<QDateTime> time; // none: the PC's present time when sending
};
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int runOn(const Options& options, LiveSession& live);
int main(const QStringList& args, Output& out);
} // namespace SetClockCommand

namespace SendSetupCommand {
extern const Subcommand kSubcommand;
enum class Timing { Off, StartStop, Duration };
// Each option left out keeps the pump's current value.
struct Options {
    PumpChoice pump;
    std::optional<bool> stpFlow; // --flow-mode stp (true) | volumetric
    std::optional<bool> password;
    std::optional<bool> flowFault;
    std::optional<bool> screens;
    std::optional<Timing> timing;
    std::optional<bool> metric; // --units metric (true) | english
    std::optional<int> logRate; // minutes, 1..58
};
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int runOn(const Options& options, LiveSession& live);
int main(const QStringList& args, Output& out);
} // namespace SendSetupCommand

namespace ProgramCommand {
extern const Subcommand kSubcommand;
struct Pause {
    QTime begin, end;
};
struct Duration {
    int hours = 0, minutes = 0;
};
struct Options {
    PumpChoice pump;
    int flow = 0; // cc/min; the model's limits are checked once the pump is read
    std::optional<QDateTime> start, stop;
    std::optional<Duration> duration;
    std::optional<Pause> break1, lunch, break2;
    bool force = false; // program a pump that is sampling (RUN mode) all the same
};
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int runOn(const Options& options, LiveSession& live);
int main(const QStringList& args, Output& out);
} // namespace ProgramCommand

// corvane-cli archive list | show | import: the sample archive every download
// is kept in (see SampleArchive), and the storing of a download that ended.
namespace ArchiveCommand {
extern const Subcommand kSubcommand;
enum class Action { List, Show, Import };
struct Options {
    Action action = Action::List;
    ArchiveLocation archive;
    bool json = false;
    std::optional<QString> pump; // list: only this pump's; import: the pump named
    qint64 id = 0;               // show
    QString output;              // show: the file; "-" standard output
    QStringList files;           // import
};
// --archive, else CORVANE_ARCHIVE, else the data folder's archive; a
// `--archive` value that names no usable archive is refused.
std::optional<ArchiveLocation> location(const QString& option, bool demo, QString* error);
std::optional<Options> parse(const QStringList& args, QString* error);
int run(const Options& options, Output& out);
int main(const QStringList& args, Output& out);
// Stores an ended download in `where` and says on standard error where it
// went, or why it was not kept. The download, its file and its exit status
// stay as they are either way. The id, or 0.
qint64 keepDownload(const ArchiveLocation& where, const NewDownload& download, Output& out);
} // namespace ArchiveCommand
// Offline: a saved log file's sampling runs, and its records as CSV.
namespace RunsCommand {
extern const Subcommand kSubcommand;
int main(const QStringList& args, Output& out);
} // namespace RunsCommand

namespace ExportCommand {
extern const Subcommand kSubcommand;
int main(const QStringList& args, Output& out);
} // namespace ExportCommand

// Offline: the PDF sample report of one run of a log file.
namespace ReportCommand {
extern const Subcommand kSubcommand;
int main(const QStringList& args, Output& out);
} // namespace ReportCommand
