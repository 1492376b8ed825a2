// "Take the pump's settings": the setup page's choices from the pump's setup
// and status reports. The round trip is the point: what "Send Setup To Pump"
// would send afterwards is what the pump already reports, setting by setting.
#include "protocol/configsequences.h"
#include "protocol/pumpsession.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "status/statuslines.h"

#include <QTest>

using TestLines::statusLine;

namespace {
// Setup report flags 5, 7, 11, 21, 23, 25, 29 (timing, units, flow fault,
// password, timing mode, screens, flow control); the rest "0".
QString setupLine(const QByteArray& flags) {
    QString z = QStringLiteral("Z99").leftJustified(29, QLatin1Char(' '));
    for (int p = 5; p <= 29; p += 2)
        z[p - 1] = QLatin1Char('0');
    const int at[] = {5, 7, 11, 21, 23, 25, 29};
    for (int i = 0; i < 7; ++i)
        z[at[i] - 1] = QLatin1Char(flags[i]);
    return z;
}

// The page as the user left it: everything the other way from most reports.
SetupValues page() {
    SetupValues v;
    v.volumetric = v.password = v.flowFault = v.timing = v.startStop = true;
    v.startScreens = v.metric = false;
    v.logRate = "7";
    return v;
}
} // namespace

class TestTakeSettings : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("text");
        const QString taken = "Setup choices taken from the pump";
        QTest::newRow("all zero") << QByteArray("0000000") << "15" << taken;
        QTest::newRow("all one") << QByteArray("1111111") << "58" << taken;
        QTest::newRow("timing on, Start/Stop, metric") << QByteArray("1100010") << "01" << taken;
        QTest::newRow("a flag garbled keeps the page's choice")
            << QByteArray("01 1001") << "15"
            << "Setup choices taken from the pump, but for: Flow fault (nothing usable reported)";
        QTest::newRow("a rate the setup would send as 15")
            << QByteArray("0000000") << "60"
            << "Setup choices taken from the pump, but for: Log rate (nothing usable reported)";
    }
    void roundTrip() {
        QFETCH(QByteArray, flags);
        QFETCH(QString, rate);
        QFETCH(QString, text);
        const SetupReport setup(setupLine(flags));
        const StatusReport status(statusLine({"logRate=" + rate}));
        const ConfigSequences::PumpSetup taken =
            ConfigSequences::setupFromReports(setup, status, page());
        QCOMPARE(taken.text, text);
        const ReadBackResult r = ReadBack::compareSetup(
            ReadBack::setupSent(ConfigSequences::sendSetup(taken.values).writes()), setup, status);
        // Only what the reports left unusable may differ, and it is the page's.
        QStringList differ;
        for (const ReadBackItem& i : r.items)
            if (!i.matches)
                differ << i.setting;
        QCOMPARE(differ, taken.kept);
    }

    // No report yet (or since the pump was forgotten): the page as it was.
    void noReport() {
        const SetupValues p = page();
        const ConfigSequences::PumpSetup taken =
            ConfigSequences::setupFromReports(SetupReport(), StatusReport(statusLine()), p);
        QCOMPARE(taken.text, "No report from the pump yet: the setup choices are as they were");
        QCOMPARE(ConfigSequences::sendSetup(taken.values).writes(),
                 ConfigSequences::sendSetup(p).writes());
    }
};
QTEST_GUILESS_MAIN(TestTakeSettings)
#include "test_takesettings.moc"
