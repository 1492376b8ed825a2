#include "app/runspage.h"

#include "app/moduleloader.h"
#include "app/pagestyle.h"
#include "app/printermodule.h"
#include "app/runschart.h"
#include "logs/csvwriter.h"
#include "logs/logrecords.h"
#include "logs/samplearchive.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

namespace {

// A pump holds at most 999 entries; a file far larger is no pump's history
// (the same bound corvane-cli keeps).
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

QString figure(const std::optional<double>& v) {
    return v ? RunFormat::number(*v) : QString();
}

// The readings' names in the legend and on their check boxes, the boxes'
// object names, and which are shown at first; in RunsPage::Series order.
const struct {
    const char* name;
    const char* box;
    bool shown;
} kKinds[RunsPage::kSeriesCount] = {{"Flow (cc/min)", "ShowFlow", true},
                                    {"Battery (%)", "ShowBattery", true},
                                    {"Temperature (F)", "ShowTemperature", false},
                                    {"Barometric pressure (inHg)", "ShowBp", false},
                                    {"Differential pressure (inH2O)", "ShowDp", false}};

} // namespace

// The runs as table rows: the figures a technician scans for first.
class RunTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRuns(const QList<RunSummary>* runs) {
        beginResetModel();
        m_runs = runs;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !m_runs ? 0 : int(m_runs->size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(headers().size());
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole)
            return headers().value(section);
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!m_runs || !index.isValid() || index.row() >= m_runs->size())
            return {};
        const RunSummary& r = m_runs->at(index.row());
        if (role == Qt::TextAlignmentRole)
            return index.column() == 1 || index.column() == 2 || index.column() == 9
                       ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0:
            return r.run;
        case 1:
            return r.start;
        case 2:
            return r.stop.value_or(QString());
        case 3:
            return figure(r.samplingMinutes);
        case 4:
            return figure(r.volumeL);
        case 5:
            return figure(r.averageFlowCcMin);
        case 6:
            return r.holds;
        case 7:
            return int(r.faults.size());
        case 8:
            return figure(r.calDifferencePct);
        case 9:
            return RunFormat::flowCheckWords(r).section(QLatin1Char(':'), 0, 0);
        }
        return {};
    }

private:
    static const QStringList& headers() {
        static const QStringList h = {QStringLiteral("Run"),
                                      QStringLiteral("Start"),
                                      QStringLiteral("Stop"),
                                      QStringLiteral("Minutes"),
                                      QStringLiteral("Volume (L)"),
                                      QStringLiteral("Avg flow (cc/min)"),
                                      QStringLiteral("Holds"),
                                      QStringLiteral("Faults"),
                                      QStringLiteral("Check diff (%)"),
                                      QStringLiteral("Flow check")};
        return h;
    }
    const QList<RunSummary>* m_runs = nullptr;
};

RunsPage::RunsPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RunsPage"));
    m_model = new RunTableModel(this);
    m_model->setRuns(&m_runs);

    moduleDirs = ModuleLoader::defaultDirs();
    askCsvFile = [this](FileChosen chosen) {
        auto* dialog = new QFileDialog(this, QStringLiteral("Export runs as CSV"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setNameFilters(
            {QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*)")});
        dialog->setDefaultSuffix(QStringLiteral("csv"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::WindowModal);
        connect(dialog, &QDialog::finished, this, [dialog, chosen](int result) {
            chosen(result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString());
        });
        dialog->open();
    };
    askPrinter = [this](PrinterChosen chosen) {
        PrinterModule* printing = printerModule();
        if (!printing)
            return;
        if (!m_printer)
            m_printer.reset(printing->newPrinter());
        // "Print to File" writes the PDF.
        QDialog* dialog = printing->printDialog(m_printer.get(), this, false);
        dialog->setWindowTitle(QStringLiteral("Sample Report"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowModality(Qt::WindowModal);
        QPrinter* printer = m_printer.get();
        connect(dialog, &QDialog::finished, this, [printer, chosen](int result) {
            chosen(result == QDialog::Accepted ? printer : nullptr);
        });
        dialog->open();
    };
}

RunsPage::~RunsPage() = default;

void RunsPage::build() {
    if (m_table)
        return;
    m_source = new QLabel(this);
    m_source->setObjectName(QStringLiteral("RunsSource"));
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("RunsTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &RunsPage::runSelected);

    m_check = new QLabel(this);
    m_check->setObjectName(QStringLiteral("FlowCheck"));
    QFont bold = m_check->font();
    bold.setBold(true);
    m_check->setFont(bold);
    m_check->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_events = new QListWidget(this);
    m_events->setObjectName(QStringLiteral("RunEvents"));

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(new QLabel(QStringLiteral("Show:"), this));
    for (int i = 0; i < kSeriesCount; ++i) {
        m_shown[i] = new QCheckBox(QString::fromLatin1(kKinds[i].name), this);
        m_shown[i]->setObjectName(QLatin1String(kKinds[i].box));
        m_shown[i]->setChecked(kKinds[i].shown);
        connect(m_shown[i], &QCheckBox::toggled, this, &RunsPage::updateChart);
        boxes->addWidget(m_shown[i]);
    }
    boxes->addStretch(1);
    // The chart itself (Qt Charts: a graphics scene, axes, legend) is loaded
    // and built when the page is first shown: most starts never open this page.
    m_chartHolder = new QWidget(this);
    m_chartHolder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_chartHolder->setMinimumHeight(220);
    auto* holderLayout = new QVBoxLayout(m_chartHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);

    auto* report = new QPushButton(QStringLiteral("Sample Report..."), this);
    report->setObjectName(QStringLiteral("SampleReport"));
    report->setToolTip(QStringLiteral("Print the selected run's sample report, or save it as PDF"));
    auto* csv = new QPushButton(QStringLiteral("Export CSV..."), this);
    csv->setObjectName(QStringLiteral("ExportRunsCsv"));
    csv->setToolTip(QStringLiteral("Save the runs' summaries as CSV for a spreadsheet"));
    auto* archive = new QPushButton(QStringLiteral("Archive..."), this);
    archive->setObjectName(QStringLiteral("OpenArchive"));
    archive->setToolTip(QStringLiteral("Every download kept by Corvane, by pump and date"));
    m_report = report;
    m_csv = csv;
    m_archive = archive;
    connect(report, &QPushButton::clicked, this, &RunsPage::sampleReport);
    connect(csv, &QPushButton::clicked, this, &RunsPage::exportCsv);
    connect(archive, &QPushButton::clicked, this, &RunsPage::archiveRequested);
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("RunsNotice"));
    m_notice->setWordWrap(true);

    auto* details = new QWidget(this);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(m_check);
    detailsLayout->addLayout(boxes);
    auto* lower = new QHBoxLayout;
    lower->addWidget(m_chartHolder, 3);
    auto* eventsBox = new QVBoxLayout;
    eventsBox->addWidget(new QLabel(QStringLiteral("Holds and faults:"), this));
    eventsBox->addWidget(m_events, 1);
    lower->addLayout(eventsBox, 1);
    detailsLayout->addLayout(lower, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(details);
    split->setStretchFactor(1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(report);
    buttons->addWidget(csv);
    buttons->addStretch(1);
    buttons->addWidget(archive);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_source);
    layout->addWidget(split, 1);
    layout->addWidget(m_notice);
    layout->addLayout(buttons);

    showRuns();
    PageStyle::showNewControls(this);
}

void RunsPage::showEvent(QShowEvent* event) {
    build();
    buildChart();
    QWidget::showEvent(event);
}

void RunsPage::buildChart() {
    if (m_chartTried)
        return;
    m_chartTried = true;
    QString error;
    auto* factory = ModuleLoader::load<RunsChartFactory>(QStringLiteral("corvane_runschart"),
                                                         moduleDirs, &error);
    if (!factory) {
        // The runs, their figures, reports and exports work without it.
        m_chartNote =
            new QLabel(QStringLiteral("The chart cannot be shown: %1").arg(error), m_chartHolder);
        m_chartNote->setObjectName(QStringLiteral("RunChartNote"));
        m_chartNote->setAlignment(Qt::AlignCenter);
        m_chartNote->setWordWrap(true);
        m_chartHolder->layout()->addWidget(m_chartNote);
        m_chartNote->show();
        return;
    }
    m_chart = factory->create(m_chartHolder);
    m_chartHolder->layout()->addWidget(m_chart);
    // Shown now, with the page, not at the next turn of the event loop.
    m_chart->show();
    // The run selected before the page was first shown.
    updateChart();
}

QList<QPointF> RunsPage::chartPoints(Series which) const {
    return m_chart ? m_chart->points(which) : QList<QPointF>();
}

void RunsPage::showLog(const QByteArray& bytes, const QString& source, const QString& pumpSerial,
                       const QString& pumpModel) {
    m_records = LogRecords::fromFileBytes(bytes);
    m_runs = splitRuns(m_records, bytes.isEmpty() ? QString() : SampleArchive::sha256(bytes));
    m_sourceName = source;
    m_pumpSerial = pumpSerial;
    m_pumpModel = pumpModel;
    m_model->setRuns(&m_runs);
    m_noticeText.clear();
    // A page not shown yet shows these runs when it is first shown.
    if (m_table)
        showRuns();
}

void RunsPage::showRuns() {
    if (m_sourceName.isEmpty())
        m_source->setText(
            QStringLiteral("No log yet: read the pump's logs, open a log file or an archived "
                           "download."));
    else
        m_source->setText(
            QStringLiteral("%1: %2 sampling run(s)").arg(m_sourceName).arg(m_runs.size()));
    m_notice->setText(m_noticeText);
    // The newest run is the one most often wanted.
    selectRun(int(m_runs.size()) - 1);
    if (m_runs.isEmpty())
        runSelected();
}

bool RunsPage::showFile(const QString& path) {
    QFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        showLog({}, {});
        notice(QStringLiteral("The runs of %1 cannot be shown: %2")
                   .arg(name, file.isOpen() ? QStringLiteral("the file is too large")
                                            : file.errorString()));
        return false;
    }
    showLog(file.read(kMaxFileBytes), QFileInfo(path).fileName());
    return true;
}

void RunsPage::setArchiveAvailable(bool available) {
    m_archiveAvailable = available;
    updateButtons();
}

int RunsPage::selectedRun() const {
    if (!m_table)
        return -1;
    const QModelIndex i = m_table->selectionModel()->currentIndex();
    return i.isValid() && i.row() < m_runs.size() ? i.row() : -1;
}

void RunsPage::selectRun(int index) {
    if (!m_table || index < 0 || index >= m_runs.size())
        return;
    m_table->selectionModel()->setCurrentIndex(
        m_model->index(index, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void RunsPage::runSelected() {
    const int i = selectedRun();
    m_events->clear();
    if (i < 0) {
        m_samples.clear();
        m_check->clear();
    } else {
        const RunSummary& r = m_runs.at(i);
        m_samples = runSamples(m_records, r);
        m_check->setText(QStringLiteral("Flow check ") + RunFormat::flowCheckWords(r));
        const char* colour = r.flowCheck == RunSummary::FlowCheck::Pass   ? "#1b6e2a"
                             : r.flowCheck == RunSummary::FlowCheck::Fail ? "#b3261e"
                                                                          : "#5f5f5f";
        m_check->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(colour)));
        m_events->addItem(QStringLiteral("Holds: %1").arg(r.holds));
        if (r.faults.isEmpty())
            m_events->addItem(QStringLiteral("No faults"));
        for (const RunFault& f : r.faults)
            m_events->addItem(f.kind + QStringLiteral(" at ") + f.at);
    }
    updateChart();
    updateButtons();
}

void RunsPage::updateChart() {
    if (!m_chart)
        return; // built, and filled, when the page is first shown
    RunsChartContent content;
    for (int k = 0; k < kSeriesCount; ++k)
        content.lines.append(
            {QString::fromLatin1(kKinds[k].name), {}, m_shown[k]->isChecked(), k == Flow});
    for (const RunSample& s : m_samples) {
        const std::optional<double> values[kSeriesCount] = {s.flowCcMin, s.batteryPct,
                                                            s.temperatureF, s.bpInHg, s.dpInH2O};
        for (int k = 0; k < kSeriesCount; ++k)
            if (content.lines[k].shown && values[k] && std::isfinite(*values[k]) &&
                std::isfinite(s.elapsedMin))
                content.lines[k].points << QPointF(s.elapsedMin, *values[k]);
    }
    if (selectedRun() >= 0)
        content.title = QStringLiteral("Run %1").arg(selectedRun() + 1);
    m_chart->setContent(content);
}

void RunsPage::updateButtons() {
    if (!m_table)
        return;
    m_report->setEnabled(selectedRun() >= 0);
    m_csv->setEnabled(!m_runs.isEmpty());
    m_archive->setEnabled(m_archiveAvailable);
}

void RunsPage::notice(const QString& text) {
    m_noticeText = text;
    if (m_notice)
        m_notice->setText(text);
}

SampleReportInput RunsPage::reportInput() const {
    SampleReportInput in;
    const int i = selectedRun();
    if (i < 0)
        return in;
    in.run = m_runs.at(i);
    in.samples = m_samples;
    in.pumpSerial = m_pumpSerial;
    in.pumpModel = m_pumpModel;
    in.source = m_sourceName;
    in.printedAt = QDateTime::currentDateTime();
    return in;
}

bool RunsPage::exportCsvTo(const QString& path) {
    QByteArray text = Csv::row(RunFormat::keys());
    for (const RunSummary& r : m_runs)
        text += Csv::row(RunFormat::csvCells(r));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        notice(QStringLiteral("The runs could not be saved to %1: %2")
                   .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    notice(QStringLiteral("%1 run(s) saved to %2")
               .arg(m_runs.size())
               .arg(QDir::toNativeSeparators(path)));
    return true;
}

PrinterModule* RunsPage::printerModule() {
    QString error;
    auto* printing =
        ModuleLoader::load<PrinterModule>(QStringLiteral("corvane_printing"), moduleDirs, &error);
    if (!printing)
        notice(QStringLiteral("Printing is not available: %1").arg(error));
    return printing;
}

bool RunsPage::printReportOn(QPrinter& printer) {
    PrinterModule* printing = printerModule();
    if (!printing)
        return false;
    const QString where = printing->facts(printer).where;
    if (selectedRun() < 0 || !SampleReport::paint(printer, reportInput()) ||
        printing->failed(printer)) {
        notice(QStringLiteral("The sample report could not be printed on %1").arg(where));
        return false;
    }
    notice(
        QStringLiteral("Sample report of run %1 printed on %2").arg(selectedRun() + 1).arg(where));
    return true;
}

void RunsPage::sampleReport() {
    QPointer<RunsPage> self(this);
    askPrinter([self](QPrinter* printer) {
        if (self && printer)
            self->printReportOn(*printer);
    });
}

void RunsPage::exportCsv() {
    QPointer<RunsPage> self(this);
    askCsvFile([self](const QString& path) {
        if (self && !path.isEmpty())
            self->exportCsvTo(path);
    });
}
