// The window and `corvane-cli decode` run the same receive handling, so for
// the same pump lines the window must show what the inspector prints. Fed by
// the simulated pump in several setups.
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "app/programpage.h"
#include "app/updownbuttons.h"
#include "sim/simpump.h"
#include "support/fakeseriallink.h"
#include "support/programrun.h"
#include "support/windowtext.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTest>

class TestWindowMatchesCli : public QObject {
    Q_OBJECT
private slots:
    void sameCaptions_data();
    void sameCaptions();
};

void TestWindowMatchesCli::sameCaptions_data() {
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QByteArray>("setup"); // commands sent before the reports
    auto row = [](const char* name, const char* model, bool running, const char* setup) {
        QTest::newRow(name) << QByteArray(model) << running << QByteArray(setup);
    };
    // Decoding each kind of report is the decoders' own table; these rows
    // cover idle and running, both units, both timing modes.
    row("KST-12 running, metric", "29", true, "Y02\rY03\r");
    row("KST-1, timing in duration mode", "31", false, "G01\rG10\rG13\rG09\r");
    row("TRX programmed", "80", false, "Y02\rY03\rW17 30 08 05 12 26\rW18 00 17 05 12 26\rG12\r");
}

void TestWindowMatchesCli::sameCaptions() {
    QFETCH(QByteArray, model);
    QFETCH(bool, running);
    QFETCH(QByteArray, setup);
    SimPumpOptions options;
    options.model = model;
    options.running = running;
    SimPump pump(options);
    pump.write(setup);
    pump.clearOutput();
    // Two rounds, so the second status report is read with the units the
    // setup report of the first round set.
    pump.write("R99\rZ99\rR99\rZ99\r");
    const QByteArray trace = pump.read();

    const ProgramRun cli = runProgram(QStringLiteral(CORVANE_CLI_PATH), {"decode"}, trace);
    QCOMPARE(cli.exitCode, 0);
    // The last text, visibility and date the inspector reports for each element.
    QMap<QString, QVariantMap> last;
    for (const QJsonObject& o : cli.objects) {
        QVERIFY(!o.isEmpty());
        for (const char* member : {"text", "visible", "date", "range"})
            last[member].insert(o.value(member).toObject().toVariantMap());
    }
    QVERIFY(last["text"].size() > 40);

    QTemporaryDir dir;
    AppState state;
    // The firmware path is joined to the program's folder; use the one the
    // inspector runs from.
    state.ProgramFolder = QFileInfo(QStringLiteral(CORVANE_CLI_PATH)).absolutePath();
    FakeSerialLink link;
    MainWindow window(state, link, windowFiles(dir));
    window.session().timer1().stop();
    window.selectPort(0);
    // The inspector starts as if "PRI" had just come; so does the window here,
    // so both decode each line as a line of a download too.
    state.CaptureMode = true;
    state.CaptureCount = 1;
    link.receive(trace);
    // The flow bounds the inspector reports are the arrows' bounds.
    const QVariantList range = last.take("range").value(QStringLiteral("UpDown1")).toList();
    const UpDownButtons* arrows = window.programPage()->flowUpDown();
    if (!range.isEmpty())
        QCOMPARE(QVariantList({arrows->minimum(), arrows->maximum()}), range);
    window.buildPages(); // after the reports: what they said waited for the page
    for (const QString& m : last.keys())
        for (auto it = last[m].cbegin(); it != last[m].cend(); ++it) {
            QWidget* w = window.findChild<QWidget*>(it.key());
            auto* picker = qobject_cast<DateTimePicker*>(w);
            QVERIFY2(w, qPrintable(it.key()));
            if (m == "text")
                QCOMPARE(shownText(w), it.value().toString());
            else if (m == "visible")
                QVERIFY2(w->isHidden() == !it.value().toBool(), qPrintable(it.key()));
            else if (it.value().toString().size() == 8) // not the PC's own "mm,d,yy" date
                QVERIFY2(picker && picker->dateText() == it.value().toString(),
                         qPrintable(it.key()));
        }
}

QTEST_MAIN(TestWindowMatchesCli)
#include "test_window_matches_cli.moc"
