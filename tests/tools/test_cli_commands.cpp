// corvane-cli's download, set-clock, send-setup and program in-process, on
// the simulated pump behind the serial-link interface (unpaced, its clock
// held still, the sequences' pauses on a stepping clock): the log file byte
// for byte as the pump printed it, the downloads that end early, the writes
// of each sequence for the values the options and the pump give (the
// sequences themselves are test_configsequences'), the JSON of the
// read-backs, and every refusal with nothing but the poll written.
#include "clioutput.h"
#include "livesession.h"
#include "protocol/pumpclock.h"
#include "sim/simseriallink.h"
#include "subcommands.h"
#include "support/steppingclock.h"
#include "support/testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

namespace {

const QByteArray kPoll = "R99\rZ99\r";
// The simulated pump's computer clock, held still: its history and clock
// are the same in every run.
const QDateTime kPcTime(QDate(2026, 3, 4), QTime(10, 20, 30));

// A live session on the simulated pump, as corvane-cli opens one.
struct Rig {
    SimSerialLink link;
    SteppingClock clock{36000.2, 1.0 / 128};
    QBuffer out, err;
    Output output{out, err};
    std::unique_ptr<LiveSession> live;
    QList<QByteArray> writes; // every write the session made, but the polls
    int polls = 0;

    // `before`: commands the pump took before the run (its setup as left
    // by an earlier session).
    explicit Rig(const SimPumpOptions& options = {}, const QByteArray& before = {})
        : link(options, [] { return kPcTime; }) {
        link.setPacing(false);
        if (!before.isEmpty() && link.open(1, QStringLiteral("57600,N,8,1"))) {
            link.write(before);
            link.close();
        }
        out.open(QIODevice::ReadWrite);
        err.open(QIODevice::ReadWrite);
        live = std::make_unique<LiveSession>(link, clock, output);
        live->session().setMaxSleepMs(0);
        QObject::connect(&live->session(), &PumpSession::traced, live.get(),
                         [this](char direction, const QByteArray& bytes) {
                             if (direction != 'T')
                                 return;
                             if (bytes == kPoll)
                                 ++polls;
                             else
                                 writes << bytes;
                         });
    }
    QJsonObject json() const {
        const QList<QByteArray> lines = out.data().split('\n');
        return lines.size() == 2 && lines[1].isEmpty() ? QJsonDocument::fromJson(lines[0]).object()
                                                       : QJsonObject();
    }
    QString errText() const { return QString::fromUtf8(err.data()); }
};

// Options as the command line gives them (the pump option is replaced by
// the rig's session).
template <typename Options>
Options parsed(std::optional<Options> (*parse)(const QStringList&, QString*),
               const QStringList& args) {
    QString error;
    const auto o = parse(args + QStringList{"--demo"}, &error);
    if (!o)
        qWarning("%s", qPrintable(error));
    return o.value_or(Options{});
}

template <typename Command, typename Options> int runIn(Rig& rig, const Options& o, Command run) {
    if (!rig.live->open())
        return -1;
    return run(o, *rig.live);
}

// The log file "Save Logs" writes after a complete download: every line the
// pump printed after its "PRINTING" line, two blanks, CR LF.
QByteArray printedLogFile(const SimPump& pump) {
    QByteArray file;
    const QByteArrayList lines = SimReports::logPrintout(pump.state());
    for (qsizetype i = 1; i < lines.size(); ++i)
        file += lines[i] + "  \r\n";
    return file;
}

// Writes written as "A|B C|D": each ends with CR.
QList<QByteArray> crs(const QString& writes) {
    QList<QByteArray> out;
    for (const QString& w : writes.split('|'))
        out << w.toLatin1() + '\r';
    return out;
}

} // namespace

class TestCliCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void downloadFile_data();
    void downloadFile();
    void downloadEndingEarlyWritesWhatCame();
    void downloadDefaultFileName_data();
    void downloadDefaultFileName();
    void downloadNeverReplacesAnEarlierFile();
    void setClock_data();
    void setClock();
    void sendSetup_data();
    void sendSetup();
    void programWrites_data();
    void programWrites();
    void programRefused_data();
    void programRefused();
    void programNotConfirmed_data();
    void programNotConfirmed();
};

// The file is the pump's printout with two blanks and CR LF a line, or
// standard output with -o -, the result then on standard error. (A stale
// count, no records, silence: test_logdownload's.) The progress: on a
// terminal one line redrawn in place ("\r"), ended before the closing
// message; otherwise whole lines, the last count always shown.
void TestCliCommands::downloadFile_data() {
    QTest::addColumn<bool>("toStdout");
    QTest::addColumn<bool>("terminal");
    QTest::newRow("to a file, progress to a pipe") << false << false;
    QTest::newRow("to standard output, progress to a terminal") << true << true;
}

void TestCliCommands::downloadFile() {
    QFETCH(bool, toStdout);
    QFETCH(bool, terminal);
    const int records = 60;
    SimPumpOptions pump;
    pump.records = records;
    Rig rig(pump);
    rig.link.setPacing(true); // lines one by one
    rig.output.setErrIsTerminal(terminal);
    const QString path = m_dir.filePath(QStringLiteral("logs-%1.csv").arg(QTest::currentDataTag()));
    const auto o = parsed(&DownloadCommand::parse, {"-o", toStdout ? "-" : path});
    QCOMPARE(runIn(rig, o, &DownloadCommand::runOn), Exit::kDone);

    const QByteArray expected = printedLogFile(rig.link.pump());
    QCOMPARE(expected.count("\r\n"), records + 2);

    QJsonObject result;
    if (toStdout) {
        QCOMPARE(rig.out.data(), expected);
        const QList<QByteArray> errLines = rig.err.data().split('\n');
        QVERIFY(errLines.size() >= 2);
        result = QJsonDocument::fromJson(errLines[errLines.size() - 2]).object();
        QCOMPARE(result["file"].toString(), QString("-"));
    } else {
        QCOMPARE(fileBytes(path), expected);
        result = rig.json();
        QCOMPARE(result["file"].toString(), path);
    }
    QCOMPARE(result["records"].toInt(), records);
    QCOMPARE(result["expected"].toInt(), records);
    QCOMPARE(result["complete"], QJsonValue(true));
    QVERIFY(result["seconds"].isDouble());
    QCOMPARE(rig.polls, 1); // one poll for the count, then only "PRINTLOG"
    QCOMPARE(rig.writes, QList<QByteArray>{"PRINTLOG\r"});

    const QString err = rig.errText();
    const QString last = DownloadCommand::progressBar(60, 60);
    QCOMPARE(last, "Reading log 60 of 60 [##############################] 100%");
    QCOMPARE(DownloadCommand::progressBar(20, 60),
             "Reading log 20 of 60 [##########--------------------] 33%");
    if (terminal) {
        QVERIFY2(err.contains("\r" + last + "\nReading Logs is completed\n"), qPrintable(err));
        QVERIFY(err.count('\r') > 10); // redrawn record by record
        QVERIFY(!err.contains("\nReading log "));
    } else {
        QVERIFY(!err.contains('\r'));
        QVERIFY2(err.contains("\nReading log 1 of 60\n") &&
                     err.contains("\nReading log 60 of 60\nReading Logs is completed\n"),
                 qPrintable(err));
        QVERIFY(err.count("Reading log ") < 20); // not one a record
    }
}

// A download that SIGINT ends before "Done ok" (the pump falling silent
// and the cable pulled are test_faults') still writes every
// complete line that came, says why on standard error, and ends with 4,
// never 0.
void TestCliCommands::downloadEndingEarlyWritesWhatCame() {
    SimPumpOptions pump;
    pump.records = 200;
    Rig rig(pump);
    // Paced, so that the signal comes in the middle; `lines` outlives the
    // connection, which lasts the whole test.
    rig.link.setPacing(true);
    int lines = 0;
    QObject::connect(&rig.live->session(), &PumpSession::lineHandled, rig.live.get(),
                     [&lines](const LineResult& r) {
                         if (r.kind == LineResult::Kind::Log && ++lines == 10)
                             std::raise(SIGINT);
                     });
    const QString path = m_dir.filePath(QStringLiteral("early.csv"));
    QCOMPARE(runIn(rig, parsed(&DownloadCommand::parse, {"-o", path}), &DownloadCommand::runOn),
             Exit::kDownloadShort);

    const QByteArray whole = printedLogFile(rig.link.pump());
    const QByteArray file = fileBytes(path);
    QVERIFY(file.size() < whole.size());
    QVERIFY2(whole.startsWith(file), file.constData()); // whole lines, none lost between
    QVERIFY(file.isEmpty() || file.endsWith("  \r\n"));
    const int records = std::max(0, int(file.count("\r\n")) - 1);
    QVERIFY(records >= 10);

    const QJsonObject result = rig.json();
    QCOMPARE(result["complete"], QJsonValue(false));
    QCOMPARE(result["records"].toInt(), records);
    QCOMPARE(result["expected"].toInt(), 200);
    QCOMPARE(result["file"].toString(), path);
    QVERIFY2(rig.errText().contains(
                 QStringLiteral("Reading logs stopped: stopped by hand (%1 of 200 records read)\n")
                     .arg(records)),
             qPrintable(rig.errText()));
}

// Without -o: corvane-<serial>-<YYYYMMDD-HHMM>.csv, the serial trimmed and
// made safe for a file name.
void TestCliCommands::downloadDefaultFileName_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("name");
    auto row = [](const char* name, const char* serial, const char* part) {
        QTest::newRow(name) << QString::fromUtf8(serial)
                            << QStringLiteral("corvane-%1-20270109-0705.csv").arg(part);
    };
    row("blanks around", "  A1234 ", "A1234");
    row("path and shell characters", "../a/b:*?", "___a_b___");
    row("blank inside, backslash, non-ASCII", "AB C\\\u00e9", "AB_C__");
    row("only blanks", "        ", "unknown");
    row("kept: - and _", "KS-7_01", "KS-7_01");
}

void TestCliCommands::downloadDefaultFileName() {
    QFETCH(QString, serial);
    QTEST(DownloadCommand::defaultFileName(serial, QDateTime(QDate(2027, 1, 9), QTime(7, 5, 59))),
          "name");
}

// Two downloads in one minute from one pump: the second goes to -2, so a
// short second download never replaces a complete first one.
void TestCliCommands::downloadNeverReplacesAnEarlierFile() {
    QTemporaryDir here;
    QCOMPARE(DownloadCommand::unusedPath(here.path(), "a.csv"), here.filePath("a.csv"));
    QFile(here.filePath("a.csv")).open(QIODevice::WriteOnly);
    QCOMPARE(DownloadCommand::unusedPath(here.path(), "a.csv"), here.filePath("a-2.csv"));
    QFile(here.filePath("a-2.csv")).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(here.filePath("gone"), here.filePath("a-3.csv"))); // dangling
    QCOMPARE(DownloadCommand::unusedPath(here.path(), "a.csv"), here.filePath("a-4.csv"));

    const QString was = QDir::currentPath();
    QVERIFY(QDir::setCurrent(here.path()));
    QStringList files;
    for (int run = 0; run < 2; ++run) {
        SimPumpOptions pump;
        pump.serial = "AB/C D12";
        pump.records = 5 + run;
        Rig rig(pump);
        const int code = runIn(rig, parsed(&DownloadCommand::parse, {}), &DownloadCommand::runOn);
        files << rig.json()["file"].toString();
        QCOMPARE(code, Exit::kDone);
        QCOMPARE(fileBytes(files.last()), printedLogFile(rig.link.pump()));
    }
    QVERIFY(QDir::setCurrent(was));
    static const QRegularExpression form("/corvane-AB_C_D12-\\d{8}-\\d{4}(-2)?\\.csv$");
    QVERIFY2(form.match(files[0]).hasMatch() && form.match(files[1]).hasMatch(),
             qPrintable(files.join(' ')));
    QVERIFY(files[0] != files[1]);
    QCOMPARE(QFileInfo(files[0]).absolutePath(), QFileInfo(here.path()).absoluteFilePath());
}

// The clock goes out as the window's buttons send it ("W16 " + argument,
// "UPDATE_SYS_TIME", in one go) and is confirmed from the next status
// report; a pump that misses it, or stops answering, is not confirmed.
void TestCliCommands::setClock_data() {
    QTest::addColumn<QString>("time");    // --time; empty: the PC's present time
    QTest::addColumn<QString>("ignored"); // a command the pump misses
    QTest::addColumn<bool>("silent");     // no reports after the first
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("pumpClock"); // "": the sent argument; "null"
    const QString chosen = "2031-05-06 07:08";
    QTest::newRow("chosen time") << chosen << QString() << false << 0 << QString();
    QTest::newRow("PC time") << QString() << QString() << false << 0 << QString();
    QTest::newRow("W16 missed") << chosen << "W16" << false << 5 << "20 10 04 03 26";
    QTest::newRow("no reply") << chosen << QString() << true << 5 << "null";
}

void TestCliCommands::setClock() {
    QFETCH(QString, time);
    QFETCH(QString, ignored);
    QFETCH(bool, silent);
    QFETCH(int, exitCode);
    QFETCH(QString, pumpClock);
    SimPumpOptions pump;
    if (!ignored.isEmpty())
        pump.faults.ignoreCommands << ignored.toLatin1();
    if (silent)
        pump.faults.silentAfterLines = 2;
    Rig rig(pump);
    // Only a pump that falls silent runs into the bound; a reply must never
    // be late for it on a slow machine.
    rig.live->session().setReadBackTimeoutMs(silent ? 1500 : 600000);
    const QDateTime before = QDateTime::currentDateTime();
    const auto o = parsed(&SetClockCommand::parse,
                          time.isEmpty() ? QStringList{} : QStringList{"--time", time});
    QCOMPARE(runIn(rig, o, &SetClockCommand::runOn), exitCode);
    const QDateTime after = QDateTime::currentDateTime();

    const QJsonObject result = rig.json();
    const QString sent = result["sent"].toString();
    if (time.isEmpty())
        QVERIFY2(sent == PumpClock::argument(before) || sent == PumpClock::argument(after),
                 qPrintable(sent));
    else
        QCOMPARE(sent, PumpClock::argument(QDateTime::fromString(time, "yyyy-MM-dd HH:mm")));
    QCOMPARE(rig.writes, (QList<QByteArray>{"W16 " + sent.toLatin1() + "\r", "UPDATE_SYS_TIME\r"}));
    QCOMPARE(result["confirmed"], QJsonValue(exitCode == 0));
    if (pumpClock == "null")
        QVERIFY(result["pumpClock"].isNull());
    else
        QCOMPARE(result["pumpClock"].toString(), pumpClock.isEmpty() ? sent : pumpClock);
    if (silent)
        QVERIFY(rig.errText().contains("No reply from the pump: the clock could not be confirmed"));
}

// The writes of "Send Setup To Pump", one chunk a write as the window makes
// them, for what the options say and what the pump holds for the rest, and
// the read-back: a setting the pump misses is named (sent, reported) and the
// exit status is 5; a pump that stops answering after the sequence leaves
// every setting unconfirmed, reported null. The settings file is never
// written. (Its captions on standard error: test_cli_session's and
// programWrites'.)
void TestCliCommands::sendSetup_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("before"); // the pump's setup before the run
    QTest::addColumn<QByteArrayList>("ignored");
    QTest::addColumn<int>("silentAfter");
    QTest::addColumn<QString>("writes");        // "": only the sequence's last write checked
    QTest::addColumn<QJsonArray>("mismatches"); // none: confirmed
    // The simulated pump starts volumetric, password off, flow fault on,
    // screens on, timing off, English, logging every 15 minutes.
    QTest::newRow("nothing given, another pump's own")
        << QStringList{} << QByteArray("G13\rG09\rY04\rY11\rG01\rG10\rY02\rY03\rW06 7\r")
        << QByteArrayList{} << -1 << "G13|G09|Y04|Y11|G01|G10|Y02\rY03|W06 7|UPDATE_LOGTYPE "
        << QJsonArray{};
    QTest::newRow("every option")
        << QStringList{"--flow-mode", "stp",       "--password", "on",       "--flow-fault",
                       "on",          "--screens", "off",        "--timing", "duration",
                       "--units",     "english",   "--log-rate", "58"}
        << QByteArray() << QByteArrayList{} << -1
        << "G13|G09|G04|Y11|G01|G10|G03\rG02|W06 58|UPDATE_LOGTYPE " << QJsonArray{};
    QTest::newRow("timing off over duration")
        << QStringList{"--timing", "off", "--flow-fault", "off", "--log-rate", "1"}
        << QByteArray("G01\rG10\r") << QByteArrayList{} << -1
        << "Y13|Y09|Y04|G11|Y01|G03\rG02|W06 1|UPDATE_LOGTYPE " << QJsonArray{};
    auto item = [](const char* setting, const char* sent, QJsonValue reported) {
        return QJsonObject{{"setting", setting}, {"sent", sent}, {"reported", reported}};
    };
    QTest::newRow("password missed")
        << QStringList{"--password", "on"} << QByteArray() << QByteArrayList{"G09"} << -1 << ""
        << QJsonArray{item("Password", "On", "Off")};
    QTest::newRow("units and timing missed")
        << QStringList{"--units", "metric", "--timing", "duration"} << QByteArray()
        << QByteArrayList{"Y02", "Y03", "G10"} << -1 << ""
        << QJsonArray{item("Timing mode", "Duration", "Start/Stop"),
                      item("Units", "Metric", "English")};
    const QJsonValue none;
    QTest::newRow("no reply after the sequence")
        << QStringList{"--timing", "start-stop"} << QByteArray() << QByteArrayList{} << 2 << ""
        << QJsonArray{
               item("Flow mode", "Volumetric", none), item("Password", "Off", none),
               item("Flow fault", "Activated", none), item("Start-up screens", "On", none),
               item("Timing", "Activated", none),     item("Timing mode", "Start/Stop", none),
               item("Units", "English", none),        item("Log rate", "15", none)};
}

void TestCliCommands::sendSetup() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, before);
    QFETCH(QByteArrayList, ignored);
    QFETCH(int, silentAfter);
    QFETCH(QString, writes);
    QFETCH(QJsonArray, mismatches);
    const QString ini = LiveSession::windowSettingsPath();
    const QFileInfo iniBefore(ini);
    SimPumpOptions pump;
    pump.faults.ignoreCommands = ignored;
    pump.faults.silentAfterLines = silentAfter;
    Rig rig(pump, before);
    // Only a pump that falls silent runs into the bound; a reply must never
    // be late for it on a slow machine.
    rig.live->session().setReadBackTimeoutMs(silentAfter >= 0 ? 1500 : 600000);
    QCOMPARE(runIn(rig, parsed(&SendSetupCommand::parse, args), &SendSetupCommand::runOn),
             mismatches.isEmpty() ? Exit::kDone : Exit::kNotConfirmed);
    if (!writes.isEmpty())
        QCOMPARE(rig.writes, crs(writes));
    QVERIFY(!rig.writes.isEmpty()); // the whole sequence went out
    QCOMPARE(rig.writes.last(), QByteArray("UPDATE_LOGTYPE \r"));
    QCOMPARE(rig.json(),
             (QJsonObject{{"confirmed", mismatches.isEmpty()}, {"mismatches", mismatches}}));
    QVERIFY(rig.polls >= 2); // one before, one for the read-back after
    // The sequence asks for the settings save; nobody here answers it.
    const QFileInfo iniAfter(ini);
    QCOMPARE(iniAfter.exists(), iniBefore.exists());
    if (iniAfter.exists())
        QCOMPARE(iniAfter.lastModified(), iniBefore.lastModified());
}

// "Program Pump" for each timing mode of the pump: the window's 13 commands
// with these values, the pump switched off at the end, and no "No Pump Found"
// for the silence that follows.
void TestCliCommands::programWrites_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("before"); // the pump's timing setup
    QTest::addColumn<QString>("timing");
    QTest::addColumn<QString>("writes"); // "-": no time, no pause
    QTest::newRow("timing off, flow at the model's top, break 1")
        << QStringList{"--flow", "5000", "--break1", "10:15-10:30"} << QByteArray() << "off"
        << "Y05|W04 5000|W17 -|W18 -|Y12|W23 15 10 30 10|W24 -|W25 -|G12|W19 255 255|Y10|G07|"
           "POWER_OFF ";
    QTest::newRow("start/stop across a month end, lunch, break 2 after noon")
        << QStringList{"--flow",           "800",         "--start",
                       "2031-01-31 08:30", "--stop",      "2031-02-01 14:45",
                       "--lunch",          "12:01-12:45", "--break2",
                       "14:00-14:00"}
        << QByteArray("G01\rY10\r") << "start-stop"
        << "Y05|W04 800|W17 30 08 31 01 31|W18 45 14 01 02 31|G12|W23 -|W24 00 14 00 14|"
           "W25 01 12 45 12|G12|W19 255 255|Y10|G07|POWER_OFF ";
    QTest::newRow("duration 01:30")
        << QStringList{"--flow", "2000", "--duration", "01:30"} << QByteArray("G01\rG10\r")
        << "duration"
        << "Y05|W04 2000|W17 -|W18 -|Y12|W23 -|W24 -|W25 -|G12|W19 286|G10|G07|POWER_OFF ";
}

void TestCliCommands::programWrites() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, before);
    QFETCH(QString, timing);
    QFETCH(QString, writes);
    Rig rig({}, before);
    // Back on after its power-off, for the read-back.
    QObject::connect(&rig.live->session(), &PumpSession::sequenceFinished, rig.live.get(),
                     [&rig] { rig.link.pump().powerOn(); });
    QCOMPARE(runIn(rig, parsed(&ProgramCommand::parse, args), &ProgramCommand::runOn), Exit::kDone);
    writes.replace("-", "255 255 255 255 255");
    QCOMPARE(rig.writes, crs(writes)); // one command a write
    QVERIFY(rig.polls >= 2);           // one before, one for the read-back after
    QCOMPARE(rig.json(), (QJsonObject{{"timing", timing},
                                      {"sent", QJsonArray::fromStringList(writes.split('|'))},
                                      {"confirmed", true},
                                      {"mismatches", QJsonArray()}}));
    QVERIFY2(rig.errText().contains("Turning Pump Off\nProgram Pump is completed\n") &&
                 rig.errText().contains("\nPump confirmed the program"),
             qPrintable(rig.errText()));
}

// Refused after the one poll, with nothing else written: a flow outside the
// model's range (the editor's message), times the pump's timing mode would
// not send or needs, and a pump in RUN mode, which would lose the sample it
// is taking, unless --force is given (the simulated pump also locks
// programming while it runs, which --force does not lift).
void TestCliCommands::programRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("before"); // "running": a sampling pump
    QTest::addColumn<QString>("said");
    const QStringList times = {"--start", "2031-01-31 08:30", "--stop", "2031-01-31 16:30"};
    QTest::newRow("flow above the KST-5's range")
        << QStringList{"--flow", "5001"} << QByteArray()
        << "Flow Rate is Out of Range (5001 cc/min; this pump takes 800 to 5000)";
    QTest::newRow("start/stop, timing off")
        << QStringList{"--flow", "2000"} + times << QByteArray()
        << "the pump's timing routines are off: send-setup --timing start-stop first";
    QTest::newRow("duration, timing off")
        << QStringList{"--flow", "2000", "--duration", "08:00"} << QByteArray()
        << "the pump's timing routines are off: send-setup --timing duration first";
    QTest::newRow("duration in Start/Stop mode")
        << QStringList{"--flow", "2000", "--duration", "08:00"} << QByteArray("G01\rY10\r")
        << "the pump's timing is Start/Stop: send-setup --timing duration first";
    QTest::newRow("Start/Stop mode without times")
        << QStringList{"--flow", "2000"} << QByteArray("G01\rY10\r")
        << "the pump's timing is Start/Stop: give --start and --stop";
    QTest::newRow("start/stop in Duration mode")
        << QStringList{"--flow", "2000"} + times << QByteArray("G01\rG10\r")
        << "the pump's timing is Duration: send-setup --timing start-stop first";
    QTest::newRow("Duration mode without a duration")
        << QStringList{"--flow", "2000"} << QByteArray("G01\rG10\r")
        << "the pump's timing is Duration: give --duration HH:MM";
    QTest::newRow("refused as sampling")
        << QStringList{"--flow", "2000"} << QByteArray("running")
        << "the pump is sampling now (RUN mode) and programming it ends this sample; add "
           "--force to program it anyway";
    QTest::newRow("--force: the setup's lock still holds")
        << QStringList{"--flow", "2000", "--force"} << QByteArray("running")
        << "the pump's setup report locks programming";
}

void TestCliCommands::programRefused() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, before);
    QFETCH(QString, said);
    SimPumpOptions pump;
    pump.running = before == "running";
    Rig rig(pump, pump.running ? QByteArray() : before);
    QCOMPARE(runIn(rig, parsed(&ProgramCommand::parse, args), &ProgramCommand::runOn),
             Exit::kUsage);
    QVERIFY(rig.writes.isEmpty());
    QCOMPARE(rig.polls, 1);
    QVERIFY(rig.out.data().isEmpty());
    QVERIFY2(rig.errText().endsWith("corvane-cli program: " + said + "; nothing was sent.\n"),
             qPrintable(rig.errText()));
    QVERIFY(!rig.link.pump().state().off);
}

// The pump, back after its power-off, reports a setting other than the one
// sent, or stays off past the bound: exit 5 and what was not confirmed. The
// simulated pump comes back on only when the test switches it on.
void TestCliCommands::programNotConfirmed_data() {
    QTest::addColumn<QByteArrayList>("ignored"); // commands the pump misses
    QTest::addColumn<bool>("comesBack");
    QTest::newRow("lunch not taken") << QByteArrayList{"W25"} << true;
    QTest::newRow("pump stays off") << QByteArrayList{} << false;
}

void TestCliCommands::programNotConfirmed() {
    QFETCH(QByteArrayList, ignored);
    QFETCH(bool, comesBack);
    SimPumpOptions pump;
    pump.faults.ignoreCommands = ignored;
    Rig rig(pump);
    rig.live->session().setProgramReadBackTimeoutMs(1500);
    if (comesBack)
        QObject::connect(&rig.live->session(), &PumpSession::sequenceFinished, rig.live.get(),
                         [&rig] { rig.link.pump().powerOn(); });
    const auto o = parsed(&ProgramCommand::parse, {"--flow", "2000", "--lunch", "12:01-12:30"});
    QCOMPARE(runIn(rig, o, &ProgramCommand::runOn), Exit::kNotConfirmed);
    const QJsonObject json = rig.json();
    QCOMPARE(json["confirmed"], QJsonValue(false));
    const QJsonArray said = json["mismatches"].toArray();
    // Every setting sent is named; reported null when the pump stayed off.
    QCOMPARE(said.size(), comesBack ? 1 : 7);
    QCOMPARE(said[comesBack ? 0 : 5],
             (QJsonObject{{"setting", "Lunch"},
                          {"sent", "12:01-12:30"},
                          {"reported", comesBack ? QJsonValue("not activated") : QJsonValue()}}));
}

QTEST_GUILESS_MAIN(TestCliCommands)
#include "test_cli_commands.moc"
