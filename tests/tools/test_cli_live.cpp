// The built corvane-cli against a pump: corvane-pumpsim on a pseudo-terminal
// (the real serial code, through --port PATH or Com2 mapped in a settings
// file), the demo pump in-process (--demo), and a pseudo-terminal this test
// holds itself, to see every byte the program writes and to answer as a pump;
// and `decode` on short traces: line ends, skipped lines, kinds, the JSON
// members.
#include "cliprocess.h"
#include "status/statuslines.h"
#include "support/testfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>
#include <memory>
#include <utility>

namespace {

const QByteArray kPoll = "R99\rZ99\r";
const QByteArray kSetup = "Z99 0 0 0 1 0 0 0 0 0 0 1 0 0";

using Run = ProgramRun;

Run runCli(const QStringList& args, const QByteArray& input = {}) {
    return runProgram(CORVANE_CLI_PATH, args, input);
}

// The program run against the test's pseudo-terminal.
struct Pty : TestPty {
    Run run(const QStringList& args, const std::function<QByteArray(QByteArray&)>& answer = {},
            const std::function<void(QProcess&, const QByteArray&)>& watch = {}) {
        QProcess p;
        p.start(CORVANE_CLI_PATH, args);
        return serve(p, *this, answer, watch);
    }
};

QString settingsFile(const QString& dir, const QByteArray& commPort) {
    const QString path = QDir(dir).filePath(QStringLiteral("corvane.INI"));
    putFile(path, "[Comm Port]\r\nCommPort=1\r\n" + commPort);
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

// Words of a row's command line: PORT stands for the port, and "~" for a
// blank inside a word ("2031-01-01~08:00").
QStringList argv(const QString& args, const QString& port) {
    return QString(args).replace("PORT", port).split(' ').replaceInStrings("~", " ");
}

} // namespace

// What only a real terminal and a real process show: the port opened (or
// not) by the real serial code, unplugging, signals, the bytes on the wire;
// each live subcommand once end to end. The sequences' writes, read-backs and
// download rules are checked in-process in test_cli_commands.
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
    void watch();
    void trace();
    void againstThePort_data();
    void againstThePort();
    void ports();
    void sendSetupInterrupted();
    void decodeTrace();
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
    const Run unknown = runCli({"stauts", "--demo"});
    QVERIFY(unknown.exitCode == 2 && unknown.err.contains("unknown subcommand \"stauts\""));
    // --version: one line; no subcommand or a usage error: exit 2 and the
    // usage; decode of nothing: nothing, exit 0 whatever the input held.
    const Run version = runCli({"--version"});
    QVERIFY2(version.exitCode == 0 && QRegularExpression("^corvane-cli \\d+\\.\\d+\\.\\d+\\n$")
                                          .match(QString::fromUtf8(version.out))
                                          .hasMatch(),
             version.out.constData());
    for (const QStringList& args : {QStringList{}, QStringList{"decode", "--imperial"}}) {
        const Run r = runCli(args);
        QVERIFY2(r.exitCode == 2 && r.out.isEmpty() && r.err.contains("Usage"),
                 qPrintable(args.join(' ')));
    }
    const Run empty = runCli({"decode"});
    QVERIFY(empty.exitCode == 0 && empty.out.isEmpty());
}

// `status` prints the first status and setup reports as `decode` prints the
// same two lines, member for member (but for the PC's own clock), and the
// status report's named values.
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
    QJsonObject live = withoutPcClock(status.objects[0]);
    QVERIFY(!live.isEmpty());
    // Beside decode's members, the report's values by name.
    const QJsonObject fields = live.take("fields").toObject();
    QCOMPARE(fields.value("run_state").toInt() > 400, via == "Com2");
    QCOMPARE(fields.value("serial").toString(), status.objects[0]["line"].toString().mid(116, 8));
    QCOMPARE(live, withoutPcClock(withoutCaptureCaption(decoded.objects[0])));
    QCOMPARE(status.objects[1], withoutCaptureCaption(decoded.objects[1]));
    if (via == "Com2") // the model and run state came through
        QCOMPARE(status.objects[0].value("tooltip")["CommandButton4"],
                 QJsonValue("Pump cann't be in RUN Mode"));
}

// --watch prints report after report until SIGTERM, which ends it with 0.
// When the pump's terminal goes away under it (the adapter pulled): the
// status bar's "device lost", then the window's check of the poll finds no
// pump and the watch ends with 3 instead of waiting for ever.
void TestCliLive::watch() {
    auto sim = std::make_unique<PumpSim>();
    QVERIFY(sim->start(m_dir.path(), {}));
    QProcess watch;
    watch.start(CORVANE_CLI_PATH, {"status", "--watch", "--port", sim->link});
    Run r;
    // Two rounds of polls: four reports.
    QTRY_VERIFY_WITH_TIMEOUT((r.out += watch.readAllStandardOutput()).count('\n') >= 4, 30000);
    watch.terminate();
    QVERIFY(watch.waitForFinished(30000));
    QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch.exitCode(), 0);
    r.collect(watch);
    QVERIFY(r.objects.size() >= 4);
    for (const QString& kind : kinds(r.objects))
        QVERIFY2(kind == "status" || kind == "setup", qPrintable(kind));
    QVERIFY(!r.err.contains("No Pump Found"));

    QProcess unplugged;
    unplugged.start(CORVANE_CLI_PATH, {"status", "--watch", "--port", sim->link});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += unplugged.readAllStandardOutput()).count('\n') >= 2, 30000);
    sim.reset();
    QVERIFY(unplugged.waitForFinished(60000));
    QCOMPARE(unplugged.exitCode(), 3);
    const QByteArray err = unplugged.readAllStandardError();
    QVERIFY2(err.contains(": device lost\n") && err.endsWith("No Pump Found\n"), err.constData());
}

// The readable trace: every command sent (one a line, split at CR) and every
// line received, stamped with seconds since the start in order, until SIGINT
// ends it cleanly; --raw is the received bytes unchanged, which `decode`
// reads, until --seconds ends it.
void TestCliLive::trace() {
    PumpSim sim;
    QVERIFY(sim.start(m_dir.path(), {}));
    QProcess trace;
    trace.start(CORVANE_CLI_PATH, {"trace", "--port", sim.link});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += trace.readAllStandardOutput()).count(" < Z99") >= 2, 30000);
    ::kill(pid_t(trace.processId()), SIGINT);
    QVERIFY(trace.waitForFinished(30000));
    QCOMPARE(trace.exitStatus(), QProcess::NormalExit);
    QCOMPARE(trace.exitCode(), 0);
    out += trace.readAllStandardOutput();
    static const QRegularExpression form(QStringLiteral("^(\\d+\\.\\d{3}) ([<>]) (.+)$"));
    double last = 0;
    QStringList sent, received;
    for (const QByteArray& line : out.split('\n')) {
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
    for (const QString& line : received)
        QVERIFY2(line.startsWith("R99 ") || line.startsWith("Z99 "), qPrintable(line));

    const Run raw = runCli({"trace", "--raw", "--seconds", "5", "--port", sim.link});
    QCOMPARE(raw.exitCode, 0);
    QVERIFY(raw.out.startsWith("R99 ") && raw.out.contains("\r\n")); // the pump's own line ends
    const Run decoded = runCli({"decode"}, raw.out);
    QVERIFY(decoded.exitCode == 0 && decoded.objects.size() >= 2);
    QCOMPARE(kinds(decoded.objects).mid(0, 2), (QStringList{"status", "setup"}));
}

// Nothing reaches the port before the arguments are valid (the port is not
// even opened), with exit 2 and the usage (one refusal a subcommand: the
// refusals themselves are test_cli_args'), and a port that does not open
// ends every live subcommand with 3 and the status bar's words: named by
// path, through Com3 in a settings file, or held by another program.
// Against a terminal the test answers on as a pump: a poll first, then
// exactly the one erase command, or nothing but the poll when the pump's
// reports refuse it (running, a setup value unreadable).
void TestCliLive::againstThePort_data() {
    QTest::addColumn<QString>("args");       // PORT: the terminal; GONE: no device;
    QTest::addColumn<int>("exitCode");       // MAPPING: Com3 = GONE; HELD: a held port
    QTest::addColumn<QString>("said");       // all of stdout (exit 0) or stderr (exit 3), or a part
    QTest::addColumn<QByteArray>("setup");   // the pump's; empty: nothing is polled
    QTest::addColumn<QString>("runState");   // the pump's
    QTest::addColumn<QByteArray>("command"); // written after the polls
    auto refused = [](const QString& name, const QString& args, int exitCode, const QString& said) {
        QTest::newRow(qPrintable(name))
            << args << exitCode << said << QByteArray() << QString() << QByteArray();
    };
    for (const char* args :
         {"status --port PORT --demo", "trace --port PORT --seconds 0", "ports --port PORT",
          "download --port PORT -o /nonexistent/logs.csv",
          "set-clock --port PORT --time 2026-02-30~10:00", "send-setup --port PORT --log-rate 59",
          "program --port PORT --flow 2000 --start 2031-01-01~08:00",
          "erase-logs --port PORT --yes now",
          "clear-sampling-data --port PORT --settings /nonexistent/corvane.INI --yes"})
        refused(args, args, 2, "Usage: corvane-cli " + QString(args).section(' ', 0, 0));
    for (const QString sub : {"erase-logs", "clear-sampling-data"})
        refused(sub + " without --yes", sub + " --port PORT", 2, "needs --yes; nothing was sent.");
    const QString noDevice = ": no such device \u2014 is the adapter plugged in?";
    for (const QString sub : {"status", "status --watch", "trace", "erase-logs --yes", "download",
                              "set-clock", "send-setup", "program --flow 2000"})
        refused(sub + ", no such device", sub + " --port GONE", 3, "GONE" + noDevice);
    refused("Com3 mapped to no device", "status --port Com3 --settings MAPPING", 3,
            "Com3 (GONE)" + noDevice);
    refused("held", "status --port HELD", 3, "HELD: in use by another program");
    QTest::newRow("erase-logs while running")
        << "erase-logs --yes --port PORT" << 0 << R"({"sent":"LOG_INIT"})" << kSetup << "0401"
        << QByteArray("LOG_INIT\r");
    QTest::newRow("clear-sampling-data")
        << "clear-sampling-data --yes --port PORT" << 0 << R"({"sent":"CLEAR_ALL"})" << kSetup
        << "0100" << QByteArray("CLEAR_ALL\r");
    QTest::newRow("clear-sampling-data while running")
        << "clear-sampling-data --yes --port PORT" << 2
        << "corvane-cli clear-sampling-data: Pump cann't be in RUN Mode; nothing was sent."
        << kSetup << "0401" << QByteArray();
    QTest::newRow("send-setup, password unreadable")
        << "send-setup --units metric --port PORT" << 2
        << "corvane-cli send-setup: the pump's setup report shows nothing readable for Password: "
           "give --password; nothing was sent."
        << QByteArray("Z99 0 0 0 1 0 0 0 0 x 0 1 0 0") << "0100" << QByteArray(); // password: x
}

void TestCliLive::againstThePort() {
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QByteArray, setup);
    QFETCH(QString, runState);
    QFETCH(QByteArray, command);
    Pty pty;
    QVERIFY(pty.master >= 0);
    const QString gone = m_dir.filePath("ttyGONE");
    const QString mapping = settingsFile(m_dir.path(), "Com3=" + QFile::encodeName(gone));
    QSerialPort holder(pty.slavePath);
    if (args.contains("HELD"))
        QVERIFY(holder.open(QIODevice::ReadWrite)); // another program has the port
    for (QString* text : {&args, &said})
        text->replace("GONE", gone).replace("MAPPING", mapping).replace("HELD", pty.slavePath);
    const Run r = pty.run(argv(args, pty.slavePath), answering(setup, runState));
    QCOMPARE(r.exitCode, exitCode);
    const QByteArray whole = said.toUtf8() + "\n";
    QVERIFY2(exitCode == 3     ? r.err == whole
             : exitCode == 0   ? r.out == whole
             : setup.isEmpty() ? r.err.contains(said.toUtf8())
                               : r.err.endsWith(whole),
             r.err.constData());
    QVERIFY(exitCode == 0 || r.out.isEmpty());
    QCOMPARE(r.written.startsWith(kPoll), !setup.isEmpty());
    QCOMPARE(QByteArray(r.written).replace(kPoll, ""), command);
    QVERIFY(r.written.endsWith(command));
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

// Starting in metric units, a setup report naming English units applies to
// the status lines after it; a pump's printout in the same stream: its log
// lines with their table row and cells (the cells' rules are the decoder's).
void TestCliLive::decodeTrace() {
    const QByteArray status =
        TestLines::statusLine({"type=29", "temp=212", "runState=0401"}).toLatin1();
    const QByteArray record =
        "Run Update,12/06/2026 14:05,085,072,29.92,05.02,00123,005000,0012.345,00012.345";
    // CR LF, a bare LF, a bare CR, blank lines in between, a tab and a byte
    // above 126 that are dropped, and text after the last line end.
    const QByteArray input =
        status + "\r\n\r\n\n\rZ99 1 0 0 1 0 0 0 0 1 1 1 0 1\nP01 ab\t1 1\xff\r\t\n" + status +
        "\rhello\r\nLogType,Date/Time  \r\n" + record + "  \r\nDone ok\rR99 unfinished";
    const Run r = runCli({"decode", "--metric"}, input);
    QCOMPARE(r.exitCode, 0);
    QStringList seen; // kind and line of each object, a log line's row and cells
    for (const QJsonObject& o : r.objects) {
        QStringList cells;
        for (int col = 1; col <= 10; ++col)
            cells << o.value("cells")[QString::number(col)].toString();
        seen << o.value("kind").toString() + ": " +
                    (o.contains("row")
                         ? QString::number(o.value("row").toInt()) + " " + cells.join('|')
                         : o.value("line").toString());
    }
    QCOMPARE(seen, (QStringList{"status: " + status, "setup: Z99 1 0 0 1 0 0 0 0 1 1 1 0 1",
                                "state: P01 ab1 1", "status: " + status, "other: hello",
                                "log-title: LogType,Date/Time  ",
                                "log: 6 Run Update|12/06/2026 14:05|85%|72F|29.92 ''|05.02''|"
                                "00123|5.00|0012.345|00012.345",
                                "log-end: Done ok"}));
    QCOMPARE(r.objects[0].value("text")["Label3_14"], QJsonValue("Current Temp: 100C"));
    QCOMPARE(r.objects[3].value("text")["Label3_14"], QJsonValue("Current Temp: 212F"));

    // The members the window comparison does not read (text, visible and date
    // are checked there); empty members are left out.
    const QJsonObject s = r.objects[0];
    QCOMPARE(s.value("range")["UpDown1"].toArray(), (QJsonArray{2000, 12000}));
    QCOMPARE(s.value("enabled")["CommandButton4"], QJsonValue(false));
    QCOMPARE(s.value("tooltip")["CommandButton4"], QJsonValue("Pump cann't be in RUN Mode"));
    QCOMPARE(s.value("time")["fpDateTime4_0"], QJsonValue("14:05"));
    QCOMPARE(s.value("values")["serialNumber"], QJsonValue("00012345"));
    QVERIFY(!s.contains("color"));
    QCOMPARE(r.objects[1].value("color")["Label3_7"], QJsonValue("#0000c0"));
    // Capture is on from the start, so even "hello" is a line of a download;
    // empty members are left out.
    QCOMPARE(r.objects[4].keys(), (QStringList{"kind", "line", "text"}));
    QCOMPARE(r.objects[4].value("text").toObject(),
             (QJsonObject{{"Label3_29", "Reading Log Number : 5"}}));
}

QTEST_GUILESS_MAIN(TestCliLive)
#include "test_cli_live.moc"
