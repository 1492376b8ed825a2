// frmmain: the one window. It owns the pump link, the receive handler and the
// capture memo, applies what the decoders return (UiChanges), and forwards the
// user's actions. How a line travels from the port to the screen:
//   SerialLink -> PumpLink::received -> ResponseDispatcher (line steps,
//   decoders in the core) -> UiChanges -> MainWindow::apply.
// Message boxes asked for while a line is handled open only after the receive
// handling has returned, so received lines are never handled out of order.
#pragma once

#include "config/windowplacement.h"
#include "core/appstate.h"
#include "core/uichanges.h"
#include "link/pumplink.h"
#include "logs/capturememo.h"
#include "protocol/pollcycle.h"
#include "protocol/responsedispatcher.h"
#include "protocol/waiter.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>

class QButtonGroup;
class QLabel;
class QTabWidget;
class CaptureMemoView;
class LogGrid;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        QString iniPath;       // corvane.INI in use
        bool demo = false;     // a simulated pump stands behind the port
        QString placementPath; // window placement file; empty: the per-user store
    };

    MainWindow(AppState& state, SerialLink& link, Options options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // SelectPort: the user (or the settings load) chose Option7(index).
    void selectPort(int index);
    void sendToPump(const QString& text) { m_link.sendToPump(text); }
    void waitSeconds(double n) { m_waiter.waitSeconds(n); }

    // Applies what handling a line (or an action) changed.
    void apply(const UiChanges& changes);
    // Shows a message box with an OK button once the current handling has
    // returned; `closed` runs when the user closed it. Boxes never stack.
    void showMessage(const QString& text, std::function<void()> closed = {});
    // Message boxes waiting to be opened, oldest first (for tests).
    QStringList pendingMessages() const;
    // Closes the open message box as if OK were pressed (for tests).
    bool acceptMessage();

    PumpLink& pumpLink() { return m_link; }
    CaptureMemo& captureMemo() { return m_memo; }
    QTimer& timer1() { return m_timer1; }
    PollCycle& pollCycle() { return m_poll; }
    // Timer1's tick, callable by tests.
    void pollTick() { onPollTick(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildSetupPage();
    QWidget* buildRunModePage();
    QWidget* buildLogsPage();
    QWidget* buildCommunicationPage();
    QWidget* buildProgramPage();
    void formLoad();
    void connectControls();
    void loadSettings();
    void saveSettings();
    void onPollTick();
    void runPollStep(const PollStep& step);
    void onReceived(const QByteArray& bytes);
    void showNextMessage();
    // The window's element of that objectName, or null.
    QWidget* element(const QString& name);
    void updatePortTips();
    void setBusy(bool busy);

    AppState& m_state;
    Options m_options;
    PumpLink m_link;
    CaptureMemo m_memo;
    ResponseDispatcher m_dispatcher;
    SystemWaitClock m_clock;
    Waiter m_waiter;
    QTimer m_timer1;
    PollCycle m_poll;
    WindowPlacementStore m_placement;

    QHash<QString, QWidget*> m_elements;
    QTabWidget* m_tabs = nullptr;
    QButtonGroup* m_portGroup = nullptr;
    CaptureMemoView* m_memoView = nullptr;
    LogGrid* m_grid = nullptr;
    QLabel* m_portStatus = nullptr;

    struct Message {
        QString text;
        std::function<void()> closed;
    };
    QList<Message> m_messages;
    class QMessageBox* m_openBox = nullptr;
    bool m_closing = false;
};
