// The "Sampling Runs" page: the runs of the latest download, of an opened log
// file or of an archived download, one row each; the selected run's chart
// (flow and battery against elapsed minutes, temperature and pressures on
// request), its holds and faults, and its flow check in words. From here the
// selected run's sample report is printed or written as a PDF, the runs are
// exported as CSV, and the archive is opened. The runs, their figures and
// chart points come from the core (splitRuns, runSamples); this page only
// shows them. Nothing here talks to the pump.
#pragma once

#include "app/samplereport.h"
#include "logs/logdecoder.h"
#include "logs/runs.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class PrinterModule;
class QAbstractButton;
class QCheckBox;
class QLabel;
class QListWidget;
class QPrinter;
class QTableView;
class RunTableModel;
class RunsChart;

class RunsPage : public QWidget {
    Q_OBJECT
public:
    // The readings the chart can show, in the order of its check boxes.
    enum Series { Flow, Battery, Temperature, Bp, Dp, kSeriesCount };

    using FileChosen = std::function<void(const QString& path)>;
    using PrinterChosen = std::function<void(QPrinter* printer)>;

    explicit RunsPage(QWidget* parent = nullptr);
    ~RunsPage() override;

    // The page's controls are made on its first show; a log shown before
    // that is shown on them then.
    void build();
    bool isBuilt() const { return m_table != nullptr; }

    // Shows the runs in a log's bytes; `source` names the log on the page and
    // in the report, the pump's serial number and model where known.
    void showLog(const QByteArray& bytes, const QString& source, const QString& pumpSerial = {},
                 const QString& pumpModel = {});
    // The runs of the file at `path`; false (and the page says why) when it
    // cannot be read.
    bool showFile(const QString& path);
    // Whether "Archive..." has an archive to open.
    void setArchiveAvailable(bool available);

    const QList<RunSummary>& runs() const { return m_runs; }
    // The selected run's index in runs(), or -1.
    int selectedRun() const;
    void selectRun(int index);
    // Whether the chart is there: it is loaded from its module when the page
    // is first shown; without the module the page says so in its place.
    bool hasChart() const { return m_chart != nullptr; }
    // The points the chart draws for a reading (none without a chart).
    QList<QPointF> chartPoints(Series which) const;
    // The selected run's report as the PDF or the printer gets it.
    SampleReportInput reportInput() const;

    // The runs' summaries as CSV (the columns `corvane-cli runs --csv`
    // writes); a failure is shown on the page.
    bool exportCsvTo(const QString& path);
    // The selected run's report on `printer` (paper or a PDF file).
    bool printReportOn(QPrinter& printer);

    // The file and printer dialogs, window-modal; the answer comes to the
    // continuation (a cancelled dialog: empty path, null printer). Tests put
    // their own answers here.
    std::function<void(FileChosen)> askCsvFile;
    std::function<void(PrinterChosen)> askPrinter;
    // Where the chart's and the printing's modules are looked for.
    QStringList moduleDirs;

signals:
    void archiveRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildChart();
    void showRuns();
    void runSelected();
    void updateChart();
    void updateButtons();
    void notice(const QString& text);
    void sampleReport();
    void exportCsv();
    // The printing module, loaded on the first print; null (and the page
    // says why) when it cannot be loaded.
    PrinterModule* printerModule();

    RunTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_check = nullptr;
    QLabel* m_notice = nullptr;
    QListWidget* m_events = nullptr;
    QWidget* m_chartHolder = nullptr; // the chart's place until it is built
    QLabel* m_chartNote = nullptr;    // why there is no chart, in its place
    RunsChart* m_chart = nullptr;
    bool m_chartTried = false;
    std::array<QCheckBox*, kSeriesCount> m_shown{};
    QAbstractButton* m_report = nullptr;
    QAbstractButton* m_csv = nullptr;
    QAbstractButton* m_archive = nullptr;
    std::unique_ptr<QPrinter> m_printer; // keeps the user's printer between reports

    QList<LogRecord> m_records;
    QList<RunSummary> m_runs;
    QList<RunSample> m_samples; // of the selected run
    QString m_sourceName;
    QString m_noticeText;
    QString m_pumpSerial;
    QString m_pumpModel;
    bool m_archiveAvailable = false;
};
