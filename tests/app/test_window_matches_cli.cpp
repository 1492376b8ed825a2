// The window and `corvane-cli decode` run the same receive handling, so for
// the same pump lines the window must show what the inspector prints. Fed by
// the simulated pump in several setups.
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "link/fakeseriallink.h"
#include "sim/simpump.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
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
    QTest::newRow("KST-5 idle, English") << QByteArray("21") << false << QByteArray();
    QTest::newRow("KST-12 running, metric") << QByteArray("29") << true << QByteArray("Y02\rY03\r");
    QTest::newRow("KST-1, timing in duration mode")
        << QByteArray("31") << false << QByteArray("G01\rG10\rG13\rG09\r");
    QTest::newRow("ORBIT-12 running") << QByteArray("2D") << true << QByteArray("G04\r");
    QTest::newRow("TRX, metric, programmed")
        << QByteArray("80") << false
        << QByteArray("Y02\rY03\rW17 30 08 05 12 26\rW18 00 17 05 12 26\rG12\r");
}

namespace {
QString shownText(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return QStringLiteral("<no text>");
}
} // namespace

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
    pump.write("R99\rZ99\r");
    pump.write("R99\rZ99\r");
    const QByteArray trace = pump.read();
    QVERIFY(trace.count("R99") >= 2);

    QProcess cli;
    cli.start(QStringLiteral(CORVANE_CLI_PATH), {QStringLiteral("decode")});
    QVERIFY(cli.waitForStarted());
    cli.write(trace);
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(20000));
    QCOMPARE(cli.exitCode(), 0);

    // The last value the inspector reports for each element.
    QMap<QString, QString> text;
    QMap<QString, bool> visible;
    QMap<QString, QString> date;
    for (const QByteArray& line : cli.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        QVERIFY(!o.isEmpty());
        const QJsonObject t = o.value(QStringLiteral("text")).toObject();
        for (auto it = t.begin(); it != t.end(); ++it)
            text.insert(it.key(), it.value().toString());
        const QJsonObject v = o.value(QStringLiteral("visible")).toObject();
        for (auto it = v.begin(); it != v.end(); ++it)
            visible.insert(it.key(), it.value().toBool());
        const QJsonObject d = o.value(QStringLiteral("date")).toObject();
        for (auto it = d.begin(); it != d.end(); ++it)
            date.insert(it.key(), it.value().toString());
    }
    QVERIFY(text.size() > 40);

    QTemporaryDir dir;
    AppState state;
    // The firmware path is joined to the program's folder; use the one the
    // inspector runs from.
    state.ProgramFolder = QFileInfo(QStringLiteral(CORVANE_CLI_PATH)).absolutePath();
    FakeSerialLink link;
    MainWindow window(state, link,
                      {dir.filePath(QStringLiteral("corvane.INI")), false,
                       dir.filePath(QStringLiteral("placement.ini"))});
    window.timer1().stop();
    window.selectPort(0);
    link.receive(trace);

    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        QWidget* w = window.findChild<QWidget*>(it.key());
        QVERIFY2(w, qPrintable(it.key()));
        QCOMPARE(shownText(w), it.value());
    }
    for (auto it = visible.cbegin(); it != visible.cend(); ++it) {
        QWidget* w = window.findChild<QWidget*>(it.key());
        QVERIFY2(w, qPrintable(it.key()));
        QVERIFY2(w->isHidden() == !it.value(), qPrintable(it.key()));
    }
    for (auto it = date.cbegin(); it != date.cend(); ++it) {
        if (it.value().size() != 8)
            continue; // the PC's own date, handed as "mm,d,yy"
        auto* p = window.findChild<DateTimePicker*>(it.key());
        QVERIFY2(p, qPrintable(it.key()));
        QCOMPARE(p->dateText(), it.value());
    }
}

QTEST_MAIN(TestWindowMatchesCli)
#include "test_window_matches_cli.moc"
