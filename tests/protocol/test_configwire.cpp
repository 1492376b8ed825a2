// The configuration sequences played through PumpSession onto a recording
// port, on a clock the test drives: what the pump receives and when, with
// the pauses as WaitSeconds makes them; what is blocked meanwhile; and what
// happens when the window closes or the cable comes out in the middle.
#include "link/fakeseriallink.h"
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"
#include "protocol/pumpsession.h"
#include "support/steppingclock.h"

#include <QTest>
#include <cmath>
#include <memory>

using namespace ConfigSequences;

namespace {

QString shownCr(QByteArray bytes) {
    return QString::fromLatin1(bytes.replace('\r', '|'));
}

// One session on a fake port. The transcript has one entry per write,
// settings save, box and cursor change, each stamped with the whole
// seconds since the second the run began in.
struct Rig {
    AppState state;
    FakeSerialLink link;
    SteppingClock clock;
    std::unique_ptr<PumpSession> session;
    double base;
    bool recording = true;
    QStringList transcript;
    QStringList notices;
    QList<UiChanges> changes;
    int finished = 0;
    bool completed = false;

    explicit Rig(double start = 36000.2) : clock(start), base(std::floor(start)) {
        session = std::make_unique<PumpSession>(state, link, clock);
        PumpSession& s = *session;
        s.runner().waiter().maxSleepMs = 0;
        s.selectPort(0);
        QObject::connect(&s, &PumpSession::traced, [this](char direction, const QByteArray& b) {
            if (direction == 'T')
                note(shownCr(b));
        });
        QObject::connect(&s, &PumpSession::saveSettingsRequested, [this] { note("save"); });
        QObject::connect(&s, &PumpSession::messageRequested,
                         [this](const QString& text, const PumpSession::Closed& closed) {
                             note("box " + text);
                             closed();
                         });
        QObject::connect(&s, &PumpSession::cursorBusy,
                         [this](bool on) { note(on ? "cursor on" : "cursor off"); });
        QObject::connect(&s, &PumpSession::sequenceFinished, [this](const Sequence&, bool done) {
            ++finished;
            completed = done;
            recording = false;
        });
        QObject::connect(&s, &PumpSession::notice, [this](const QString& t) { notices << t; });
        QObject::connect(&s, &PumpSession::changed, [this](const UiChanges& c) { changes << c; });
    }
    void note(const QString& what) {
        if (recording)
            transcript << QString::number(std::floor(clock.now) - base) + " " + what;
    }
    bool runToEnd(const Sequence& sequence) {
        if (!session->run(sequence))
            return false;
        return QTest::qWaitFor([this] { return finished > 0; }, 60000);
    }
    bool waitForWrites(int n) {
        return QTest::qWaitFor(
            [&] {
                return std::count_if(transcript.cbegin(), transcript.cend(),
                                     [](const QString& t) { return t.contains('|'); }) >= n;
            },
            60000);
    }
    // Whether any change put this frame away.
    bool frameHidden(const QString& frame) const {
        return std::any_of(changes.cbegin(), changes.cend(),
                           [&](const UiChanges& c) { return !c.visible.value(frame, true); });
    }
};

SetupValues setup(bool timing, bool startStop, bool metric, const QString& rate) {
    SetupValues v;
    v.volumetric = true; // with the other options off: every switch goes out as its "Y" form
    v.timing = timing;
    v.startStop = startStop;
    v.metric = metric;
    v.logRate = rate;
    return v;
}

ProgramValues program(const QString& startDate, const QString& startTime, const QString& stopDate,
                      const QString& stopTime) {
    ProgramValues v;
    v.targetFlow = "2000";
    v.startDate = startDate;
    v.startTime = startTime;
    v.stopDate = stopDate;
    v.stopTime = stopTime;
    v.break1 = {true, "10:00:00.00", "10:15:00.00"};
    v.lunch = {true, "12:00:00.00", "12:30:00.00"};
    v.break2 = {false, "14:00:00.00", "14:15:00.00"};
    v.durationText = "08:00";
    return v;
}

} // namespace

class TestConfigWire : public QObject {
    Q_OBJECT
private slots:
    void sendSetupOnTheWire_data() {
        QTest::addColumn<SetupValues>("values");
        QTest::addColumn<double>("start");
        QTest::addColumn<QStringList>("transcript");
        const QStringList head = {"0 cursor on", "1 Y13|", "2 Y09|", "3 Y04|", "4 Y11|"};
        QTest::newRow("timing off, English, 58")
            << setup(false, false, false, "58") << 36000.2
            << head + QStringList{"5 Y01|",      "6 G03|G02|",
                                  "7 W06 58|",   "7 UPDATE_LOGTYPE |",
                                  "9 save",      "9 box Done Sending Setup to Pump",
                                  "9 cursor off"};
        QTest::newRow("Start/Stop, metric, 59")
            << setup(true, true, true, "59") << 36000.2
            << head + QStringList{"5 G01|",
                                  "6 Y10|",
                                  "8 Y02|Y03|",
                                  "9 W06 15|",
                                  "9 UPDATE_LOGTYPE |",
                                  "11 save",
                                  "11 box Done Sending Setup to Pump",
                                  "11 cursor off"};
        QTest::newRow("Duration, English, 120")
            << setup(true, false, false, "120") << 36000.2
            << head + QStringList{"5 G01|",
                                  "6 G10|",
                                  "8 G03|G02|",
                                  "9 W06 15|",
                                  "9 UPDATE_LOGTYPE |",
                                  "11 save",
                                  "11 box Done Sending Setup to Pump",
                                  "11 cursor off"};
        QTest::newRow("empty log rate")
            << setup(false, false, true, "") << 36000.2
            << head + QStringList{"5 Y01|",      "6 Y02|Y03|",
                                  "7 W06 15|",   "7 UPDATE_LOGTYPE |",
                                  "9 save",      "9 box Done Sending Setup to Pump",
                                  "9 cursor off"};
        QTest::newRow("log rate abc")
            << setup(false, false, true, "abc") << 36000.2
            << head + QStringList{"5 Y01|",      "6 Y02|Y03|",
                                  "7 W06 15|",   "7 UPDATE_LOGTYPE |",
                                  "9 save",      "9 box Done Sending Setup to Pump",
                                  "9 cursor off"};
        // The first pause starts at .7, which WaitSeconds rounds up to the
        // next second: it lasts 1.3 s and everything after comes a second later.
        QTest::newRow("first pause from .7 lasts 1.3 s")
            << setup(false, false, false, "58") << 36000.7
            << QStringList{"0 cursor on",
                           "2 Y13|",
                           "3 Y09|",
                           "4 Y04|",
                           "5 Y11|",
                           "6 Y01|",
                           "7 G03|G02|",
                           "8 W06 58|",
                           "8 UPDATE_LOGTYPE |",
                           "10 save",
                           "10 box Done Sending Setup to Pump",
                           "10 cursor off"};
        QTest::newRow("across midnight")
            << setup(false, false, false, "58") << 86396.2
            << head + QStringList{"5 Y01|",      "6 G03|G02|",
                                  "7 W06 58|",   "7 UPDATE_LOGTYPE |",
                                  "9 save",      "9 box Done Sending Setup to Pump",
                                  "9 cursor off"};
    }
    void sendSetupOnTheWire() {
        QFETCH(SetupValues, values);
        QFETCH(double, start);
        QFETCH(QStringList, transcript);
        Rig rig(start);
        QVERIFY(rig.runToEnd(sendSetup(values)));
        QVERIFY(rig.completed);
        QCOMPARE(rig.transcript, transcript);
        // Polling is back on, the progress frame put away.
        QVERIFY(rig.session->timer1().isActive());
        QVERIFY(rig.frameHidden("Frame21"));
    }

    void programPumpOnTheWire_data() {
        QTest::addColumn<ProgramValues>("values");
        QTest::addColumn<QString>("timing");
        QTest::addColumn<QString>("durationMode");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("middle"); // the writes at second 3 between W04 and G07
        QTest::addColumn<QString>("keptAfter");
        const ProgramValues janFeb = program("20260131", "08:30:00.00", "20260201", "14:45:00.00");
        const QStringList pauses = {"3 W23 00 10 15 10|", "3 W24 00 14 15 14|",
                                    "3 W25 255 255 255 255 255|", "3 G12|"};
        const QStringList notInUse = {"3 W17 255 255 255 255 255|", "3 W18 255 255 255 255 255|",
                                      "3 Y12|"};
        QTest::newRow("timing off")
            << janFeb << "0"
            << "0"
            << "008:00" << notInUse + pauses + QStringList{"3 W19 255 255|", "3 Y10|"} << "255 255";
        QTest::newRow("Start/Stop 31 Jan to 1 Feb 14:45")
            << janFeb << "1"
            << "0"
            << "557"
            << QStringList{"3 W17 30 08 31 01 26|", "3 W18 45 14 01 02 26|", "3 G12|"} + pauses +
                   QStringList{"3 W19 255 255|", "3 Y10|"}
            << "255 255";
        QTest::newRow("Start/Stop from midnight")
            << program("20260201", "00:00:00.00", "20260201", "14:45:00.00") << "1"
            << "0"
            << ""
            << QStringList{"3 W17 00 00 01 02 26|", "3 W18 45 14 01 02 26|", "3 G12|"} + pauses +
                   QStringList{"3 W19 255 255|", "3 Y10|"}
            << "255 255";
        QTest::newRow("Duration, 08:00 never left")
            << janFeb << "1"
            << "1"
            << "08:00" << notInUse + pauses + QStringList{"3 W19 2048|", "3 G10|"} << "08:00";
        QTest::newRow("Duration, pump-state 008:00")
            << janFeb << "1"
            << "1"
            << "008:00" << notInUse + pauses + QStringList{"3 W19 2048|", "3 G10|"} << "008:00";
    }
    void programPumpOnTheWire() {
        QFETCH(ProgramValues, values);
        QFETCH(QString, timing);
        QFETCH(QString, durationMode);
        QFETCH(QString, kept);
        QFETCH(QStringList, middle);
        QFETCH(QString, keptAfter);
        Rig rig;
        rig.state.TimingFlag = timing;
        rig.state.DurationModeFlag = durationMode;
        rig.state.runDuration = kept;
        const ProgramBuild b = programPump(values, rig.state, ProgramButton::SendToKst);
        QVERIFY(b.error.isEmpty());
        QVERIFY(rig.runToEnd(b.sequence));
        QCOMPARE(rig.transcript,
                 QStringList({"0 cursor on", "1 Y05|", "3 W04 2000|"}) + middle +
                     QStringList({"3 G07|", "4 POWER_OFF |", "4 save",
                                  "4 box Program Pump is completed", "4 cursor off"}));
        QVERIFY(!QString(rig.link.written()).contains(":"));
        QCOMPARE(rig.state.runDuration, keptAfter);
        QVERIFY(rig.session->timer1().isActive());
        QVERIFY(rig.frameHidden("Frame20"));
    }

    // "Program Pump" forgets the pump afterwards; "Send to KST Pump" does not.
    void afterProgramming_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("forgotten");
        QTest::newRow("CommandButton29") << int(ProgramButton::ProgramPump) << true;
        QTest::newRow("CommandButton13") << int(ProgramButton::SendToKst) << false;
    }
    void afterProgramming() {
        QFETCH(int, button);
        QFETCH(bool, forgotten);
        Rig rig;
        rig.state.LastSerialNumber = rig.state.serialNumber = "00012345";
        const ProgramValues v = program("20260131", "08:30:00.00", "20260201", "14:45:00.00");
        QVERIFY(rig.runToEnd(programPump(v, rig.state, ProgramButton(button)).sequence));
        QCOMPARE(rig.state.serialNumber.isEmpty(), forgotten);
        const bool noPumpShown =
            std::any_of(rig.changes.cbegin(), rig.changes.cend(), [](const UiChanges& c) {
                return c.text.value("Label3_10") == "No Pump Currently Attached";
            });
        QCOMPARE(noPumpShown, forgotten);
    }

    // Command1: five writes back to back, polling held, no frame.
    void timingTransferOnTheWire() {
        Rig rig;
        rig.session->resumePolling();
        const ProgramValues v = program("20260131", "08:30:00.00", "20260201", "14:45:00.00");
        QVERIFY(rig.runToEnd(timingTransfer(v)));
        QStringList writes = rig.transcript.filter("|");
        QCOMPARE(writes, QStringList({"0 W17 30 08 31 01 26|", "0 W18 45 14 01 02 26|",
                                      "0 W23 00 10 15 10|", "0 W24 00 14 15 14|",
                                      "0 W25 255 255 255 255 255|"}));
        QVERIFY(!rig.transcript.contains("0 save"));
        QVERIFY(rig.session->timer1().isActive());
        for (const UiChanges& c : rig.changes)
            QVERIFY(c.visible.isEmpty() && c.bars.isEmpty() && c.text.isEmpty());
    }

    // The clock pair: two writes within one call, nothing between them.
    void clockPair() {
        Rig rig;
        QVERIFY(
            rig.session->sendNow(PumpClock::texts(QDateTime(QDate(2008, 12, 31), QTime(23, 59)))));
        QCOMPARE(rig.link.written(), QByteArray("W16 59 23 31 12 08\rUPDATE_SYS_TIME\r"));
        QVERIFY(!rig.session->timer1().isActive());
    }

    // While a sequence runs nothing else reaches the pump: a poll tick, the
    // refresh buttons, the clock, a second sequence, another port; and every
    // pump-writing control is disabled.
    void blockedDuringSequence() {
        Rig rig;
        bool busySeen = false;
        QObject::connect(rig.session.get(), &PumpSession::busyChanged,
                         [&](bool on) { busySeen = busySeen || on; });
        QVERIFY(rig.session->run(sendSetup(setup(true, true, false, "30"))));
        QVERIFY(rig.waitForWrites(2));
        const QByteArray before = rig.link.written();
        QVERIFY(rig.session->busy());
        QVERIFY(busySeen);
        rig.session->pollTick();
        rig.session->refreshDisplay();
        rig.session->refreshPumpData();
        rig.session->selectPort(2);
        QVERIFY(!rig.session->sendNow(PumpClock::texts(QDateTime::currentDateTime())));
        QVERIFY(!rig.session->run(sendSetup(setup(false, false, false, "15"))));
        QCOMPARE(rig.link.written(), before);
        QCOMPARE(rig.link.currentPort(), 1);
        UiChanges lock;
        for (const UiChanges& c : rig.changes)
            lock.merge(c);
        for (const QString& name : PumpSession::pumpWritingControls())
            QVERIFY2(!lock.enabled.value(name, true), qPrintable(name));
        // The run goes on to its end untouched.
        QVERIFY(QTest::qWaitFor([&] { return rig.finished > 0; }, 60000));
        QCOMPARE(rig.transcript.filter("|").size(), 9);
        QVERIFY(!rig.session->busy());
    }

    // The window closes in the middle: nothing more is written after the
    // closing "RUN_CLEAR" (shutdown), or at all (the session destroyed).
    void windowClosedMidway_data() {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("shutdown") << false;
        QTest::newRow("session destroyed") << true;
    }
    void windowClosedMidway() {
        QFETCH(bool, destroy);
        Rig rig;
        const ProgramValues v = program("20260131", "08:30:00.00", "20260201", "14:45:00.00");
        QVERIFY(rig.session->run(programPump(v, rig.state).sequence));
        QVERIFY(rig.waitForWrites(2));
        if (destroy)
            rig.session.reset();
        else
            rig.session->shutdown();
        const QByteArray atClose = rig.link.written();
        QTest::qWait(300); // the runner's pauses are 1 ms timers here
        QCOMPARE(rig.link.written(), atClose);
        QVERIFY(atClose.startsWith("Y05\rW04 2000\r"));
        QCOMPARE(atClose.endsWith("RUN_CLEAR\r"), !destroy);
        QVERIFY(!rig.transcript.join(',').contains("box"));
        if (!destroy) {
            QCOMPARE(rig.finished, 1);
            QVERIFY(!rig.completed);
            QVERIFY(!rig.session->timer1().isActive());
        }
    }

    // The cable comes out in the middle: the run stops at the next write,
    // says why, puts its frame away, and shows no success box.
    void unpluggedMidway_data() {
        QTest::addColumn<bool>("hangUp"); // the device goes away, or writes start failing
        QTest::newRow("device lost") << true;
        QTest::newRow("writes fail") << false;
    }
    void unpluggedMidway() {
        QFETCH(bool, hangUp);
        Rig rig;
        QVERIFY(rig.session->run(sendSetup(setup(true, true, false, "30"))));
        QVERIFY(rig.waitForWrites(2));
        if (hangUp)
            emit rig.link.deviceLost();
        else
            rig.link.failWrites = true;
        QVERIFY(QTest::qWaitFor([&] { return rig.finished > 0; }, 60000));
        QVERIFY(!rig.completed);
        QVERIFY(!rig.transcript.join(',').contains("box"));
        QVERIFY(!rig.transcript.join(',').contains("save"));
        QVERIFY(rig.frameHidden("Frame21"));
        QCOMPARE(rig.notices.size(), 1);
        QVERIFY2(rig.notices.first().startsWith("Send Setup To Pump stopped: Com1 (") &&
                     rig.notices.first().endsWith(": device lost"),
                 qPrintable(rig.notices.first()));
        // Nothing waits for a confirmation of what was never sent in full;
        // polling runs again so the pump is seen when it is back.
        QVERIFY(!rig.session->readBack().pending());
        QVERIFY(!rig.session->busy());
        QVERIFY(rig.session->timer1().isActive());
        // Writes that reached the port: the two before, plus those the
        // failing port refused before it counted as lost.
        int ok = 0, failed = 0;
        for (const auto& e : rig.link.events)
            if (e.type == FakeSerialLink::Event::Write)
                ++(e.ok ? ok : failed);
        QCOMPARE(ok, 2);
        QCOMPARE(failed, hangUp ? 0 : PumpLink::kFailedWritesMeanLost);
    }

    // A port that is not open: nothing is sent, the status bar says why.
    void portNotOpen() {
        Rig rig;
        rig.link.missingPorts = {2};
        rig.session->selectPort(1);
        QVERIFY(!rig.session->run(sendSetup(setup(false, false, false, "15"))));
        QVERIFY(!rig.session->sendNow(PumpClock::texts(QDateTime::currentDateTime())));
        QCOMPARE(rig.link.written(), QByteArray());
        QCOMPARE(rig.notices.size(), 2);
        QVERIFY(rig.notices.first().startsWith("Com2 is not open ("));
        QCOMPARE(rig.finished, 0);
    }
};
QTEST_GUILESS_MAIN(TestConfigWire)
#include "test_configwire.moc"
