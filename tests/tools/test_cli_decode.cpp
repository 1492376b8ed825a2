// The built `corvane-cli decode` on short traces: line ends, skipped lines,
// kinds, the JSON members and the exit status.
#include "status/statuslines.h"
#include "support/programrun.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>

namespace {

ProgramRun runCli(const QStringList& args, const QByteArray& input) {
    return runProgram(CORVANE_CLI_PATH, args, input);
}

} // namespace

class TestCliDecode : public QObject {
    Q_OBJECT
private slots:
    void trace();
    void logLines_data();
    void logLines();
    void usage();
};

// Starting in metric units, a setup report naming English units applies to
// the status lines after it.
void TestCliDecode::trace() {
    const QByteArray status =
        TestLines::statusLine({"type=29", "temp=212", "runState=0401"}).toLatin1();
    // CR LF, a bare LF, a bare CR, blank lines in between, a tab and a byte
    // above 126 that are dropped, and text after the last line end.
    const QByteArray input = status +
                             "\r\n\r\n\n\rZ99 1 0 0 1 0 0 0 0 1 1 1 0 1\nP01 ab\t1 1\xff\r\t\n" +
                             status + "\rhello\r\nR99 unfinished";
    const ProgramRun r = runCli({"decode", "--metric"}, input);
    QCOMPARE(r.exitCode, 0);
    QStringList seen; // kind and line of each object
    for (const QJsonObject& o : r.objects)
        seen << o.value("kind").toString() + ": " + o.value("line").toString();
    QCOMPARE(seen, (QStringList{"status: " + status, "setup: Z99 1 0 0 1 0 0 0 0 1 1 1 0 1",
                                "state: P01 ab1 1", "status: " + status, "other: hello"}));
    QCOMPARE(r.objects[0].value("text")["Label3_14"], QJsonValue("Current Temp: 100C"));
    QCOMPARE(r.objects[3].value("text")["Label3_14"], QJsonValue("Current Temp: 212F"));

    // The members the window comparison does not read (text, visible and date
    // are checked there); empty members are left out.
    const QJsonObject s = r.objects[0];
    QCOMPARE(s.value("range")["UpDown1"].toArray(), (QJsonArray{2000, 12000}));
    QCOMPARE(s.value("enabled")["CommandButton4"], QJsonValue(false));
    QCOMPARE(s.value("tooltip")["CommandButton4"], QJsonValue("Pump cann't be in RUN Mode"));
    QCOMPARE(s.value("time")["fpDateTime4_0"], QJsonValue("14:05"));
    QCOMPARE(s.value("values")["serialNumber"], QJsonValue("00012345"));
    QVERIFY(!s.contains("color"));
    QCOMPARE(r.objects[1].value("color")["Label3_7"], QJsonValue("#0000c0"));
    // Capture is on from the start, so even "hello" is a line of a download;
    // empty members are left out.
    QCOMPARE(r.objects[4].keys(), (QStringList{"kind", "line", "text"}));
    QCOMPARE(r.objects[4].value("text").toObject(),
             (QJsonObject{{"Label3_29", "Reading Log Number : 5"}}));
}

// A pump's printout (as captured, or as a saved log file with its two
// blanks and CR LF): one object per line, "log" lines with their table row
// and cells, the titles and the closing line without.
void TestCliDecode::logLines_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("expected"); // kind, row and cells per line
    const QByteArray record =
        "Run Update,12/06/2026 14:05,085,072,29.92,05.02,00123,005000,0012.345,00012.345";
    QTest::newRow("printout, English")
        << "PRINTING 002 LOGS\rLogType,Date/Time\r" + record +
               "\rPower On,12/06/2026 14:05\rDone ok\r"
        << QStringList{"decode"}
        << QStringList{"other", "log-title",
                       "log 1: Run Update|12/06/2026 14:05|85%|72F|29.92 ''|05.02''|00123|5.00|"
                       "0012.345|00012.345",
                       "log 2: Power On|12/06/2026 14:05", "log-end"};
    // A saved file: capture is on from the first line, so the titles are row
    // 0; "Done ok" with its two blanks is not the closing line.
    QTest::newRow("saved log file, metric")
        << "LogType,Date/Time  \r\n" + record + "  \r\nDone ok  \r\n"
        << QStringList{"decode", "--metric"}
        << QStringList{"log-title",
                       "log 1: Run Update|12/06/2026 14:05|85%|22C|759 mm|127mm|00123|5.00|"
                       "0012.345|00012.345",
                       "other"};
}

void TestCliDecode::logLines() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, args);
    const ProgramRun r = runCli(args, input);
    QCOMPARE(r.exitCode, 0);
    QStringList got;
    for (const QJsonObject& o : r.objects) {
        QString d = o.value("kind").toString();
        if (o.contains("row")) {
            QStringList cells;
            const QJsonObject c = o.value("cells").toObject();
            for (int col = 1; col <= 10; ++col)
                if (c.contains(QString::number(col)))
                    cells << c.value(QString::number(col)).toString();
            d += QStringLiteral(" %1: ").arg(o.value("row").toInt()) + cells.join('|');
        }
        got << d;
    }
    QTEST(got, "expected");
    // Each log line says which line of the download it is.
    for (const QJsonObject& o : r.objects)
        if (o.value("kind").toString().startsWith("log"))
            QVERIFY(o.value("text")["Label3_29"].toString().startsWith("Reading Log Number : "));
}

// Exit status 0 whatever the input held, 2 with a usage text for a usage error
// (the help is test_cli_live's); --version one line, exit status 0.
void TestCliDecode::usage() {
    const ProgramRun empty = runCli({"decode"}, {});
    QVERIFY(empty.exitCode == 0 && empty.out.isEmpty());
    const ProgramRun version = runCli({"--version"}, {});
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(QRegularExpression("^corvane-cli \\d+\\.\\d+\\.\\d+\\n$")
                 .match(QString::fromUtf8(version.out))
                 .hasMatch(),
             version.out.constData());
    for (const QStringList& args : {QStringList{}, QStringList{"decode", "--imperial"}}) {
        const ProgramRun r = runCli(args, {});
        QVERIFY2(r.exitCode == 2 && r.out.isEmpty() && r.err.contains("Usage"),
                 qPrintable(args.join(' ')));
    }
}

QTEST_GUILESS_MAIN(TestCliDecode)
#include "test_cli_decode.moc"
