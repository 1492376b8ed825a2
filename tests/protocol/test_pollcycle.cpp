// The status poll tick by tick: Timer1 is played by calling tick(), the pump
// by setting LastSerialNumber between ticks as the status decoder does when a
// report comes back, the user by closing the "No Pump Found" box.
#include "protocol/pollcycle.h"
#include "steptext.h"

#include <QTest>

namespace {
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
QList<int> run(int ticks, int from, int to, int closeAfter = 0) {
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

} // namespace

class TestPollCycle : public QObject {
    Q_OBJECT
private slots:
    // The first "No Pump Found" comes on the seventh tick and then every seven; a
    // pump that answers after the fourth tick of a cycle passes its check. Each
    // passing check starts a new cycle, so a pump unplugged later is reported too.
    void missingPumpCheck_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("boxes");
        QTest::addColumn<int>("closeAfter"); // ticks the box stays open unless the pump answers
        QTest::newRow("no pump") << 22 << 0 << 0 << QList<int>{7, 14, 21} << 0;
        QTest::newRow("pump answering all along") << 200 << 1 << 200 << QList<int>{} << 0;
        QTest::newRow("answers before the emptying only") << 8 << 1 << 3 << QList<int>{7} << 0;
        QTest::newRow("first answer just before the check") << 20 << 6 << 20 << QList<int>{} << 0;
        QTest::newRow("last answer to the emptying tick") << 15 << 1 << 4 << QList<int>{14} << 0;
        QTest::newRow("unplugged after an hour")
            << 3620 << 1 << 3600 << QList<int>{3605, 3612, 3619} << 0;
        QTest::newRow("plugged in as the box opens") << 30 << 7 << 30 << QList<int>{7} << 0;
        // Nobody at the screen: the box stays up, the pump on its charging stand
        // is seen on the first tick after it answers, and the checks go on.
        QTest::newRow("back while the box stays open") << 40 << 12 << 40 << QList<int>{7} << 1000;
        QTest::newRow("never back, box left open") << 40 << 0 << 0 << QList<int>{7} << 1000;
        QTest::newRow("back, then gone again") << 40 << 12 << 20 << QList<int>{7, 26} << 1000;
    }

    void missingPumpCheck() {
        QFETCH(int, ticks);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, boxes);
        QFETCH(int, closeAfter);
        QCOMPARE(run(ticks, from, to, closeAfter), boxes);
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
};
QTEST_GUILESS_MAIN(TestPollCycle)
#include "test_pollcycle.moc"
