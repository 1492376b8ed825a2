// corvane-pumpsim: a simulated pump on a pseudo-terminal. Prints the device
// path as its first line of output; point Corvane's Com1 at it in
// corvane.INI ("[Comm Port]" "Com1=/dev/pts/N"), or at the --link path.
#include "ptypump.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};
void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-pumpsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(CORVANE_VERSION_MAJOR)
                                                .arg(CORVANE_VERSION_MINOR)
                                                .arg(CORVANE_VERSION_PATCH));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Serves one simulated air-sampling pump on a pseudo-terminal at 57600 bit/s.\n"
        "Prints the terminal's device path as the first line of output.\n"
        "\"POWER_OFF \" silences the pump for --power-off-seconds, then it switches on\n"
        "again by itself (and runs its program if it was programmed)."));
    p.addHelpOption();
    p.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link PATH to the terminal "
                                                 "(kept pointing at it after a reconnect)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Pump type code: 21 KST-5, 25 ORBIT-5, 29 "
                                                  "KST-12, 31 KST-1, 35 ORBIT-1, 2D ORBIT-12, 80 "
                                                  "TRX-05 (default 21)."),
                                   QStringLiteral("CODE"), QStringLiteral("21"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Serial number, 8 characters (default "
                                                   "00012345)."),
                                    QStringLiteral("TEXT"), QStringLiteral("00012345"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral("Firmware version, 4 characters (default: "
                                                     "the model's)."),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption records(QStringLiteral("records"),
                                     QStringLiteral("History records held at start, 0-999 "
                                                    "(default 40)."),
                                     QStringLiteral("N"), QStringLiteral("40"));
    const QCommandLineOption running(QStringLiteral("running"),
                                     QStringLiteral("Start in RUN mode (sampling)."));
    const QCommandLineOption noPacing(QStringLiteral("no-pacing"),
                                      QStringLiteral("Send replies as fast as possible instead "
                                                     "of 5760 characters a second."));
    const QCommandLineOption powerOff(QStringLiteral("power-off-seconds"),
                                      QStringLiteral("How long \"POWER_OFF \" keeps the pump off "
                                                     "(default 5)."),
                                      QStringLiteral("S"), QStringLiteral("5"));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Fault: fall silent after N lines."),
                                         QStringLiteral("N"));
    const QCommandLineOption silentFor(QStringLiteral("silent-for"),
                                       QStringLiteral("Fault: the silence lasts MS milliseconds "
                                                      "(default: for good)."),
                                       QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption garbage(QStringLiteral("garbage-every"),
                                     QStringLiteral("Fault: random bytes and a CR before every "
                                                    "N-th line."),
                                     QStringLiteral("N"));
    const QCommandLineOption eof(QStringLiteral("eof-after"),
                                 QStringLiteral("Fault: an end-of-file character (26) after line "
                                                "N."),
                                 QStringLiteral("N"));
    const QCommandLineOption skew(QStringLiteral("log-count-skew"),
                                  QStringLiteral("Fault: the status report's log count is off by "
                                                 "N (negative: fewer than held)."),
                                  QStringLiteral("N"));
    const QCommandLineOption truncEvery(QStringLiteral("truncate-status-every"),
                                        QStringLiteral("Fault: every N-th status report is cut "
                                                       "short."),
                                        QStringLiteral("N"));
    const QCommandLineOption truncTo(QStringLiteral("truncate-status-to"),
                                     QStringLiteral("Length of a cut status report (default "
                                                    "100)."),
                                     QStringLiteral("N"), QStringLiteral("100"));
    const QCommandLineOption disconnect(QStringLiteral("disconnect-after"),
                                        QStringLiteral("Fault: the terminal goes away after N "
                                                       "records of the first history dump and "
                                                       "comes back under a new name."),
                                        QStringLiteral("N"));
    const QCommandLineOption reconnect(QStringLiteral("reconnect-ms"),
                                       QStringLiteral("Time until the terminal comes back after "
                                                      "a disconnect (default 3000)."),
                                       QStringLiteral("MS"), QStringLiteral("3000"));
    const QCommandLineOption ignore(QStringLiteral("ignore"),
                                    QStringLiteral("Fault: the pump misses these commands every "
                                                   "time, without effect or answer (codes as "
                                                   "sent, comma-separated, e.g. G09,W06,W16)."),
                                    QStringLiteral("CODE[,CODE...]"));
    p.addOptions({link, model, serial, firmware, records, running, noPacing, powerOff, silentAfter,
                  silentFor, garbage, eof, skew, truncEvery, truncTo, disconnect, reconnect,
                  ignore});
    p.process(app);

    QTextStream err(stderr);
    bool allOk = true;
    auto number = [&](const QCommandLineOption& o, int def, int min, int max) {
        if (!p.isSet(o) && p.value(o).isEmpty())
            return def;
        bool ok = false;
        const int v = p.value(o).toInt(&ok);
        if (!ok || v < min || v > max) {
            err << "corvane-pumpsim: --" << o.names().constFirst() << " wants a number from " << min
                << " to " << max << "\n";
            allOk = false;
            return def;
        }
        return v;
    };

    SimPump::Options o;
    o.model = p.value(model).toLatin1();
    if (!SimPump::knownModel(o.model)) {
        err << "corvane-pumpsim: unknown model " << p.value(model) << "\n";
        return 2;
    }
    o.serial = p.value(serial).toLatin1();
    o.firmware = p.value(firmware).toLatin1();
    o.records = number(records, 40, 0, SimPump::kMaxRecords);
    o.running = p.isSet(running);
    o.powerOffMs = number(powerOff, 5, 0, 86400) * 1000;
    o.faults.silentAfterLines = number(silentAfter, -1, 0, 1 << 30);
    o.faults.silentForMs = number(silentFor, 0, 0, 1 << 30);
    o.faults.garbageEveryLines = number(garbage, 0, 1, 1 << 30);
    o.faults.eofAfterLines = number(eof, -1, 1, 1 << 30);
    o.faults.logCountSkew = number(skew, 0, -999, 999);
    o.faults.truncateStatusEvery = number(truncEvery, 0, 1, 1 << 30);
    o.faults.truncateStatusTo = number(truncTo, 100, 0, SimPump::kStatusLength);
    o.faults.disconnectAfterRecords = number(disconnect, -1, 0, SimPump::kMaxRecords);
    for (const QString& code : p.value(ignore).split(',', Qt::SkipEmptyParts)) {
        if (!SimPump::knownCommand(code.toLatin1())) {
            err << "corvane-pumpsim: --ignore: no such command " << code << "\n";
            allOk = false;
        }
        o.faults.ignoreCommands << code.trimmed().toLatin1();
    }
    const int reconnectMs = number(reconnect, 3000, 0, 1 << 30);
    if (!allOk)
        return 2;

    PtyPump server(o, p.value(link), !p.isSet(noPacing), reconnectMs);
    QTextStream out(stdout);
    QObject::connect(&server, &PtyPump::serving, &app, [&](const QString& path) {
        out << path << Qt::endl;
        err << "corvane-pumpsim: model " << o.model << ", serial " << o.serial << ", " << o.records
            << " records on " << path;
        if (!p.value(link).isEmpty())
            err << " (link " << p.value(link) << ")";
        err << Qt::endl;
    });
    if (!server.start()) {
        err << "corvane-pumpsim: cannot open a pseudo-terminal: " << server.errorText() << "\n";
        return 1;
    }

    // Ctrl-C and kill end the event loop, so the link is removed on the way out.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
    }
    return app.exec();
}
