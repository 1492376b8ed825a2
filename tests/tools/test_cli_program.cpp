// corvane-cli program's verdict: exit status 0 only when the pump, back
// after its power-off, reports the program it was sent; 5 with the settings
// it did not take, or when it stays off past the bound. In-process on the
// simulated pump (unpaced, its clock held still, so it comes back on only
// when the test switches it on).
#include "clioutput.h"
#include "livesession.h"
#include "sim/simseriallink.h"
#include "subcommands.h"
#include "support/steppingclock.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

class TestCliProgram : public QObject {
    Q_OBJECT
private slots:
    void verdict_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArrayList>("ignored"); // commands the pump misses
        QTest::addColumn<bool>("comesBack");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QJsonArray>("mismatches");
        auto item = [](const char* setting, const char* sent, QJsonValue reported) {
            return QJsonObject{{"setting", setting}, {"sent", sent}, {"reported", reported}};
        };
        const QStringList lunch = {"--flow", "2000", "--lunch", "12:01-12:30"};
        QTest::newRow("confirmed") << lunch << QByteArrayList{} << true << 0 << QJsonArray();
        QTest::newRow("lunch not taken")
            << lunch << QByteArrayList{"W25"} << true << 5
            << QJsonArray{item("Lunch", "12:01-12:30", "not activated")};
        QTest::newRow("flow not taken")
            << QStringList{"--flow", "1500"} << QByteArrayList{"W04"} << true << 5
            << QJsonArray{item("Target flow", "1500", "2000")};
        const QJsonValue none;
        QTest::newRow("pump stays off")
            << QStringList{"--flow", "2000"} << QByteArrayList{} << false << 5
            << QJsonArray{
                   item("Target flow", "2000", none),      item("Start", "not activated", none),
                   item("Stop", "not activated", none),    item("Break1", "not activated", none),
                   item("Break2", "not activated", none),  item("Lunch", "not activated", none),
                   item("Duration", "not activated", none)};
    }
    void verdict() {
        QFETCH(QStringList, args);
        QFETCH(QByteArrayList, ignored);
        QFETCH(bool, comesBack);
        QFETCH(int, exitCode);
        QFETCH(QJsonArray, mismatches);
        SimPumpOptions pump;
        pump.faults.ignoreCommands = ignored;
        SimSerialLink link(pump, [] { return QDateTime(QDate(2026, 3, 4), QTime(10, 20)); });
        link.setPacing(false);
        SteppingClock clock(36000.2, 1.0 / 128);
        QBuffer out, err;
        out.open(QIODevice::ReadWrite);
        err.open(QIODevice::ReadWrite);
        Output output(out, err);
        LiveSession live(link, clock, output);
        live.session().runner().waiter().maxSleepMs = 0;
        live.session().readBack().setProgramTimeoutMs(1500);
        if (comesBack)
            connect(&live.session(), &PumpSession::sequenceFinished, &live,
                    [&link] { link.pump().powerOn(); });
        QString error;
        const auto o = ProgramCommand::parse(args + QStringList{"--demo"}, &error);
        QVERIFY2(o && live.open(), qPrintable(error));
        QCOMPARE(ProgramCommand::runOn(*o, live), exitCode);
        const QJsonObject json = QJsonDocument::fromJson(out.data()).object();
        QCOMPARE(json["confirmed"].toBool(), exitCode == 0);
        QCOMPARE(json["mismatches"].toArray(), mismatches);
        QCOMPARE(json["sent"].toArray().last().toString(), "POWER_OFF ");
    }
};
QTEST_GUILESS_MAIN(TestCliProgram)
#include "test_cli_program.moc"
