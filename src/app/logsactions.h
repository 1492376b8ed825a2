// What the log buttons do on the window: "Read Logs From KST" and its stop,
// "Save Logs", "Open Log", "Print Logs", "Clear Screen", "Clear PC Screen",
// and the three buttons that empty the pump's memory. The download, the
// files and the erase sequences are the core's; this class only opens the
// dialogs and questions, hands the answers on and shows what comes back.
// Nothing here writes to the port except through the session.
#pragma once

#include "app/logshost.h"
#include "protocol/logdownload.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class ArchiveDialog;
struct ArchivedDownload;
class LogsPage;
class PrinterModule;
class PumpSession;
class QPrinter;

class LogsActions : public QObject {
    Q_OBJECT
public:
    enum class FileDialog { Save, Open };
    // The chosen file; empty when the dialog was cancelled.
    using FileChosen = std::function<void(const QString& path)>;
    // The printer set up in the dialog; null when it was cancelled.
    using PrinterChosen = std::function<void(QPrinter* printer)>;

    static inline const QString kNothingSavedYet =
        QStringLiteral("No download has been saved since Corvane started: the pump's logs exist "
                       "nowhere else.");
    static inline const QString kLastNotSaved =
        QStringLiteral("The last download has not been saved: the pump's newest logs may exist "
                       "nowhere else.");

    LogsActions(LogsHost& host, LogsPage& page, QObject* parent = nullptr);
    ~LogsActions() override;

    // What closing the window would lose of the newest download.
    enum class OnClose {
        NothingLost, // saved to a file, cleared away, or there was none
        Archived,    // not saved to a file, but kept in the sample archive
        Unsaved,     // on screen only: the pump's logs exist nowhere else
    };

    LogDownload& download() { return m_download; }
    OnClose onClose() const;
    // The archive's number for the newest download (when it was archived).
    qint64 lastArchiveId() const { return m_lastArchiveId; }
    // Whether the newest download is kept in the sample archive (then a
    // window closed without saving it loses nothing).
    bool lastDownloadArchived() const { return m_lastDownloadArchived; }

    // The file and printer dialogs, opened window-modal; the answer comes to
    // the continuation. Tests put their own answers here.
    std::function<void(FileDialog, FileChosen)> askFileName;
    std::function<void(PrinterChosen)> askPrinter;

    void readLogs();    // CommandButton7
    void stopReading(); // "Stop Reading" on Frame6
    void saveLogs();    // CommandButton8
    // "Save Logs" with a continuation: `done` runs with whether a file was
    // written (false when the dialog was cancelled or the save failed).
    void saveLogsThen(std::function<void(bool saved)> done);
    void openLog();           // CommandButton10
    void printLogs();         // CommandButton9
    void clearScreen();       // CommandButton11
    void clearPcScreen();     // CommandButton28
    void eraseLogs();         // CommandButton14, CommandButton25
    void clearSamplingData(); // CommandButton4

    // Where the file dialog starts: the folder used last and, for saving,
    // the name offered (the opened file's own name, otherwise
    // "pump-SERIAL-YYYYMMDD.csv" for today).
    QString suggestedPath(FileDialog which) const;

    // The memo to `path`; a failure is told in a box.
    bool saveTo(const QString& path);
    // The file into the memo, Grid1 unchanged; a failure, or a file only
    // partly loaded, is told in a box.
    bool openFile(const QString& path);
    // The memo on `printer`: 12 point, 60 lines a page, each copy from a new
    // page. The pages printed, or -1 when printing failed (told in a box).
    int printOn(QPrinter& printer);

    // "Archive..." on the Sampling Runs page: the archive's downloads, opened
    // once (a second click brings it to the front).
    void showArchive();
    ArchiveDialog* archiveDialog() const;
    // An archived download into the memo (Grid1 unchanged) and the Sampling
    // Runs page, as Open Log does with a file.
    bool openArchived(const ArchivedDownload& download);

    // The questions before the pump's memory is emptied, with the warning
    // when the downloaded logs are kept nowhere else.
    QString eraseLogsQuestion() const;
    QString clearSamplingDataQuestion() const;

private:
    QString unsavedWarning() const;
    // Stores the download that just ended in the archive; the status bar
    // says where it went or why not. The memo and the table stay as they are.
    void keepInArchive(LogDownload::Outcome outcome);
    // The runs of the download that just ended to the Sampling Runs page.
    void showDownloadRuns(LogDownload::Outcome outcome);
    void downloadRunning(bool on);
    void askFileNameWithDialog(FileDialog which, FileChosen chosen);
    void askPrinterWithDialog(PrinterChosen chosen);
    // The printing module, loaded on the first print; null (and the window
    // says why) when it cannot be loaded.
    PrinterModule* printerModule();

    LogsHost& m_host;
    PumpSession& m_session;
    LogsPage& m_page;
    LogDownload m_download;
    std::unique_ptr<QPrinter> m_printer; // keeps the user's printer between prints
    bool m_downloadSaved = false;        // some download was saved in this run
    bool m_lastDownloadUnsaved = false;  // the newest download was not saved yet
    bool m_memoIsDownload = false;       // the memo holds the newest download
    bool m_lastDownloadArchived = false;
    qint64 m_lastArchiveId = 0;
    QString m_downloadSerial; // the pump the newest download came from
    QString m_openedFile;     // the log file the memo holds, if it holds one
    QDateTime m_downloadStartedAt;
    QPointer<ArchiveDialog> m_archiveDialog;
};
