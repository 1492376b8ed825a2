// Whether the pump took the program it was sent: the program's writes
// against the status report and pump-state line after the power-off, and the
// watch over them. The CLI's exit status is test_cli_program's.
#include "protocol/configsequences.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "status/statuslines.h"
#include "support/sampleprogram.h"

#include <QSignalSpy>
#include <QTest>

using TestLines::statusLine;

namespace {

// The sample program (start 08:30 01/31/2026, stop 14:45 02/01/2026, Break1
// 10:00-10:15, no Lunch or Break2, flow 2000) in Start/Stop mode, or in
// Duration mode (01:30, no start or stop).
QStringList programWrites(bool duration) {
    AppState state;
    state.TimingFlag = "1";
    state.DurationModeFlag = duration ? "1" : "0";
    ProgramValues v = sampleProgram();
    v.durationText = "01:30";
    return ConfigSequences::programPump(v, state).sequence.writes();
}

// A status report showing that program taken (hour "55": not in use).
QStringList takenReport(bool duration) {
    QStringList o = {"b2StartHour=55", "lunchStartHour=55"};
    if (duration)
        return o << "startHour=55"
                 << "stopHour=55";
    return o << "startDay=31"
             << "startMonth=01"
             << "stopMinute=45"
             << "stopHour=14"
             << "stopDay=01"
             << "stopMonth=02";
}

QString pumpStateLine(const QString& duration) {
    return QString("P01").leftJustified(69) + duration; // positions 70-75, "hhh:mm"
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
        QTest::addColumn<QStringList>("changed"); // status fields unlike the program
        QTest::addColumn<QString>("stateLine");   // the pump-state line's duration; "": none
        QTest::addColumn<QString>("text");
        const QString taken = "Pump confirmed the program";
        const QString missed = "The pump did not take: ";
        QTest::newRow("start/stop taken") << false << QStringList() << "255:55" << taken;
        QTest::newRow("no pump-state line: no claim on the duration")
            << false << QStringList() << "" << taken + " (it did not report its duration)";
        QTest::newRow("duration taken") << true << QStringList() << "001:30" << taken;
        QTest::newRow("duration not taken")
            << true << QStringList() << "255:55"
            << missed + "Duration (sent 01:30, pump reports not activated)";
        QTest::newRow("a pause not taken")
            << false << QStringList{"b1StartMinute=55", "b1StartHour=55"} << "255:55"
            << missed + "Break1 (sent 10:00-10:15, pump reports not activated)";
        QTest::newRow("an old pause still in force")
            << false << QStringList{"lunchStartMinute=00", "lunchStartHour=12"} << "255:55"
            << missed + "Lunch (sent not activated, pump reports 12:00-12:30)";
        QTest::newRow("flow and stop differ, in the order sent")
            << false << QStringList{"stopDay=02", "flowSetting=002500"} << "255:55"
            << missed + "Target flow (sent 2000, pump reports 2500); Stop (sent 14:45 "
                        "02/01/2026, pump reports 14:45 02/02/2026)";
        QTest::newRow("start garbled")
            << false << QStringList{"startHour=x8"} << "255:55"
            << missed + "Start (sent 08:30 01/31/2026, pump reports nothing readable)";
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
        QCOMPARE(r.outcome == ReadBackResult::Outcome::Confirmed, text.startsWith("Pump"));
        QCOMPARE(ReadBack::shown(r).text.value("lblProgramReadBack"), text);
    }

    // Pump-state lines of the run itself count (the pump is never asked for
    // one); status reports only once asked for after the power-off; none
    // within the bound says so.
    void watch() {
        ReadBack rb;
        QSignalSpy done(&rb, &ReadBack::finished);
        rb.programStarted();
        rb.lineHandled(line(LineResult::Kind::State, pumpStateLine("001:30")));
        rb.expectProgram(programWrites(true));
        rb.lineHandled(line(LineResult::Kind::Status, statusLine())); // asked before
        QCOMPARE(done.count(), 0);
        rb.requestWritten();
        rb.lineHandled(line(LineResult::Kind::Status, statusLine(takenReport(true))));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).value<ReadBackResult>().text, "Pump confirmed the program");

        rb.setProgramTimeoutMs(20);
        rb.programStarted();
        rb.expectProgram(programWrites(false));
        rb.requestWritten();
        QVERIFY(done.wait(30000));
        QCOMPARE(done.at(1).at(0).value<ReadBackResult>().text,
                 "No reply from the pump: the program could not be confirmed");
    }
};
QTEST_GUILESS_MAIN(TestProgramReadBack)
#include "test_programreadback.moc"
