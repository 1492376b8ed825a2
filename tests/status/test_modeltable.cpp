// The pump model named by a status report, and what it leaves for the next
// report: captions, firmware file, spinner bounds and range caption.
#include "status/statusdecoder.h"
#include "statuslines.h"

#include <QDir>
#include <QTest>

class TestModelTable : public QObject {
    Q_OBJECT
private slots:
    void sequence_data();
    void sequence();
};

// Reports arrive one after another on a freshly started window; the columns
// describe the last one. A code under two characters is a line that ends
// inside the type field.
void TestModelTable::sequence_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("caption"); // on the model labels after the last report
    QTest::addColumn<QString>("file");    // firmware file in the program folder
    QTest::addColumn<QString>("range");   // the spinner bounds written, as the range caption says
    QTest::addColumn<bool>("written");    // the model written to Label3_10 and Label3_22
    QTest::addColumn<QString>("folder");  // the program's folder
    auto row = [](const char* name, const QStringList& codes, const QString& caption,
                  const QString& file, const QString& range, bool written,
                  const QString& folder = "/opt/corvane") {
        QTest::newRow(name) << codes << caption << file << range << written << folder;
    };
    row("KST-1", {"31"}, "Model: NORDA KST-1 Pump ", "KST204.HEX", "100 cc/min to 600 cc/min",
        true);
    row("ORBIT-12", {"2D"}, "Model: NORDA ORBIT-12 Pump ", "ORB124.HEX", "", true);
    row("ORBIT-5 after KST-1", {"31", "25"}, "Model: NORDA ORBIT-5 Pump ", "ORB124.HEX", "", true);
    row("KST-5 after KST-12", {"29", "21"}, "Model: NORDA KST-5 Pump ", "KST204.HEX",
        "800 cc/min to 5000 cc/min", true);
    row("unknown on a fresh window", {"22"}, "No Pump Currently Attached", "", "", false);
    row("unknown keeps KST-12", {"29", "22"}, "Model: NORDA KST-12 Pump ", "KST204.HEX", "", false);
    row("lower case keeps TRX-05", {"80", "2d"}, "Model: TRX-05 ", "TRX143.HEX", "", false);
    row("no code keeps the file", {"31", ""}, "No pump type", "KST204.HEX", "", true);
    // A folder that already ends with its separator gets no second one.
    row("folder with separator", {"80"}, "Model: TRX-05 ", "TRX143.HEX", "", true, "/opt/corvane/");
    row("root folder", {"80"}, "Model: TRX-05 ", "TRX143.HEX", "", true, "/");
}

void TestModelTable::sequence() {
    QFETCH(QStringList, codes);
    QFETCH(QString, caption);
    QFETCH(QString, file);
    QFETCH(QString, range);
    QFETCH(bool, written);
    QFETCH(QString, folder);
    AppState state;
    state.ProgramFolder = folder;
    UiChanges c;
    for (const QString& code : codes) {
        const QString line = TestLines::statusLine({"type=" + code.leftJustified(2)});
        c = Decode::statusReport(
            parseStatusReport(code.size() < 2 ? line.left(71 + code.size()) : line), state);
    }
    const QString dir = folder.endsWith('/') ? folder : folder + '/';
    const QString path = file.isEmpty() ? "" : QDir::toNativeSeparators(dir + file);
    TestLines::expectChanges(c, {"Label3_10,Label3_22" + (written ? "=" + caption : ""),
                                 "Label3_25,Label3_20,Label3_31=" + caption,
                                 "LabelH7=File Name:" + path,
                                 "Label_flowrate" + (range.isEmpty() ? "" : "=Range is " + range)});
    const auto [min, max] = c.flowRange.value_or(std::pair(0, 0));
    QCOMPARE(c.flowRange ? QString("%1 cc/min to %2 cc/min").arg(min).arg(max) : "", range);
}

QTEST_GUILESS_MAIN(TestModelTable)
#include "test_modeltable.moc"
