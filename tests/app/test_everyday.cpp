// Everyday use of the window: the File menu presses the log buttons, every
// date-time picker has its own accessible name, after a download the focus
// is back on "Read Logs From KST" and Save offers the pump's name, closing
// with a download kept nowhere else, and the "No Pump Found" box.
#include "app/datetimepicker.h"
#include "app/logsactions.h"
#include "app/logspage.h"
#include "app/mainwindow.h"
#include "logs/logfiles.h"
#include "logs/samplearchive.h"
#include "sim/simseriallink.h"
#include "support/testfiles.h"
#include "support/windowrig.h"

#include <QAction>
#include <QApplication>
#include <QTabWidget>
#include <QTest>

namespace {

using FileDialog = LogsActions::FileDialog;

// A window on the simulated pump (three records), shown; the file dialog
// answers `answer`.
struct Rig : ArchiveRig<SimSerialLink> {
    QStringList asked; // the dialogs asked for: "Open", "Save", "Print"
    QString answer;

    explicit Rig(bool withArchive = true, bool portOpen = true)
        : ArchiveRig(withArchive, [] {
              SimPump::Options o;
              o.records = 3;
              return o;
          }()) {
        link.setPacing(false);
        if (portOpen)
            window->selectPort(0);
        logs().askFileName = [this](FileDialog which, const LogsActions::FileChosen& chosen) {
            asked << QLatin1String(which == FileDialog::Save ? "Save" : "Open");
            chosen(answer);
        };
        logs().askPrinter = [this](const LogsActions::PrinterChosen&) {
            asked << QStringLiteral("Print");
        };
        window->show();
    }
};

} // namespace

class TestEveryday : public QObject {
    Q_OBJECT
private slots:
    void menuItems_data();
    void menuItems();
    void pickerNames();
    void fileNames_data();
    void fileNames();
    void afterDownload();
    void closing_data();
    void closing();
    void noPumpFound();
};

void TestEveryday::menuItems_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dialog");
    auto row = [](const char* name, const char* action, const char* keys, const char* button) {
        QTest::newRow(name) << action << keys << button << QString(name).section(' ', 0, 0);
    };
    row("Open Log", "menuOpenLog", "Ctrl+O", "CommandButton10");
    row("Save Logs", "menuSaveLogs", "Ctrl+S", "CommandButton8");
    row("Print Logs", "menuPrintLogs", "Ctrl+P", "CommandButton9");
}

// Each item carries its keys, does what its button does, and is disabled
// when the button is (Save and Print after "Clear PC Screen").
void TestEveryday::menuItems() {
    QFETCH(QString, action);
    QFETCH(QString, keys);
    QFETCH(QString, button);
    QFETCH(QString, dialog);
    Rig rig;
    auto* item = rig.window->findChild<QAction*>(action);
    QVERIFY(item && item->shortcut() == QKeySequence(keys));
    const QString file = rig.dir.filePath(QStringLiteral("in.csv"));
    putFile(file, "LogType,Date/Time  \r\nDone ok  \r\n");
    QVERIFY(rig.logs().openFile(file));
    item->trigger();
    rig.button(qPrintable(button))->click();
    QCOMPARE(rig.asked, QStringList({dialog, dialog}));
    rig.button("CommandButton28")->click(); // Clear PC Screen
    QCOMPARE(item->isEnabled(), rig.button(qPrintable(button))->isEnabled());
}

void TestEveryday::pickerNames() {
    Rig rig;
    QSet<QString> names;
    const auto pickers = rig.window->findChildren<DateTimePicker*>();
    for (const DateTimePicker* p : pickers)
        names.insert(p->accessibleName());
    names.remove(QString());
    QCOMPARE(names.size(), pickers.size());
}

void TestEveryday::fileNames_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    auto row = [](const char* name, const char* serial, const char* suggested, const char* typed,
                  const char* saved) {
        QTest::newRow(name) << serial << suggested << typed << saved;
    };
    row("plain", "KST1234", "pump-KST1234-20261207.csv", "/a/run", "/a/run.csv");
    row("no serial", "", "pump-20261207.csv", "/a/run.tlx", "/a/run.tlx");
    row("serial with a folder and blanks", "../K 12/x", "pump-K12x-20261207.csv", "/a/run.",
        "/a/run.csv");
    row("nothing usable in the serial", " /..", "pump-20261207.csv", "/a.b/run", "/a.b/run.csv");
}

void TestEveryday::fileNames() {
    QFETCH(QString, serial);
    QFETCH(QString, suggested);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QCOMPARE(LogFiles::suggestedName(serial, QDate(2026, 12, 7)), suggested);
    QCOMPARE(LogFiles::withDefaultSuffix(typed), saved);
}

// Alt+3 and Alt+R read the logs. While reading, "Read Logs From KST" is
// disabled and the focus moves on to "Clear PC Screen": it must come back.
// Save offers the pump's name, adds ".csv" and the dialogs then start in
// that folder; an opened file can be saved and printed even after "Clear PC
// Screen".
void TestEveryday::afterDownload() {
    Rig rig;
    QApplication::setActiveWindow(rig.window.get());
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    QTest::keyClick(rig.window.get(), Qt::Key_3, Qt::AltModifier);
    QCOMPARE(rig.window->findChild<QTabWidget*>()->currentWidget(), rig.window->logsPage());
    QAbstractButton* read = rig.button("CommandButton7");
    read->setFocus();
    rig.download(true);
    QTRY_COMPARE(rig.window->focusWidget(), read); // the window's, taken back after the box

    const QString name = QFileInfo(rig.logs().suggestedPath(FileDialog::Save)).fileName();
    QVERIFY2(name.startsWith(QStringLiteral("pump-%1-20").arg(rig.state.serialNumber)),
             qPrintable(name));
    rig.answer = rig.dir.filePath(QStringLiteral("run"));
    rig.button("CommandButton8")->click();
    const QString written = rig.answer + QStringLiteral(".csv");
    QCOMPARE(fileBytes(written), rig.window->session().memo().toFileBytes());
    QCOMPARE(rig.logs().suggestedPath(FileDialog::Open), rig.dir.path());

    rig.button("CommandButton28")->click();
    rig.answer = written;
    rig.button("CommandButton10")->click();
    QVERIFY(rig.button("CommandButton8")->isEnabled() && rig.button("CommandButton9")->isEnabled());
    QCOMPARE(rig.logs().suggestedPath(FileDialog::Save), written);
}

void TestEveryday::closing_data() {
    QTest::addColumn<bool>("archived");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("kept in the archive") << true << int(QMessageBox::Ok) << true;
    QTest::newRow("no archive, Save") << false << int(QMessageBox::Save) << true;
    QTest::newRow("no archive, Discard") << false << int(QMessageBox::Discard) << true;
    QTest::newRow("no archive, Cancel") << false << int(QMessageBox::Cancel) << false;
}

// File > Exit with the newest download not saved to a file: the pump is
// told "RUN_CLEAR" (twice, as Exit does) only when the window really closes.
void TestEveryday::closing() {
    QFETCH(bool, archived);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    Rig rig(archived);
    rig.download();
    QByteArray written;
    QObject::connect(&rig.window->session(), &PumpSession::traced,
                     [&](char d, const QByteArray& b) { written += d == 'T' ? b : QByteArray(); });
    rig.answer = rig.dir.filePath(QStringLiteral("kept.csv"));
    rig.window->findChild<QAction*>(QStringLiteral("Menu_exit"))->trigger();
    QTRY_VERIFY(rig.box() && rig.box()->objectName() == QLatin1String("unsavedDownload"));
    QCOMPARE(rig.box()->text().contains(QLatin1String("archive (#")), archived);
    rig.box()->button(QMessageBox::StandardButton(answer))->click();
    QTRY_COMPARE(rig.window->isVisible(), !closes);
    QCOMPARE(written.count("RUN_CLEAR"), closes ? 2 : 0);
    QCOMPARE(QFile::exists(rig.answer), answer == QMessageBox::Save);
}

// The box leaves its title room beside the title bar's buttons, and closing
// it hides the pump's details without moving the port options below them.
void TestEveryday::noPumpFound() {
    Rig rig(true, false);
    auto* com2 = rig.find(QStringLiteral("Option7_1"));
    // Layouts settle through posted requests, one nesting level a round.
    const auto settle = [] {
        for (int round = 0; round < 5; ++round)
            QApplication::processEvents();
    };
    settle();
    const QPoint before = com2->mapTo(rig.window.get(), QPoint());
    for (int tick = 0; tick < 7; ++tick)
        rig.window->session().pollTick();
    QTRY_VERIFY(rig.box() && rig.box()->text() == QLatin1String("No Pump Found"));
    const QFontMetrics fm(rig.box()->font());
    // Three title-bar buttons and an icon: some eight lines' height.
    QVERIFY(rig.box()->width() >= fm.horizontalAdvance(rig.box()->windowTitle()) + 8 * fm.height());
    rig.window->acceptMessage();
    settle();
    QVERIFY(!rig.window->findChild<QWidget*>(QStringLiteral("Label3_21"))->isVisible());
    QCOMPARE(com2->mapTo(rig.window.get(), QPoint()), before);
}

QTEST_MAIN(TestEveryday)
#include "test_everyday.moc"
