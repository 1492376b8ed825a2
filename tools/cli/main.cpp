// corvane-cli: Corvane without a window, for support staff and scripts. It
// decodes captured traces and talks to a live pump through the same core the
// window uses.
#include "clioutput.h"
#include "subcommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

QString overview() {
    QString text = QStringLiteral("Usage: corvane-cli SUBCOMMAND [OPTIONS]\n"
                                  "       corvane-cli SUBCOMMAND --help\n"
                                  "       corvane-cli --version\n"
                                  "\n"
                                  "Subcommands:\n");
    for (const Subcommand& sub : subcommands())
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(QLatin1String(sub.brief), QLatin1String(sub.summary));
    text += QStringLiteral(
        "\n"
        "The pump (every subcommand but decode, ports, runs, export and report):\n"
        "  --port PORT      Com1, Com2, Com3 or Com4 (any case), mapped to a device as\n"
        "                   Corvane's window maps them (corvane.INI, section\n"
        "                   [Comm Port], keys Com1..Com4), or a device path\n"
        "                   (/dev/ttyUSB0, /tmp/pump-com1; COM7 on Windows); 57600 8N1\n"
        "  --settings FILE  take the Com1..Com4 mapping from FILE instead of the\n"
        "                   corvane.INI the window uses\n"
        "  --demo           the built-in simulated pump, as corvane --demo\n"
        "\n"
        "The sample archive (download, archive):\n"
        "  --archive ARCHIVE  an SQLite file or a postgresql:// URL; else the\n"
        "                   environment variable CORVANE_ARCHIVE, else archive.sqlite\n"
        "                   in Corvane's data folder\n"
        "\n"
        "Results go to standard output, one JSON object a line; progress and errors go\n"
        "to standard error. SIGINT or SIGTERM ends any subcommand at once.\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  the result could not be written (a download's log file, standard\n"
        "     output), the input could not be read (decode), or the archive could\n"
        "     not be read (archive)\n"
        "  2  usage error, or a destructive command refused (nothing was sent)\n"
        "  3  no pump: the port cannot be opened, or no status report came in answer\n"
        "     to the polls (about 7 s, the window's \"No Pump Found\" check)\n"
        "  4  a download ended early or brought fewer records than the pump counted\n"
        "     (what was captured is still written)\n"
        "  5  the pump did not confirm what was written, or (program) was not back\n"
        "     within 30 s of switching itself off\n"
        "  128+N  ended by signal N before it was done\n");
    return text;
}

// Everything after the standard streams are open; the exit status.
int run(Output& output) {
#ifdef Q_OS_WIN
    output.setErrIsTerminal(_isatty(_fileno(stderr)) != 0);
#else
    output.setErrIsTerminal(::isatty(STDERR_FILENO) == 1);
#endif

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        output.progress(QStringLiteral("corvane-cli: no subcommand given\n") + overview());
        return Exit::kUsage;
    }
    const QString& name = args.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        output.raw(overview().toUtf8());
        return Exit::kDone;
    }
    if (name == QLatin1String("--version")) {
        output.raw(QStringLiteral("corvane-cli %1.%2.%3\n")
                       .arg(CORVANE_VERSION_MAJOR)
                       .arg(CORVANE_VERSION_MINOR)
                       .arg(CORVANE_VERSION_PATCH)
                       .toUtf8());
        return Exit::kDone;
    }
    const Subcommand* sub = findSubcommand(name);
    if (!sub) {
        output.progress(QStringLiteral("corvane-cli: unknown subcommand \"%1\"\n").arg(name) +
                        overview());
        return Exit::kUsage;
    }
    const QStringList rest = args.mid(1);
    if (asksForHelp(rest)) {
        output.raw(QByteArray(sub->help));
        return Exit::kDone;
    }
    return sub->main(rest, output);
}

} // namespace

int main(int argc, char* argv[]) {
    // Only "report" paints (fonts, a PDF); it needs no display, so it gets a
    // GUI application on the offscreen platform and the rest stay as they are.
    const bool paints = argc > 1 && qstrcmp(argv[1], "report") == 0;
    if (paints)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(paints ? new QGuiApplication(argc, argv)
                                                 : new QCoreApplication(argc, argv));
    // The window's name: the per-user settings folder is the window's too.
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));

    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly)) {
        std::fputs("corvane-cli: cannot open standard output or error\n", stderr);
        return 1;
    }
    Output output(out, err);
    const int code = run(output);
    // Output that did not reach its destination is no success, whatever the
    // subcommand made of it (an end by signal keeps its own status).
    if (!output.outFailed())
        return code;
    output.progress(QStringLiteral("corvane-cli: cannot write standard output: ") +
                    output.outError());
    return code >= 128 ? code : Exit::kFailed;
}
