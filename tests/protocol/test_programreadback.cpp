// Whether the pump took the program it was sent: what the program writes
// say against the status report and the pump-state line that follow the
// power-off, and the watch over them (only reports asked for after the
// pump was switched off; no reply within the bound). The CLI's exit codes
// on the simulated pump are test_cli_program's.
#include "protocol/configsequences.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "status/statuslines.h"
#include "support/sampleprogram.h"

#include <QSignalSpy>
#include <QTest>

using TestLines::statusLine;

namespace {

// The sample program's writes in Start/Stop mode (start 08:30 01/31/2026,
// stop 14:45 02/01/2026, Break1 10:00-10:15, no Lunch, no Break2, flow
// 2000), or in Duration mode (01:30, no start or stop).
QStringList programWrites(bool duration) {
    AppState state;
    state.FlowMin = 800;
    state.FlowMax = 5000;
    state.TimingFlag = "1";
    state.DurationModeFlag = duration ? "1" : "0";
    ProgramValues v = sampleProgram();
    v.durationText = "01:30";
    return ConfigSequences::programPump(v, state).sequence.writes();
}

QStringList notInUse(const char* group) {
    QStringList out;
    for (const char* f : {"Minute", "Hour", "Day", "Month", "Year"})
        out << QString("%1%2=55").arg(group, f);
    return out;
}

// A status report showing the sample program as taken.
QStringList takenReport(bool duration) {
    QStringList o = {"b2StartMinute=55",   "b2StartHour=55",      "b2StopMinute=55",
                     "b2StopHour=55",      "lunchStartMinute=55", "lunchStartHour=55",
                     "lunchStopMinute=55", "lunchStopHour=55"};
    if (duration)
        return o + notInUse("start") + notInUse("stop");
    return o + QStringList{"startDay=31", "startMonth=01", "stopMinute=45", "stopHour=14",
                           "stopDay=01",  "stopMonth=02",  "startYear=26",  "stopYear=26"};
}

QString pumpStateLine(const QString& duration) {
    QString p = QString("P01").leftJustified(81);
    p.replace(69, 6, duration); // positions 70-75, "hhh:mm"
    return p;
}

LineResult line(LineResult::Kind kind, const QString& text) {
    LineResult r;
    r.kind = kind;
    r.line = text;
    return r;
}

} // namespace

class TestProgramReadBack : public QObject {
    Q_OBJECT
private slots:
    void compareProgram_data() {
        QTest::addColumn<bool>("duration");
        QTest::addColumn<QStringList>("changed"); // status report fields unlike the program
        QTest::addColumn<QString>("stateLine");   // the pump-state line's duration; "": none
        QTest::addColumn<QString>("text");
        const QString taken = "Pump confirmed the program";
        QTest::newRow("start/stop taken") << false << QStringList() << "255:55" << taken;
        QTest::newRow("no pump-state line: the duration is not claimed")
            << false << QStringList() << "" << taken + " (it did not report its duration)";
        QTest::newRow("duration taken") << true << QStringList() << "001:30" << taken;
        QTest::newRow("duration not taken")
            << true << QStringList() << "255:55"
            << "The pump did not take: Duration (sent 01:30, pump reports not activated)";
        QTest::newRow("a pause not taken")
            << false << QStringList{"b1StartMinute=55", "b1StartHour=55"} << "255:55"
            << "The pump did not take: Break1 (sent 10:00-10:15, pump reports not activated)";
        QTest::newRow("an old pause still in force")
            << false
            << QStringList{"lunchStartMinute=00", "lunchStartHour=12", "lunchStopMinute=30",
                           "lunchStopHour=12"}
            << "255:55"
            << "The pump did not take: Lunch (sent not activated, pump reports 12:00-12:30)";
        QTest::newRow("flow differs")
            << false << QStringList{"flowSetting=001500"} << "255:55"
            << "The pump did not take: Target flow (sent 2000, pump reports 1500)";
        QTest::newRow("stop a day on, in the order sent")
            << false << QStringList{"stopDay=02", "flowSetting=002500"} << "255:55"
            << "The pump did not take: Target flow (sent 2000, pump reports 2500); Stop (sent "
               "14:45 02/01/2026, pump reports 14:45 02/02/2026)";
        QTest::newRow("start garbled")
            << false << QStringList{"startHour=x8"} << "255:55"
            << "The pump did not take: Start (sent 08:30 01/31/2026, pump reports nothing "
               "readable)";
        QTest::newRow("times still in force in Duration mode")
            << true
            << QStringList{"startMinute=30", "startHour=08", "startDay=05", "startMonth=12",
                           "startYear=26"}
            << "001:30"
            << "The pump did not take: Start (sent not activated, pump reports 08:30 12/05/2026)";
    }
    void compareProgram() {
        QFETCH(bool, duration);
        QFETCH(QStringList, changed);
        QFETCH(QString, stateLine);
        QFETCH(QString, text);
        const PumpStateReport state(pumpStateLine(stateLine));
        const ReadBackResult r =
            ReadBack::compareProgram(ReadBack::programSent(programWrites(duration)),
                                     StatusReport(statusLine(takenReport(duration) + changed)),
                                     stateLine.isEmpty() ? nullptr : &state);
        QCOMPARE(r.text, text);
        QCOMPARE(r.outcome, text.startsWith("Pump confirmed") ? ReadBackResult::Outcome::Confirmed
                                                              : ReadBackResult::Outcome::NotTaken);
        QCOMPARE(ReadBack::shown(r).text.value("lblProgramReadBack"), text);
    }

    // The pump-state lines of the run itself count (the pump is never asked
    // for one); status reports count only when asked for after the power-off.
    void watch() {
        ReadBack rb;
        QSignalSpy done(&rb, &ReadBack::finished);
        rb.programStarted();
        rb.lineHandled(line(LineResult::Kind::State, pumpStateLine("255:55")));
        rb.lineHandled(line(LineResult::Kind::State, pumpStateLine("001:30")));
        rb.expectProgram(programWrites(true));
        const QString taken = statusLine(takenReport(true));
        rb.lineHandled(line(LineResult::Kind::Status, statusLine())); // asked before the run
        QCOMPARE(done.count(), 0);
        rb.requestWritten();
        rb.lineHandled(line(LineResult::Kind::Status, taken));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).value<ReadBackResult>().text, "Pump confirmed the program");
        QVERIFY(!rb.pending());
    }

    // The pump stays off: asked, never answered.
    void noReply() {
        ReadBack rb;
        rb.setProgramTimeoutMs(20);
        QSignalSpy done(&rb, &ReadBack::finished);
        rb.programStarted();
        rb.expectProgram(programWrites(false));
        rb.requestWritten();
        QVERIFY(done.wait(30000));
        const ReadBackResult r = done.at(0).at(0).value<ReadBackResult>();
        QCOMPARE(r.outcome, ReadBackResult::Outcome::NoReply);
        QCOMPARE(r.text, "No reply from the pump: the program could not be confirmed");
    }
};
QTEST_GUILESS_MAIN(TestProgramReadBack)
#include "test_programreadback.moc"
