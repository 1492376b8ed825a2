// The status poll tick by tick: Timer1 is played by calling tick(), the pump
// by setting LastSerialNumber between ticks as the status decoder does when a
// report comes back, the user by closing the "No Pump Found" box.
#include "link/commands.h"
#include "status/pollcycle.h"

#include <QTest>

namespace {

const QStringList kIndicators = {"Label6", "Label21", "Label22", "Label23"};

QStringList sorted(QStringList names) {
    names.sort();
    return names;
}

// Runs `ticks` ticks; the pump answers every request written up to and
// including tick `lastAnswered` (0: never). Returns the ticks on which the box
// opened; the user closes each box at once.
QList<int> run(int ticks, int lastAnswered) {
    AppState state;
    PollCycle poll(state);
    QList<int> boxes;
    for (int t = 1; t <= ticks; ++t) {
        const PollStep step = poll.tick();
        if (!step.ran || step.write != Commands::statusRequest())
            return {-1};
        if (step.showNoPumpBox) {
            boxes << t;
            poll.noPumpBoxClosed();
        }
        if (t <= lastAnswered)
            state.LastSerialNumber = QStringLiteral("00012345");
    }
    return boxes;
}

} // namespace

class TestPollCycle : public QObject {
    Q_OBJECT
private slots:
    void missingPumpCheck_data();
    void missingPumpCheck();
    void tickInOrder();
    void noTickWhileBoxIsOpen();
    void boxClosedGivesNoPumpState();
    void pumpAnsweringLateStillCounts();
    void refreshButtons_data();
    void refreshButtons();
    void showNoPump();
    void clearPumpStatus();
};

// The first "No Pump Found" comes on the seventh tick and then every seven;
// a pump that answers is never reported; one unplugged later is reported at
// the end of the first cycle in which it has not answered since the fourth
// tick, which is at most ten ticks after its last answer.
void TestPollCycle::missingPumpCheck_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("lastAnswered");
    QTest::addColumn<QList<int>>("boxes");
    QTest::newRow("no pump") << 22 << 0 << QList<int>{7, 14, 21};
    QTest::newRow("pump answering all along") << 200 << 200 << QList<int>{};
    QTest::newRow("answers before the emptying only") << 8 << 3 << QList<int>{7};
    QTest::newRow("last answer to the emptying tick") << 15 << 4 << QList<int>{14};
    QTest::newRow("last answer just before the check") << 15 << 6 << QList<int>{14};
    QTest::newRow("last answer to the checking tick") << 15 << 7 << QList<int>{14};
    QTest::newRow("last answer before the second emptying") << 15 << 10 << QList<int>{14};
    QTest::newRow("last answer to the second emptying") << 22 << 11 << QList<int>{21};
    QTest::newRow("unplugged after an hour") << 3620 << 3600 << QList<int>{3605, 3612, 3619};
    QTest::newRow("unplugged, reported again and again") << 40 << 17 << QList<int>{21, 28, 35};
}

void TestPollCycle::missingPumpCheck() {
    QFETCH(int, ticks);
    QFETCH(int, lastAnswered);
    QFETCH(QList<int>, boxes);
    QCOMPARE(run(ticks, lastAnswered), boxes);
}

void TestPollCycle::tickInOrder() {
    AppState state;
    state.LastSerialNumber = QStringLiteral("stale");
    PollCycle poll(state);
    const QList<int> counts = {1, 2, 3, 4, 5, 6};
    for (int i = 0; i < counts.size(); ++i) {
        const PollStep step = poll.tick();
        QVERIFY(step.ran);
        QVERIFY(!step.startTimer);
        QCOMPARE(step.before.text.keys(), sorted(kIndicators));
        for (const QString& name : kIndicators) {
            QCOMPARE(step.before.text.value(name), QStringLiteral("Updating Display"));
            QCOMPARE(step.after.text.value(name, QStringLiteral("unset")), QString());
        }
        QCOMPARE(step.write, QStringLiteral("R99\rZ99\r"));
        QVERIFY(!step.showNoPumpBox);
        QCOMPARE(state.PollTickCount, counts[i]);
        // The fourth tick forgets the last answer; none before it does.
        QCOMPARE(state.LastSerialNumber.isEmpty(), i >= 3);
    }
    // A late report before the seventh tick: the check passes and a new
    // cycle begins.
    state.LastSerialNumber = QStringLiteral("00000042");
    const PollStep check = poll.tick();
    QVERIFY(!check.showNoPumpBox);
    QCOMPARE(state.PollTickCount, 0);
    QCOMPARE(check.after.text.size(), 4);
}

void TestPollCycle::noTickWhileBoxIsOpen() {
    AppState state;
    PollCycle poll(state);
    for (int t = 1; t < 7; ++t)
        QVERIFY(!poll.tick().showNoPumpBox);
    const PollStep check = poll.tick();
    QVERIFY(check.showNoPumpBox);
    QVERIFY(check.after.isEmpty()); // indicators stay until the box is closed
    QVERIFY(poll.noPumpBoxOpen());
    // The technician leaves the box open for a minute.
    for (int t = 0; t < 60; ++t) {
        const PollStep idle = poll.tick();
        QVERIFY(!idle.ran);
        QVERIFY(idle.write.isEmpty());
        QVERIFY(!idle.showNoPumpBox);
        QVERIFY(idle.before.isEmpty());
    }
    QCOMPARE(state.PollTickCount, 6);
    poll.noPumpBoxClosed();
    QCOMPARE(state.PollTickCount, 0);
    QVERIFY(poll.tick().ran);
    // Closing again, with no box open, changes nothing.
    QVERIFY(poll.noPumpBoxClosed().isEmpty());
    QCOMPARE(state.PollTickCount, 1);
}

void TestPollCycle::boxClosedGivesNoPumpState() {
    AppState state;
    state.ModelCaption = QStringLiteral("KST Pump");
    PollCycle poll(state);
    for (int t = 1; t <= 7; ++t)
        poll.tick();
    QVERIFY(poll.noPumpBoxOpen());
    const UiChanges closed = poll.noPumpBoxClosed();
    UiChanges expected = ShowNoPump(state);
    for (const QString& name : kIndicators)
        expected.text.insert(name, QString());
    QCOMPARE(closed.text, expected.text);
    QCOMPARE(closed.visible, expected.visible);
    QCOMPARE(state.ModelCaption, QStringLiteral("No Pump Currently Attached"));
}

// A reply that arrives while the box is open is decoded (the window keeps
// processing events); the box still ends in the no-pump state and the next
// cycle judges afresh.
void TestPollCycle::pumpAnsweringLateStillCounts() {
    AppState state;
    PollCycle poll(state);
    for (int t = 1; t <= 7; ++t)
        poll.tick();
    state.LastSerialNumber = QStringLiteral("00012345");
    poll.noPumpBoxClosed();
    QCOMPARE(state.PollTickCount, 0);
    for (int t = 1; t <= 6; ++t) {
        poll.tick();
        state.LastSerialNumber = QStringLiteral("00012345");
    }
    QVERIFY(!poll.tick().showNoPumpBox);
}

void TestPollCycle::refreshButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("timerRunning");
    QTest::addColumn<bool>("startTimer");
    QTest::newRow("Refresh Display, polling off") << "CommandButton16" << false << true;
    QTest::newRow("Refresh Display, polling on") << "CommandButton16" << true << false;
    QTest::newRow("Refresh Current Pump Data, polling off") << "CommandButton2" << false << false;
    QTest::newRow("Refresh Current Pump Data, polling on") << "CommandButton2" << true << false;
}

void TestPollCycle::refreshButtons() {
    QFETCH(QString, button);
    QFETCH(bool, timerRunning);
    QFETCH(bool, startTimer);
    const PollStep step = button == QLatin1String("CommandButton16")
                              ? PollCycle::refreshDisplay(timerRunning)
                              : PollCycle::refreshPumpData();
    QVERIFY(step.ran);
    QCOMPARE(step.startTimer, startTimer);
    QCOMPARE(step.write, QStringLiteral("R99\rZ99\r"));
    // Only the Run Mode indicator shows the request.
    QCOMPARE(step.before.text, (QMap<QString, QString>{{"Label6", "Updating Display"}}));
    QCOMPARE(step.after.text, (QMap<QString, QString>{{"Label6", ""}}));
    QVERIFY(!step.showNoPumpBox);
}

void TestPollCycle::showNoPump() {
    AppState state;
    state.ModelCaption = QStringLiteral("ORBIT 50");
    const UiChanges c = ShowNoPump(state);
    const QStringList hidden = {"Label3_0",    "Label3_21",    "Frame7",        "frmTimingR_1",
                                "Frame_RUNUP", "Frame_STPVOL", "Frame_Rundown", "Frame2"};
    QCOMPARE(c.visible.keys(), sorted(hidden));
    for (const QString& name : hidden)
        QCOMPARE(c.visible.value(name, true), false);
    const QString none = QStringLiteral("No Pump Currently Attached");
    QCOMPARE(
        c.text,
        (QMap<QString, QString>{
            {"Label3_10", none}, {"Label3_25", none}, {"Label3_20", none}, {"Label3_31", none}}));
    QCOMPARE(state.ModelCaption, none);
    QVERIFY(c.enabled.isEmpty() && c.values.isEmpty() && c.messages.isEmpty());
}

void TestPollCycle::clearPumpStatus() {
    AppState state;
    state.serialNumber = QStringLiteral("00012345");
    state.FirmwareFile = QStringLiteral("/opt/corvane/kst.hex");
    state.PollTickCount = 4;
    ClearPumpStatus(state);
    QVERIFY(state.serialNumber.isEmpty());
    // The model and the poll's own count are not status-report values.
    QCOMPARE(state.FirmwareFile, QStringLiteral("/opt/corvane/kst.hex"));
    QCOMPARE(state.PollTickCount, 4);
}

QTEST_GUILESS_MAIN(TestPollCycle)
#include "test_pollcycle.moc"
