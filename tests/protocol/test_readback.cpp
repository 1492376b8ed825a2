// Whether the pump took what it was sent: the setup, clock and program
// comparisons as tables of report lines, the watch over the next reports
// (stale replies, no reply), the clock drift, and "Take the pump's settings"
// read back the other way. The whole round on the simulated pump is the
// window's and corvane-cli's test; the CLI's exit status test_cli_program's.
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "status/statuslines.h"
#include "support/sampleprogram.h"

#include <QSignalSpy>
#include <QTest>

using namespace ConfigSequences;
using TestLines::statusLine;

namespace {

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

SetupValues allOn(const QString& rate = "30", bool timing = true) {
    SetupValues v;
    v.volumetric = true;
    v.password = v.flowFault = v.startScreens = true;
    v.timing = timing;
    v.startStop = false;
    v.metric = true;
    v.logRate = rate;
    return v;
}

// The sample program (start 08:30 01/31/2026, stop 14:45 02/01/2026, Break1
// 10:00-10:15, no Lunch or Break2, flow 2000) in Start/Stop mode, or in
// Duration mode (01:30, no start or stop).
QStringList programWrites(bool duration) {
    AppState state;
    state.TimingFlag = "1";
    state.DurationModeFlag = duration ? "1" : "0";
    ProgramValues v = sampleProgram();
    v.durationText = "01:30";
    return programPump(v, state).sequence.writes();
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

// The page as the user left it: everything the other way from most reports.
SetupValues page() {
    SetupValues v;
    v.volumetric = v.password = v.flowFault = v.timing = v.startStop = true;
    v.startScreens = v.metric = false;
    v.logRate = "7";
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

class TestReadBack : public QObject {
    Q_OBJECT
private slots:
    // The sent setup against the next setup and status reports.
    void compareSetup_data() {
        QTest::addColumn<SetupValues>("sent");
        QTest::addColumn<Flags>("changed"); // report characters that differ
        QTest::addColumn<QString>("rate");  // status report positions 105-106
        QTest::addColumn<QString>("text");
        const SetupValues on = allOn();
        QTest::newRow("all taken") << on << Flags{} << "30"
                                   << "Pump confirmed the setup";
        QTest::newRow("rate with a leading zero") << allOn("5") << Flags{} << "05"
                                                  << "Pump confirmed the setup";
        QTest::newRow("password missed")
            << on << Flags{{21, '0'}} << "30"
            << "The pump did not take: Password (sent On, pump reports Off)";
        QTest::newRow("two missed, in the order sent")
            << on << Flags{{29, '1'}, {7, '0'}} << "30"
            << "The pump did not take: Flow mode (sent Volumetric, pump reports "
               "S.T.P.); "
               "Units (sent Metric, pump reports English)";
        QTest::newRow("timing mode") << on << Flags{{23, '0'}} << "30"
                                     << "The pump did not take: Timing mode (sent Duration, "
                                        "pump reports Start/Stop)";
        QTest::newRow("log rate") << on << Flags{} << "15"
                                  << "The pump did not take: Log rate (sent 30, pump reports 15)";
        QTest::newRow("garbled flag") << on << Flags{{11, ' '}} << "30"
                                      << "The pump did not take: Flow fault (sent "
                                         "Activated, pump reports nothing "
                                         "readable)";
        QTest::newRow("garbled rate") << on << Flags{} << "x5"
                                      << "The pump did not take: Log rate (sent "
                                         "30, pump reports nothing readable)";
        // With timing off no mode is sent, so the report's mode is not looked at.
        QTest::newRow("timing off ignores the mode")
            << allOn("30", false) << Flags{{23, '0'}} << "30"
            << "Pump confirmed the setup";
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
QTEST_GUILESS_MAIN(TestReadBack)
#include "test_readback.moc"
