// The configuration sequences as built from the page values: every step in
// order (writes, captions, bar values, pauses, window changes, the save and
// the box), the argument formats, and the faults refused before anything
// is written. How the steps play out on the wire is test_pumpsession. Then
// whether the pump took what it was sent (the read-back).
#include "protocol/commands.h"
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "status/statuslines.h"
#include "steptext.h"
#include "support/sampleprogram.h"

#include <QSignalSpy>
#include <QTest>

using namespace ConfigSequences;
using TestLines::statusLine;

namespace {
SetupValues setup(bool on, bool timing, bool startStop, bool metric, const QString& rate) {
    SetupValues v;
    v.volumetric = !on;
    v.password = v.flowFault = v.startScreens = on;
    v.timing = timing;
    v.startStop = startStop;
    v.metric = metric;
    v.logRate = rate;
    return v;
}

AppState flags(const QString& timing, const QString& duration, const QString& kept = "557") {
    AppState s;
    s.TimingFlag = timing;
    s.DurationModeFlag = duration;
    s.runDuration = kept;
    return s;
}

using Flags = QMap<int, char>; // report position -> character

// A setup report with the given characters at their positions, "0" elsewhere.
QString setupLine(const Flags& flags) {
    QString z = QStringLiteral("Z99").leftJustified(29, QLatin1Char(' '));
    for (int p = 5; p <= 29; p += 2)
        z[p - 1] = QLatin1Char(flags.value(p, '0'));
    return z;
}

// What the pump reports after taking every option of `v` as sent.
Flags reportOf(const SetupValues& v) {
    return {{5, v.timing ? '1' : '0'},     {7, v.metric ? '1' : '0'},
            {11, v.flowFault ? '1' : '0'}, {21, v.password ? '1' : '0'},
            {23, v.startStop ? '0' : '1'}, {25, v.startScreens ? '1' : '0'},
            {29, v.volumetric ? '0' : '1'}};
}

// Setup report flags 5, 7, 11, 21, 23, 25, 29 (timing, units, flow fault,
// password, timing mode, screens, flow control) as seven characters.
Flags flagsOf(const QByteArray& seven) {
    const int at[] = {5, 7, 11, 21, 23, 25, 29};
    Flags out;
    for (int i = 0; i < 7; ++i)
        out.insert(at[i], seven[i]);
    return out;
}

// Every option on, volumetric flow, Duration mode, metric.
SetupValues allOn(const QString& rate = "30", bool timing = true) {
    SetupValues v = setup(true, timing, false, true, rate);
    v.volumetric = true;
    return v;
}

// The sample program (start 08:30 01/31/2026, stop 14:45 02/01/2026, Break1
// 10:00-10:15, no Lunch or Break2, flow 2000) in Start/Stop mode, or in
// Duration mode (01:30, no start or stop).
QStringList programWrites(bool duration) {
    ProgramValues v = sampleProgram();
    v.durationText = "01:30";
    return programPump(v, flags("1", duration ? "1" : "0", "")).sequence.writes();
}

// A status report showing that program taken (hour "55": not in use).
QStringList takenReport(bool duration) {
    const QStringList o = {"b2StartHour=55", "lunchStartHour=55"};
    if (duration)
        return o + QStringList{"startHour=55", "stopHour=55"};
    return o + QStringList{"startDay=31", "startMonth=01", "stopMinute=45",
                           "stopHour=14", "stopDay=01",    "stopMonth=02"};
}

QString pumpStateLine(const QString& duration) {
    return QString("P01").leftJustified(69) + duration; // positions 70-75, "hhh:mm"
}

// The page as the user left it: everything the other way from most reports.
SetupValues page() {
    SetupValues v = setup(false, true, true, false, "7");
    v.password = v.flowFault = true;
    return v;
}

LineResult line(LineResult::Kind kind, const QString& text) {
    LineResult r;
    r.kind = kind;
    r.line = text;
    return r;
}

QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

} // namespace

class TestConfigSequences : public QObject {
    Q_OBJECT
private slots:
    // One golden list; the other rows give only the stretch their branch
    // changes, between the same head and tail.
    void sendSetupSteps_data() {
        QTest::addColumn<SetupValues>("values");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QString>("steps");
        QTest::newRow("all on, Start/Stop, metric, rate 120")
            << setup(true, true, true, true, "120") << true
            << "ui show Frame21, lblReadBack=; caption Sending Setup to Pump; ui show PBar2; "
               "bar 0; wait 1; write G13|; caption Sending S.T.P. Flow Mode; bar 10; wait 1; "
               "write G09|; caption Sending Password On; bar 20; wait 1; "
               "write G04|; caption Sending Flow Fault On; wait 1; bar 30; "
               "write G11|; caption Sending Start Munu On; wait 1; bar 40; "
               "write G01|; caption Sending Timming to Pump; wait 1; "
               "write Y10|; caption Sending Start/Stop Mode; bar 50; wait 1; bar 65; wait 1; "
               "write Y02|Y03|; caption Sending Metric Mode; bar 90; wait 1; "
               "ui txtLogRate=15; write W06 15|; write UPDATE_LOGTYPE |; "
               "caption Sending Log Rate of 15; wait 1; bar 100; wait 1; "
               "caption Done Sending Setup to Pump; save; box Done Sending Setup to Pump; "
               "ui hide Frame21; bar 0";
        QTest::newRow("all off, timing off, English, rate 58")
            << setup(false, false, false, false, "58") << false
            << "bar 0; wait 1; write Y13|; caption Sending Volumetric Flow Mode; bar 10; wait 1; "
               "write Y09|; caption Sending Password Off; bar 20; wait 1; "
               "write Y04|; caption Sending Flow Fault Off; wait 1; bar 30; "
               "write Y11|; caption Sending Start Munu Off; wait 1; bar 40; "
               "write Y01|; bar 65; wait 1; write G03|G02|; caption Sending English Mode; "
               "bar 90; wait 1; write W06 58|; write UPDATE_LOGTYPE |; "
               "caption Sending Log Rate of 58; wait 1";
        QTest::newRow("timing in Duration mode")
            << setup(false, true, false, false, "15") << false
            << "bar 40; write G01|; caption Sending Timming to Pump; wait 1; "
               "write G10|; caption Sending Duration Mode; bar 50; wait 1; bar 65; wait 1";
    }
    void sendSetupSteps() {
        QFETCH(SetupValues, values);
        QFETCH(bool, whole);
        QFETCH(QString, steps);
        const Sequence s = sendSetup(values);
        if (whole)
            QCOMPARE(render(s), ::steps(steps));
        else
            QVERIFY2(("; " + render(s).join("; ") + "; ").contains("; " + steps + "; "),
                     qPrintable(render(s).join("; ")));
        QCOMPARE(s.frame, "Frame21");
        QCOMPARE(s.bar, "PBar2");
        QVERIFY(s.holdsPolling && s.busyCursor);
    }

    // What "W06 " carries and whether the box is reset to 15.
    void logRate_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        auto row = [](const char* typed, const char* sent) {
            QTest::addRow("'%s' sent as %s", typed, sent) << QString(typed) << QString(sent);
        };
        row("58", "58");
        row("59", "15");
        row("", "15");
        row("abc", "15");
        row("58.9", "58.9");
        row("05", "05");
        row("30 min", "15");
    }
    void logRate() {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QCOMPARE(logRateSent(typed), sent);
        const QStringList steps = render(sendSetup(setup(false, false, false, true, typed)));
        const qsizetype w06 = steps.indexOf("write W06 " + sent + "|");
        QVERIFY(w06 > 0);
        // The box is reset right before the write, only when the rate changed.
        QCOMPARE(steps.at(w06 - 1) == "ui txtLogRate=15", sent != typed);
    }

    void programSteps_data() {
        QTest::addColumn<QString>("timing");
        QTest::addColumn<QString>("durationMode");
        QTest::addColumn<QString>("middle"); // from bar 50 to the G07 caption
        // Break2's box unticked with its times set; the lunch start the marker.
        const QString pauses = "write W23 00 10 15 10|; write W24 255 255 255 255 255|; "
                               "write W25 255 255 255 255 255|; write G12|; ";
        const QString notInUse = "direct W17 255 255 255 255 255|; "
                                 "direct W18 255 255 255 255 255|; direct Y12|; bar 75; ";
        const QString noDuration = "ui value runDuration=255 255; write W19 255 255|; write Y10|";
        auto row = [](const char* name, const char* timing, const char* mode, const QString& m) {
            QTest::newRow(name) << QString(timing) << QString(mode) << m;
        };
        row("timing off", "0", "0", notInUse + pauses + noDuration);
        row("timing off, Duration flag ignored", "0", "1", notInUse + pauses + noDuration);
        row("Start/Stop", "1", "0",
            "caption Sending  Start/Stop Time to Pump; write W17 30 08 31 01 26|; "
            "write W18 45 14 01 02 26|; write G12|; bar 75; " +
                pauses + noDuration);
        row("Duration", "1", "1",
            notInUse + pauses + "caption Sending  Duration to Pump; write W19 557|; write G10|");
    }
    void programSteps() {
        QFETCH(QString, timing);
        QFETCH(QString, durationMode);
        QFETCH(QString, middle);
        const ProgramBuild b = programPump(sampleProgram(), flags(timing, durationMode));
        QVERIFY2(b.error.isEmpty(), qPrintable(b.error));
        QCOMPARE(render(b.sequence),
                 steps("ui show Frame20; caption Sending Program to Pump; ui show pbar3; bar 0; "
                       "wait 1; write Y05|; caption Setting Pump to Flow Mode; wait 1; bar 25; "
                       "caption Sending Target Flow to Pump; wait 1; write W04 2000|; bar 50; " +
                       middle +
                       "; caption Done Sending Program to Pump; write G07|; wait 1; "
                       "write POWER_OFF |; bar 100; caption Turning Pump Off; save; "
                       "box Program Pump is completed; ui hide Frame20; bar 0"));
        QCOMPARE(b.sequence.name, "Program Pump");
        QVERIFY(forgetsPumpAfterwards(b.sequence));
        const ProgramBuild kst =
            programPump(sampleProgram(), flags(timing, durationMode), ProgramButton::SendToKst);
        QCOMPARE(kst.sequence.name, "Send to KST Pump");
        QVERIFY(!forgetsPumpAfterwards(kst.sequence));
        QCOMPARE(render(kst.sequence), render(b.sequence));
    }

    // Command1: the pickers' five writes and nothing else; no frame, no
    // hourglass of its own, polling held.
    void timingTransferSteps() {
        const Sequence s = timingTransfer(sampleProgram());
        QCOMPARE(render(s), steps("write W17 30 08 31 01 26|; write W18 45 14 01 02 26|; "
                                  "write W23 00 10 15 10|; write W24 255 255 255 255 255|; "
                                  "write W25 255 255 255 255 255|"));
        QVERIFY(s.frame.isEmpty() && s.holdsPolling && !s.busyCursor);
        QVERIFY(!forgetsPumpAfterwards(s));
    }

    // The argument texts as built: start and stop from the pickers
    // ("mm hh DD MM YY"), a pause ("mm hh mm hh", 255s when not in use). The
    // command texts are checked byte for byte where they are used (the
    // sequences, the poll, the download, the clock, the shutdown); what no
    // use shows: an argument goes out as given.
    void arguments_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("argument");
        auto row = [](const char* name, const QString& built, const QString& arg) {
            QTest::newRow(name) << built << arg;
        };
        row("8:30 on 5 December 2006", dateTimeArgument("20061205", "08:30:00.00"),
            "30 08 05 12 06");
        row("midnight", dateTimeArgument("20270101", "00:00:00.00"), "00 00 01 01 27");
        row("seconds dropped", dateTimeArgument("20260310", "10:15:59.99"), "15 10 10 03 26");
        const QString none = "255 255 255 255 255";
        auto pause = [](bool on, const char* start, const char* stop) {
            return pauseArgument(PauseValues{on, start, stop});
        };
        row("pause set", pause(true, "10:15:00.00", "10:30:00.00"), "15 10 30 10");
        row("pause marker start, ticked", pause(true, "12:00:00.00", "12:30:00.00"), none);
        row("pause unticked, times set", pause(false, "14:00:00.00", "14:15:00.00"), none);
        row("pause untouched", pauseArgument(PauseValues{}), none);
        row("12:00 stop is a time", pause(true, "11:45:00.00", "12:00:00.00"), "45 11 00 12");
        row("12:00:30 start is a time", pause(true, "12:00:30.00", "12:15:00.00"), "00 12 15 12");
        row("target flow as given", Commands::targetFlow("12a "), "W04 12a \r");
        row("clock as given", Commands::setClock("5 14 6 12 26"), "W16 5 14 6 12 26\r");
    }
    void arguments() {
        QFETCH(QString, built);
        QFETCH(QString, argument);
        QCOMPARE(built, argument);
    }

    // The duration is always hours x 256 + minutes on the wire.
    void durationArgs_data() {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("argument"); // empty: none, refused
        auto row = [](const char* name, const char* kept, const char* box, const char* arg) {
            QTest::newRow(name) << QString(kept) << QString(box) << QString(arg);
        };
        row("converted by the editor", "557", "02:45", "557");
        row("08:00 default never left", "08:00", "08:00", "2048");
        row("pump-state line 008:00", "008:00", "", "2048");
        row("pump-state line 100:30", "100:30", "", "25630");
        row("not in use falls back to box", "255 255", "01:30", "286");
        row("pump's 255:55 falls back to box", "255:55", "08:00", "2048");
        row("nothing kept", "", "02:00", "512");
        row("neither", "", "", "");
        row("00:00 kept and in the box", "00:00", "00:00", "");
        row("0 kept falls back to box", "0", "00:30", "30");
        row("malformed both", "ab", "0_:__", "");
        row("decimal with 60 minutes is no duration", "572", "", "");
    }
    void durationArgs() {
        QFETCH(QString, kept);
        QFETCH(QString, box);
        QFETCH(QString, argument);
        QCOMPARE(durationArgument(kept, box).value_or(QString()), argument);
        ProgramValues v = sampleProgram();
        v.durationText = box;
        const ProgramBuild b = programPump(v, flags("1", "1", kept));
        QCOMPARE(b.error, argument.isEmpty() ? kNoDuration : QString());
        for (const QString& w : b.sequence.writes())
            QVERIFY2(!w.startsWith("W19") || w == "W19 " + argument + "\r", qPrintable(w));
        QCOMPARE(b.sequence.writes().isEmpty(), argument.isEmpty());
    }

    // Start/Stop mode with a stop not after the start is refused; the other
    // modes do not look at the pickers.
    void startStopOrder_data() {
        QTest::addColumn<QString>("stopDate");
        QTest::addColumn<QString>("stopTime");
        QTest::addColumn<QString>("timing");
        QTest::addColumn<bool>("refused");
        auto row = [](const char* name, const char* date, const char* time, const char* timing,
                      bool refused) {
            QTest::newRow(name) << QString(date) << QString(time) << QString(timing) << refused;
        };
        row("stop a minute later", "20260131", "08:31:00.00", "1", false);
        row("same minute", "20260131", "08:30:00.00", "1", true);
        row("same minute, later seconds", "20260131", "08:30:59.00", "1", true);
        row("earlier time", "20260131", "08:00:00.00", "1", true);
        row("earlier day, later time", "20260130", "23:00:00.00", "1", true);
        row("next day, earlier time", "20260201", "01:00:00.00", "1", false);
        row("timing off: not checked", "20260130", "08:00:00.00", "0", false);
    }
    void startStopOrder() {
        QFETCH(QString, stopDate);
        QFETCH(QString, stopTime);
        QFETCH(QString, timing);
        QFETCH(bool, refused);
        ProgramValues v = sampleProgram();
        v.stopDate = stopDate;
        v.stopTime = stopTime;
        const ProgramBuild b = programPump(v, flags(timing, "0"));
        QCOMPARE(b.error, refused ? QString("Stop Time must be greater then Start") : QString());
        QCOMPARE(b.sequence.steps.isEmpty(), refused);
    }

    // Values the editor would have corrected on leaving a box are checked
    // again on the click: refused, nothing sent. The default model takes
    // 800 to 5000 cc/min.
    void valuesRefusedOnSending_data() {
        QTest::addColumn<QString>("flow");
        QTest::addColumn<PauseValues>("break2");
        QTest::addColumn<QString>("error");
        const PauseValues off{false, "14:00:00.00", "14:15:00.00"};
        QTest::newRow("flow never entered") << "0" << off << "Flow Rate is Out of Range";
        QTest::newRow("flow empty") << "" << off << "Flow Rate is Out of Range";
        QTest::newRow("flow above the model") << "5001" << off << "Flow Rate is Out of Range";
        QTest::newRow("flow at the limit") << "5000" << off << "";
        QTest::newRow("ticked pause at 12:00")
            << "2000" << PauseValues{true, "12:00:00.00", "12:30:00.00"} << pauseAtNoon("Break2");
        QTest::newRow("unticked pause at 12:00")
            << "2000" << PauseValues{false, "12:00:00.00", "12:30:00.00"} << "";
    }
    void valuesRefusedOnSending() {
        QFETCH(QString, flow);
        QFETCH(PauseValues, break2);
        QFETCH(QString, error);
        ProgramValues v = sampleProgram();
        v.targetFlow = flow;
        v.break2 = break2;
        const ProgramBuild b = programPump(v, flags("0", "0"));
        QCOMPARE(b.error, error);
        QCOMPARE(b.sequence.steps.isEmpty(), !error.isEmpty());
    }

    // The clock pair, and the PC time shown in fpDateTime4_1 before it goes.
    void clockArgs_data() {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        auto row = [](const char* name, const QDateTime& at, const char* arg, const char* date,
                      const char* time) {
            QTest::newRow(name) << at << QString(arg) << QString(date) << QString(time);
        };
        row("23:59 31 Dec 2008", at(2008, 12, 31, 23, 59), "59 23 31 12 08", "12,31,08",
            "23:59:00");
        row("10:15:59 drops the seconds", QDateTime(QDate(2026, 3, 1), QTime(10, 15, 59, 999)),
            "15 10 01 03 26", "03,1,26", "10:15:59");
        row("14:05 3 March 2007", at(2007, 3, 3, 14, 5), "05 14 03 03 07", "03,3,07", "14:05:00");
    }
    void clockArgs() {
        QFETCH(QDateTime, at);
        QFETCH(QString, argument);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QCOMPARE(PumpClock::texts(at),
                 QStringList({"W16 " + argument + "\r", "UPDATE_SYS_TIME\r"}));
        const UiChanges shown = PumpClock::pcTimeShown(at);
        QCOMPARE(shown.date.value("fpDateTime4_1"), date);
        QCOMPARE(shown.time.value("fpDateTime4_1"), time);
    }

    // Whether the pump took what it was sent: the setup, clock and program
    // comparisons as tables of report lines, the watch over the next reports
    // (stale replies, no reply), the clock drift, and "Take the pump's settings"
    // read back the other way. The whole round on the simulated pump is the
    // window's and corvane-cli's test; the CLI's exit status test_cli_program's.
    // The sent setup against the next setup and status reports.
    void compareSetup_data() {
        QTest::addColumn<SetupValues>("sent");
        QTest::addColumn<Flags>("changed"); // report characters that differ
        QTest::addColumn<QString>("rate");  // status report positions 105-106
        QTest::addColumn<QString>("text");
        const SetupValues on = allOn();
        const QString taken = "Pump confirmed the setup", missed = "The pump did not take: ";
        auto row = [](const char* name, const SetupValues& v, const Flags& changed,
                      const char* rate, const QString& text) {
            QTest::newRow(name) << v << changed << QString(rate) << text;
        };
        row("all taken", on, {}, "30", taken);
        row("rate with a leading zero", allOn("5"), {}, "05", taken);
        row("password missed", on, {{21, '0'}}, "30",
            missed + "Password (sent On, pump reports Off)");
        row("two missed, in the order sent", on, {{29, '1'}, {7, '0'}}, "30",
            missed + "Flow mode (sent Volumetric, pump reports S.T.P.); Units (sent Metric, pump "
                     "reports English)");
        row("timing mode", on, {{23, '0'}}, "30",
            missed + "Timing mode (sent Duration, pump reports Start/Stop)");
        row("log rate", on, {}, "15", missed + "Log rate (sent 30, pump reports 15)");
        row("garbled flag", on, {{11, ' '}}, "30",
            missed + "Flow fault (sent Activated, pump reports nothing readable)");
        row("garbled rate", on, {}, "x5",
            missed + "Log rate (sent 30, pump reports nothing readable)");
        // With timing off no mode is sent, so the report's mode is not looked at.
        row("timing off ignores the mode", allOn("30", false), {{23, '0'}}, "30", taken);
    }
    void compareSetup() {
        QFETCH(SetupValues, sent);
        QFETCH(Flags, changed);
        QFETCH(QString, rate);
        QFETCH(QString, text);
        Flags report = reportOf(sent);
        report.insert(changed);
        const ReadBackResult r = ReadBack::compareSetup(
            ReadBack::setupSent(sendSetup(sent).writes()), SetupReport(setupLine(report)),
            StatusReport(statusLine({"logRate=" + rate})));
        QCOMPARE(r.text, text);
        QCOMPARE(r.outcome, text == "Pump confirmed the setup" ? ReadBackResult::Outcome::Confirmed
                                                               : ReadBackResult::Outcome::NotTaken);
        // The structured result names every setting compared.
        QCOMPARE(r.items.size(), sent.timing ? 8 : 7);
        for (const ReadBackItem& i : r.items)
            QCOMPARE(i.matches, !text.contains(i.setting + " (sent"));
        QCOMPARE(ReadBack::shown(r).text.value("lblReadBack"), text);
    }

    void compareClock_data() {
        QTest::addColumn<QDateTime>("sent");
        QTest::addColumn<QStringList>("clock"); // status report clock fields
        QTest::addColumn<QString>("text");
        auto clock = [](const char* mi, const char* h, const char* d, const char* mo,
                        const char* y) {
            return QStringList{QStringLiteral("clockMinute=") + mi,
                               QStringLiteral("clockHour=") + h, QStringLiteral("clockDay=") + d,
                               QStringLiteral("clockMonth=") + mo,
                               QStringLiteral("clockYear=") + y};
        };
        const QDateTime sent = at(2007, 3, 3, 14, 5, 42);
        const QString notTaken = "The pump did not take the clock: sent 14:05 03/03/2007, ";
        QTest::newRow("the minute sent")
            << sent << clock("05", "14", "03", "03", "07") << "Pump clock set to 14:05 03/03/2007";
        QTest::newRow("the next minute")
            << sent << clock("06", "14", "03", "03", "07") << "Pump clock set to 14:05 03/03/2007";
        QTest::newRow("two minutes on") << sent << clock("07", "14", "03", "03", "07")
                                        << notTaken + "pump reports 14:07 03/03/2007";
        QTest::newRow("next minute is next year")
            << at(2008, 12, 31, 23, 59) << clock("00", "00", "01", "01", "09")
            << "Pump clock set to 23:59 12/31/2008";
        QTest::newRow("garbled") << sent << clock("05", "1x", "03", "03", "07")
                                 << notTaken + "pump reports nothing readable";
    }
    void compareClock() {
        QFETCH(QDateTime, sent);
        QFETCH(QStringList, clock);
        QFETCH(QString, text);
        // What the pump is sent is what is compared: the clock texts' own minute.
        const auto fromTexts = ReadBack::clockSent(PumpClock::texts(sent));
        QVERIFY(fromTexts);
        const ReadBackResult r =
            ReadBack::compareClock(*fromTexts, StatusReport(statusLine(clock)));
        QCOMPARE(r.text, text);
        QCOMPARE(ReadBack::shown(r).text.value("lblClockReadBack"), text);
        QCOMPARE(r.items.size(), 1);
    }

    void drift_data() {
        QTest::addColumn<QDateTime>("pc");
        QTest::addColumn<QString>("text");
        // The pump reports 14:05 on 6 December 2026.
        QTest::newRow("same minute, seconds on")
            << at(2026, 12, 6, 14, 5, 59) << "in step with the PC";
        QTest::newRow("the PC a minute on: seconds a clock set dropped")
            << at(2026, 12, 6, 14, 6, 40) << "in step with the PC";
        QTest::newRow("3 behind") << at(2026, 12, 6, 14, 8, 10) << "3 min behind the PC";
        QTest::newRow("2 ahead") << at(2026, 12, 6, 14, 3) << "2 min ahead of the PC";
        QTest::newRow("just under a day") << at(2026, 12, 7, 14, 4) << "1439 min behind the PC";
        QTest::newRow("a day") << at(2026, 12, 7, 14, 5) << "1 day behind the PC";
        QTest::newRow("across the year") << at(2026, 11, 6, 14, 5) << "30 days ahead of the PC";
    }
    void drift() {
        QFETCH(QDateTime, pc);
        QFETCH(QString, text);
        const UiChanges c = PumpClock::driftShown(StatusReport(statusLine()), pc);
        QCOMPARE(c.text.value(PumpClock::kDriftLabel), text);
        // A clock the report garbles says nothing rather than something wrong.
        QCOMPARE(PumpClock::driftShown(StatusReport(statusLine({"clockDay=xx"})), pc).text,
                 (QMap<QString, QString>{{"lblClockDrift", ""}}));
    }

    // The watch takes the first reports asked for after the send; replies
    // to earlier requests may still be on their way and are let pass.
    void watchTakesReportsAskedAfter() {
        ReadBack rb;
        QSignalSpy done(&rb, &ReadBack::finished);
        const SetupValues v = allOn();
        rb.expectSetup(sendSetup(v).writes());
        QVERIFY(rb.pending());
        const QString taken = setupLine(reportOf(v));
        Flags stale = reportOf(v);
        stale.insert(21, '0');
        rb.lineHandled(line(LineResult::Kind::Setup, setupLine(stale)));
        rb.lineHandled(line(LineResult::Kind::Status, statusLine({"logRate=15"})));
        QCOMPARE(done.count(), 0);
        rb.requestWritten();
        rb.lineHandled(line(LineResult::Kind::State, "P01"));
        rb.lineHandled(line(LineResult::Kind::Status, statusLine({"logRate=30"})));
        QCOMPARE(done.count(), 0); // the setup report is still to come
        rb.lineHandled(line(LineResult::Kind::Setup, taken));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).value<ReadBackResult>().text, "Pump confirmed the setup");
        QVERIFY(!rb.pending());
        rb.lineHandled(line(LineResult::Kind::Setup, setupLine(stale)));
        QCOMPARE(done.count(), 1);
    }

    // No report within the time after polling resumes, or after a clock send.
    void noReply_data() {
        QTest::addColumn<bool>("clock");
        QTest::addColumn<QString>("text");
        QTest::newRow("setup") << false
                               << "No reply from the pump: the setup could not be confirmed";
        QTest::newRow("clock") << true
                               << "No reply from the pump: the clock could not be confirmed";
    }
    void noReply() {
        QFETCH(bool, clock);
        QFETCH(QString, text);
        ReadBack rb;
        rb.setTimeoutMs(20);
        QSignalSpy done(&rb, &ReadBack::finished);
        if (clock)
            rb.expectClock(PumpClock::texts(at(2007, 3, 3, 14, 5)));
        else
            rb.expectSetup(sendSetup(allOn()).writes());
        rb.requestWritten();
        // Only one of the two reports came.
        rb.lineHandled(line(LineResult::Kind::Setup, setupLine({})));
        QVERIFY(done.wait(30000));
        QCOMPARE(done.count(), 1);
        const ReadBackResult r = done.at(0).at(0).value<ReadBackResult>();
        QCOMPARE(r.outcome, ReadBackResult::Outcome::NoReply);
        QCOMPARE(r.text, text);
    }

    // Cancelled (the window closes): nothing is reported, even later.
    void cancelled() {
        // A reply is waited for 5 s unless a test shortens it.
        QCOMPARE(ReadBack().timeoutMs(), 5000);
        ReadBack rb;
        rb.setTimeoutMs(10);
        QSignalSpy done(&rb, &ReadBack::finished);
        rb.expectSetup(sendSetup(allOn()).writes());
        rb.expectClock(PumpClock::texts(at(2007, 3, 3, 14, 5)));
        rb.cancel();
        QVERIFY(!rb.pending());
        QTest::qWait(100);
        QCOMPARE(done.count(), 0);
        // Texts without a clock in them start no watch.
        rb.expectClock({"RUN_CLEAR\r"});
        QVERIFY(!rb.pending());
    }

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
    void programWatch() {
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

    // "Take the pump's settings": the round trip is the point, what "Send Setup
    // To Pump" would send afterwards is what the pump already reports.
    void takeSettings_data() {
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("text");
        const QString taken = "Setup choices taken from the pump";
        QTest::newRow("all zero") << QByteArray("0000000") << "15" << taken;
        QTest::newRow("all one") << QByteArray("1111111") << "58" << taken;
        QTest::newRow("timing on, Start/Stop, metric") << QByteArray("1100010") << "01" << taken;
        QTest::newRow("a flag garbled keeps the page's choice")
            << QByteArray("01 1001") << "15"
            << "Setup choices taken from the pump, but for: Flow fault (nothing "
               "usable reported)";
        QTest::newRow("a flag garbled and a rate the setup would send as 15")
            << QByteArray("01 1001") << "60"
            << "Setup choices taken from the pump, but for: Flow fault, Log rate (nothing "
               "usable reported)";
    }
    void takeSettings() {
        QFETCH(QByteArray, flags);
        QFETCH(QString, rate);
        QFETCH(QString, text);
        const SetupReport setup(setupLine(flagsOf(flags)));
        const StatusReport status(statusLine({"logRate=" + rate}));
        const PumpSetup taken = setupFromReports(setup, status, page());
        QCOMPARE(taken.text, text);
        const ReadBackResult r = ReadBack::compareSetup(
            ReadBack::setupSent(sendSetup(taken.values).writes()), setup, status);
        // Only what the reports left unusable may differ, and it is the page's.
        QStringList differ;
        for (const ReadBackItem& i : r.items)
            if (!i.matches)
                differ << i.setting;
        QCOMPARE(differ, taken.kept);
    }

    // Take the pump's settings with no report yet (or since the pump was
    // forgotten): the page as it was.
    void takeSettingsNoReport() {
        const SetupValues p = page();
        const PumpSetup taken = setupFromReports(SetupReport(), StatusReport(statusLine()), p);
        QCOMPARE(taken.text, "No report from the pump yet: the setup choices are as they were");
        QCOMPARE(sendSetup(taken.values).writes(), sendSetup(p).writes());
    }
};
QTEST_GUILESS_MAIN(TestConfigSequences)
#include "test_configsequences.moc"
