// "Read Logs From KST" through a PumpSession: the steps as data and in the
// order they happen, the simulated pump's printout of 0, 1 and 999 records,
// a stale count either way, a second download, and the endings that are not
// "Done ok" (a silent pump, a lost port, a stop by hand). In every case what
// was captured stays: the memo holds each line received after "PRI" and the
// table one row per record.
#include "protocol/logdownload.h"
#include "protocol/memorysequences.h"
#include "protocol/pumpsession.h"
#include "sim/simseriallink.h"
#include "steptext.h"
#include "support/fakeseriallink.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// What the window would show, applied in order as the window applies it: a
// progress bar ignores a value outside its range, as QProgressBar does.
struct Screen {
    QMap<QString, bool> enabled, visible;
    QMap<QString, QString> text;
    int barMax = 100, bar = 0, barPeak = 0;
    bool hourglass = false;
    QStringList messages, events;

    void apply(const UiChanges& c) {
        enabled.insert(c.enabled);
        visible.insert(c.visible);
        text.insert(c.text);
        if (c.barMaxima.contains("PBar1"))
            barMax = c.barMaxima["PBar1"];
        if (c.bars.contains("PBar1") && c.bars["PBar1"] >= 0 && c.bars["PBar1"] <= barMax)
            bar = c.bars["PBar1"];
        barPeak = std::max(barPeak, bar);
    }
};

// A session on a port, a download on the session, and the screen they drive.
template <typename Link> struct Rig {
    AppState state;
    SystemWaitClock clock;
    Link link;
    PumpSession session{state, link, clock};
    LogDownload download{session};
    Screen screen;
    QStringList afterPri; // every line the pump sent after its "PRI" line
    bool sawPri = false;

    template <typename... A> explicit Rig(A&&... a) : link(std::forward<A>(a)...) {
        QObject::connect(&session, &PumpSession::changed,
                         [this](const UiChanges& c) { screen.apply(c); });
        QObject::connect(&download, &LogDownload::changed,
                         [this](const UiChanges& c) { screen.apply(c); });
        QObject::connect(&session, &PumpSession::cursorBusy,
                         [this](bool on) { screen.hourglass = on; });
        QObject::connect(&download, &LogDownload::messageRequested,
                         [this](const QString& t) { screen.messages << t; });
        QObject::connect(&session, &PumpSession::lineHandled, [this](const LineResult& r) {
            if (sawPri)
                afterPri << r.line;
            sawPri = sawPri || r.line.startsWith("PRI");
        });
        state.SavedLogCount = 2; // the pump's count until a test or a poll says otherwise
        session.selectPort(0);
    }
    // A download still running gives the session back as it is destroyed:
    // nothing of that may reach the screen, which goes first.
    ~Rig() {
        session.disconnect();
        download.disconnect();
    }

    // The memo lines without their two blanks.
    QStringList memo() {
        QStringList out;
        for (QString l : session.memo().lines()) {
            if (l.endsWith("  "))
                l.chop(2);
            out << l;
        }
        return out;
    }
    int recordLines() const {
        int n = 0;
        for (const QString& l : afterPri)
            n += !l.startsWith("LogType,") && l != "Done ok" && !l.isEmpty();
        return n;
    }
    // Back to idle: Print and Save usable, every pump-writing control too,
    // polling on, the hourglass gone.
    void verifyIdle() {
        QVERIFY(!download.running() && !session.busy() && session.polling());
        QVERIFY(!screen.hourglass);
        for (const char* name : {"CommandButton8", "CommandButton9", "CommandButton7",
                                 "CommandButton14", "CommandButton29"})
            QVERIFY2(screen.enabled.value(name, true), name);
        QVERIFY(!screen.visible.value("Label3_29"));
        QVERIFY(!state.CaptureMode);
    }
};

SimPump::Options pumpHolding(int records, SimPump::Faults faults = {}) {
    SimPump::Options o;
    o.records = records;
    o.faults = faults;
    return o;
}

// The pump's count as the status report gives it, as a download finds it.
template <typename R> void poll(R& rig) {
    rig.session.refreshPumpData();
    QTRY_VERIFY(!rig.state.serialNumber.isEmpty());
}

} // namespace

class TestLogDownload : public QObject {
    Q_OBJECT
private slots:
    // The start and the end as data: polling off and the lock before the table
    // is cleared and sized, the detection of the end before "PRINTLOG"; the
    // table's column and row titles exactly as the grid takes them.
    void stepsAsData() {
        const QList<Step> start = LogDownload::startSteps(999).steps;
        QStringList golden = render(LogDownload::startSteps(999));
        golden.replace(9, "format titles");
        golden.replace(10, "format rows");
        QCOMPARE(golden,
                 steps("polling off; busy 1; ui disable CommandButton8, disable CommandButton9; "
                       "ui show Frame6; clear table; ui show PBar1, max PBar1=1001; hourglass; "
                       "ui show Label3_29, bar PBar1=0; rows 1000; format titles; format rows; "
                       "print log"));
        QCOMPARE(start[9].text, QStringLiteral("< Log Number | Log Type | Date/Time | Battery "
                                               "|Temperature |   BP  |   DP   | Elapsed Mins "
                                               "|Flow Rate |   Volume  |  STP Volume "));
        QVERIFY(start[10].text.startsWith(";Log Number |1 |2 |3 |") &&
                start[10].text.endsWith("|998 |999 |"));
        QCOMPARE(LogDownload::startSteps(0).steps[10].text, QStringLiteral(";Log Number |"));
        // The end: the lock and the hourglass go before the box opens; only "Done
        // ok" fills the bar, any other ending stops the capture instead.
        const QString end = "pointer; ui enable CommandButton8, enable CommandButton9; busy 0; "
                            "polling on; ui hide Label3_29; open box ";
        QCOMPARE(render(LogDownload::endSteps(LogDownload::Outcome::Completed, 7, "unused")),
                 steps("ui bar PBar1=7; " + end + LogDownload::kCompleted));
        QCOMPARE(render(LogDownload::endSteps(LogDownload::Outcome::Silent, 7, "why")),
                 steps("capture off; " + end + "why"));
        // The silence timeout in whole seconds (the short ones are below).
        QCOMPARE(
            LogDownload::stoppedMessage(LogDownload::Outcome::Silent, 312, 999, 10000),
            QStringLiteral("Reading logs stopped: the pump sent nothing for 10 seconds (312 of "
                           "999 records read)"));
    }

    // The start as it happens (its order is the steps' above): polling stopped,
    // the other pump commands locked, and "PRINTLOG" the last thing written.
    void startInOrder() {
        Rig<FakeSerialLink> rig;
        rig.session.resumePolling();
        QVERIFY(rig.session.timer1().isActive());
        const qsizetype writesBefore = rig.link.events.size();
        QVERIFY(rig.download.start());
        QCOMPARE(rig.link.events.size(), writesBefore + 1);
        QCOMPARE(rig.link.events.last().data, QByteArray("PRINTLOG\r"));
        QVERIFY(rig.link.eofEnabled());
        QVERIFY(rig.screen.hourglass && rig.session.busy() && !rig.session.polling());
        for (const char* name :
             {"CommandButton7", "CommandButton8", "CommandButton9", "CommandButton14",
              "CommandButton25", "CommandButton4", "CommandButton29", "Option7_1"})
            QVERIFY2(!rig.screen.enabled.value(name, true), name);
        QCOMPARE(rig.download.recordsExpected(), 2);

        // No second download meanwhile; what else a busy session holds back is
        // test_pumpsession's.
        QVERIFY(!rig.download.start());
        QCOMPARE(rig.link.events.size(), writesBefore + 1);

        rig.link.receive("PRINTING 002 LOGS\r\nLogType,Date\r\nPower On,12/06/2026 14:05\r\n"
                         "Power Off,12/06/2026 15:05\r\nDone ok\r\n");
        QCOMPARE(rig.screen.messages, QStringList{"Reading Logs is completed"});
        QCOMPARE(rig.screen.bar, 4);
        QCOMPARE(rig.download.recordsRead(), 2);
        QCOMPARE(rig.download.table().index(1, 0).data().toString(), QStringLiteral("Power Off"));
        QCOMPARE(rig.screen.text["Label3_29"], QStringLiteral("Reading Log Number : 4"));
        rig.verifyIdle();
        QVERIFY(rig.session.timer1().isActive());
        // "Done ok" closes the download once: a second one is not even captured.
        rig.link.receive("Done ok\r\n");
        QCOMPARE(rig.screen.messages.size(), 1);
    }

    // No download without an open port (the session says why), nor while a
    // sequence runs.
    void refused() {
        Rig<FakeSerialLink> rig;
        rig.link.close();
        QSignalSpy notices(&rig.session, &PumpSession::notice);
        QVERIFY(!rig.download.start());
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0][0].toString().startsWith("Com1 is not open"));
        QVERIFY(!rig.session.busy() && rig.screen.messages.isEmpty());

        rig.session.selectPort(0);
        Sequence pause;
        pause << Step::wait(5);
        QVERIFY(rig.session.run(pause));
        QVERIFY(!rig.download.start());
        QCOMPARE(rig.link.written(), QByteArray());
        rig.session.stopSequence();
    }

    // The simulated pump prints its history; `records` held, the status report
    // claiming `skew` more (or fewer), and a fault half way.
    void simulatedPump_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("skew");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("ending"); // the messages ("|" between), "" when completed
        auto row = [](const char* name, int records, int skew, const char* fault,
                      const char* ending) {
            QTest::newRow(name) << records << skew << QString(fault) << QString(ending);
        };
        row("no records", 0, 0, "", "");
        row("one record", 1, 0, "", "");
        row("999 records", 999, 0, "", "");
        row("stale count: more records than counted", 40, -25, "", "");
        // Lines lost on the way look the same: "Done ok" comes, the records do not.
        row("fewer records than counted", 40, 17, "",
            "Reading Logs is completed|Only 40 of the 57 records the pump counted arrived: lines "
            "were lost on the way. Read the logs again before erasing them from the pump.");
        row("silent half way", 300, 0, "silent",
            "Reading logs stopped: the pump sent nothing for 0.2 seconds (150 of 300 records "
            "read)");
        // The table grows past the count and the download ends there: the bar
        // stays where the last captured line put it.
        row("silent half way, more records than counted", 300, -200, "silent",
            "Reading logs stopped: the pump sent nothing for 0.2 seconds (150 of 100 records "
            "read)");
        row("silent from the start", 300, 0, "mute",
            "Reading logs stopped: the pump sent nothing for 0.2 seconds (0 of 300 records read)");
        row("unplugged half way", 300, 0, "unplug",
            "Reading logs stopped: the serial port went away (unplugged?) (150 of 300 records "
            "read)");
    }

    void simulatedPump() {
        QFETCH(int, records);
        QFETCH(int, skew);
        QFETCH(QString, fault);
        QFETCH(QString, ending);
        SimPump::Faults faults;
        faults.logCountSkew = skew;
        // After the status and setup reports: "PRINTING", the titles, 150 records.
        if (fault == QLatin1String("silent"))
            faults.silentAfterLines = 2 + 2 + 150;
        if (fault == QLatin1String("mute"))
            faults.ignoreCommands << "PRINTLOG";
        if (fault == QLatin1String("unplug"))
            faults.disconnectAfterRecords = 150;
        Rig<SimSerialLink> rig(pumpHolding(records, faults));
        rig.link.setPacing(false);
        // A short wait for a silent pump only where nothing more can come: a
        // loaded machine may pause longer than that between two lines.
        rig.download.setSilenceTimeout(fault == QLatin1String("mute") ? 200 : 60000);
        poll(rig);
        QCOMPARE(rig.state.SavedLogCount, records + skew);

        QSignalSpy finished(&rig.download, &LogDownload::finished);
        QSignalSpy resets(&rig.download.table(), &QAbstractItemModel::modelReset);
        QVERIFY(rig.download.start());
        if (fault == QLatin1String("silent")) {
            // The pump has said all it will: from here its silence counts.
            QTRY_COMPARE_WITH_TIMEOUT(rig.download.recordsRead(), 150, 30000);
            rig.download.setSilenceTimeout(200); // a running timer restarts on it
        }
        QTRY_VERIFY_WITH_TIMEOUT(!rig.download.running(), 30000);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(resets.size(), 2); // cleared and sized at the start, never per line
        const bool completed = ending.isEmpty() || ending.startsWith(LogDownload::kCompleted);
        QCOMPARE(rig.screen.messages.join('|'),
                 ending.isEmpty() ? LogDownload::kCompleted : ending);
        rig.verifyIdle();

        // Nothing captured is lost: the memo holds every line after "PRI", the
        // table a row for every record, in order.
        QCOMPARE(rig.memo(), rig.afterPri);
        const int read = rig.recordLines();
        QCOMPARE(rig.download.recordsRead(), read);
        QCOMPARE(read, fault.isEmpty() ? records : fault == "mute" ? 0 : 150);
        const LogTableModel& table = rig.download.table();
        QCOMPARE(table.rowCount(), std::max(records + skew, read));
        for (int k = 1; k <= read; ++k) {
            const QString line = rig.afterPri[k];
            QVERIFY2(line.startsWith(table.index(k - 1, 0).data().toString().trimmed()) &&
                         line.mid(line.indexOf(',') + 1, 16) ==
                             table.index(k - 1, 1).data().toString().left(16),
                     qPrintable(line));
            QCOMPARE(table.headerData(k - 1, Qt::Vertical).toString(), QString::number(k) + ' ');
        }
        // The bar reaches its end on "Done ok" only, its maximum grown with the table.
        QCOMPARE(rig.screen.barMax, std::max(records + skew, read) + 2);
        QCOMPARE(rig.screen.bar, completed ? rig.screen.barMax : fault == "mute" ? 0 : read + 1);
        QVERIFY(rig.screen.barPeak <= rig.screen.barMax);
        // The pump is asked for its reports again.
        int requests = 0;
        QObject::connect(&rig.session, &PumpSession::traced, [&](char d, const QByteArray& b) {
            requests += d == 'T' && b.startsWith("R99");
        });
        QTRY_VERIFY_WITH_TIMEOUT(requests > 0, 10000);
    }

    // A second download replaces the first in the table and in the memo, also
    // when it is shorter: none of the first one's lines stay behind it.
    void secondDownloadReplaces() {
        Rig<SimSerialLink> rig(pumpHolding(999));
        rig.link.setPacing(false);
        poll(rig);
        QVERIFY(rig.download.start());
        QTRY_VERIFY(!rig.download.running());
        QCOMPARE(rig.session.memo().lineCount(), 1001);
        QSignalSpy replaced(&rig.download, &LogDownload::memoReplaced);

        QVERIFY(rig.session.run(MemorySequences::eraseLogs()));
        QTRY_COMPARE(rig.link.pump().records().size(), 0);
        poll(rig);
        QTRY_COMPARE(rig.state.SavedLogCount, 0);
        rig.afterPri.clear();
        rig.sawPri = false;
        QVERIFY(rig.download.start());
        QTRY_VERIFY(!rig.download.running());
        QCOMPARE(rig.memo(), rig.afterPri);
        QCOMPARE(rig.memo().size(), 2); // the titles and "Done ok"
        QCOMPARE(replaced.size(), 1);
        QCOMPARE(rig.download.table().rowCount(), 0);
        QCOMPARE(rig.download.recordsRead(), 0);
        QCOMPARE(rig.screen.messages.size(), 2);
        rig.verifyIdle();
    }

    // Stopped by hand in the middle: what came stays, the pump's further lines
    // are not captured, the session is free again.
    void stoppedByHand() {
        Rig<FakeSerialLink> rig;
        rig.state.SavedLogCount = 999;
        QVERIFY(rig.download.start());
        rig.link.receive("PRINTING 999 LOGS\rLogType,\r");
        for (int i = 0; i < 312; ++i)
            rig.link.receive("Change Rate,12/06/2026 14:05,002000\r");
        rig.link.receive("Change Rate,12/06/20");
        rig.download.stop();
        QCOMPARE(rig.screen.messages,
                 QStringList{"Reading logs stopped: stopped by hand (312 of 999 records read)"});
        rig.verifyIdle();
        rig.link.receive("26 14:05,002000\rPower On,12/06/2026 14:05\rDone ok\r");
        QCOMPARE(rig.session.memo().lineCount(), 313);
        QCOMPARE(rig.download.recordsRead(), 312);
        QCOMPARE(rig.screen.messages.size(), 1);
        rig.download.stop(); // nothing to stop
        QCOMPARE(rig.screen.messages.size(), 1);
    }

    // The adapter fails for good on the "PRINTLOG" write itself: the download
    // ends there, inside its own start, and still gives everything back.
    void lostOnPrintLog() {
        Rig<FakeSerialLink> rig;
        rig.link.failWrites = true;
        QVERIFY(rig.session.sendNow({"R99\r", "R99\r"})); // two failures: not yet lost
        QVERIFY(rig.download.start());
        QCOMPARE(rig.screen.messages, QStringList{"Reading logs stopped: the serial port went away "
                                                  "(unplugged?) (0 of 2 records read)"});
        rig.verifyIdle();
        QVERIFY(!rig.download.silenceTimer().isActive());
    }

    // "Clear Screen" empties the memo only; "Clear PC Screen" the table and the
    // memo, Print and Save off, polling on, and a running download ends first.
    void clearing() {
        Rig<FakeSerialLink> rig;
        QVERIFY(rig.download.start());
        rig.link.receive("PRI\rLogType,\rPower On,12/06/2026 14:05\rDone ok\r");
        QSignalSpy replaced(&rig.download, &LogDownload::memoReplaced);
        rig.download.clearScreen();
        QCOMPARE(rig.session.memo().lineCount(), 0);
        QCOMPARE(rig.download.table().index(0, 0).data().toString(), QStringLiteral("Power On"));
        QVERIFY(rig.screen.enabled["CommandButton8"]);

        QVERIFY(rig.download.start());
        rig.link.receive("PRI\rLogType,\rPower On,12/06/2026 14:05\r");
        rig.session.stopPolling();
        rig.download.clearPcScreen();
        QVERIFY(!rig.download.running() && rig.screen.messages.last().contains("stopped by hand"));
        QCOMPARE(rig.session.memo().lineCount(), 0);
        QCOMPARE(rig.download.table().rowCount(), 2);
        QCOMPARE(rig.download.table().index(0, 0).data().toString(), QString());
        // Every cell empty, the titles too; the next download writes them again.
        QCOMPARE(rig.download.table().headerData(0, Qt::Vertical).toString(), QString());
        QCOMPARE(rig.download.table().headerData(1, Qt::Horizontal).toString(), QString());
        QVERIFY(!rig.screen.enabled["CommandButton8"] && !rig.screen.enabled["CommandButton9"]);
        QCOMPARE(rig.screen.barMax, rig.state.CaptureCount + 10);
        QVERIFY(rig.session.polling());
        QCOMPARE(replaced.size(), 3);
    }

    // Ten seconds of silence end a download, counted again from every line of
    // the printout (the "PRI" line and each captured line), not from the first
    // only; a line before the printout does not count. No clock is waited for:
    // the timer is stopped before each line and must be running after it.
    void silenceRestarts() {
        Rig<FakeSerialLink> rig;
        QCOMPARE(rig.download.silenceTimeout(), 10000);
        QTimer* silence = &rig.download.silenceTimer();
        QVERIFY(rig.download.start());
        const auto restarted = [&](const QByteArray& line) {
            silence->stop();
            rig.link.receive(line);
            return silence->isActive();
        };
        QVERIFY(!restarted("ok \r"));
        QVERIFY(restarted("PRI\r"));
        QVERIFY(restarted("LogType,\r"));
        QVERIFY(restarted("Power On,12/06/2026 14:05\r"));
        QVERIFY(restarted("Power Off,12/06/2026 14:06\r"));
        QVERIFY(rig.download.running());
        rig.download.stop();
    }

    // Erasing: exactly the command, and "Program Pump" locked before "CLEAR_ALL".
    void memorySequences() {
        const Sequence clear = MemorySequences::clearSamplingData();
        QVERIFY(!clear.holdsPolling && !MemorySequences::eraseLogs().holdsPolling);

        Rig<FakeSerialLink> rig;
        bool lockedWhenWritten = false;
        QObject::connect(&rig.session, &PumpSession::traced, [&](char d, const QByteArray& b) {
            if (d == 'T' && b == "CLEAR_ALL\r")
                lockedWhenWritten = !rig.screen.enabled.value("CommandButton29", true);
        });
        QVERIFY(rig.session.run(clear));
        QVERIFY(lockedWhenWritten && !rig.screen.enabled["CommandButton29"]);
        QVERIFY(rig.session.run(MemorySequences::eraseLogs()));
        QCOMPARE(rig.link.written(), QByteArray("CLEAR_ALL\rLOG_INIT\r"));
        QVERIFY(!rig.screen.enabled["CommandButton29"]); // until the setup report says otherwise
    }
};
QTEST_GUILESS_MAIN(TestLogDownload)
#include "test_logdownload.moc"
