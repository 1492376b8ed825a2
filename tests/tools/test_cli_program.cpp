// corvane-cli program exits 5 when the pump, back after its power-off,
// reports a setting other than the one sent, or stays off past the bound
// (exit 0 for a confirmed program is test_cli_commands'). In-process on the
// simulated pump, its clock held still: it comes back on only when the test
// switches it on.
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
    void notConfirmed_data() {
        QTest::addColumn<QByteArrayList>("ignored"); // commands the pump misses
        QTest::addColumn<bool>("comesBack");
        QTest::addColumn<QJsonArray>("mismatches");
        auto item = [](const char* setting, QJsonValue reported) {
            return QJsonObject{
                {"setting", setting}, {"sent", "12:01-12:30"}, {"reported", reported}};
        };
        QTest::newRow("lunch not taken")
            << QByteArrayList{"W25"} << true << QJsonArray{item("Lunch", "not activated")};
        QTest::newRow("pump stays off") << QByteArrayList{} << false << QJsonArray();
    }
    void notConfirmed() {
        QFETCH(QByteArrayList, ignored);
        QFETCH(bool, comesBack);
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
        live.session().setMaxSleepMs(0);
        live.session().setProgramReadBackTimeoutMs(1500);
        if (comesBack)
            connect(&live.session(), &PumpSession::sequenceFinished, &live,
                    [&link] { link.pump().powerOn(); });
        QString error;
        const auto o =
            ProgramCommand::parse({"--flow", "2000", "--lunch", "12:01-12:30", "--demo"}, &error);
        QVERIFY2(o && live.open(), qPrintable(error));
        QCOMPARE(ProgramCommand::runOn(*o, live), Exit::kNotConfirmed);
        const QJsonObject json = QJsonDocument::fromJson(out.data()).object();
        QCOMPARE(json["confirmed"], QJsonValue(false));
        const QJsonArray said = json["mismatches"].toArray();
        if (comesBack) {
            QCOMPARE(said, mismatches);
        } else { // every setting sent, none reported
            QCOMPARE(said.size(), 7);
            QCOMPARE(said[5], (QJsonObject{{"setting", "Lunch"},
                                           {"sent", "12:01-12:30"},
                                           {"reported", QJsonValue()}}));
        }
    }
};
QTEST_GUILESS_MAIN(TestCliProgram)
#include "test_cli_program.moc"
