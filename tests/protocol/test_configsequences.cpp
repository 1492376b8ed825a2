// The configuration sequences as built from the page values: every step in
// order (writes, captions, bar values, pauses, window changes, the save and
// the box), the argument formats, and the faults refused before anything
// is written. How the steps play out on the wire is test_pumpsession.
#include "protocol/commands.h"
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"
#include "steptext.h"
#include "support/sampleprogram.h"

#include <QTest>

using namespace ConfigSequences;

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
        row("23:59 31 Dec 2008", QDateTime(QDate(2008, 12, 31), QTime(23, 59)), "59 23 31 12 08",
            "12,31,08", "23:59:00");
        row("10:15:59 drops the seconds", QDateTime(QDate(2026, 3, 1), QTime(10, 15, 59, 999)),
            "15 10 01 03 26", "03,1,26", "10:15:59");
        row("14:05 3 March 2007", QDateTime(QDate(2007, 3, 3), QTime(14, 5)), "05 14 03 03 07",
            "03,3,07", "14:05:00");
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
};
QTEST_GUILESS_MAIN(TestConfigSequences)
#include "test_configsequences.moc"
