// The pump model named by a status report, and what it leaves for the next
// report: captions, firmware file, spinner bounds and range caption.
#include "status/modeltable.h"
#include "status/statusdecoder.h"
#include "statuslines.h"

#include <QTest>

class TestModelTable : public QObject {
    Q_OBJECT
private slots:
    void sequence_data();
    void sequence();
    void firmwarePath_data();
    void firmwarePath();
};

namespace {
#ifdef Q_OS_WIN
const QString kFolder = QStringLiteral("C:/Corvane");
QString inFolder(const char* name) {
    return QStringLiteral("C:\\Corvane\\") + QLatin1String(name);
}
#else
const QString kFolder = QStringLiteral("/opt/corvane");
QString inFolder(const char* name) {
    return QStringLiteral("/opt/corvane/") + QLatin1String(name);
}
#endif
} // namespace

// Reports arrive one after another on a freshly started window; the columns
// describe the state after the last one.
void TestModelTable::sequence_data() {
    QTest::addColumn<QStringList>("codes"); // under 2 characters: the line ends there
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("flowMin");
    QTest::addColumn<int>("flowMax");
    QTest::addColumn<QString>("range");       // null: Label_flowrate not written by the last report
    QTest::addColumn<bool>("captionWritten"); // Label3_10 written by the last report

    const QString none;
    QTest::newRow("KST-5") << QStringList{"21"} << "Model: NORDA KST-5 Pump "
                           << inFolder("KST204.HEX") << 800 << 5000
                           << "Range is 800 cc/min to 5000 cc/min" << true;
    QTest::newRow("KST-12") << QStringList{"29"} << "Model: NORDA KST-12 Pump "
                            << inFolder("KST204.HEX") << 2000 << 12000
                            << "Range is 2000 cc/min to 12000 cc/min" << true;
    QTest::newRow("KST-1") << QStringList{"31"} << "Model: NORDA KST-1 Pump "
                           << inFolder("KST204.HEX") << 100 << 600
                           << "Range is 100 cc/min to 600 cc/min" << true;
    QTest::newRow("ORBIT-12 keeps initial bounds")
        << QStringList{"2D"} << "Model: NORDA ORBIT-12 Pump " << inFolder("ORB124.HEX") << 800
        << 5000 << none << true;
    QTest::newRow("TRX-05") << QStringList{"80"} << "Model: TRX-05 " << inFolder("TRX143.HEX")
                            << 800 << 5000 << none << true;
    QTest::newRow("ORBIT-5 after KST-1 keeps its range")
        << QStringList{"31", "25"} << "Model: NORDA ORBIT-5 Pump " << inFolder("ORB124.HEX") << 100
        << 600 << none << true;
    QTest::newRow("ORBIT-1") << QStringList{"35"} << "Model: NORDA ORBIT-1 Pump "
                             << inFolder("ORB124.HEX") << 800 << 5000 << none << true;
    QTest::newRow("KST-5 after KST-12")
        << QStringList{"29", "21"} << "Model: NORDA KST-5 Pump " << inFolder("KST204.HEX") << 800
        << 5000 << "Range is 800 cc/min to 5000 cc/min" << true;
    QTest::newRow("unknown code on a fresh window")
        << QStringList{"22"} << "No Pump Currently Attached" << QString() << 800 << 5000 << none
        << false;
    QTest::newRow("unknown code keeps the last pump")
        << QStringList{"29", "22"} << "Model: NORDA KST-12 Pump " << inFolder("KST204.HEX") << 2000
        << 12000 << none << false;
    QTest::newRow("lower case is not ORBIT-12")
        << QStringList{"80", "2d"} << "Model: TRX-05 " << inFolder("TRX143.HEX") << 800 << 5000
        << none << false;
    QTest::newRow("no code") << QStringList{""} << "No pump type" << QString() << 800 << 5000
                             << none << true;
    QTest::newRow("no code keeps file and bounds")
        << QStringList{"31", ""} << "No pump type" << inFolder("KST204.HEX") << 100 << 600 << none
        << true;
    QTest::newRow("half a code after no code")
        << QStringList{"", "2"} << "No pump type" << QString() << 800 << 5000 << none << false;
}

void TestModelTable::sequence() {
    QFETCH(QStringList, codes);
    QFETCH(QString, caption);
    QFETCH(QString, firmware);
    QFETCH(int, flowMin);
    QFETCH(int, flowMax);
    QFETCH(QString, range);
    QFETCH(bool, captionWritten);

    AppState state;
    state.ProgramFolder = kFolder;
    UiChanges c;
    for (const QString& code : codes) {
        // A code shorter than two characters is a line that ends inside it.
        QString line = TestLines::statusLine();
        line = code.size() < 2 ? line.left(71) + code : line.left(71) + code + line.mid(73);
        state.LastLine = line;
        c = decodeStatusReport(state);
    }

    QCOMPARE(state.ModelCaption, caption);
    QCOMPARE(state.FirmwareFile, firmware);
    QCOMPARE(state.FlowMin, flowMin);
    QCOMPARE(state.FlowMax, flowMax);
    QCOMPARE(c.text.contains(QStringLiteral("Label3_10")), captionWritten);
    QCOMPARE(c.text.contains(QStringLiteral("Label3_22")), captionWritten);
    if (captionWritten)
        QCOMPARE(c.text.value(QStringLiteral("Label3_22")), caption);
    // The other three model labels and the file name are written every time.
    for (const char* copy : {"Label3_25", "Label3_20", "Label3_31"})
        QCOMPARE(c.text.value(QLatin1String(copy)), caption);
    QCOMPARE(c.text.value(QStringLiteral("LabelH7")), QStringLiteral("File Name:") + firmware);
    QCOMPARE(c.text.contains(QStringLiteral("Label_flowrate")), !range.isNull());
    QCOMPARE(c.flowRange.has_value(), !range.isNull());
    if (!range.isNull()) {
        QCOMPARE(c.text.value(QStringLiteral("Label_flowrate")), range);
        QCOMPARE(c.flowRange->first, flowMin);
        QCOMPARE(c.flowRange->second, flowMax);
    }
    // FirmwareFile is written only when the last report named a known model.
    const bool named = captionWritten && caption != QLatin1String("No pump type");
    QCOMPARE(c.values.contains(QStringLiteral("FirmwareFile")), named);
}

void TestModelTable::firmwarePath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
#ifdef Q_OS_WIN
    QTest::newRow("folder") << "C:/Program Files/Corvane"
                            << "C:\\Program Files\\Corvane\\KST204.HEX";
    QTest::newRow("drive root") << "C:/"
                                << "C:\\KST204.HEX";
#else
    QTest::newRow("folder") << "/usr/lib/corvane"
                            << "/usr/lib/corvane/KST204.HEX";
    QTest::newRow("root") << "/"
                          << "/KST204.HEX";
    QTest::newRow("folder with blanks") << "/home/tech/My Pumps"
                                        << "/home/tech/My Pumps/KST204.HEX";
#endif
    QTest::newRow("no folder") << ""
                               << "KST204.HEX";
}

void TestModelTable::firmwarePath() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(ModelTable::firmwarePath(folder, "\\KST204.HEX"), expected);
}

QTEST_GUILESS_MAIN(TestModelTable)
#include "test_modeltable.moc"
