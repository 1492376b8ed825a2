// The built corvane-cli against a pump: corvane-pumpsim on a pseudo-terminal
// (the real serial code, through --port PATH or Com2 mapped in a settings
// file), the demo pump in-process (--demo), and a pseudo-terminal this test
// holds itself, to see every byte the program writes and to answer as a pump.
#include "status/statuslines.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArray kPoll = "R99\rZ99\r";
const QByteArray kSetup = "Z99 0 0 0 1 0 0 0 0 0 0 1 0 0";

// The setup report with the characters at these 1-based positions changed
// (5 timing, 17 programming lock, 21 password, 23 Duration mode).
QByteArray setupWith(const QMap<int, char>& chars) {
    QByteArray line = kSetup;
    for (auto it = chars.cbegin(); it != chars.cend(); ++it)
        line[it.key() - 1] = it.value();
    return line;
}

// A pump on the test's terminal: both reports to every poll, nothing else.
std::function<QByteArray(QByteArray&)> answering(const QByteArray& setup) {
    const QByteArray reports = TestLines::statusLine().toLatin1() + "\r\n" + setup + "\r\n";
    return [reports](QByteArray& got) {
        QByteArray reply;
        for (int i; (i = got.indexOf(kPoll)) >= 0; got.remove(i, kPoll.size()))
            reply += reports;
        return reply;
    };
}

// What a download's log file must look like: the title line, whole records,
// and "Done ok" when complete; every line ends with two blanks and CR LF.
void checkLogFile(const QByteArray& file, int records, bool complete) {
    const QList<QByteArray> lines = file.split('\n');
    QCOMPARE(lines.size(), records + (complete ? 2 : 1) + 1);
    QVERIFY(lines.last().isEmpty());
    for (const QByteArray& line : lines.mid(0, lines.size() - 1))
        QVERIFY2(line.endsWith("  \r"), line.constData());
    QVERIFY(lines[0].startsWith("LogType,"));
    QCOMPARE(lines[lines.size() - 2] == "Done ok  \r", complete);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
    QList<QJsonObject> objects; // one per output line; empty when not JSON
    QByteArray written;         // what reached the test's own terminal
};

void collect(Run& r, QProcess& p) {
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out += p.readAllStandardOutput();
    r.err += p.readAllStandardError();
    for (const QByteArray& line : r.out.split('\n'))
        if (!line.isEmpty())
            r.objects << QJsonDocument::fromJson(line).object();
}

Run runCli(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(CORVANE_CLI_PATH, args);
    p.write(input);
    p.closeWriteChannel();
    Run r;
    if (p.waitForFinished(60000))
        collect(r, p);
    return r;
}

// A pseudo-terminal pair held by the test: the program opens the slave like a
// serial port; the test reads the master to see what was written and may
// answer as a pump would.
struct Pty {
    int master = -1;
    QString slavePath;

    Pty() {
        int slave = -1;
        char name[128] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master, &slave, name, &raw, nullptr) == 0) {
            ::close(slave); // the pair lives while the master is open
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
            slavePath = QString::fromLocal8Bit(name);
        }
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
    }
    QByteArray readNow() const {
        QByteArray got;
        char buf[512];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
            got.append(buf, int(n));
        return got;
    }
    // Runs the program; `answer` sees all bytes received so far and returns
    // what to send back (called whenever more arrived).
    // `watch` sees the program and every byte it wrote so far (to signal it
    // at the right moment).
    Run run(const QStringList& args, const std::function<QByteArray(QByteArray&)>& answer = {},
            const std::function<void(QProcess&, const QByteArray&)>& watch = {}) const {
        QProcess p;
        p.start(CORVANE_CLI_PATH, args);
        Run r;
        QByteArray pending;
        for (QDeadlineTimer end(60000); !end.hasExpired();) {
            const bool done = p.waitForFinished(10);
            pollfd pf{master, POLLIN, 0};
            if (::poll(&pf, 1, done ? 100 : 0) > 0 && (pf.revents & POLLIN)) {
                const QByteArray got = readNow();
                r.written += got;
                pending += got;
                if (answer && !got.isEmpty()) {
                    const QByteArray reply = answer(pending);
                    if (!reply.isEmpty()) [[maybe_unused]]
                        const auto n = ::write(master, reply.constData(), size_t(reply.size()));
                }
                if (watch && !got.isEmpty())
                    watch(p, r.written);
            }
            if (done || p.state() == QProcess::NotRunning) {
                r.written += readNow();
                collect(r, p);
                return r;
            }
        }
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
};

// corvane-pumpsim serving on a link in `dir`.
struct PumpSim {
    QProcess process;
    QString link;

    // Unpaced unless `paced` (the line's own 5760 characters a second).
    bool start(const QString& dir, const QStringList& options, bool paced = false) {
        link = QDir(dir).filePath(QStringLiteral("pump-com1"));
        process.start(CORVANE_PUMPSIM, QStringList{"--link", link} + options +
                                           (paced ? QStringList{} : QStringList{"--no-pacing"}));
        for (QDeadlineTimer end(30000); !end.hasExpired();)
            if (process.canReadLine() || process.waitForReadyRead(100))
                return QFileInfo(link).isSymLink();
        return false;
    }
    ~PumpSim() {
        process.terminate();
        process.waitForFinished(5000);
    }
};

QString settingsFile(const QString& dir, const QByteArray& commPort) {
    const QString path = QDir(dir).filePath(QStringLiteral("corvane.INI"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write("[Comm Port]\r\nCommPort=1\r\n" + commPort);
    return path;
}

// The "Current PC Time" pickers show the PC's clock when the line was
// decoded, not anything the pump sent: two decodes a second apart differ there.
QJsonObject withoutPcClock(QJsonObject o) {
    for (const char* member : {"date", "time"}) {
        QJsonObject m = o.value(member).toObject();
        if (!m.contains("fpDateTime4_1") || !m.contains("fpDateTime4_2"))
            return {}; // the status decode always writes them
        m.remove("fpDateTime4_1");
        m.remove("fpDateTime4_2");
        o.insert(member, m);
    }
    return o;
}

// decode starts as if "PRI" had just come, so every line it reads is also a
// captured line of a download and writes the download's caption (Label3_29);
// status reads a live pump, with no download running.
QJsonObject withoutCaptureCaption(QJsonObject o) {
    QJsonObject text = o.value("text").toObject();
    if (!text.value("Label3_29").toString().startsWith("Reading Log Number : "))
        return {};
    text.remove("Label3_29");
    o.insert("text", text);
    return o;
}

QStringList kinds(const QList<QJsonObject>& objects) {
    QStringList out;
    for (const QJsonObject& o : objects)
        out << o.value("kind").toString();
    return out;
}

} // namespace

// Pseudo-terminal cases: label `pty` once corvane_add_test takes LABELS.
class TestCliLive : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // The pump a row names: "pumpsim" (its path), "Com2" (pumpsim behind Com2
    // in a settings file) or "demo".
    QStringList pumpArgs(const QString& via, PumpSim& sim, const QStringList& simOptions = {}) {
        if (via == "demo")
            return {"--demo"};
        if (!sim.start(m_dir.path(), simOptions))
            return {};
        if (via == "Com2")
            return {"--port", "com2", "--settings",
                    settingsFile(m_dir.path(), "Com2=" + QFile::encodeName(sim.link) + "\r\n")};
        return {"--port", sim.link};
    }

private slots:
    void help();
    void statusMatchesDecode_data();
    void statusMatchesDecode();
    void watchEndsCleanlyOnSigterm_data();
    void watchEndsCleanlyOnSigterm();
    void trace_data();
    void trace();
    void traceInterrupted();
    void nothingWrittenBeforeArgumentsAreValid_data();
    void nothingWrittenBeforeArgumentsAreValid();
    void eraseAgainstAnsweringPump_data();
    void eraseAgainstAnsweringPump();
    void eraseSeenInNextStatus();
    void noPump_data();
    void noPump();
    void silentPump();
    void unpluggedDuringWatch();
    void ports();
    void download_data();
    void download();
    void downloadInterrupted();
    void setClock_data();
    void setClock();
    void sendSetup_data();
    void sendSetup();
    void sendSetupInterrupted();
    void refusedAfterThePoll_data();
    void refusedAfterThePoll();
    void program_data();
    void program();
};

// The overview names every subcommand; each explains itself.
void TestCliLive::help() {
    const Run all = runCli({"--help"});
    QCOMPARE(all.exitCode, 0);
    const QStringList names = {
        "decode",    "status",     "trace",   "ports",      "download",
        "set-clock", "send-setup", "program", "erase-logs", "clear-sampling-data"};
    for (const QString& name : names) {
        QVERIFY2(all.out.contains("\n  " + name.toLatin1() + ' '), qPrintable(name));
        const Run one = runCli({name, "--help"});
        QVERIFY2(one.exitCode == 0 && one.out.startsWith("Usage: corvane-cli " + name.toLatin1()),
                 qPrintable(name));
        QVERIFY2(!one.out.toLower().contains("not available"), qPrintable(name));
    }
    QVERIFY(!all.out.contains("not available"));
    // The sequences' settings save is the window's alone.
    for (const char* name : {"send-setup", "program"})
        QVERIFY(runCli({name, "--help"})
                    .out.replace('\n', ' ')
                    .contains("does not save the settings into corvane.INI"));
    const Run unknown = runCli({"stauts", "--demo"});
    QVERIFY(unknown.exitCode == 2 && unknown.err.contains("unknown subcommand \"stauts\""));
}

// `status` prints the first status and setup reports as `decode` prints the
// same two lines, member for member (but for the PC's own clock).
void TestCliLive::statusMatchesDecode_data() {
    QTest::addColumn<QString>("via");
    QTest::addColumn<QStringList>("simOptions");
    QTest::newRow("pumpsim by path") << "pumpsim" << QStringList{};
    QTest::newRow("pumpsim KST-12 running, Com2 mapped")
        << "Com2" << QStringList{"--model", "29", "--running"};
    QTest::newRow("demo") << "demo" << QStringList{};
}

void TestCliLive::statusMatchesDecode() {
    QFETCH(QString, via);
    QFETCH(QStringList, simOptions);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim, simOptions);
    QVERIFY(!pump.isEmpty());
    const Run status = runCli(QStringList{"status"} + pump);
    QCOMPARE(status.exitCode, 0);
    QCOMPARE(kinds(status.objects), (QStringList{"status", "setup"}));
    QVERIFY2(status.err.contains(": open\n"), status.err.constData());

    const QByteArray lines = status.objects[0].value("line").toString().toLatin1() + "\r" +
                             status.objects[1].value("line").toString().toLatin1() + "\r";
    const Run decoded = runCli({"decode"}, lines);
    QCOMPARE(decoded.exitCode, 0);
    QCOMPARE(decoded.objects.size(), 2);
    const QJsonObject live = withoutPcClock(status.objects[0]);
    QVERIFY(!live.isEmpty());
    QCOMPARE(live, withoutPcClock(withoutCaptureCaption(decoded.objects[0])));
    QCOMPARE(status.objects[1], withoutCaptureCaption(decoded.objects[1]));
    if (via == "Com2") // the model and run state came through
        QCOMPARE(status.objects[0].value("tooltip")["CommandButton4"],
                 QJsonValue("Pump cann't be in RUN Mode"));
}

// --watch prints report after report until SIGTERM, which ends it with 0.
void TestCliLive::watchEndsCleanlyOnSigterm_data() {
    QTest::addColumn<QString>("via");
    QTest::newRow("pumpsim") << "pumpsim";
    QTest::newRow("demo") << "demo";
}

void TestCliLive::watchEndsCleanlyOnSigterm() {
    QFETCH(QString, via);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim);
    QVERIFY(!pump.isEmpty());
    QProcess watch;
    watch.start(CORVANE_CLI_PATH, QStringList{"status", "--watch"} + pump);
    QByteArray out;
    // Two rounds of polls: four reports.
    QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput()).count('\n') >= 4, 30000);
    watch.terminate();
    QVERIFY(watch.waitForFinished(30000));
    QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch.exitCode(), 0);
    Run r;
    collect(r, watch);
    r.objects.clear();
    for (const QByteArray& line : (out + r.out).split('\n'))
        if (!line.isEmpty())
            r.objects << QJsonDocument::fromJson(line).object();
    QVERIFY(r.objects.size() >= 4);
    for (const QString& kind : kinds(r.objects))
        QVERIFY2(kind == "status" || kind == "setup", qPrintable(kind));
    QVERIFY(!r.err.contains("No Pump Found"));
}

// The readable trace: every command sent (one a line, split at CR) and every
// line received, stamped with seconds since the start in order; --raw is the
// received bytes unchanged, which `decode` reads.
void TestCliLive::trace_data() {
    QTest::addColumn<QString>("via");
    QTest::newRow("pumpsim") << "pumpsim";
    QTest::newRow("demo") << "demo";
}

void TestCliLive::trace() {
    QFETCH(QString, via);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim);
    QVERIFY(!pump.isEmpty());
    const Run readable = runCli(QStringList{"trace", "--seconds", "2.5"} + pump);
    QCOMPARE(readable.exitCode, 0);
    static const QRegularExpression form(QStringLiteral("^(\\d+\\.\\d{3}) ([<>]) (.+)$"));
    double last = 0;
    QStringList sent, received;
    for (const QByteArray& line : readable.out.split('\n')) {
        if (line.isEmpty())
            continue;
        const auto m = form.match(QString::fromLatin1(line));
        QVERIFY2(m.hasMatch(), line.constData());
        const double at = m.captured(1).toDouble();
        QVERIFY(at >= last && at < 60);
        last = at;
        (m.captured(2) == ">" ? sent : received) << m.captured(3);
    }
    QVERIFY2(sent.size() >= 4 && sent.size() % 2 == 0, qPrintable(sent.join(',')));
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(sent[i], i % 2 ? QString("Z99") : QString("R99"));
    QVERIFY(received.size() >= 2);
    for (const QString& line : received)
        QVERIFY2(line.startsWith("R99 ") || line.startsWith("Z99 "), qPrintable(line));

    const Run raw = runCli(QStringList{"trace", "--raw", "--seconds", "2.5"} + pump);
    QCOMPARE(raw.exitCode, 0);
    if (via != "demo") // the simulated pump's own line ends, unchanged
        QVERIFY(raw.out.startsWith("R99 ") && raw.out.contains("\r\n"));
    const Run decoded = runCli({"decode"}, raw.out);
    QVERIFY(decoded.exitCode == 0 && decoded.objects.size() >= 2);
    QCOMPARE(kinds(decoded.objects).mid(0, 2), (QStringList{"status", "setup"}));
}

// SIGINT ends a trace with no time limit, cleanly.
void TestCliLive::traceInterrupted() {
    QProcess trace;
    trace.start(CORVANE_CLI_PATH, {"trace", "--demo"});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += trace.readAllStandardOutput()).contains(" < Z99"), 30000);
    ::kill(pid_t(trace.processId()), SIGINT);
    QVERIFY(trace.waitForFinished(30000));
    QCOMPARE(trace.exitStatus(), QProcess::NormalExit);
    QCOMPARE(trace.exitCode(), 0);
}

// Bad arguments and a refused erase write nothing to the port named: the
// port is not even opened.
void TestCliLive::nothingWrittenBeforeArgumentsAreValid_data() {
    QTest::addColumn<QString>("args"); // PORT stands for the terminal
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    auto usage = [](const char* args) {
        QTest::newRow(args) << args << 2
                            << "Usage: corvane-cli " + QString(args).section(' ', 0, 0);
    };
    usage("status --port PORT --bogus");
    usage("status --port PORT --demo");
    usage("trace --port PORT --seconds 0");
    usage("ports --port PORT");
    usage("download --port PORT -o /nonexistent/logs.csv");
    usage("download --port PORT -o /tmp");
    usage("set-clock --port PORT --time 2026-02-30");
    usage("set-clock --port PORT --time 1999-12-31 23:59");
    usage("send-setup --port PORT --units si");
    usage("send-setup --port PORT --log-rate 59");
    usage("program --port PORT --flow 2000 --lunch 12:00-12:30");
    usage("program --port PORT --flow 2000 --start 2031-01-01 08:00");
    usage("program --port PORT --flow 2000 --duration 00:00");
    usage("program --port PORT --break1 10:00-10:15");
    usage("erase-logs --port PORT --yes now");
    usage("clear-sampling-data --port PORT --settings /nonexistent/corvane.INI --yes");
    QTest::newRow("erase-logs without --yes")
        << "erase-logs --port PORT" << 2 << "needs --yes; nothing was sent.";
    QTest::newRow("clear-sampling-data without --yes")
        << "clear-sampling-data --port PORT" << 2 << "needs --yes; nothing was sent.";
}

void TestCliLive::nothingWrittenBeforeArgumentsAreValid() {
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    Pty pty;
    QVERIFY(pty.master >= 0);
    // The dates' blank ("2026-02-30 10:00") kept inside one argument.
    QStringList argv;
    for (const QString& a : args.replace("PORT", pty.slavePath).split(' '))
        if (!argv.isEmpty() && QRegularExpression("^\\d\\d:\\d\\d$").match(a).hasMatch() &&
            argv.last().contains(QRegularExpression("^\\d{4}-")))
            argv.last() += ' ' + a;
        else
            argv << a;
    const Run r = pty.run(argv);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(said.toUtf8()), r.err.constData());
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.written, QByteArray());
}

// The erase commands against a terminal the test answers on as a pump: a
// poll first, then exactly the one command, or nothing while the pump runs.
void TestCliLive::eraseAgainstAnsweringPump_data() {
    QTest::addColumn<QString>("subcommand");
    QTest::addColumn<QString>("runState");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("command"); // written after the polls
    QTest::newRow("erase-logs") << "erase-logs"
                                << "0100" << 0 << QByteArray("LOG_INIT\r");
    QTest::newRow("erase-logs while running") << "erase-logs"
                                              << "0401" << 0 << QByteArray("LOG_INIT\r");
    QTest::newRow("clear-sampling-data") << "clear-sampling-data"
                                         << "0100" << 0 << QByteArray("CLEAR_ALL\r");
    QTest::newRow("clear-sampling-data while running") << "clear-sampling-data"
                                                       << "0401" << 2 << QByteArray();
}

void TestCliLive::eraseAgainstAnsweringPump() {
    QFETCH(QString, subcommand);
    QFETCH(QString, runState);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, command);
    Pty pty;
    QVERIFY(pty.master >= 0);
    const QByteArray reports =
        TestLines::statusLine({"runState=" + runState}).toLatin1() + "\r\n" + kSetup + "\r\n";
    const Run r = pty.run({subcommand, "--yes", "--port", pty.slavePath}, [&](QByteArray& got) {
        QByteArray reply;
        for (int i; (i = got.indexOf(kPoll)) >= 0; got.remove(i, kPoll.size()))
            reply += reports;
        return reply;
    });
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY(r.written.startsWith(kPoll));
    QByteArray rest = r.written;
    rest.replace(kPoll, "");
    QCOMPARE(rest, command);
    if (command.isEmpty()) {
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains("Pump cann't be in RUN Mode; nothing was sent."),
                 r.err.constData());
    } else {
        QVERIFY(r.written.endsWith(command));
        const QJsonObject sent{{"sent", QString(command.chopped(1))}};
        QCOMPARE(r.objects, QList<QJsonObject>{sent});
    }
}

// The simulated pump empties its history: the next status shows no logs.
// Same run in-process on the demo pump.
void TestCliLive::eraseSeenInNextStatus() {
    PumpSim sim;
    QVERIFY(sim.start(m_dir.path(), {"--records", "7"}));
    const QStringList port = {"--port", sim.link};
    auto logCount = [&] {
        const QJsonObject status = runCli(QStringList{"status"} + port).objects.value(0);
        return status["values"].toObject()["logCount"].toString();
    };
    QCOMPARE(logCount(), QString("007"));
    const Run erase = runCli(QStringList{"erase-logs", "--yes"} + port);
    QCOMPARE(erase.exitCode, 0);
    QCOMPARE(logCount(), QString("000"));
    const Run demo = runCli({"erase-logs", "--yes", "--demo"});
    QVERIFY(demo.exitCode == 0 && demo.out == "{\"sent\":\"LOG_INIT\"}\n");
}

// A port that does not open: exit 3 with the status bar's words, for every
// live subcommand, whether named by path or through Com3 in a settings file.
void TestCliLive::noPump_data() {
    QTest::addColumn<QString>("subcommand");
    QTest::addColumn<QString>("how"); // missing, mapped, held
    for (const char* sub : {"status", "trace", "erase-logs", "download", "set-clock", "send-setup",
                            "program --flow 2000"})
        for (const char* how : {"missing", "mapped", "held"})
            QTest::addRow("%s, %s", sub, how) << sub << how;
    QTest::newRow("status --watch, missing") << "status --watch"
                                             << "missing";
}

void TestCliLive::noPump() {
    QFETCH(QString, subcommand);
    QFETCH(QString, how);
    Pty pty;
    QVERIFY(pty.master >= 0);
    QSerialPort holder(pty.slavePath);
    QStringList args = subcommand.split(' ');
    if (subcommand == "erase-logs")
        args << "--yes";
    QString said;
    const QString missing = m_dir.filePath("ttyGONE");
    if (how == "missing") {
        args << "--port" << missing;
        said = missing + ": no such device \u2014 is the adapter plugged in?";
    } else if (how == "mapped") {
        args << "--port"
             << "Com3"
             << "--settings" << settingsFile(m_dir.path(), "Com3=" + QFile::encodeName(missing));
        said = "Com3 (" + missing + "): no such device \u2014 is the adapter plugged in?";
    } else {
        QVERIFY(holder.open(QIODevice::ReadWrite)); // another program has the port
        args << "--port" << pty.slavePath;
        said = pty.slavePath + ": in use by another program";
    }
    const Run r = runCli(args);
    QCOMPARE(r.exitCode, 3);
    QCOMPARE(QString::fromUtf8(r.err), said + "\n");
    QVERIFY(r.out.isEmpty());
}

// A pump that never answers is found missing by the window's check of the
// poll (about seven seconds); SIGTERM before that ends the wait at once.
void TestCliLive::silentPump() {
    PumpSim sim;
    QVERIFY(sim.start(m_dir.path(), {"--silent-after", "0"}));
    const Run r = runCli({"status", "--port", sim.link});
    QCOMPARE(r.exitCode, 3);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.endsWith("No Pump Found\n"), r.err.constData());

    QProcess waiting;
    waiting.start(CORVANE_CLI_PATH, {"status", "--port", sim.link});
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += waiting.readAllStandardError()).contains(": open"), 30000);
    waiting.terminate();
    QVERIFY(waiting.waitForFinished(30000));
    QCOMPARE(waiting.exitCode(), 128 + SIGTERM);
    QVERIFY(!(err + waiting.readAllStandardError()).contains("No Pump Found"));
}

// The pump's terminal goes away under --watch (the adapter pulled): the
// status bar's "device lost", then the window's check of the poll finds no
// pump and the watch ends with 3 instead of waiting for ever.
void TestCliLive::unpluggedDuringWatch() {
    auto sim = std::make_unique<PumpSim>();
    QVERIFY(sim->start(m_dir.path(), {}));
    QProcess watch;
    watch.start(CORVANE_CLI_PATH, {"status", "--watch", "--port", sim->link});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput()).count('\n') >= 2, 30000);
    sim.reset();
    QVERIFY(watch.waitForFinished(60000));
    QCOMPARE(watch.exitCode(), 3);
    const QByteArray err = watch.readAllStandardError();
    QVERIFY2(err.contains(": device lost\n") && err.endsWith("No Pump Found\n"), err.constData());
}

// Com1..Com4 as mapped, then the system's other serial devices; each opened
// only to test it: nothing reaches the terminal behind Com1.
void TestCliLive::ports() {
    Pty pty, held;
    QVERIFY(pty.master >= 0 && held.master >= 0);
    QSerialPort holder(held.slavePath);
    QVERIFY(holder.open(QIODevice::ReadWrite));
    const QString missing = m_dir.filePath("ttyGONE");
    const QString plain = m_dir.filePath("not-a-port");
    QFile(plain).open(QIODevice::WriteOnly);
    const QString ini =
        settingsFile(m_dir.path(), "Com1=" + QFile::encodeName(pty.slavePath) +
                                       "\r\nCom2=" + QFile::encodeName(missing) +
                                       "\r\nCom3=" + QFile::encodeName(held.slavePath) +
                                       "\r\nCom4=" + QFile::encodeName(plain) + "\r\n");
    const Run r = pty.run({"ports", "--settings", ini});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.written, QByteArray());
    QVERIFY(r.objects.size() >= 4);
    auto brief = [](const QJsonObject& o) {
        return QStringList{o["name"].toString(), o["device"].toString(),
                           o["exists"].toBool() ? "exists" : "missing",
                           o["openable"].toBool() ? "opens" : "refused", o["reason"].toString()};
    };
    QCOMPARE(brief(r.objects[0]), (QStringList{"Com1", pty.slavePath, "exists", "opens", ""}));
    QCOMPARE(brief(r.objects[1]),
             (QStringList{"Com2", missing, "missing", "refused",
                          "no such device \u2014 is the adapter plugged in?"}));
    QCOMPARE(brief(r.objects[2]), (QStringList{"Com3", held.slavePath, "exists", "refused",
                                               "in use by another program"}));
    QCOMPARE(brief(r.objects[3]).mid(0, 4), (QStringList{"Com4", plain, "exists", "refused"}));
    QVERIFY(!r.objects[3]["reason"].toString().isEmpty());
    for (const QJsonObject& o : r.objects.mid(4)) // the machine's own devices
        for (const char* member : {"name", "device", "exists", "openable", "reason"})
            QVERIFY2(o.contains(member), member);
    QVERIFY(holder.isOpen());
}

// The download through the real serial code and in-process: the log file
// written whole when "Done ok" came (-o FILE and -o - give the same bytes),
// and what came before a silent pump or a pulled cable, with exit 4.
void TestCliLive::download_data() {
    QTest::addColumn<QString>("via");
    QTest::addColumn<QStringList>("simOptions");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("records"); // in the file
    QTest::addColumn<QString>("said");
    QTest::newRow("pumpsim") << "pumpsim" << QStringList{"--records", "25"} << 0 << 25
                             << "Reading Logs is completed";
    // The two reports, "PRINTING", the titles and 10 records, then silence.
    QTest::newRow("pumpsim falls silent") << "pumpsim" << QStringList{"--silent-after", "14"} << 4
                                          << 10 << "the pump sent nothing for 10 seconds";
    QTest::newRow("pumpsim unplugged") << "pumpsim" << QStringList{"--disconnect-after", "12"} << 4
                                       << 12 << "the serial port went away (unplugged?)";
    QTest::newRow("demo") << "demo" << QStringList{} << 0 << 40 << "Reading Logs is completed";
}

void TestCliLive::download() {
    QFETCH(QString, via);
    QFETCH(QStringList, simOptions);
    QFETCH(int, exitCode);
    QFETCH(int, records);
    QFETCH(QString, said);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim, simOptions);
    QVERIFY(!pump.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("%1.csv").arg(QTest::currentDataTag()));
    const Run r = runCli(QStringList{"download", "-o", path} + pump);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(said.toUtf8()), r.err.constData());
    const bool complete = exitCode == 0;
    const QByteArray file = readFile(path);
    checkLogFile(file, records, complete);
    QCOMPARE(r.objects.size(), 1);
    const QJsonObject expected{{"file", path},
                               {"records", records},
                               {"expected", via == "demo" ? 40
                                            : complete    ? 25
                                                          : 40},
                               {"complete", complete}};
    QJsonObject result = r.objects[0];
    QVERIFY(result.take("seconds").toDouble() >= 0);
    QCOMPARE(result, expected);
    if (!complete)
        QVERIFY(r.err.contains("Reading logs stopped: "));
    if (via == "pumpsim" && complete) { // the same pump again, to standard output
        const Run toStdout = runCli(QStringList{"download", "-o", "-"} + pump);
        QCOMPARE(toStdout.exitCode, 0);
        QCOMPARE(toStdout.out, file);
        const QList<QByteArray> errLines = toStdout.err.split('\n');
        QVERIFY(errLines.size() >= 2);
        QJsonObject onErr = QJsonDocument::fromJson(errLines[errLines.size() - 2]).object();
        onErr.remove("seconds");
        QJsonObject expectedOnErr = expected;
        expectedOnErr["file"] = "-";
        QCOMPARE(onErr, expectedOnErr);
    }
}

// SIGINT in the middle of a download at the line's pace: it ends at once,
// writes the records that came and says so with exit 4.
void TestCliLive::downloadInterrupted() {
    PumpSim sim;
    QVERIFY(sim.start(m_dir.path(), {"--records", "999"}, true));
    const QString path = m_dir.filePath("interrupted.csv");
    QProcess p;
    p.start(CORVANE_CLI_PATH, {"download", "-o", path, "--port", sim.link});
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains("Reading log "), 30000);
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 4);
    Run r;
    collect(r, p);
    r.err.prepend(err);
    QCOMPARE(r.objects.size(), 1);
    const int records = r.objects[0]["records"].toInt();
    QVERIFY2(records >= 1 && records < 999, r.out.constData());
    QCOMPARE(r.objects[0]["complete"], QJsonValue(false));
    QVERIFY(r.err.contains("Reading logs stopped: stopped by hand"));
    checkLogFile(readFile(path), records, false);
}

// The clock sent and read back through the real serial code: confirmed when
// the pump takes it, exit 5 when it misses "W16 " (and keeps its own clock).
void TestCliLive::setClock_data() {
    QTest::addColumn<QString>("via");
    QTest::addColumn<QStringList>("simOptions");
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("pumpsim, PC time") << "pumpsim" << QStringList{} << "" << 0;
    QTest::newRow("pumpsim, chosen") << "pumpsim" << QStringList{} << "2031-05-06 07:08" << 0;
    QTest::newRow("pumpsim misses W16")
        << "pumpsim" << QStringList{"--ignore", "W16"} << "2031-05-06 07:08" << 5;
    QTest::newRow("demo") << "demo" << QStringList{} << "2031-05-06 07:08" << 0;
}

void TestCliLive::setClock() {
    QFETCH(QString, via);
    QFETCH(QStringList, simOptions);
    QFETCH(QString, time);
    QFETCH(int, exitCode);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim, simOptions);
    QVERIFY(!pump.isEmpty());
    const Run r = runCli(QStringList{"set-clock"} +
                         (time.isEmpty() ? QStringList{} : QStringList{"--time", time}) + pump);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.objects.size(), 1);
    const QString sent = r.objects[0]["sent"].toString();
    QVERIFY(QRegularExpression("^\\d\\d \\d\\d \\d\\d \\d\\d \\d\\d$").match(sent).hasMatch());
    if (!time.isEmpty())
        QCOMPARE(sent, QString("08 07 06 05 31"));
    const QString pumpClock = r.objects[0]["pumpClock"].toString();
    QCOMPARE(r.objects[0]["confirmed"], QJsonValue(exitCode == 0));
    if (exitCode == 0) {
        QVERIFY2(r.err.contains("Pump clock set to "), r.err.constData());
        // The minute sent, or the next one if it turned before the report.
        auto at = [](const QString& argument) {
            QDateTime t = QDateTime::fromString(argument, "mm HH dd MM yy");
            return t.isValid() ? t.addYears(100) : t; // two digits read as 19xx
        };
        QVERIFY2(at(pumpClock).isValid() && at(sent).isValid(), qPrintable(pumpClock));
        const qint64 ahead = at(sent).secsTo(at(pumpClock));
        QVERIFY2(ahead == 0 || ahead == 60, qPrintable(pumpClock));
    } else {
        QVERIFY(!pumpClock.isEmpty() && pumpClock != sent); // the pump's own clock
        QVERIFY2(r.err.contains("The pump did not take the clock: sent 07:08 06/05/2031"),
                 r.err.constData());
    }
}

// "Send Setup To Pump" through the real serial code: a setting the pump
// misses is named, exit 5; a setup taken is confirmed and the next status
// shows it.
void TestCliLive::sendSetup_data() {
    QTest::addColumn<QString>("via");
    QTest::addColumn<QStringList>("simOptions");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("pumpsim misses G09")
        << "pumpsim" << QStringList{"--ignore", "G09"} << QStringList{"--password", "on"} << 5
        << QByteArray(
               R"({"confirmed":false,"mismatches":[{"reported":"Off","sent":"On","setting":"Password"}]})"
               "\n");
    QTest::newRow("pumpsim takes it")
        << "pumpsim" << QStringList{}
        << QStringList{"--units", "metric", "--timing", "duration", "--log-rate", "5"} << 0
        << QByteArray(R"({"confirmed":true,"mismatches":[]})"
                      "\n");
}

void TestCliLive::sendSetup() {
    QFETCH(QString, via);
    QFETCH(QStringList, simOptions);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim, simOptions);
    QVERIFY(!pump.isEmpty());
    const Run r = runCli(QStringList{"send-setup"} + args + pump);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, out);
    QVERIFY2(r.err.contains("\nSending Setup to Pump\n") &&
                 r.err.contains("\nDone Sending Setup to Pump\n"),
             r.err.constData());
    if (exitCode == 0) {
        // The next status shows it: metric units, logging every 5 minutes.
        const Run status = runCli(QStringList{"status"} + pump);
        QCOMPARE(status.exitCode, 0);
        QCOMPARE(status.objects.value(1)["text"].toObject()["Label1_4"].toString(),
                 QString("Unit Of Measurement: Metric  "));
        QCOMPARE(status.objects.value(0)["text"].toObject()["Label1_1"].toString(),
                 QString("History Report Logging Rate:Every 05 Minutes"));
    }
}

// SIGTERM in the middle of the setup sequence: nothing more is written.
void TestCliLive::sendSetupInterrupted() {
    Pty pty;
    QVERIFY(pty.master >= 0);
    bool signalled = false;
    const Run r = pty.run({"send-setup", "--units", "metric", "--port", pty.slavePath},
                          answering(kSetup), [&](QProcess& p, const QByteArray& written) {
                              if (!signalled && written.contains("Y09\r")) {
                                  signalled = true;
                                  p.terminate();
                              }
                          });
    QVERIFY(signalled);
    QCOMPARE(r.exitCode, 128 + SIGTERM);
    QVERIFY(r.out.isEmpty());
    QByteArray sequence = r.written;
    sequence.replace(kPoll, "");
    // One more command may have been on its way; the rest, a second or more
    // later each, never goes out.
    QVERIFY2(sequence.startsWith("Y13\rY09\r") && !sequence.contains("W06") &&
                 !sequence.contains("UPDATE_LOGTYPE"),
             sequence.constData());
}

// Refused once the poll has shown the pump's setup, with nothing but the
// poll written: a setting left out that the pump's report does not show, a
// pump whose setup locks programming, times its timing mode would not send.
void TestCliLive::refusedAfterThePoll_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QString>("said");
    QTest::newRow("send-setup, password unreadable")
        << "send-setup --units metric" << setupWith({{21, 'x'}})
        << "corvane-cli send-setup: the pump's setup report shows nothing readable for Password: "
           "give --password; nothing was sent.";
    QTest::newRow("program, locked")
        << "program --flow 2000" << setupWith({{17, '1'}})
        << "corvane-cli program: the pump's setup report locks programming; nothing was sent.";
    QTest::newRow("program, start/stop in Duration mode")
        << "program --flow 2000 --start 2031-01-01 08:00 --stop 2031-01-01 09:00"
        << setupWith({{5, '1'}, {23, '1'}})
        << "corvane-cli program: the pump's timing is Duration: send-setup --timing start-stop "
           "first; nothing was sent.";
}

void TestCliLive::refusedAfterThePoll() {
    QFETCH(QString, args);
    QFETCH(QByteArray, setup);
    QFETCH(QString, said);
    Pty pty;
    QVERIFY(pty.master >= 0);
    QStringList argv = args.split(' ');
    for (int i = argv.size() - 1; i > 0; --i)
        if (argv[i].contains(':') && argv[i - 1].contains(QRegularExpression("^\\d{4}-")))
            argv[i - 1] += ' ' + argv.takeAt(i);
    const Run r = pty.run(argv + QStringList{"--port", pty.slavePath}, answering(setup));
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.endsWith(said.toUtf8() + "\n"), r.err.constData());
    QVERIFY(r.written.startsWith(kPoll));
    QCOMPARE(QByteArray(r.written).replace(kPoll, ""), QByteArray());
}

// "Program Pump" through the real serial code: the program goes in, the
// pump switches off, and its silence afterwards is no "No Pump Found"; the
// next status, once it is back on, shows the new target flow.
void TestCliLive::program_data() {
    QTest::addColumn<QString>("via");
    QTest::newRow("pumpsim") << "pumpsim";
    QTest::newRow("demo") << "demo";
}

void TestCliLive::program() {
    QFETCH(QString, via);
    PumpSim sim;
    const QStringList pump = pumpArgs(via, sim, {"--power-off-seconds", "1"});
    QVERIFY(!pump.isEmpty());
    const Run r = runCli(QStringList{"program", "--flow", "2500", "--lunch", "12:15-12:45"} + pump);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.objects.size(), 1);
    QCOMPARE(r.objects[0]["timing"].toString(), QString("off"));
    const QJsonArray sent = r.objects[0]["sent"].toArray();
    QCOMPARE(sent.size(), 13);
    QCOMPARE(sent[1].toString(), QString("W04 2500"));
    QCOMPARE(sent[7].toString(), QString("W25 15 12 45 12"));
    QCOMPARE(sent[12].toString(), QString("POWER_OFF "));
    QVERIFY2(r.err.endsWith("Turning Pump Off\nProgram Pump is completed\n"), r.err.constData());
    QVERIFY(!r.err.contains("No Pump Found"));
    if (via == "pumpsim") {
        const Run status = runCli(QStringList{"status"} + pump);
        QCOMPARE(status.exitCode, 0);
        QCOMPARE(status.objects.value(0)["line"].toString().mid(33, 6), QString("002500"));
    }
}

QTEST_GUILESS_MAIN(TestCliLive)
#include "test_cli_live.moc"
