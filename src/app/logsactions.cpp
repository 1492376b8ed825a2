#include "app/logsactions.h"

#include "app/archivedialog.h"
#include "app/capturememoview.h"
#include "app/loggrid.h"
#include "app/logspage.h"
#include "app/moduleloader.h"
#include "app/printermodule.h"
#include "app/runspage.h"
#include "core/controlnames.h"
#include "logs/logfiles.h"
#include "logs/samplearchive.h"
#include "protocol/downloadarchiving.h"
#include "protocol/memorysequences.h"
#include "protocol/pumpsession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>

namespace {

constexpr int kNoticeMs = 15000;

} // namespace

LogsActions::LogsActions(LogsHost& host, LogsPage& page, QObject* parent)
    : QObject(parent), m_host(host), m_session(host.session()), m_page(page),
      m_download(host.session()) {
    askFileName = [this](FileDialog which, FileChosen chosen) {
        askFileNameWithDialog(which, std::move(chosen));
    };
    askPrinter = [this](PrinterChosen chosen) { askPrinterWithDialog(std::move(chosen)); };

    m_page.grid()->setLogModel(&m_download.table());
    connect(&m_download, &LogDownload::changed, this,
            [this](const UiChanges& changes) { m_host.apply(changes); });
    connect(&m_download, &LogDownload::messageRequested, this, [this](const QString& text) {
        m_host.showMessage(text);
        // A download that did not end with "Done ok" also says so below,
        // where it stays readable after the box is closed.
        if (text != LogDownload::kCompleted)
            m_host.showStatus(text);
    });
    connect(&m_download, &LogDownload::memoReplaced, this, [this] {
        m_page.memoView()->reload();
        // The pump's printout replaced the memo: a download nobody saved yet.
        if (m_download.running()) {
            m_openedFile.clear();
            m_memoIsDownload = true;
            m_lastDownloadUnsaved = true;
        }
    });
    connect(&m_download, &LogDownload::started, this, [this] {
        m_downloadStartedAt = QDateTime::currentDateTimeUtc();
        m_lastDownloadArchived = false;
        downloadRunning(true);
    });
    connect(&m_download, &LogDownload::finished, this, [this](LogDownload::Outcome outcome) {
        m_downloadSerial = m_session.state().serialNumber;
        downloadRunning(false);
        keepInArchive(outcome);
        showDownloadRuns(outcome);
        // While reading, "Read Logs From KST" was disabled and the focus
        // moved on along the page, onto "Clear PC Screen": one Enter or Space
        // there would wipe the fresh download. Give it back to the button
        // that started the download once that is enabled again.
        QMetaObject::invokeMethod(
            this,
            [this] {
                QWidget* focus = m_host.dialogParent()->focusWidget();
                QWidget* read = m_page.readLogsButton();
                if (read->isEnabled() && (!focus || m_page.isAncestorOf(focus)))
                    read->setFocus(Qt::OtherFocusReason);
            },
            Qt::QueuedConnection);
    });
    if (RunsPage* runs = m_host.runsPage()) {
        runs->setArchiveAvailable(m_host.archive() != nullptr);
        connect(runs, &RunsPage::archiveRequested, this, &LogsActions::showArchive);
    }

    connect(&m_page, &LogsPage::readLogsRequested, this, &LogsActions::readLogs);
    connect(&m_page, &LogsPage::stopReadingRequested, this, &LogsActions::stopReading);
    connect(&m_page, &LogsPage::saveLogsRequested, this, &LogsActions::saveLogs);
    connect(&m_page, &LogsPage::openLogRequested, this, &LogsActions::openLog);
    connect(&m_page, &LogsPage::printLogsRequested, this, &LogsActions::printLogs);
    connect(&m_page, &LogsPage::clearPcScreenRequested, this, &LogsActions::clearPcScreen);
    connect(&m_page, &LogsPage::eraseLogsRequested, this, &LogsActions::eraseLogs);
}

LogsActions::~LogsActions() = default;

void LogsActions::downloadRunning(bool on) {
    // Loading or emptying the memo under a running capture would mix the
    // printout with other lines; the stop button only means something now.
    UiChanges c;
    c.enabled.insert(Control::kStopReadingButton, on);
    c.enabled.insert(Control::kOpenLogButton, !on);
    c.enabled.insert(Control::kClearScreenButton, !on);
    m_host.apply(c);
}

void LogsActions::keepInArchive(LogDownload::Outcome outcome) {
    SampleArchive* archive = m_host.archive();
    if (!archive)
        return;
    const auto stored =
        archive->store(DownloadArchiving::describe(m_session.state(), m_session.memo(), outcome,
                                                   m_download.recordsRead(), m_downloadStartedAt));
    m_lastDownloadArchived = stored.ok();
    m_lastArchiveId = stored.ok() ? stored.value : 0;
    const QString notice =
        stored.ok() ? QStringLiteral("Download kept in the archive (#%1)").arg(stored.value)
                    : QStringLiteral("Download not archived: ") + stored.error;
    // A download cut short keeps its reason in front.
    const QString before =
        outcome == LogDownload::Outcome::Completed ? QString() : m_host.currentStatus();
    m_host.showStatus(before.isEmpty() ? notice : before + QStringLiteral(" - ") + notice);
}

void LogsActions::showDownloadRuns(LogDownload::Outcome outcome) {
    RunsPage* runs = m_host.runsPage();
    if (!runs)
        return;
    // The bytes the archive keeps, so the runs' SHA-256 is the archived one.
    const NewDownload d =
        DownloadArchiving::describe(m_session.state(), m_session.memo(), outcome,
                                    m_download.recordsRead(), m_downloadStartedAt);
    runs->showLog(
        d.bytes,
        QStringLiteral("Download of %1")
            .arg(d.downloadedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
        d.pumpSerial, d.pumpModel);
}

void LogsActions::showArchive() {
    SampleArchive* archive = m_host.archive();
    if (!archive)
        return;
    if (!m_archiveDialog) {
        m_archiveDialog = new ArchiveDialog(*archive, m_host.dialogParent());
        m_archiveDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_archiveDialog, &ArchiveDialog::openRequested, this, &LogsActions::openArchived);
    }
    m_archiveDialog->show();
    m_archiveDialog->raise();
    m_archiveDialog->activateWindow();
}

ArchiveDialog* LogsActions::archiveDialog() const {
    return m_archiveDialog;
}

bool LogsActions::openArchived(const ArchivedDownload& download) {
    if (m_download.running()) {
        m_host.showStatus(
            QStringLiteral("An archived download can be opened once reading logs has ended"),
            kNoticeMs);
        return false;
    }
    const bool whole = m_session.memo().setFromFileBytes(download.bytes);
    m_memoIsDownload = false;
    m_page.memoView()->reload();
    if (RunsPage* runs = m_host.runsPage())
        runs->showLog(download.bytes, QStringLiteral("Archived download #%1").arg(download.id),
                      download.pumpSerial, download.pumpModel);
    m_host.showStatus(
        QStringLiteral("Archived download #%1 opened (%2 lines%3)")
            .arg(download.id)
            .arg(m_session.memo().lineCount())
            .arg(whole ? QString() : QStringLiteral(", the rest left out: the log screen is full")),
        kNoticeMs);
    return true;
}

void LogsActions::readLogs() {
    // Refused while busy or without an open port; the session says why.
    m_download.start();
}

void LogsActions::stopReading() {
    m_download.stop();
}

void LogsActions::clearScreen() {
    if (m_download.running())
        return;
    m_download.clearScreen();
    m_memoIsDownload = false;
    m_openedFile.clear();
}

void LogsActions::clearPcScreen() {
    m_download.clearPcScreen();
    m_memoIsDownload = false;
    m_openedFile.clear();
}

// ---- files ----

LogsActions::OnClose LogsActions::onClose() const {
    if (!m_lastDownloadUnsaved || !m_memoIsDownload || m_session.memo().lineCount() == 0)
        return OnClose::NothingLost;
    return m_lastDownloadArchived ? OnClose::Archived : OnClose::Unsaved;
}

QString LogsActions::suggestedPath(FileDialog which) const {
    QString folder = m_session.state().LogFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    if (which == FileDialog::Open)
        return folder;
    QString name;
    if (!m_openedFile.isEmpty())
        name = QFileInfo(m_openedFile).fileName();
    else
        name = LogFiles::suggestedName(m_memoIsDownload ? m_downloadSerial
                                                        : m_session.state().serialNumber,
                                       QDate::currentDate());
    return QDir(folder).filePath(name);
}

void LogsActions::saveLogs() {
    saveLogsThen({});
}

void LogsActions::saveLogsThen(std::function<void(bool saved)> done) {
    QPointer<LogsActions> self(this);
    askFileName(FileDialog::Save, [self, done = std::move(done)](const QString& chosen) {
        bool saved = false;
        if (self && !chosen.isEmpty()) {
            // A name typed without a suffix is saved as a .csv log file.
            const QString path = LogFiles::withDefaultSuffix(chosen);
            self->m_session.state().LogFolder = QFileInfo(path).absolutePath();
            saved = self->saveTo(path);
        }
        if (done)
            done(saved);
    });
}

void LogsActions::openLog() {
    QPointer<LogsActions> self(this);
    askFileName(FileDialog::Open, [self](const QString& path) {
        if (!self || path.isEmpty())
            return;
        self->m_session.state().LogFolder = QFileInfo(path).absolutePath();
        self->openFile(path);
    });
}

bool LogsActions::saveTo(const QString& path) {
    const LogFiles::Result r = LogFiles::save(m_session.memo(), path);
    if (!r.ok) {
        m_host.showMessage(r.message);
        return false;
    }
    if (m_memoIsDownload) {
        m_downloadSaved = true;
        m_lastDownloadUnsaved = false;
    }
    m_host.showStatus(QStringLiteral("Logs saved to %1 (%2 lines)")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(m_session.memo().lineCount()),
                      kNoticeMs);
    return true;
}

bool LogsActions::openFile(const QString& path) {
    if (m_download.running()) {
        m_host.showStatus(QStringLiteral("A log file can be opened once reading logs has ended"),
                          kNoticeMs);
        return false;
    }
    // A large file takes a moment to read and to show.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto normal = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const LogFiles::Result r = LogFiles::load(m_session.memo(), path);
    if (!r.ok) {
        m_host.showMessage(r.message);
        return false;
    }
    m_memoIsDownload = false;
    m_openedFile = path;
    m_page.memoView()->reload();
    if (RunsPage* runs = m_host.runsPage())
        runs->showFile(path);
    // What is on screen now is the file: saving and printing act on it,
    // also after "Clear PC Screen" had switched them off.
    UiChanges c;
    c.enabled.insert(Control::kSaveLogsButton, true);
    c.enabled.insert(Control::kPrintLogsButton, true);
    m_host.apply(c);
    // Loaded, but not all of it: say what was left out.
    if (!r.message.isEmpty())
        m_host.showMessage(r.message);
    m_host.showStatus(QStringLiteral("Log file %1 opened (%2 lines)")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(m_session.memo().lineCount()),
                      kNoticeMs);
    return true;
}

void LogsActions::askFileNameWithDialog(FileDialog which, FileChosen chosen) {
    const bool save = which == FileDialog::Save;
    const LogFiles::DialogFilters filters =
        LogFiles::qtFilters(save ? LogFiles::kSaveFilters : LogFiles::kOpenFilters);
    auto* dialog = new QFileDialog(m_host.dialogParent(), LogFiles::kDialogTitle);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList names = filters.filters;
    QString selected = filters.selected;
    if (!save) {
        // Corvane saves .csv files and has always opened .tlx ones: offered
        // together first, so a file just saved shows up when opening.
        names << LogFiles::kBothLogFilesFilter;
        selected = LogFiles::kBothLogFilesFilter;
    }
    dialog->setNameFilters(names);
    dialog->selectNameFilter(selected);
    // Starts in the folder used last, offering a name when saving; a name
    // typed without a suffix gets ".csv" before the dialog checks whether
    // it replaces a file.
    const QString start = suggestedPath(which);
    if (save) {
        dialog->setDirectory(QFileInfo(start).absolutePath());
        dialog->selectFile(QFileInfo(start).fileName());
        dialog->setDefaultSuffix(QStringLiteral("csv"));
    } else {
        dialog->setDirectory(start);
    }
    // Replacing an existing file is confirmed in the dialog, as it is by
    // default; DontConfirmOverwrite stays off.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [dialog, chosen = std::move(chosen)](int result) {
        chosen(result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString());
    });
    dialog->open();
}

// ---- printing ----

void LogsActions::printLogs() {
    if (m_session.memo().lineCount() == 0) {
        m_host.showStatus(QStringLiteral("The log screen is empty: there is nothing to print"),
                          kNoticeMs);
        return;
    }
    QPointer<LogsActions> self(this);
    askPrinter([self](QPrinter* printer) {
        if (self && printer)
            self->printOn(*printer);
    });
}

void LogsActions::askPrinterWithDialog(PrinterChosen chosen) {
    PrinterModule* printing = printerModule();
    if (!printing)
        return;
    if (!m_printer)
        m_printer.reset(printing->newPrinter());
    // The copies count; a page range would not be used.
    QDialog* dialog = printing->printDialog(m_printer.get(), m_host.dialogParent(), true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QPrinter* printer = m_printer.get();
    connect(dialog, &QDialog::finished, this, [printer, chosen = std::move(chosen)](int result) {
        chosen(result == QDialog::Accepted ? printer : nullptr);
    });
    dialog->open();
}

PrinterModule* LogsActions::printerModule() {
    QString error;
    auto* printing = ModuleLoader::load<PrinterModule>(QStringLiteral("corvane_printing"),
                                                       ModuleLoader::defaultDirs(), &error);
    if (!printing)
        m_host.showMessage(QStringLiteral("Printing is not available: %1").arg(error));
    return printing;
}

int LogsActions::printOn(QPrinter& printer) {
    PrinterModule* printing = printerModule();
    if (!printing)
        return -1;
    const PrinterFacts facts = printing->facts(printer);
    const CaptureMemo& memo = m_session.memo();
    // Where the printing system makes the copies itself (CUPS), one copy is
    // sent and it repeats it; otherwise (a PDF file) each copy is printed here.
    const int copies = LogPrint::copiesPrintedHere(facts.makesCopies, facts.copyCount);
    const QList<LogPrint::Page> pages = LogPrint::pages(memo.lineCount(), copies);
    if (pages.isEmpty())
        return 0;
    const QString& where = facts.where;
    const auto failed = [this, &where](const QString& why) {
        m_host.showMessage(QStringLiteral("The logs could not be printed on %1: %2")
                               .arg(where.isEmpty() ? QStringLiteral("the printer") : where, why));
        return -1;
    };
    QPainter painter;
    if (!painter.begin(&printer))
        return failed(QStringLiteral("the printer could not be started"));

    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(LogPrint::kPointSize);
    painter.setFont(font);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const QSizeF area = facts.pageArea;
    // Sixty lines always fit one page.
    const qreal pitch = LogPrint::linePitch(metrics.lineSpacing(), area.height());
    // A line wider than the paper is narrowed, not cut off: every character
    // of the record stays on paper.
    qreal widest = 0;
    for (int n = 1; n <= memo.lineCount(); ++n)
        widest = std::max(widest, metrics.horizontalAdvance(memo.line(n)));
    const qreal squeeze = widest > area.width() ? area.width() / widest : 1.0;

    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !static_cast<QPagedPaintDevice&>(printer).newPage()) {
            painter.end();
            return failed(QStringLiteral("a new page could not be started"));
        }
        const LogPrint::Page& page = pages[i];
        painter.save();
        painter.scale(squeeze, 1.0);
        for (int k = 0; k < page.count; ++k)
            painter.drawText(QPointF(0, k * pitch + metrics.ascent()),
                             memo.line(page.first + k + 1));
        painter.restore();
    }
    if (!painter.end() || printing->failed(printer))
        return failed(QStringLiteral("the printer reported an error"));
    m_host.showStatus(QStringLiteral("Logs printed on %1: %2 pages").arg(where).arg(pages.size()),
                      kNoticeMs);
    return int(pages.size());
}

// ---- the pump's memory ----

QString LogsActions::unsavedWarning() const {
    if (!m_downloadSaved)
        return kNothingSavedYet;
    if (m_lastDownloadUnsaved)
        return kLastNotSaved;
    return {};
}

QString LogsActions::eraseLogsQuestion() const {
    const QString warning = unsavedWarning();
    return QStringLiteral("Erase every log held in the pump?") +
           (warning.isEmpty() ? QString() : QStringLiteral("\n\n") + warning);
}

QString LogsActions::clearSamplingDataQuestion() const {
    const QString warning = unsavedWarning();
    return QStringLiteral("Clear all sampling data in the pump?") +
           (warning.isEmpty() ? QString() : QStringLiteral("\n\n") + warning);
}

void LogsActions::eraseLogs() {
    QPointer<LogsActions> self(this);
    m_host.askQuestion(eraseLogsQuestion(), [self](bool yes) {
        // "No" sends nothing. "Yes" is refused like any command while busy
        // or without an open port (the session says why).
        if (self && yes)
            self->m_session.run(MemorySequences::eraseLogs());
    });
}

void LogsActions::clearSamplingData() {
    QPointer<LogsActions> self(this);
    m_host.askQuestion(clearSamplingDataQuestion(), [self](bool yes) {
        if (self && yes)
            self->m_session.run(MemorySequences::clearSamplingData());
    });
}
