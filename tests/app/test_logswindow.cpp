// The Logs page as a technician uses it, through the window's own handlers:
// downloads from the simulated pump (999 records against a stale count,
// stopped by hand, cut by the window's close; each kept in the sample
// archive, or the status bar says why not), saving and opening log files,
// printing to PDF, clearing, and the questions before the pump's memory is
// emptied. The file and printer dialogs are answered through the actions'
// seams; two tests open the real ones to check how they are set up.
#include "app/capturememoview.h"
#include "app/loggrid.h"
#include "app/logsactions.h"
#include "app/logspage.h"
#include "app/mainwindow.h"
#include "logs/logfiles.h"
#include "logs/samplearchive.h"
#include "sim/simseriallink.h"
#include "support/fakeseriallink.h"
#include "support/logfilelines.h"
#include "support/testfiles.h"
#include "support/windowrig.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace {

using FileDialog = LogsActions::FileDialog;

// Pages of a PDF file: its page objects, not the page tree.
int pdfPages(const QString& path) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(fileBytes(path)).count(page));
}

SimPump::Options pumpHolding(int records, SimPump::Faults faults = {}) {
    SimPump::Options o;
    o.records = records;
    o.faults = faults;
    return o;
}

// A window on a port, the pump behind it, and what a test needs to look at.
template <typename Link> struct Rig : ArchiveRig<Link> {
    using ArchiveRig<Link>::window;
    QByteArray written; // every byte written to the pump after the start

    template <typename... A>
    explicit Rig(A&&... a) : ArchiveRig<Link>(true, std::forward<A>(a)...) {
        window->selectPort(0);
        QObject::connect(&window->session(), &PumpSession::traced,
                         [this](char d, const QByteArray& b) {
                             if (d == 'T')
                                 written += b;
                         });
    }
    LogGrid* grid() { return window->logsPage()->grid(); }
    CaptureMemoView* memoView() { return window->logsPage()->memoView(); }
};

using SimRig = Rig<SimSerialLink>;
using FakeRig = Rig<FakeSerialLink>;

std::unique_ptr<SimRig> simRig(int records, SimPump::Faults faults = {}) {
    auto rig = std::make_unique<SimRig>(pumpHolding(records, faults));
    rig->link.setPacing(false);
    return rig;
}

} // namespace

class TestLogsWindow : public QObject {
    Q_OBJECT
private slots:
    void download_data();
    void download();
    void saveThenOpenRoundTrip();
    void fileDialogs_data();
    void fileDialogs();
    void print_data();
    void print();
    void printDialog();
    void clearing();
    void eraseQuestions_data();
    void eraseQuestions();
    void unsavedWarning();
    void logFileAtStart();
};

void TestLogsWindow::download_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("skew");    // the status report claims this many more
    QTest::addColumn<QString>("how"); // "", or at 150 records: stop, close the window
    QTest::addColumn<int>("read");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("archived"); // how the archive keeps it; empty: not kept
    // How each ending comes about and what it says is the download's own
    // table; here complete downloads, one the user ends, one the window's
    // close cuts.
    QTest::newRow("999 records, 25 more than counted")
        << 999 << -25 << "" << 999 << "Reading Logs is completed"
        << "complete";
    QTest::newRow("stopped by hand")
        << 300 << 0 << "stop" << 150
        << "Reading logs stopped: stopped by hand (150 of 300 records read)"
        << "stopped";
    QTest::newRow("the archive file damaged") << 40 << 0 << "" << 40 << "Reading Logs is completed"
                                              << "";
    QTest::newRow("the window closed") << 300 << 0 << "close" << 150 << ""
                                       << "";
}

// Whatever ends it, a download keeps every line captured (memo and table),
// gives Print, Save and the pump commands back, restores the pointer,
// resumes polling and says how it ended.
void TestLogsWindow::download() {
    QFETCH(int, records);
    QFETCH(int, skew);
    QFETCH(QString, how);
    QFETCH(int, read);
    QFETCH(QString, message);
    QFETCH(QString, archived);
    SimPump::Faults faults;
    faults.logCountSkew = skew;
    // After the status and setup reports: "PRINTING", the titles, 150 records.
    if (!how.isEmpty())
        faults.silentAfterLines = 2 + 2 + 150;
    auto rig = simRig(records, faults);
    rig->logs().download().setSilenceTimeout(600000);
    const QString archivePath = rig->archive.location().path;
    if (archived.isEmpty())
        putFile(archivePath, logFileLines(3));
    rig->poll();
    QCOMPARE(rig->state.SavedLogCount, records + skew);

    rig->click("CommandButton7");
    // While it runs: nothing else may write to the pump, the memo is not
    // replaced under the capture, the stop button is there.
    QVERIFY(rig->logs().download().running());
    const QStringList writers =
        PumpSession::pumpWritingControls() +
        QStringList{"CommandButton8", "CommandButton9", "CommandButton10", "CommandButton11"};
    QCOMPARE(rig->enabledOf(writers), QString(writers.size(), QLatin1Char('0')));
    QVERIFY(rig->enabled("StopReading") && !rig->find("Frame6")->isHidden());
    QVERIFY(QApplication::overrideCursor() &&
            QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    QVERIFY(!rig->window->session().polling());

    if (!how.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(rig->logs().download().recordsRead(), 150, 20000);
    if (how == QLatin1String("close")) {
        // The download gives the session back as the window goes, and
        // nothing of that reaches the half-destroyed window (under the
        // address sanitizer a use after free fails here).
        rig->window.reset();
        QVERIFY(!QApplication::overrideCursor());
        return;
    }
    if (how == QLatin1String("stop"))
        rig->click("StopReading");
    QTRY_VERIFY_WITH_TIMEOUT(!rig->logs().download().running(), 60000);
    QCOMPARE(rig->boxText(), message);
    QCOMPARE(rig->box()->windowModality(), Qt::WindowModal);
    // Kept in the archive at once, byte for byte what Save would write; or
    // the status bar says why not, and the damaged file is left alone.
    const QString notice = rig->window->statusBar()->currentMessage();
    QCOMPARE(rig->logs().lastDownloadArchived(), !archived.isEmpty());
    if (archived.isEmpty()) {
        QVERIFY2(notice.startsWith(QStringLiteral("Download not archived: the archive ")) &&
                     notice.endsWith(QStringLiteral("it is not an SQLite database; it was left "
                                                    "as it is")),
                 qPrintable(notice));
        QCOMPARE(fileBytes(archivePath), logFileLines(3));
    } else {
        const auto kept = rig->archive.fetch(1);
        QVERIFY2(kept.ok(), qPrintable(kept.error));
        QCOMPARE(kept.value.bytes, rig->memo().toFileBytes());
        QCOMPARE(kept.value.ended, archived);
        QCOMPARE(kept.value.records, read);
        QCOMPARE(kept.value.pumpSerial, rig->state.serialNumber.trimmed());
        QCOMPARE(notice.endsWith(QStringLiteral("Download kept in the archive (#1)")), true);
    }
    if (message != QLatin1String("Reading Logs is completed"))
        QVERIFY2(notice.startsWith(message + QStringLiteral(" - ")), qPrintable(notice));

    // Nothing captured is lost (what the memo holds is the download's own
    // tests'): its view shows it all, a table row for every record.
    QCOMPARE(rig->logs().download().recordsRead(), read);
    QCOMPARE(rig->memoView()->toPlainText(), rig->memo().lines().join(QLatin1Char('\n')));
    QCOMPARE(rig->grid()->model()->rowCount(), std::max(records + skew, read));
    QCOMPARE(rig->grid()->cell(0, 0), QStringLiteral("Log Number "));

    // Back to idle.
    QCOMPARE(rig->enabledOf(writers), QString(writers.size(), QLatin1Char('1')));
    QVERIFY(!rig->enabled("StopReading"));
    QVERIFY(!rig->find("Frame6")->isHidden() && rig->find("Label3_29")->isHidden());
    auto* bar = qobject_cast<QProgressBar*>(rig->find("PBar1"));
    QCOMPARE(bar->maximum(), std::max(records + skew, read) + 2);
    if (how.isEmpty())
        QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(rig->window->session().polling());
    rig->closeBox();
    QVERIFY(!rig->box());
}

// Saved, then opened again: the same bytes and the same memo; the table is
// neither written to the file nor refilled from it. A cancelled dialog
// changes nothing.
void TestLogsWindow::saveThenOpenRoundTrip() {
    auto rig = simRig(40);
    rig->download();
    const QString a = rig->dir.filePath(QStringLiteral("a.csv"));
    QList<FileDialog> asked;
    QString answer;
    rig->logs().askFileName = [&](FileDialog which, const LogsActions::FileChosen& chosen) {
        asked << which;
        chosen(answer);
    };
    const QStringList memoBefore = rig->memo().lines();
    const QString row7 = rig->grid()->cell(7, 2);

    answer = a;
    rig->click("CommandButton8");
    QCOMPARE(fileBytes(a), rig->memo().toFileBytes());
    rig->click("CommandButton11"); // Clear Screen: the memo only

    answer.clear(); // cancelled
    rig->click("CommandButton10");
    QCOMPARE(rig->memo().lineCount(), 0);
    answer = a;
    rig->click("CommandButton10");
    QCOMPARE(rig->memo().lines(), memoBefore);
    QCOMPARE(rig->memoView()->toPlainText(), memoBefore.join(QLatin1Char('\n')));
    QCOMPARE(rig->grid()->cell(7, 2), row7);
    QCOMPARE(rig->grid()->model()->rowCount(), 40);

    answer.clear(); // cancelled
    rig->click("CommandButton8");
    QCOMPARE(asked, (QList<FileDialog>{FileDialog::Save, FileDialog::Open, FileDialog::Open,
                                       FileDialog::Save}));
    QCOMPARE(QDir(rig->dir.path()).entryList({QStringLiteral("*.csv")}), QStringList{"a.csv"});
    QVERIFY(!rig->box());
}

void TestLogsWindow::fileDialogs_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QStringList>("filters");
    QTest::newRow("Save Logs") << "CommandButton8" << true
                               << QStringList{"ALL Files (*.*)", "Kst Log Files (*.csv )"};
    QTest::newRow("Open Log") << "CommandButton10" << false
                              << QStringList{"ALL Files (*.*)", "Kst Log Files (*.tlx )",
                                             "Kst Log Files (*.csv *.tlx)"};
}

// The real dialogs: titled "KST LOG FILES", the filters of the log files with
// the second chosen, window-modal; saving asks before replacing a file.
// Cancelled, they change nothing.
void TestLogsWindow::fileDialogs() {
    QFETCH(QString, button);
    QFETCH(bool, save);
    QFETCH(QStringList, filters);
    FakeRig rig;
    rig.memo().writeAt(1, QStringLiteral("Power On,12/06/2026 14:05  \r\n"));
    rig.click(qPrintable(button));
    QFileDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = rig.window->findChild<QFileDialog*>()) && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("KST LOG FILES"));
    QCOMPARE(dialog->nameFilters(), filters);
    QCOMPARE(dialog->selectedNameFilter(), filters.last());
    QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    dialog->reject();
    QTRY_VERIFY(!rig.window->findChild<QFileDialog*>());
    QCOMPARE(rig.memo().lineCount(), 1);
    QVERIFY(QDir(rig.dir.path()).entryList({QStringLiteral("*.csv")}).isEmpty());
}

// "Print Logs" to a PDF file: 60 lines a page, each copy from a new page,
// the copies made here once (the PDF printer makes none itself). How lines
// fall on pages is the page plan's own table.
void TestLogsWindow::print_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("pages");
    QTest::newRow("130 lines") << 130 << 1 << 3;
    QTest::newRow("61 lines, three copies") << 61 << 3 << 6;
}

void TestLogsWindow::print() {
    QFETCH(int, lines);
    QFETCH(int, copies);
    QFETCH(int, pages);
    FakeRig rig;
    const QString log = rig.dir.filePath(QStringLiteral("in.tlx"));
    putFile(log, logFileLines(lines));
    QVERIFY(rig.logs().openFile(log));
    QCOMPARE(rig.memo().lineCount(), lines);
    const QString pdf = rig.dir.filePath(QStringLiteral("out.pdf"));
    int asked = 0;
    rig.logs().askPrinter = [&](const LogsActions::PrinterChosen& chosen) {
        ++asked;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setCopyCount(copies);
        chosen(&printer);
    };
    rig.click("CommandButton9");
    QCOMPARE(asked, 1);
    QCOMPARE(pdfPages(pdf), pages);
    QVERIFY(!rig.box() && rig.window->pendingMessages().isEmpty());
    QCOMPARE(rig.memo().lineCount(), lines); // printing leaves the memo as it is
}

// The print dialog: window-modal, copies collated if the user wishes, no
// page range (never used); cancelled, it prints nothing. An empty memo
// prints nothing and opens no dialog; a printer that cannot be started is
// reported.
void TestLogsWindow::printDialog() {
    FakeRig rig;
    int asked = 0;
    const auto real = rig.logs().askPrinter;
    rig.logs().askPrinter = [&](const LogsActions::PrinterChosen& chosen) {
        ++asked;
        real(chosen);
    };
    rig.click("CommandButton9");
    QCOMPARE(asked, 0);
    QVERIFY(rig.window->statusBar()->currentMessage().contains(QLatin1String("nothing to print")));

    rig.memo().writeAt(1, QStringLiteral("Power On,12/06/2026 14:05  \r\n"));
    rig.click("CommandButton9");
    QPrintDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = rig.window->findChild<QPrintDialog*>()) && dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintPageRange) &&
            dialog->testOption(QAbstractPrintDialog::PrintCollateCopies));
    dialog->reject();
    QTRY_VERIFY(!rig.window->findChild<QPrintDialog*>());
    QCOMPARE(asked, 1);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(rig.dir.filePath(QStringLiteral("no/such/folder/out.pdf")));
    QCOMPARE(rig.logs().printOn(printer), -1);
    QVERIFY(rig.boxText().startsWith(QLatin1String("The logs could not be printed on ")));
}

// "Clear Screen" empties the memo, the table stays; "Clear PC Screen"
// empties both, Print and Save stay off until the next download.
void TestLogsWindow::clearing() {
    auto rig = simRig(5);
    rig->download();
    QVERIFY(rig->enabled("CommandButton8") && rig->enabled("CommandButton9"));
    rig->click("CommandButton11");
    QCOMPARE(rig->memo().lineCount(), 0);
    QVERIFY(rig->memoView()->toPlainText().isEmpty());
    QVERIFY(!rig->grid()->cell(5, 1).isEmpty());
    QVERIFY(rig->enabled("CommandButton8"));

    rig->download();
    rig->window->session().stopPolling();
    rig->click("CommandButton28");
    QCOMPARE(rig->memo().lineCount(), 0);
    QVERIFY(rig->memoView()->toPlainText().isEmpty());
    QCOMPARE(rig->grid()->model()->rowCount(), 5);
    for (int c = 1; c <= 10; ++c)
        QVERIFY(rig->grid()->cell(5, c).isEmpty());
    QCOMPARE(rig->grid()->cell(5, 0), QString()); // titles too
    QVERIFY(!rig->enabled("CommandButton8") && !rig->enabled("CommandButton9"));
    QVERIFY(rig->window->session().polling());
}

void TestLogsWindow::eraseQuestions_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer"); // Yes, No, Enter, Escape
    QTest::addColumn<QByteArray>("sent");
    auto row = [](const char* button, const char* answer, const QByteArray& sent) {
        QTest::addRow("%s, %s", button, answer)
            << QString::fromLatin1(button) << QString::fromLatin1(answer) << sent;
    };
    row("CommandButton14", "Yes", "LOG_INIT\r");
    row("CommandButton14", "Escape", {});
    row("CommandButton25", "Yes", "LOG_INIT\r");
    row("CommandButton25", "No", {});
    row("CommandButton4", "Enter", {});
    row("CommandButton4", "Yes", "CLEAR_ALL\r");
}

// Emptying the pump's memory asks first, window-modal, "No" the default (so
// Enter and Escape send nothing); only "Yes" sends the command, and
// "Program Pump" is off before "CLEAR_ALL" goes out.
void TestLogsWindow::eraseQuestions() {
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QByteArray, sent);
    FakeRig rig;
    QWidget* program = rig.find("CommandButton29");
    program->setEnabled(true);
    bool programOffWhenSent = false;
    QObject::connect(&rig.window->session(), &PumpSession::traced, [&](char d, const QByteArray&) {
        if (d == 'T')
            programOffWhenSent = !program->isEnabled();
    });
    rig.written.clear();
    rig.click(qPrintable(button));
    QCOMPARE(rig.written, QByteArray()); // nothing before the answer
    const QString text = rig.boxText();
    QVERIFY2(text.startsWith(button == QLatin1String("CommandButton4")
                                 ? QLatin1String("Clear all sampling data in the pump?")
                                 : QLatin1String("Erase every log held in the pump?")),
             qPrintable(text));
    QVERIFY(text.endsWith(LogsActions::kNothingSavedYet));
    QMessageBox* box = rig.box();
    QCOMPARE(box->windowModality(), Qt::WindowModal);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    QVERIFY(box->button(QMessageBox::Yes) && box->buttons().size() == 2);
    QVERIFY(program->isEnabled());

    if (answer == QLatin1String("Yes"))
        box->button(QMessageBox::Yes)->click();
    else if (answer == QLatin1String("No"))
        box->button(QMessageBox::No)->click();
    else
        QTest::keyClick(box, answer == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
    QTRY_VERIFY(!rig.box());
    QCOMPARE(rig.written, sent);
    if (button == QLatin1String("CommandButton4"))
        QCOMPARE(!program->isEnabled(), !sent.isEmpty());
    if (sent == "CLEAR_ALL\r")
        QVERIFY(programOffWhenSent);
}

// The question warns while the downloaded logs are kept nowhere else: none
// saved since the start, or the newest download not saved. A save that
// cannot be completed leaves the old file as it was, says why in a box and
// does not count as the download being kept.
void TestLogsWindow::unsavedWarning() {
    auto rig = simRig(5);
    const QString kept = rig->dir.filePath(QStringLiteral("kept.csv"));
    const QString folder = rig->dir.filePath(QStringLiteral("logs"));
    QVERIFY(QDir().mkpath(folder));
    QString path = kept;
    rig->logs().askFileName = [&](FileDialog, const LogsActions::FileChosen& chosen) {
        chosen(path);
    };
    auto warning = [&] {
        const QString q = rig->logs().eraseLogsQuestion();
        return q.section(QStringLiteral("\n\n"), 1);
    };
    QCOMPARE(warning(), LogsActions::kNothingSavedYet);
    rig->click("CommandButton8"); // an empty memo is no download
    QCOMPARE(warning(), LogsActions::kNothingSavedYet);
    rig->download();
    QCOMPARE(warning(), LogsActions::kNothingSavedYet);
    {
        path = folder + QStringLiteral("/pump.csv");
        putFile(path, logFileLines(3));
        const auto restore = qScopeGuard([&] { setFolderReadOnly(folder, false); });
        setFolderReadOnly(folder, true);
        rig->click("CommandButton8");
        const QString text = rig->boxText();
        QVERIFY2(text.startsWith("The log file " + path + " could not be saved: ") &&
                     !text.endsWith(QLatin1String(": ")),
                 qPrintable(text));
        QCOMPARE(fileBytes(path), logFileLines(3));
        rig->closeBox();
    }
    QCOMPARE(warning(), LogsActions::kNothingSavedYet);
    path = kept;
    rig->click("CommandButton8");
    QCOMPARE(warning(), QString());
    QCOMPARE(rig->logs().clearSamplingDataQuestion(),
             QStringLiteral("Clear all sampling data in the pump?"));
    rig->download();
    QCOMPARE(warning(), LogsActions::kLastNotSaved);
    QVERIFY(rig->logs().openFile(path)); // the file saved before is not the newest download
    rig->click("CommandButton8");
    QCOMPARE(warning(), LogsActions::kLastNotSaved);
    rig->download();
    rig->click("CommandButton8");
    QCOMPARE(warning(), QString());
}

// `corvane FILE` (and Open Log): the window shows the Logs page with the
// file in the memo and its view. A file that cannot be loaded is reported
// in a box and leaves both as they were; one past the memo's budget is
// loaded as far as it fits, and the box says so. Which files are refused is
// the log files' own table.
void TestLogsWindow::logFileAtStart() {
    FakeRig rig;
    const QString path = rig.dir.filePath(QStringLiteral("pump.tlx"));
    putFile(path, logFileLines(12));
    QVERIFY(rig.window->showLogFile(path));
    QCOMPARE(rig.window->findChild<QTabWidget*>(QStringLiteral("vaTabPro1"))->currentWidget(),
             rig.window->logsPage());
    QCOMPARE(rig.memo().toFileBytes(), logFileLines(12));
    QCOMPARE(rig.memoView()->document()->blockCount(), 12);
    QCOMPARE(rig.grid()->model()->rowCount(), 0);

    QVERIFY(!rig.window->showLogFile(rig.dir.filePath(QStringLiteral("gone.tlx"))));
    QVERIFY(rig.boxText().contains(QLatin1String("No such file or directory")));
    rig.closeBox();
    QCOMPARE(rig.memo().lineCount(), 12);
    QCOMPARE(rig.memoView()->document()->blockCount(), 12);

    putFile(path, logFileLines(200000)); // about 20 MiB
    QVERIFY(rig.logs().openFile(path));
    QVERIFY(rig.boxText().contains(QLatin1String("larger than the 16 MiB the screen holds")));
    QVERIFY(rig.memo().lineCount() > 100000 && rig.memo().lineCount() < 200000);
    QCOMPARE(rig.memoView()->document()->blockCount(), rig.memo().lineCount());
    QVERIFY(!rig.memoView()->document()->isUndoRedoEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestLogsWindow)
#include "test_logswindow.moc"
