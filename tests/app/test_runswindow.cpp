// The Sampling Runs page and the Archive dialog wired into the window: a log
// file opened fills the page, a selected run fills the chart and the flow
// check, the buttons follow; the archive list comes in pages, deletes only
// after Yes, and opens a download into the memo and the page. What a run
// holds is test_runs'; the report's text is test_cli_report's.
#include "app/archivedialog.h"
#include "app/logsactions.h"
#include "app/mainwindow.h"
#include "app/runspage.h"
#include "logs/samplearchive.h"
#include "support/fakeseriallink.h"
#include "support/testfiles.h"
#include "support/windowrig.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPrinter>
#include <QTabWidget>
#include <QTest>

namespace {

QByteArray update(const char* time, const char* elapsed, const char* flow) {
    return QByteArray("Run Update,12/06/2026 ") + time + ",090,072,29.92,05.02," + elapsed + "," +
           flow + ",0020.000,00019.500  \r\n";
}

// Run 1: checked at 2000 and 2010 cc/min, three points; run 2: no check after.
const QByteArray kHistory = "LogType,Date/Time  \r\n"
                            "Calibration,12/06/2026 07:50,002000  \r\n"
                            "Start Sampling,12/06/2026 08:00,  \r\n" +
                            update("08:10", "00010", "002000") +
                            update("08:20", "00020", "002010") +
                            update("08:30", "00030", "001990") +
                            "Stop Sampling,12/06/2026 08:31  \r\n"
                            "Calibration,12/06/2026 08:40,002010  \r\n"
                            "Start Sampling,12/06/2026 09:00,  \r\n" +
                            update("09:10", "00010", "002000") +
                            "Stop Sampling,12/06/2026 09:11  \r\n"
                            "Done ok  \r\n";

using Rig = ArchiveRig<FakeSerialLink>;

} // namespace

class TestRunsWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_rig = std::make_unique<Rig>(true); }
    void cleanup() { m_rig.reset(); }
    void openedFileFillsThePage();
    void pageWorksWithoutItsModules();
    void archiveListPagesDeletesAndOpens();

private:
    std::unique_ptr<Rig> m_rig;
};

void TestRunsWindow::openedFileFillsThePage() {
    RunsPage* page = m_rig->window->runsPage();
    QVERIFY(page);
    // A file not read before the page was ever shown is told on it then.
    QVERIFY(!page->showFile(m_rig->dir.filePath(QStringLiteral("missing.csv"))));
    const auto notice = [&] { return m_rig->find<QLabel>(QStringLiteral("RunsNotice"))->text(); };
    QVERIFY(notice().startsWith(QStringLiteral("The runs of ")));
    // Nothing to report or export yet; the archive is there to open.
    QVERIFY(!m_rig->enabled("SampleReport") && !m_rig->enabled("ExportRunsCsv") &&
            m_rig->enabled("OpenArchive"));

    const QString path = m_rig->dir.filePath(QStringLiteral("history.csv"));
    putFile(path, kHistory);
    QVERIFY(m_rig->window->showLogFile(path));
    QCOMPARE(page->runs().size(), 2);
    QVERIFY(notice().isEmpty());
    QCOMPARE(page->selectedRun(), 1); // the newest
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("FlowCheck"))->text(),
             QStringLiteral("Flow check unknown: no flow check after the run"));

    page->selectRun(0);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("FlowCheck"))->text(),
             QStringLiteral("Flow check pass: post 2010 vs pre 2000 cc/min, +0.5 %"));
    m_rig->window->findChild<QTabWidget*>()->setCurrentWidget(
        page); // the chart is built when shown
    m_rig->window->show();
    QCOMPARE(page->chartPoints(RunsPage::Flow),
             (QList<QPointF>{{10, 2000}, {20, 2010}, {30, 1990}}));
    QCOMPARE(page->chartPoints(RunsPage::Battery).size(), 3);
    QCOMPARE(page->chartPoints(RunsPage::Temperature).size(), 0); // not asked for
    page->findChild<QCheckBox*>(QStringLiteral("ShowTemperature"))->setChecked(true);
    QCOMPARE(page->chartPoints(RunsPage::Temperature).size(), 3);
    page->findChild<QCheckBox*>(QStringLiteral("ShowFlow"))->setChecked(false);
    QCOMPARE(page->chartPoints(RunsPage::Flow).size(), 0);
    QVERIFY(m_rig->enabled("SampleReport") && m_rig->enabled("ExportRunsCsv"));

    // The report of the selected run, through the printer dialog's seam.
    const QString pdf = m_rig->dir.filePath(QStringLiteral("report.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    page->askPrinter = [&printer](RunsPage::PrinterChosen chosen) { chosen(&printer); };
    m_rig->window->findChild<QAbstractButton*>(QStringLiteral("SampleReport"))->click();
    QVERIFY(fileBytes(pdf).startsWith("%PDF"));
    QCOMPARE(page->reportInput().run.run, 1);

    // A file with no run leaves nothing to report or export.
    putFile(path, "LogType,Date/Time  \r\nDone ok  \r\n");
    QVERIFY(m_rig->window->showLogFile(path));
    QVERIFY(page->runs().isEmpty());
    QVERIFY(!m_rig->enabled("SampleReport") && !m_rig->enabled("ExportRunsCsv"));
}

void TestRunsWindow::pageWorksWithoutItsModules() {
    RunsPage* page = m_rig->window->runsPage();
    page->moduleDirs = {m_rig->dir.path()}; // no modules there
    const QString path = m_rig->dir.filePath(QStringLiteral("history.csv"));
    putFile(path, kHistory);
    QVERIFY(m_rig->window->showLogFile(path));
    m_rig->window->findChild<QTabWidget*>()->setCurrentWidget(page);
    m_rig->window->show();
    QVERIFY(!page->hasChart());
    QVERIFY(page->findChild<QLabel*>(QStringLiteral("RunChartNote"))
                ->text()
                .startsWith(QStringLiteral("The chart cannot be shown: ")));
    // The runs are still there to choose, report and export.
    page->selectRun(0);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("FlowCheck"))->text(),
             QStringLiteral("Flow check pass: post 2010 vs pre 2000 cc/min, +0.5 %"));
    QVERIFY(m_rig->enabled("SampleReport") && m_rig->enabled("ExportRunsCsv"));
    // Without the printing module the report says so instead of a dialog.
    m_rig->button("SampleReport")->click();
    QVERIFY(page->findChild<QLabel*>(QStringLiteral("RunsNotice"))
                ->text()
                .startsWith(QStringLiteral("Printing is not available: ")));
}

void TestRunsWindow::archiveListPagesDeletesAndOpens() {
    const int total = ArchiveListModel::kPageRows * 2 + 50;
    QList<NewDownload> downloads;
    for (int i = 0; i < total; ++i)
        downloads.append({QStringLiteral("KST%1").arg(i % 3), QStringLiteral("KST-5"),
                          QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC).addSecs(i * 60),
                          QStringLiteral("tech"), QStringLiteral("lab"), ArchiveEnding::kComplete,
                          9, kHistory + QByteArray::number(i)});
    QVERIFY(m_rig->archive.store(downloads).ok());

    m_rig->window->logsActions().showArchive();
    ArchiveDialog* dialog = m_rig->window->logsActions().archiveDialog();
    QVERIFY(dialog);
    ArchiveListModel& model = dialog->model();
    QCOMPARE(model.rowCount(), ArchiveListModel::kPageRows);
    for (const int rows : {ArchiveListModel::kPageRows * 2, total}) {
        QVERIFY(model.canFetchMore({}));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), rows);
    }
    QVERIFY(!model.canFetchMore({}));
    QCOMPARE(model.at(0)->id, qint64(total)); // newest first

    // Deleted only on Yes; the row then holds the next download.
    dialog->selectRow(0);
    bool answer = false;
    dialog->askQuestion = [&answer](const QString&, std::function<void(bool)> answered) {
        answered(answer);
    };
    dialog->deleteSelected();
    QCOMPARE(m_rig->archive.count().value, qint64(total));
    answer = true;
    dialog->deleteSelected();
    QCOMPARE(m_rig->archive.count().value, qint64(total - 1));
    QVERIFY(!m_rig->archive.fetch(total).ok());
    QCOMPARE(model.at(0)->id, qint64(total - 1));

    // Opened into the memo and the page, as Open Log would.
    QVERIFY(dialog->openSelected());
    const CaptureMemo& memo = m_rig->window->session().memo();
    QCOMPARE(memo.line(memo.lineCount()), QString::number(total - 2)); // its own last line
    QCOMPARE(m_rig->window->runsPage()->runs().size(), 2);
    m_rig->window->buildPages(); // its first show selects the newest run
    QCOMPARE(m_rig->window->runsPage()->reportInput().pumpSerial,
             QStringLiteral("KST%1").arg((total - 2) % 3));
}

QTEST_MAIN(TestRunsWindow)
#include "test_runswindow.moc"
