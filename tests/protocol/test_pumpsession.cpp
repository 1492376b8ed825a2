// The pump session without a window, on a recording port and a clock the
// test drives: a sequence runs its steps in order with the pauses as
// WaitSeconds makes them, holds the poll and every other command while it
// runs, and stops writing when the window goes away or the cable comes out;
// what "Program Pump" leaves behind; half a line cut off by the cable. The sequences' steps as data
// are test_configsequences.
#include "protocol/commands.h"
#include "protocol/configsequences.h"
#include "protocol/pumpsession.h"
#include "protocol/sequencerunner.h"
#include "steptext.h"
#include "support/fakeseriallink.h"
#include "support/sampleprogram.h"
#include "support/steppingclock.h"

#include <QTest>
#include <cmath>
#include <memory>

using namespace ConfigSequences;

namespace {

// One session on a fake port, on a clock the test drives. The transcript
// has one entry per write (CR shown as |), settings save, box and cursor
// change, each stamped with the whole seconds since the second the run
// began in.
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
    bool holdBox = false; // leave the box open until the test closes it
    PumpSession::Closed heldBox;

    explicit Rig(double start = 36000.2) : clock(start), base(std::floor(start)) {
        session = std::make_unique<PumpSession>(state, link, clock);
        PumpSession& s = *session;
        s.setMaxSleepMs(0);
        s.selectPort(0);
        QObject::connect(&s, &PumpSession::traced, [this](char direction, const QByteArray& b) {
            if (direction == 'T')
                note(QString::fromLatin1(QByteArray(b).replace('\r', '|')));
        });
        QObject::connect(&s, &PumpSession::saveSettingsRequested, [this] { note("save"); });
        QObject::connect(&s, &PumpSession::messageRequested,
                         [this](const QString& text, const PumpSession::Closed& closed) {
                             note("box " + text);
                             if (holdBox)
                                 heldBox = closed;
                             else
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

Sequence sample() {
    UiChanges show;
    show.visible.insert(QStringLiteral("Frame21"), true);
    Sequence s;
    s.name = QStringLiteral("sample");
    s.frame = QStringLiteral("Frame21");
    s.bar = QStringLiteral("PBar2");
    s << Step::change(show) << Step::caption(QStringLiteral("first")) << Step::bar(0)
      << Step::wait(1) << Step::write(QStringLiteral("A\r")) << Step::bar(50) << Step::wait(1)
      << Step::writeDirect(QStringLiteral("B\r")) << Step::write(QStringLiteral("C\r"))
      << Step::saveSettings() << Step::message(QStringLiteral("done")) << Step::bar(0);
    return s;
}

} // namespace

class TestPumpSession : public QObject {
    Q_OBJECT
private slots:
    // Steps come out in order; each pause ends on a whole second of the
    // clock (100.2 rounds to 100, so the first pause ends at 101), and the
    // run waits for the box before its last steps; Timer1 is off for the
    // run and on after it.
    void stepsInOrderWithTheirPauses() {
        Rig rig(100.2);
        rig.holdBox = true;
        QObject::connect(rig.session.get(), &PumpSession::changed, [&](const UiChanges& c) {
            for (const QString& caption : c.text)
                rig.note("caption " + caption);
            for (const int bar : c.bars)
                rig.note("bar " + QString::number(bar));
            for (auto it = c.visible.cbegin(); it != c.visible.cend(); ++it)
                rig.note(QStringLiteral("%1=%2").arg(it.key()).arg(it.value()));
        });
        rig.session->resumePolling();
        QVERIFY(rig.session->run(sample()));
        QVERIFY(!rig.session->timer1().isActive() && rig.session->busy());
        QTRY_VERIFY_WITH_TIMEOUT(rig.heldBox, 60000);
        QVERIFY(rig.session->busy());
        rig.heldBox();
        QTRY_VERIFY_WITH_TIMEOUT(rig.finished, 60000);
        QVERIFY(rig.completed && !rig.session->busy());
        QCOMPARE(rig.transcript, steps("0 cursor on; 0 Frame21=1; 0 caption first; 0 bar 0; 1 A|; "
                                       "1 bar 50; 2 B|; 2 C|; 2 save; 2 box done; 2 bar 0; "
                                       "2 cursor off"));
        QVERIFY(rig.session->timer1().isActive());
    }

    // One sequence at a time per runner: a second start while the first
    // waits for its box is refused, and the first goes on to its end. A box
    // closed when none is open (a stale click) starts nothing, and a direct
    // write stays direct.
    void runnerRefusesASecondRun() {
        SteppingClock clock(100.2);
        SequenceRunner runner(clock);
        QStringList writes;
        QObject::connect(&runner, &SequenceRunner::write, [&](const QString& text, bool direct) {
            writes << (direct ? "direct " : "") + text;
        });
        runner.messageClosed();
        QVERIFY(runner.start(Sequence() << Step::write("A") << Step::message("box")
                                        << Step::writeDirect("B")));
        QVERIFY(!runner.start(Sequence() << Step::write("X")));
        runner.messageClosed();
        QTRY_VERIFY_WITH_TIMEOUT(!runner.isRunning(), 60000);
        QCOMPARE(writes, (QStringList{"A", "direct B"}));
    }

    // While a sequence runs nothing else reaches the pump: poll ticks,
    // refresh buttons, single commands, another sequence, a port change.
    // Every pump-writing control is disabled and comes back afterwards as
    // the decoders last left it.
    void busyHoldsEverythingElse() {
        Rig rig;
        QList<bool> busy;
        QObject::connect(rig.session.get(), &PumpSession::busyChanged,
                         [&](bool on) { busy << on; });
        QVERIFY(rig.session->run(sample()));
        QCOMPARE(busy, QList<bool>{true});
        for (const QString& name : PumpSession::pumpWritingControls())
            QVERIFY2(!rig.changes.first().enabled.value(name, true), qPrintable(name));
        // A report that unlocks "Program Pump" is held while busy; one that
        // locks it arrives next: it stays locked afterwards, while
        // everything else comes back.
        rig.link.receive("Z99 0 0 0 1 0 0 0 0 0 0 1 0 0\r");
        QCOMPARE(rig.changes.last().enabled.value("CommandButton29", true), false);
        rig.link.receive("Z99 0 0 0 1 0 0 1 0 0 0 1 0 0\r");
        QCOMPARE(rig.changes.last().enabled.value("CommandButton29", true), false);
        const QByteArray before = rig.link.written();
        rig.session->pollTick();
        rig.session->refreshDisplay();
        rig.session->refreshPumpData();
        QVERIFY(!rig.session->sendNow({Commands::logInit()}));
        QVERIFY(!rig.session->run(sample()));
        rig.session->selectPort(2);
        QCOMPARE(rig.link.written(), before);
        QCOMPARE(rig.link.currentPort(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(rig.finished, 60000);
        QCOMPARE(rig.transcript.filter("|"), steps("1 A|; 2 B|; 2 C|"));
        const UiChanges restored = rig.changes.last();
        QCOMPARE(restored.enabled.value(QStringLiteral("CommandButton7")), true);
        QCOMPARE(restored.enabled.value(QStringLiteral("Option7_2")), true);
        QCOMPARE(restored.enabled.value(QStringLiteral("CommandButton29")), false);
        QCOMPARE(busy, (QList<bool>{true, false}));
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
        const ProgramValues v = sampleProgram();
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
        QVERIFY(rig.session->run(sendSetup(SetupValues())));
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
        QVERIFY(!rig.session->readBackPending());
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
    // The cable comes out in the middle of a reply: the part of a line that
    // came is no line, and the first report after the reconnect is handled
    // whole instead of being glued onto it.
    void halfLineDropped_data() {
        QTest::addColumn<QByteArray>("before"); // what came before the cable came out
        QTest::newRow("half a status report") << QByteArray("R99 0001 half a repo");
        QTest::newRow("a whole line, then half") << QByteArray("P00\rR99 00");
        QTest::newRow("nothing pending") << QByteArray();
    }
    void halfLineDropped() {
        QFETCH(QByteArray, before);
        Rig rig;
        rig.link.receive(before);
        emit rig.link.deviceLost();
        QStringList handled;
        connect(rig.session.get(), &PumpSession::lineHandled,
                [&](const LineResult& r) { handled << r.line; });
        rig.session->selectPort(0);
        rig.link.receive("Z99 0 0 0\r");
        QCOMPARE(handled, QStringList{"Z99 0 0 0"});
    }

    // A sequence asked for while the port is closed sends nothing and says
    // why; so does a single command.
    void closedPortRefused() {
        Rig rig;
        rig.link.missingPorts.insert(3);
        rig.session->selectPort(2);
        QVERIFY(!rig.session->run(sample()));
        QVERIFY(!rig.session->sendNow({Commands::logInit()}));
        QCOMPARE(rig.notices.size(), 2);
        QCOMPARE(rig.notices.first(),
                 QStringLiteral("Com3 is not open (Com3 (fake3): no such device \u2014 is the "
                                "adapter plugged in?)"));
        QVERIFY(rig.transcript.isEmpty() && !rig.session->busy() && !rig.finished);
    }

    // The kept duration as the run leaves it; "Program Pump" forgets the
    // pump afterwards, "Send to KST Pump" does not.
    void programPumpOnTheWire_data() {
        QTest::addColumn<QString>("timing");
        QTest::addColumn<QString>("durationMode");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("keptAfter");
        QTest::newRow("timing off, CommandButton29")
            << QString("0") << QString("0") << int(ProgramButton::ProgramPump) << "255 255";
        QTest::newRow("Duration, pump-state 008:00, CommandButton13")
            << QString("1") << QString("1") << int(ProgramButton::SendToKst) << "008:00";
    }
    void programPumpOnTheWire() {
        QFETCH(QString, timing);
        QFETCH(QString, durationMode);
        QFETCH(int, button);
        QFETCH(QString, keptAfter);
        Rig rig;
        rig.state.TimingFlag = timing;
        rig.state.DurationModeFlag = durationMode;
        rig.state.runDuration = "008:00";
        rig.state.LastSerialNumber = rig.state.serialNumber = "00012345";
        const ProgramBuild b = programPump(sampleProgram(), rig.state, ProgramButton(button));
        QVERIFY(b.error.isEmpty());
        QVERIFY(rig.runToEnd(b.sequence));
        QVERIFY(rig.transcript.endsWith("4 cursor off"));
        QCOMPARE(rig.state.runDuration, keptAfter);
        QVERIFY(rig.session->timer1().isActive());
        QVERIFY(rig.frameHidden("Frame20"));
        const bool forgotten = ProgramButton(button) == ProgramButton::ProgramPump;
        QCOMPARE(rig.state.serialNumber.isEmpty(), forgotten);
        const bool noPumpShown =
            std::any_of(rig.changes.cbegin(), rig.changes.cend(), [](const UiChanges& c) {
                return c.text.value("Label3_10") == "No Pump Currently Attached";
            });
        QCOMPARE(noPumpShown, forgotten);
    }
};

QTEST_GUILESS_MAIN(TestPumpSession)
#include "test_pumpsession.moc"
