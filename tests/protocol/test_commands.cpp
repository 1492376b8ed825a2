// Exact bytes of every command text.
#include "protocol/commands.h"

#include <QTest>

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void wireText_data();
    void wireText();
};

void TestCommands::wireText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");
    using namespace Commands;
    QTest::newRow("status poll") << statusRequest() << QByteArray("R99\rZ99\r");
    QTest::newRow("english") << englishUnits() << QByteArray("G03\rG02\r");
    QTest::newRow("metric") << metricUnits() << QByteArray("Y02\rY03\r");
    QTest::newRow("timing on") << timing(true) << QByteArray("G01\r");
    QTest::newRow("timing off") << timing(false) << QByteArray("Y01\r");
    QTest::newRow("flow fault on") << flowFault(true) << QByteArray("G04\r");
    QTest::newRow("flow fault off") << flowFault(false) << QByteArray("Y04\r");
    QTest::newRow("flow mode") << flowMode() << QByteArray("Y05\r");
    QTest::newRow("target flow") << targetFlow("2000") << QByteArray("W04 2000\r");
    QTest::newRow("log rate") << logRate("15") << QByteArray("W06 15\r");
    QTest::newRow("log type keeps blank") << updateLogType() << QByteArray("UPDATE_LOGTYPE \r");
    QTest::newRow("program done") << programDone() << QByteArray("G07\r");
    QTest::newRow("password on") << password(true) << QByteArray("G09\r");
    QTest::newRow("password off") << password(false) << QByteArray("Y09\r");
    QTest::newRow("duration mode") << durationMode(true) << QByteArray("G10\r");
    QTest::newRow("start/stop mode") << durationMode(false) << QByteArray("Y10\r");
    QTest::newRow("start screens on") << startScreens(true) << QByteArray("G11\r");
    QTest::newRow("start screens off") << startScreens(false) << QByteArray("Y11\r");
    QTest::newRow("times in use") << timesInUse(true) << QByteArray("G12\r");
    QTest::newRow("times not in use") << timesInUse(false) << QByteArray("Y12\r");
    QTest::newRow("stp") << stpFlow(true) << QByteArray("G13\r");
    QTest::newRow("volumetric") << stpFlow(false) << QByteArray("Y13\r");
    QTest::newRow("clock") << setClock("5 14 6 12 26") << QByteArray("W16 5 14 6 12 26\r");
    QTest::newRow("sys time has no blank") << updateSysTime() << QByteArray("UPDATE_SYS_TIME\r");
    QTest::newRow("start not in use")
        << runStart(kDateTimeNotInUse) << QByteArray("W17 255 255 255 255 255\r");
    QTest::newRow("stop not in use")
        << runStop(kDateTimeNotInUse) << QByteArray("W18 255 255 255 255 255\r");
    QTest::newRow("duration not in use")
        << runDuration(kDurationNotInUse) << QByteArray("W19 255 255\r");
    QTest::newRow("break 1") << break1("0 10 15 10") << QByteArray("W23 0 10 15 10\r");
    QTest::newRow("break 2") << break2("0 14 15 14") << QByteArray("W24 0 14 15 14\r");
    QTest::newRow("lunch") << lunch("0 12 30 12") << QByteArray("W25 0 12 30 12\r");
    QTest::newRow("power off keeps blank") << powerOff() << QByteArray("POWER_OFF \r");
    QTest::newRow("print log") << printLog() << QByteArray("PRINTLOG\r");
    QTest::newRow("log init") << logInit() << QByteArray("LOG_INIT\r");
    QTest::newRow("clear all") << clearAll() << QByteArray("CLEAR_ALL\r");
    QTest::newRow("run clear") << runClear() << QByteArray("RUN_CLEAR\r");
    QTest::newRow("argument not checked") << targetFlow("12a ") << QByteArray("W04 12a \r");
}

void TestCommands::wireText() {
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    QCOMPARE(text.toLatin1(), wire);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
