// corvane-cli download [-o FILE]: the window's "Read Logs From KST" download,
// written as "Save Logs" writes the log file. The arguments are checked here;
// the download itself comes with the log download controller.
#include "clioutput.h"
#include "subcommands.h"

#include <QDir>
#include <QFileInfo>

namespace DownloadCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli download [-o FILE] (--port PORT | --demo) [--settings FILE]\n"
    "\n"
    "Downloads the pump's history logs as the window's download does, and writes\n"
    "the log file as \"Save Logs\" would: to FILE, or with -o - to standard output,\n"
    "or else to corvane-<serial>-<YYYYMMDD-HHMM>.csv in the current folder. Then\n"
    "prints {\"file\": ..., \"records\": N, \"expected\": M, \"complete\": true|false,\n"
    "\"seconds\": S} (to standard error when the log goes to standard output).\n"
    "\n"
    "Not available in this build yet: the arguments are checked, nothing is sent.\n"
    "\n"
    "Options:\n"
    "  -o FILE          where the log file goes; - for standard output. Its folder\n"
    "                   must exist and be writable before anything is sent.\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 \"Done ok\" arrived; 1 not available yet; 2 usage error; 3 no\n"
    "pump; 4 the download ended early (what was captured is still written).\n";

bool writableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

const Subcommand kSubcommand = {"download",
                                "download [-o FILE] (--port PORT | --demo) [--settings FILE]",
                                "download [-o FILE]",
                                "download the history logs into a log file (not available yet)",
                                kHelp,
                                &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    specs << OptionSpec{QStringLiteral("-o"), true};
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
    const auto pump = parsePump(*parsed, error);
    if (!pump)
        return std::nullopt;
    o.pump = *pump;
    return o;
}

int run(const Options&, Output& out) {
    return notAvailableYet(out, kSubcommand.name);
}

int main(const QStringList& args, Output& out) {
    QString error;
    const auto options = parse(args, &error);
    return options ? run(*options, out) : usageError(out, kSubcommand, error);
}

} // namespace DownloadCommand
