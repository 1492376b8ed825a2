// frmmain: the one window, a face of the PumpSession. It owns the five pages,
// shows what the session hands out (UiChanges, message boxes, busy and port
// state) and forwards the user's actions to it; it never writes to the port.
// How a line travels from the port to the screen:
//   SerialLink -> PumpLink -> ResponseDispatcher (line steps, decoders in the
//   core) -> UiChanges -> PumpSession::changed -> MainWindow::apply.
// Message boxes asked for while a line is handled open only after the receive
// handling has returned, so received lines are never handled out of order.
#pragma once

#include "app/logshost.h"
#include "config/windowplacement.h"
#include "core/appstate.h"
#include "core/uichanges.h"
#include "link/serialdevices.h"
#include "protocol/pumpsession.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class QDateTime;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QTabWidget;
class AboutDialog;
namespace ConfigSequences {
enum class ProgramButton;
}
class CommunicationPage;
class LogsActions;
class LogsPage;
class PaintPacer;
class ProgramPage;
class RunModePage;
class RunsPage;
class SampleArchive;
class SetupPage;

class MainWindow : public QMainWindow, public LogsHost {
    Q_OBJECT
public:
    struct Options {
        QString iniPath;       // corvane.INI in use
        bool demo = false;     // a simulated pump stands behind the port
        QString placementPath; // window placement file; empty: the per-user store
        // The clock the sequences' pauses are timed on; null: the PC's.
        const WaitClock* waitClock = nullptr;
        // Where every download that ends is kept (owned by the application);
        // null: nowhere.
        SampleArchive* archive = nullptr;
        // The serial devices the "Pump Communication" page offers; null:
        // the system's list.
        const SerialDevices* serialDevices = nullptr;
    };

    // The window on a session its owner keeps (as main() does); the session
    // must outlive the window. Options::waitClock is then the session's.
    MainWindow(PumpSession& session, Options options, QWidget* parent = nullptr);
    // The window with a session of its own on `link`, timed on
    // Options::waitClock.
    MainWindow(AppState& state, SerialLink& link, Options options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // SelectPort: the user (or the settings load) chose Option7(index).
    void selectPort(int index);

    // Applies what handling a line (or an action) changed.
    void apply(const UiChanges& changes) override;
    // Shows a message box with an OK button once the current handling has
    // returned; `closed` runs when the user closed it. Boxes never stack.
    void showMessage(const QString& text, std::function<void()> closed = {}) override;
    // Message boxes waiting to be opened, oldest first (for tests).
    QStringList pendingMessages() const;
    // Closes the open message box as if OK were pressed (for tests).
    bool acceptMessage();
    // The box with this text closes (or is not opened) without its OK.
    void dismissMessage(const QString& text);
    // A question with "Yes" and "No" ("No" the default, Escape answers it),
    // window-modal and queued with the message boxes; `answered` runs with
    // the answer once it is closed.
    void askQuestion(const QString& text, std::function<void(bool yes)> answered) override;

    // Closes as close() does, but a settings file that cannot be saved is
    // told on standard error only: nobody may be there to answer a box
    // (SIGTERM at logout).
    void closeUnattended();

    PumpSession& session() override { return m_session; }
    SampleArchive* archive() const override { return m_options.archive; }
    void showStatus(const QString& text, int timeoutMs = 0) override;
    QString currentStatus() const override;
    QWidget* dialogParent() override { return this; }
    // The log buttons' work: download, files, printing, clearing, erasing.
    LogsActions& logsActions() { return *m_logsActions; }
    // Shows a log file in the memo as "Open Log" does, on the Logs page
    // (`corvane FILE`); a file that cannot be loaded is reported in a box.
    bool showLogFile(const QString& path);
    SetupPage* setupPage() const { return m_setup; }
    RunModePage* runModePage() const { return m_runMode; }
    LogsPage* logsPage() const { return m_logs; }
    PaintPacer* paintPacer() const { return m_paintPacer; }
    CommunicationPage* communicationPage() const { return m_communication; }
    ProgramPage* programPage() const { return m_program; }
    RunsPage* runsPage() const override { return m_runs; }
    // Builds every page not yet shown, as its first show would.
    void buildPages();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A session with the clock it is timed on, for the window that owns one.
    struct OwnedSession {
        OwnedSession(AppState& state, SerialLink& link, const WaitClock* clock)
            : session(state, link, clock ? *clock : systemClock) {}
        SystemWaitClock systemClock;
        PumpSession session;
    };
    MainWindow(std::unique_ptr<OwnedSession> owned, PumpSession* session, Options options,
               QWidget* parent);

    void buildWindow();
    // The setup and program pages, the pump clock and the program buttons:
    // each widget notification goes to the editor rules or the session
    // (mainwindow_config.cpp).
    void connectConfiguration();
    void connectEditor();
    void runProgram(ConfigSequences::ProgramButton button);
    void sendClock(const QDateTime& at);
    // Form_Load: the stored settings (the stored port is selected, which
    // opens it), the window's placement, the first page and the pickers.
    void loadSettingsAndOpenPort();
    void loadSettings();
    // Saves the settings; empty when saved, otherwise why not (also on the
    // status bar while the window is open).
    QString saveSettings();
    void showAbout();
    // File menu items that press a Logs page button (Open, Save, Print).
    void addLogsMenuItems(QMenu* file);
    // Shortcuts for the pages and the main buttons, leaving captions as they are.
    void addPageKeys();
    void addButtonKeys();
    void prepareControls();
    bool pagesUnbuilt() const;
    void pageBuilt();
    // The close question when the newest download is kept nowhere else, or
    // the note that it is in the archive; the window closes once answered.
    void askBeforeClosing(int lost);
    void showNextMessage();
    // The window's element of that objectName, or null (warned once).
    QWidget* element(const QString& name);
    void updatePortTips();
    void setBusy(bool busy);
    // Puts the wait cursor up or down, pacing the window with it.
    void showBusy(bool busy);
    // Captions and bar values written while paced, applied at the end of
    // each interval.
    void applyPending();

    std::unique_ptr<OwnedSession> m_ownedSession; // null: the session is main()'s
    PumpSession& m_session;
    AppState& m_state;
    Options m_options;
    SystemSerialDevices m_systemDevices;
    WindowPlacementStore m_placement;

    // Guarded: a dialog's controls go with the dialog.
    QHash<QString, QPointer<QWidget>> m_elements;
    QSet<QString> m_unknownNames; // warned about once
    UiChanges m_deferred;         // for controls of pages not built yet
    QTabWidget* m_tabs = nullptr;
    SetupPage* m_setup = nullptr;
    RunModePage* m_runMode = nullptr;
    LogsPage* m_logs = nullptr;
    CommunicationPage* m_communication = nullptr;
    ProgramPage* m_program = nullptr;
    RunsPage* m_runs = nullptr;
    QLabel* m_portStatus = nullptr;
    PaintPacer* m_paintPacer = nullptr; // paces painting while the pump is busy
    QHash<QLabel*, QString> m_pendingCaptions;
    QHash<QProgressBar*, int> m_pendingBars;
    QPushButton* m_clearScreen = nullptr; // CommandButton11
    QPushButton* m_eraseLogs = nullptr;   // CommandButton14
    QPushButton* m_sendToKst = nullptr;   // CommandButton13
    QPointer<AboutDialog> m_about;

    struct Message {
        QString text;
        std::function<void()> closed;
        std::function<void(bool)> answered; // set: a Yes/No question
    };
    QList<Message> m_messages;
    QMessageBox* m_openBox = nullptr;
    QString m_openText;
    // The session holds the pump busy around each poll's write and lets go
    // before the event loop runs again: a cursor put up for that is never
    // seen. Outside a sequence or a download the wait cursor goes up at the
    // next turn of the event loop, when the pump is still held then.
    bool m_busyWanted = false;
    bool m_busyShown = false;
    bool m_busyQueued = false;
    bool m_closing = false;
    bool m_closeAgreed = false; // the unsaved download was saved, discarded or is archived
    bool m_exitChosen = false;  // the close comes from File > Exit
    QPointer<QMessageBox> m_closeQuestion;
    bool m_unattended = false; // closing on a signal: no box to answer

    // After the session: a download in progress gives the session back first.
    std::unique_ptr<LogsActions> m_logsActions;
};
