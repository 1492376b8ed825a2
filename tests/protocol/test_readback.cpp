// Whether the pump took what it was sent: the comparisons as tables of
// report lines, the watch over the next reports (stale replies, no reply)
// and the clock drift. The whole round on the simulated pump is the
// window's and corvane-cli's test.
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "status/statuslines.h"

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
            << "The pump did not take: Flow mode (sent Volumetric, pump reports S.T.P.); "
               "Units (sent Metric, pump reports English)";
        QTest::newRow("timing mode") << on << Flags{{23, '0'}} << "30"
                                     << "The pump did not take: Timing mode (sent Duration, "
                                        "pump reports Start/Stop)";
        QTest::newRow("log rate") << on << Flags{} << "15"
                                  << "The pump did not take: Log rate (sent 30, pump reports 15)";
        QTest::newRow("garbled flag")
            << on << Flags{{11, ' '}} << "30"
            << "The pump did not take: Flow fault (sent Activated, pump reports nothing "
               "readable)";
        QTest::newRow("garbled rate")
            << on << Flags{} << "x5"
            << "The pump did not take: Log rate (sent 30, pump reports nothing readable)";
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
};
QTEST_GUILESS_MAIN(TestReadBack)
#include "test_readback.moc"
