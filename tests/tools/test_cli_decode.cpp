// The built `corvane-cli decode` on short traces: line ends, skipped lines,
// kinds, the JSON members and the exit status.
#include "status/statuslines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QList<QJsonObject> objects;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList& args, const QByteArray& input) {
    Run r;
    QProcess p;
    p.start(QStringLiteral(CORVANE_CLI_PATH), args);
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    for (const QByteArray& line : r.out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError e;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &e);
        if (e.error != QJsonParseError::NoError || !doc.isObject())
            r.objects << QJsonObject{{QStringLiteral("unparsable"), QString::fromUtf8(line)}};
        else
            r.objects << doc.object();
    }
    return r;
}

} // namespace

class TestCliDecode : public QObject {
    Q_OBJECT
private slots:
    void trace();
    void metric();
    void usage_data();
    void usage();
};

void TestCliDecode::trace() {
    const QByteArray status =
        TestLines::statusLine({QStringLiteral("type=29"), QStringLiteral("runState=0401")})
            .toLatin1();
    // CR LF, a bare LF, a bare CR, blank lines in between, a tab and a byte
    // above 126 that are dropped, and text after the last line end.
    QByteArray input = status + "\r\n";
    input += "\r\n\n\r";
    input += "Z99 1 0 0 1 0 0 0 0 1 1 1 0 1\n";
    input += "P01 ab\t1 1\xff\r";
    input += "\t\n";
    input += "hello\r\n";
    input += "R99 unfinished";
    const Run r = runCli({QStringLiteral("decode")}, input);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.objects.size(), 4);

    const QJsonObject s = r.objects[0];
    QCOMPARE(s.value("kind").toString(), QStringLiteral("status"));
    QCOMPARE(s.value("line").toString(), QString::fromLatin1(status));
    const QJsonObject text = s.value("text").toObject();
    QCOMPARE(text.value("Label3_22").toString(), QStringLiteral("Model: NORDA KST-12 Pump "));
    QCOMPARE(text.value("Label3_27").toString(),
             QStringLiteral("Total hours on Circuit Board: 0123h 45m"));
    QCOMPARE(text.value("Label3_14").toString(), QStringLiteral("Current Temp: 72F"));
    QCOMPARE(s.value("range").toObject().value("UpDown1").toArray(), (QJsonArray{2000, 12000}));
    QCOMPARE(s.value("visible").toObject().value("Frame2"), QJsonValue(true));
    QCOMPARE(s.value("enabled").toObject().value("CommandButton4"), QJsonValue(false));
    QCOMPARE(s.value("tooltip").toObject().value("CommandButton4").toString(),
             QStringLiteral("Pump cann't be in RUN Mode"));
    QCOMPARE(s.value("date").toObject().value("fpDateTime4_0").toString(),
             QStringLiteral("20261206"));
    QCOMPARE(s.value("time").toObject().value("fpDateTime4_0").toString(), QStringLiteral("14:05"));
    // The computer's clock is handed to its pickers too.
    QVERIFY(s.value("time").toObject().value("fpDateTime4_1").toString().contains(':'));
    const QJsonObject values = s.value("values").toObject();
    QCOMPARE(values.value("serialNumber").toString(), QStringLiteral("00012345"));
    QCOMPARE(values.value("logCount").toString(), QStringLiteral("012"));
    QVERIFY(values.value("FirmwareFile").toString().endsWith(QLatin1String("KST204.HEX")));
    QVERIFY(!s.contains("color")); // empty members are left out

    const QJsonObject z = r.objects[1];
    QCOMPARE(z.value("kind").toString(), QStringLiteral("setup"));
    QCOMPARE(z.value("color").toObject().value("Label3_7").toString(), QStringLiteral("#0000c0"));
    QCOMPARE(z.value("values").toObject().value("TimingFlag").toString(), QStringLiteral("1"));
    QCOMPARE(z.value("text").toObject().value("Label43").toString(),
             QStringLiteral("Flow Mode is: S.T.P.     "));

    const QJsonObject p = r.objects[2];
    QCOMPARE(p.value("kind").toString(), QStringLiteral("state"));
    QCOMPARE(p.value("line").toString(), QStringLiteral("P01 ab1 1"));

    const QJsonObject o = r.objects[3];
    QCOMPARE(o.value("kind").toString(), QStringLiteral("other"));
    QCOMPARE(o.value("line").toString(), QStringLiteral("hello"));
    QCOMPARE(o.keys(), (QStringList{"kind", "line"}));
}

void TestCliDecode::metric() {
    const QByteArray status = TestLines::statusLine({QStringLiteral("temp=212")}).toLatin1();
    // A setup report switching to English units applies to the next status line.
    const QByteArray input = status + "\r" + "Z99 0 0 0 0 0 0 0 0 0 0 0 0 0\r" + status + "\r";
    const Run r = runCli({QStringLiteral("decode"), QStringLiteral("--metric")}, input);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.objects.size(), 3);
    QCOMPARE(r.objects[0].value("text").toObject().value("Label3_14").toString(),
             QStringLiteral("Current Temp: 100C"));
    QCOMPARE(r.objects[0].value("text").toObject().value("Label3_3").toString(),
             QStringLiteral("Current BP: 764 mm of Mercury"));
    QCOMPARE(r.objects[2].value("text").toObject().value("Label3_14").toString(),
             QStringLiteral("Current Temp: 212F"));
}

void TestCliDecode::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("outContains");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("decode [--metric]");
    QTest::newRow("decode help") << QStringList{"decode", "--help"} << 0 << QByteArray("JSON");
    QTest::newRow("no command") << QStringList{} << 2 << QByteArray();
    QTest::newRow("unknown command") << QStringList{"encode"} << 2 << QByteArray();
    QTest::newRow("unknown option") << QStringList{"decode", "--imperial"} << 2 << QByteArray();
    QTest::newRow("empty input") << QStringList{"decode"} << 0 << QByteArray();
}

void TestCliDecode::usage() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, outContains);
    const Run r = runCli(args, QByteArray());
    QCOMPARE(r.exitCode, exitCode);
    if (!outContains.isEmpty())
        QVERIFY(r.out.contains(outContains));
    if (exitCode == 2) {
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("Usage"));
    }
    if (args == QStringList{"decode"})
        QVERIFY(r.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliDecode)
#include "test_cli_decode.moc"
