// The pump session without a window, on a recording port and a clock the
// test drives: a sequence runs its steps in order with the pauses as
// WaitSeconds makes them, holds the poll and every other command while it
// runs, and stops writing when the window goes away or the cable comes out;
// what "Program Pump" leaves behind; half a line cut off by the cable. The
// sequences' steps as data are test_configsequences. Last, WaitSeconds itself
// and the status poll tick by tick; received characters to dispatched lines.
#include "logs/capturememo.h"
#include "protocol/commands.h"
#include "protocol/configsequences.h"
#include "protocol/pollcycle.h"
#include "protocol/pumpsession.h"
#include "protocol/responsedispatcher.h"
#include "protocol/sequencerunner.h"
#include "protocol/waiter.h"
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
    QStringList transcript, notices;
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
        return session->run(sequence) && QTest::qWaitFor([this] { return finished > 0; }, 60000);
    }
    bool waitForWrites(int n) {
        return QTest::qWaitFor([&] { return transcript.filter("|").size() >= n; }, 60000);
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

// Time moves on by `step` seconds every time it is read; the time of day
// starts again at zero at midnight, the monotonic reading never does.
struct SetBackClock : WaitClock {
    double step = 0.004;
    mutable double elapsed = 0; // monotonic seconds since the wait began
    double startOfDay;          // time of day when elapsed was 0 (the start takes a read)
    double setBack;             // seconds the time of day is set back after 0.1 s
    SetBackClock(double begin, double back) : startOfDay(begin - step), setBack(back) {}

    double secondsSinceMidnight() const override {
        elapsed += step;
        return timeOfDay();
    }
    double monotonicSeconds() const override { return elapsed; }
    double timeOfDay() const {
        return std::fmod(startOfDay + elapsed - (elapsed >= 0.1 ? setBack : 0), 86400.0);
    }
};

QMap<QString, QString> indicators(const QString& text) {
    return {{"Label6", text}, {"Label21", text}, {"Label22", text}, {"Label23", text}};
}

// The indicators' captions as a step renders them.
QString indicatorStep(const QString& text) {
    return QStringLiteral("ui Label21=%1, Label22=%1, Label23=%1, Label6=%1").arg(text);
}

// Runs `ticks` ticks; the pump answers the requests of ticks `from` to `to`.
// The user closes a box `closeAfter` ticks after it opened; a report that
// comes in while it is open closes it by itself. Returns the ticks on which a
// box opened, or {-1} when a tick broke the order: indicators shown, request
// written (also while the box is open), indicators cleared only once no box
// is open, never a second box.
QList<int> cycle(int ticks, int from, int to, int closeAfter = 0) {
    AppState state;
    PollCycle poll(state);
    QList<int> boxes;
    int openedAt = 0;
    for (int t = 1; t <= ticks; ++t) {
        const bool wasOpen = poll.noPumpBoxOpen();
        const QStringList step = render(poll.tick());
        const bool box = step.last() == "open box No Pump Found";
        const QString ending = wasOpen ? ""
                               : box   ? "; open box No Pump Found"
                                       : "; " + indicatorStep("");
        if (step.join("; ") != indicatorStep("Updating Display") + "; write R99|Z99|" + ending)
            return {-1};
        if (box) {
            boxes << t;
            openedAt = t;
        }
        if (t >= from && t <= to) { // the reply, decoded as it comes in
            state.LastSerialNumber = "00012345";
            if (poll.noPumpBoxOpen() && poll.pumpReturned().text != indicators(""))
                return {-1};
        }
        if (poll.noPumpBoxOpen() && t - openedAt >= closeAfter &&
            poll.noPumpBoxClosed().text.value("Label3_10") != "No Pump Currently Attached")
            return {-1};
    }
    return boxes;
}

using Chunks = QList<QByteArray>;

// One dispatcher fed one receive event per chunk; records which event
// completed which line and what kind of line the dispatcher took it for.
struct Run {
    AppState state;
    CaptureMemo memo;
    ResponseDispatcher d{state, memo};
    QStringList lines; // "line:kind" per dispatched line
    QStringList timed; // "event:line:kind"

    Run& feed(const Chunks& chunks) {
        for (int i = 0; i < chunks.size(); ++i)
            d.receive(chunks[i], [&](const LineResult& lr) {
                lines << lr.line + ':' + lineKindName(lr.kind);
                timed << QString::number(i) + ':' + lines.last();
            });
        return *this;
    }
    QString rest() const { return d.assembler().lineBuffer(); }
};
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

    // WaitSeconds against a clock the test drives: the rounded start, midnight,
    // and a clock set back while pausing.
    // How long a pause of n lasts from its start, which is rounded halves to
    // even.
    void waitLasts_data() {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("n");
        QTest::addColumn<double>("lasts");
        QTest::addColumn<double>("setBack");
        QTest::newRow("100.5 ends at 101") << 100.5 << 1.0 << 0.5 << 0.0;
        QTest::newRow("101.5 ends at 103") << 101.5 << 1.0 << 1.5 << 0.0;
        QTest::newRow("86399.7 rounds to midnight") << 86399.7 << 1.0 << 1.3 << 0.0;
        QTest::newRow("three seconds from 86398.6") << 86398.6 << 3.0 << 3.4 << 0.0;
        // End of summer time: the pause still ends after at most n + 0.5 s.
        QTest::newRow("clock set back an hour") << 10799.7 << 1.0 << 1.5 << 3600.0;
    }
    void waitLasts() {
        QFETCH(double, begin);
        QFETCH(double, n);
        QFETCH(double, lasts);
        QFETCH(double, setBack);
        SetBackClock clock(begin, setBack);
        Waiter w(clock);
        w.begin(n);
        while (!w.over()) {
        }
        const double took = clock.elapsed - clock.step; // from the start reading
        QVERIFY2(std::abs(took - lasts) < 3 * clock.step, qPrintable(QString::number(took)));
    }

    // Between two looks at the clock the runner sleeps what is left of the
    // pause, at most maxSleepMs.
    void sleepsAreBounded() {
        SetBackClock clock(100.0, 0);
        clock.step = 0.125;
        clock.startOfDay = 100.0 - clock.step; // the first look reads 100.0
        Waiter w(clock);
        w.begin(1);
        QList<int> sleeps;
        while (!w.over())
            sleeps << w.sleepMs();
        QCOMPARE(sleeps, (QList<int>{250, 250, 250, 250, 250, 250, 125}));
        QVERIFY(!w.pending() && w.over() && w.sleepMs() == 0);
    }

    // The status poll tick by tick: Timer1 is played by calling tick(), the pump
    // by setting LastSerialNumber between ticks as the status decoder does when a
    // report comes back, the user by closing the "No Pump Found" box.
    // The first "No Pump Found" comes on the seventh tick and then every seven; a
    // pump that answers after the fourth tick of a cycle passes its check. Each
    // passing check starts a new cycle, so a pump unplugged later is reported too.
    void missingPumpCheck_data() {
        // The ticks, the first and last answered, the ticks a box stays open
        // unless the pump answers; then the ticks a box opened on.
        QTest::addColumn<QList<int>>("opened");
        QTest::addColumn<QList<int>>("boxes");
        QTest::newRow("no pump") << cycle(22, 0, 0, 0) << QList<int>{7, 14, 21};
        QTest::newRow("pump answering all along") << cycle(200, 1, 200, 0) << QList<int>{};
        QTest::newRow("answers before the emptying only") << cycle(8, 1, 3, 0) << QList<int>{7};
        QTest::newRow("first answer just before the check") << cycle(20, 6, 20, 0) << QList<int>{};
        QTest::newRow("last answer to the emptying tick") << cycle(15, 1, 4, 0) << QList<int>{14};
        QTest::newRow("unplugged after an hour")
            << cycle(3620, 1, 3600, 0) << QList<int>{3605, 3612, 3619};
        QTest::newRow("plugged in as the box opens") << cycle(30, 7, 30, 0) << QList<int>{7};
        // Nobody at the screen: the box stays up, the pump on its charging stand
        // is seen on the first tick after it answers, and the checks go on.
        QTest::newRow("back while the box stays open") << cycle(40, 12, 40, 1000) << QList<int>{7};
        QTest::newRow("never back, box left open") << cycle(40, 0, 0, 1000) << QList<int>{7};
        QTest::newRow("back, then gone again") << cycle(40, 12, 20, 1000) << QList<int>{7, 26};
    }

    void missingPumpCheck() {
        QFETCH(QList<int>, opened);
        QFETCH(QList<int>, boxes);
        QCOMPARE(opened, boxes);
    }

    void boxClosedGivesNoPumpState() {
        AppState state;
        PollCycle poll(state);
        for (int t = 1; t <= 7; ++t)
            poll.tick();
        QMap<QString, QString> text = indicators("");
        for (const char* model : {"Label3_10", "Label3_25", "Label3_20", "Label3_31"})
            text.insert(model, "No Pump Currently Attached");
        QMap<QString, bool> hidden;
        for (const char* name : {"Label3_0", "Label3_21", "Frame7", "frmTimingR_1", "Frame_RUNUP",
                                 "Frame_STPVOL", "Frame_Rundown", "Frame2"})
            hidden.insert(name, false);
        const UiChanges closed = poll.noPumpBoxClosed();
        QCOMPARE(closed.text, text);
        QCOMPARE(closed.visible, hidden);
        QVERIFY(poll.noPumpBoxClosed().isEmpty()); // closing with no box open changes nothing
    }

    // Both buttons ask at once, with only the Run Mode indicator showing it; only
    // "Refresh Display" switches polling on again, and only when it is off.
    void refreshButtons() {
        const QString ask = "ui Label6=Updating Display; write R99|Z99|; ui Label6=";
        QCOMPARE(render(PollCycle::refreshDisplay(false)), steps("polling on; " + ask));
        QCOMPARE(render(PollCycle::refreshDisplay(true)), steps(ask));
        QCOMPARE(render(PollCycle::refreshPumpData()), steps(ask));
    }

    // Received characters to dispatched lines: assembly across chunk boundaries,
    // dropped characters, the line bound, and the log-capture rules.
    // Lines as "event:line:kind" joined by "|", then " / " and what waits in
    // LineBuffer. However the port cuts the stream into receive events, the
    // same lines come out in the same order.
    void lines_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const Chunks& chunks, const char* expected) {
            QTest::newRow(name) << chunks << QString(expected);
        };
        row("status now, setup next event", {"R99 a\rZ99 b", "c\r"},
            "0:R99 a:status|1:Z99 bc:setup / ");
        row("CR LF: no line starts with LF", {"R99\r\nZ99\r\n"}, "0:R99:status|0:Z99:setup / ");
        row("tab and outside 32..126 dropped",
            {QByteArray(1, 0) + "R\0339\177\2009 x\ty\377\303\251\r"}, "0:R99 xy:status / ");
        row("short, empty, case-sensitive", {"R9\rZ\r\rr99\rpri\r"},
            "0:R9:other|0:Z:other|0::other|0:r99:other|0:pri:other / ");
        row("text after the last CR waits", {"R99\rZ9", "9 par", "tial"},
            "0:R99:status / Z99 partial");
        row("LF alone completes nothing", {"R99\nZ99\n"}, " / R99Z99");
    }
    void lines() {
        QFETCH(Chunks, chunks);
        QFETCH(QString, expected);
        Run whole;
        whole.feed(chunks);
        QCOMPARE(whole.timed.join('|') + " / " + whole.rest(), expected);
        const QByteArray all = chunks.join();
        Chunks bytes;
        for (int cut = 0; cut <= all.size(); ++cut) {
            Run split;
            QCOMPARE(split.feed({all.left(cut), all.mid(cut)}).lines, whole.lines);
            QCOMPARE(split.rest(), whole.rest());
            bytes << all.mid(cut, 1);
        }
        QCOMPARE(Run().feed(bytes).lines, whole.lines);
    }

    // Memo lines joined by "|"; CaptureMode and CaptureCount; the kinds
    // dispatched other than "other".
    void capture_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* stream, const char* expected) {
            QTest::newRow(name) << QByteArray(stream) << QString(expected);
        };
        row("\"ok \" captured, then capture ends", "PRI\ra\rok done\rb\r", "a  |ok done   / 0 3 /");
        row("\" ok\" ends capture before it is captured", "PRI\ra\r ok\rb\r", "a   / 0 2 /");
        row("\"Done ok\" captured, then the log decoder ends capture", "PRI\rDone ok\rx\r",
            "Done ok   / 0 2 / log-end");
        row("PRI twice: captured, then restart at 1", "PRI\ra\rb\rPRI 2\rc\r",
            "c  |b  |PRI 2   / 1 2 /");
        row("PRI not captured; R99, Z99, P01 captured and dispatched", "PRI\rR99 x\rZ99 y\rP01 z\r",
            "R99 x  |Z99 y  |P01 z   / 1 4 / status setup state");
        row("short, empty, \"ok\" without blank: captured, counted", "PRI\r\rab\rok\r",
            "  |ab  |ok   / 1 4 /");
        row("no capture without PRI", "a\rR99\r ok\rok \r", " / 0 1 / status");
    }
    void capture() {
        QFETCH(QByteArray, stream);
        QFETCH(QString, expected);
        Run r;
        r.feed({stream});
        QString got =
            r.memo.lines().join('|') +
            QStringLiteral(" / %1 %2 /").arg(int(r.state.CaptureMode)).arg(r.state.CaptureCount);
        for (const QString& l : r.lines)
            if (!l.endsWith(QLatin1String(":other")))
                got += ' ' + l.section(':', -1);
        QCOMPARE(got, expected);
    }

    // The memo write is what runs the log decode: at that moment CaptureCount
    // is the line's position, and the write happens before the line itself
    // is handed on (lines handed on so far: the count before "@").
    void memoWriteDecodesBeforeNextLine() {
        Run r;
        QStringList seen;
        r.d.onMemoWrite = [&](int at) {
            seen << QStringLiteral("%1@%2/%3 memo=%4")
                        .arg(r.lines.size())
                        .arg(at)
                        .arg(r.state.CaptureCount)
                        .arg(r.memo.lineCount());
        };
        r.feed({"PRI\rfirst\rsecond\r"});
        QCOMPARE(seen, (QStringList{"1@1/1 memo=1", "2@2/2 memo=2"}));
    }

    // Noise without a carriage return (wrong speed, wrong device) keeps the
    // line buffer bounded, and the next real line after it is still recognised.
    // A line of the bound is whole; one character more and the whole line is
    // noise: no tail of it is taken for a line (it might start "R99").
    void lineBound() {
        Run r;
        r.feed({QByteArray(ReplyAssembler::kMaxLine, 'x') + '\r'});
        QCOMPARE(r.lines.last(), QString(ReplyAssembler::kMaxLine, 'x') + ":other");
        r.feed({QByteArray(ReplyAssembler::kMaxLine - 2, 'x') + "R99\rZ99 1\r"});
        QCOMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines.last(), "Z99 1:setup");
        r.lines.removeLast();
        int peak = 0;
        for (int i = 0; i < 16; ++i)
            peak = std::max(peak, int(r.feed({QByteArray(64 * 1024, 'n')}).rest().size()));
        QVERIFY(peak <= ReplyAssembler::kMaxLine);
        QCOMPARE(r.lines.size(), 1); // no line was invented from the noise
        QCOMPARE(r.feed({"\rR99 1\r"}).lines.last(), "R99 1:status");
    }
};

QTEST_GUILESS_MAIN(TestPumpSession)
#include "test_pumpsession.moc"
