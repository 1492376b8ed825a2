// Everyday use of the window: the File menu presses the log buttons, every
// date-time picker has its own accessible name, the focus is back on "Read
// Logs From KST" after a download, the save dialog's suggestion and ".csv",
// and closing with a download kept nowhere else.
#include "app/communicationpage.h"
#include "app/datetimepicker.h"
#include "app/logsactions.h"
#include "app/logspage.h"
#include "app/mainwindow.h"
#include "link/fakeseriallink.h"
#include "logs/logfiles.h"
#include "logs/samplearchive.h"
#include "sim/simseriallink.h"
#include "support/testfiles.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

using FileDialog = LogsActions::FileDialog;

SimPump::Options threeRecords() {
    SimPump::Options o;
    o.records = 3;
    return o;
}

struct Rig {
    QTemporaryDir dir;
    AppState state;
    SimSerialLink link{threeRecords()};
    SampleArchive archive{ArchiveLocations::parse(dir.filePath(QStringLiteral("a.sqlite")))};
    std::unique_ptr<MainWindow> window;
    QList<FileDialog> asked; // the file dialogs the actions asked for
    QString answer;          // what the file dialog answers

    explicit Rig(bool withArchive = true) {
        link.setPacing(false);
        window = std::make_unique<MainWindow>(
            state, link,
            MainWindow::Options{dir.filePath(QStringLiteral("corvane.INI")), false,
                                dir.filePath(QStringLiteral("placement.ini")), nullptr,
                                withArchive ? &archive : nullptr});
        window->session().stopPolling();
        window->selectPort(0);
        window->logsActions().askFileName = [this](FileDialog which,
                                                   const LogsActions::FileChosen& chosen) {
            asked << which;
            chosen(answer);
        };
    }
    LogsActions& logs() { return window->logsActions(); }
    QAbstractButton* button(const char* name) {
        return window->findChild<QAbstractButton*>(QLatin1String(name));
    }
    QMessageBox* box(const QString& name = {}) {
        for (QMessageBox* b : window->findChildren<QMessageBox*>(name))
            if (b->isVisible())
                return b;
        return nullptr;
    }
    void download() {
        state.serialNumber.clear();
        window->session().refreshPumpData();
        QTRY_VERIFY_WITH_TIMEOUT(!state.serialNumber.isEmpty(), 20000);
        button("CommandButton7")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!logs().download().running(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(box(), 20000);
        window->acceptMessage();
        QTRY_VERIFY(!box());
    }
};

} // namespace

class TestEveryday : public QObject {
    Q_OBJECT
private slots:
    void menuItems_data();
    void menuItems();
    void pickerNames();
    void focusAfterDownload();
    void fileNames_data();
    void fileNames();
    void saveAndOpen();
    void closing_data();
    void closing();
    void noPumpFound();
};

void TestEveryday::menuItems_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("button");
    QTest::newRow("Open Log") << "menuOpenLog"
                              << "Ctrl+O"
                              << "CommandButton10";
    QTest::newRow("Save Logs") << "menuSaveLogs"
                               << "Ctrl+S"
                               << "CommandButton8";
    QTest::newRow("Print Logs") << "menuPrintLogs"
                                << "Ctrl+P"
                                << "CommandButton9";
}

// Each item carries its keys, does what its button does, and is disabled
// exactly when the button is (Save and Print after "Clear PC Screen").
void TestEveryday::menuItems() {
    QFETCH(QString, action);
    QFETCH(QString, keys);
    QFETCH(QString, button);
    Rig rig;
    auto* item = rig.window->findChild<QAction*>(action);
    QVERIFY(item);
    QCOMPARE(item->shortcut(), QKeySequence(keys));
    const QString file = rig.dir.filePath(QStringLiteral("in.csv"));
    putFile(file, "LogType,Date/Time  \r\nDone ok  \r\n");
    QVERIFY(rig.logs().openFile(file));
    int printers = 0;
    rig.logs().askPrinter = [&](const LogsActions::PrinterChosen&) { ++printers; };

    item->trigger();
    const QList<FileDialog> viaMenu = rig.asked;
    const int printersViaMenu = printers;
    rig.asked.clear();
    printers = 0;
    rig.button(qPrintable(button))->click();
    QCOMPARE(viaMenu, rig.asked);
    QCOMPARE(printersViaMenu, printers);
    QVERIFY(viaMenu.size() + printersViaMenu == 1);

    rig.button("CommandButton28")->click(); // Clear PC Screen
    QCOMPARE(item->isEnabled(), rig.button(qPrintable(button))->isEnabled());
}

void TestEveryday::pickerNames() {
    Rig rig;
    const QList<DateTimePicker*> pickers = rig.window->findChildren<DateTimePicker*>();
    QVERIFY(pickers.size() >= 20);
    QSet<QString> names;
    for (const DateTimePicker* p : pickers) {
        QVERIFY2(!p->accessibleName().isEmpty(), qPrintable(p->objectName()));
        names.insert(p->accessibleName());
    }
    QCOMPARE(names.size(), pickers.size());
}

// While reading, "Read Logs From KST" is disabled and the focus moves along
// the page; once the download ends an Enter must not land on "Clear PC
// Screen".
void TestEveryday::focusAfterDownload() {
    Rig rig;
    rig.window->show();
    QApplication::setActiveWindow(rig.window.get());
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    rig.window->findChild<QTabWidget*>()->setCurrentWidget(rig.window->logsPage());
    QAbstractButton* read = rig.button("CommandButton7");
    read->setFocus();
    QCOMPARE(QApplication::focusWidget(), read);
    rig.download();
    // The window's focus, which it takes back once the box is closed.
    QTRY_COMPARE(rig.window->focusWidget(), read);
}

void TestEveryday::fileNames_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("plain") << "KST1234"
                           << "pump-KST1234-20261207.csv"
                           << "/a/run"
                           << "/a/run.csv";
    QTest::newRow("no serial known") << ""
                                     << "pump-20261207.csv"
                                     << "/a/run.tlx"
                                     << "/a/run.tlx";
    QTest::newRow("serial with a folder and blanks") << "../K 12/x"
                                                     << "pump-K12x-20261207.csv"
                                                     << "/a/run."
                                                     << "/a/run.csv";
    QTest::newRow("only unusable characters") << " /.."
                                              << "pump-20261207.csv"
                                              << "/a.b/run"
                                              << "/a.b/run.csv";
}

void TestEveryday::fileNames() {
    QFETCH(QString, serial);
    QFETCH(QString, suggested);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QCOMPARE(LogFiles::suggestedName(serial, QDate(2026, 12, 7)), suggested);
    QCOMPARE(LogFiles::withDefaultSuffix(typed), saved);
}

// The dialogs start in the folder used last; Save offers the pump's name
// and adds ".csv"; an opened file is what Save and Print then act on.
void TestEveryday::saveAndOpen() {
    Rig rig;
    rig.download();
    const QString serial = rig.state.serialNumber;
    const QString before = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const QString suggested = QFileInfo(rig.logs().suggestedPath(FileDialog::Save)).fileName();
    const QString after = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    QVERIFY2(suggested == QStringLiteral("pump-%1-%2.csv").arg(serial, before) ||
                 suggested == QStringLiteral("pump-%1-%2.csv").arg(serial, after),
             qPrintable(suggested));

    QVERIFY(QDir(rig.dir.path()).mkdir(QStringLiteral("logs")));
    rig.answer = rig.dir.filePath(QStringLiteral("logs/run"));
    rig.button("CommandButton8")->click();
    const QString written = rig.answer + QStringLiteral(".csv");
    QCOMPARE(fileBytes(written), rig.window->session().memo().toFileBytes());
    QCOMPARE(rig.logs().suggestedPath(FileDialog::Open), rig.dir.filePath(QStringLiteral("logs")));

    rig.button("CommandButton28")->click();
    QVERIFY(!rig.button("CommandButton8")->isEnabled());
    rig.answer = written;
    rig.button("CommandButton10")->click();
    QVERIFY(rig.button("CommandButton8")->isEnabled() && rig.button("CommandButton9")->isEnabled());
    QCOMPARE(rig.logs().suggestedPath(FileDialog::Save), written);
}

void TestEveryday::closing_data() {
    QTest::addColumn<bool>("archived");
    QTest::addColumn<int>("answer"); // the button pressed in the box
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("fileSaved");
    QTest::newRow("kept in the archive") << true << int(QMessageBox::Ok) << true << false;
    QTest::newRow("no archive, Save") << false << int(QMessageBox::Save) << true << true;
    QTest::newRow("no archive, Discard") << false << int(QMessageBox::Discard) << true << false;
    QTest::newRow("no archive, Cancel") << false << int(QMessageBox::Cancel) << false << false;
}

// Closing by File > Exit with the newest download not saved to a file.
// The pump is told "RUN_CLEAR" only when the window really closes.
void TestEveryday::closing() {
    QFETCH(bool, archived);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, fileSaved);
    Rig rig(archived);
    rig.download();
    QByteArray written;
    QObject::connect(&rig.window->session(), &PumpSession::traced,
                     [&](char d, const QByteArray& b) {
                         if (d == 'T')
                             written += b;
                     });
    rig.answer = rig.dir.filePath(QStringLiteral("kept.csv"));
    rig.window->show();
    rig.window->findChild<QAction*>(QStringLiteral("Menu_exit"))->trigger();
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = rig.box(QStringLiteral("unsavedDownload"))));
    QCOMPARE(box->text().contains(QLatin1String("archive (#")), archived);
    QVERIFY(rig.window->isVisible());
    box->button(QMessageBox::StandardButton(answer))->click();
    QTRY_COMPARE(rig.window->isVisible(), !closes);
    QTest::qWait(0);
    QCOMPARE(rig.window->isVisible(), !closes);
    QCOMPARE(written.count("RUN_CLEAR"), closes ? 2 : 0);
    QCOMPARE(QFile::exists(rig.answer), fileSaved);
}

// The box leaves its title room beside the title bar's buttons, and closing
// it hides the pump's details without moving the port options below them.
void TestEveryday::noPumpFound() {
    QTemporaryDir dir;
    AppState state;
    FakeSerialLink link;
    MainWindow window(state, link,
                      {dir.filePath(QStringLiteral("corvane.INI")), false,
                       dir.filePath(QStringLiteral("placement.ini"))});
    window.session().stopPolling();
    window.show();
    auto* com2 = window.findChild<QWidget*>(QStringLiteral("Option7_1"));
    QVERIFY(com2 && com2->isVisible());
    // Layouts settle through posted requests, one nesting level a round.
    const auto settle = [] {
        for (int round = 0; round < 5; ++round)
            QApplication::processEvents();
    };
    settle();
    const QPoint before = com2->mapTo(&window, QPoint());
    for (int tick = 0; tick < 7; ++tick)
        window.session().pollTick();
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = window.findChild<QMessageBox*>()) && box->isVisible());
    QCOMPARE(box->text(), QStringLiteral("No Pump Found"));
    const QFontMetrics fm(box->font());
    // Three title-bar buttons and an icon: some eight lines' height.
    QVERIFY2(box->width() >= fm.horizontalAdvance(box->windowTitle()) + 8 * fm.height(),
             qPrintable(QString::number(box->width())));
    window.acceptMessage();
    QTRY_VERIFY(!window.findChild<QWidget*>(QStringLiteral("Label3_21"))->isVisible());
    settle();
    QCOMPARE(com2->mapTo(&window, QPoint()), before);
}

QTEST_MAIN(TestEveryday)
#include "test_everyday.moc"
