#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/capturememoview.h"
#include "app/communicationpage.h"
#include "app/datetimepicker.h"
#include "app/logsactions.h"
#include "app/logspage.h"
#include "app/paintpacer.h"
#include "app/pickernames.h"
#include "app/programpage.h"
#include "app/runmodepage.h"
#include "app/runspage.h"
#include "app/setuppage.h"
#include "app/updownbuttons.h"
#include "config/settingsstore.h"
#include "core/controlnames.h"
#include "protocol/pollcycle.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <tuple>
#include <utility>

namespace {
// An option button in an exclusive group (or an auto-exclusive one) cannot
// be unticked by itself: exclusivity is lifted for the call.
void setChecked(QAbstractButton* b, bool on) {
    if (b->isChecked() == on)
        return;
    if (on) {
        b->setChecked(true);
        return;
    }
    QButtonGroup* group = b->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = b->autoExclusive();
    if (groupExclusive)
        group->setExclusive(false);
    b->setAutoExclusive(false);
    b->setChecked(false);
    b->setAutoExclusive(autoExclusive);
    if (groupExclusive)
        group->setExclusive(true);
}
// A message box is as wide as its text, and "No Pump Found" is short: the
// window manager's title bar (icon, three buttons) then leaves too little
// room and cuts "Corvane" down to a few letters. The text is given a width
// that leaves the title room beside those buttons.
void keepTitleReadable(QMessageBox* box) {
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        const QFontMetrics fm(box->font());
        // Three title-bar buttons, an icon and the frame: some six squares
        // of two lines' height.
        const int decorations = 6 * 2 * fm.height();
        label->setMinimumWidth(fm.horizontalAdvance(box->windowTitle()) + decorations);
    }
}

// Keeps a menu item enabled exactly when the button it presses is.
class EnabledMirror : public QObject {
public:
    EnabledMirror(QWidget* button, QAction* action)
        : QObject(action), m_button(button), m_action(action) {
        button->installEventFilter(this);
        action->setEnabled(button->isEnabled());
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_button && event->type() == QEvent::EnabledChange)
            m_action->setEnabled(m_button->isEnabled());
        return false;
    }

private:
    QPointer<QWidget> m_button;
    QAction* m_action;
};

} // namespace

MainWindow::MainWindow(PumpSession& session, Options options, QWidget* parent)
    : MainWindow(nullptr, &session, std::move(options), parent) {}

MainWindow::MainWindow(AppState& state, SerialLink& link, Options options, QWidget* parent)
    : MainWindow(std::make_unique<OwnedSession>(state, link, options.waitClock), nullptr, options,
                 parent) {}

MainWindow::MainWindow(std::unique_ptr<OwnedSession> owned, PumpSession* session, Options options,
                       QWidget* parent)
    : QMainWindow(parent), m_ownedSession(std::move(owned)),
      m_session(session ? *session : m_ownedSession->session), m_state(m_session.state()),
      m_options(std::move(options)),
      m_placement(m_options.placementPath.isEmpty()
                      ? WindowPlacementStore()
                      : WindowPlacementStore(m_options.placementPath)) {
    setObjectName(QStringLiteral("frmmain"));
    buildWindow();
    m_paintPacer = new PaintPacer(this);
    connect(m_paintPacer, &PaintPacer::settle, this, &MainWindow::applyPending);
    connect(m_paintPacer, &PaintPacer::settle, m_logs->memoView(), &CaptureMemoView::applyPending);

    connect(&m_session, &PumpSession::changed, this, &MainWindow::apply);
    connect(&m_session, &PumpSession::messageRequested, this, &MainWindow::showMessage);
    connect(&m_session, &PumpSession::messageDismissed, this, &MainWindow::dismissMessage);
    connect(&m_session, &PumpSession::cursorBusy, this, &MainWindow::setBusy);
    // A sequence or a download holds the pump past this turn of the event
    // loop: its wait cursor goes up at once.
    connect(&m_session, &PumpSession::busyChanged, this, [this](bool busy) {
        if (busy && m_busyWanted)
            showBusy(true);
    });
    connect(&m_session, &PumpSession::saveSettingsRequested, this, [this] { saveSettings(); });
    connect(&m_session, &PumpSession::portStatusChanged, this, [this](const QString& text) {
        m_portStatus->setText(m_options.demo ? QStringLiteral("Demo pump \u2014 ") + text : text);
    });
    connect(&m_session, &PumpSession::notice, this,
            [this](const QString& text) { statusBar()->showMessage(text, 15000); });
    m_session.dispatcher().onMemoWrite = [this](int position) {
        m_logs->memoView()->lineWritten(position);
    };
    // Before the settings load, so the pages' reactions follow what it sets.
    connectConfiguration();

    m_logsActions = std::make_unique<LogsActions>(*this, *m_logs);
    connect(m_clearScreen, &QAbstractButton::clicked, m_logsActions.get(),
            &LogsActions::clearScreen);
    connect(m_eraseLogs, &QAbstractButton::clicked, m_logsActions.get(), &LogsActions::eraseLogs);
    connect(m_program, &ProgramPage::clearSamplingDataRequested, m_logsActions.get(),
            &LogsActions::clearSamplingData);

    loadSettingsAndOpenPort();
    m_session.resumePolling();
}

MainWindow::~MainWindow() {
    // The session goes before the pages and any open box: from here on no
    // notification of theirs (a field losing focus as it is destroyed, a box
    // closing) may reach it.
    for (QObject* o : findChildren<QObject*>())
        o->disconnect(this);
    // A download cut by the close gives the session back as it is destroyed;
    // what the session says then must not reach this half-destroyed window.
    m_session.disconnect(this);
    // A session kept by main() outlives the window.
    m_session.dispatcher().onMemoWrite = nullptr;
    setBusy(false);
}

void MainWindow::buildWindow() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("vaTabPro1"));
    m_setup = new SetupPage;
    m_runMode = new RunModePage;
    m_logs = new LogsPage(m_session.memo());
    m_communication = new CommunicationPage;
    m_program = new ProgramPage;
    const struct {
        QWidget* page;
        const char* caption;
        const char* title;
    } pages[] = {{m_setup, "Setup Pump", "PROGRAM KST"},
                 {m_runMode, "Run Mode", "Real Time"},
                 {m_logs, "Logs", "Read Logs"},
                 {m_communication, "Pump Communication", "PC/Pump Setup"},
                 {m_program, "Program Pump", ""}};
    for (const auto& p : pages) {
        const int i = m_tabs->addTab(p.page, QString::fromLatin1(p.caption));
        m_tabs->setTabToolTip(i, QString::fromLatin1(p.title));
    }
    // After the pump's pages: the runs of the latest download or opened log.
    m_runs = new RunsPage;
    m_tabs->addTab(m_runs, QStringLiteral("Sampling Runs"));

    // Buttons of the window itself, outside the pages.
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_tabs, 1);
    auto* bar = new QHBoxLayout;
    for (const auto& [button, name, caption] :
         {std::tuple{&m_clearScreen, Control::kClearScreenButton, "Clear Screen"},
          std::tuple{&m_eraseLogs, Control::kEraseLogsButton, "Erase Logs"},
          std::tuple{&m_sendToKst, Control::kSendToKstButton, "Send to KST Pump"}}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), central);
        b->setObjectName(QString::fromLatin1(name));
        bar->addWidget(b);
        *button = b;
    }
    bar->addStretch();
    layout->addLayout(bar);
    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    addLogsMenuItems(file);
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Menu_exit"));
    connect(exit, &QAction::triggered, this, [this] {
        // "RUN_CLEAR" goes out as the window closes, just before the
        // closing one, and not at all when the close is called off.
        m_exitChosen = true;
        close();
    });
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About Corvane"));
    about->setObjectName(QStringLiteral("aboutcorvane"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);

    m_portStatus = new QLabel(this);
    m_portStatus->setObjectName(QStringLiteral("portStatus"));
    statusBar()->addWidget(m_portStatus, 1);
    connect(m_communication->portGroup(), &QButtonGroup::idClicked, this, &MainWindow::selectPort);
    connect(m_runMode, &RunModePage::refreshDisplayRequested, this,
            [this] { m_session.refreshDisplay(); });
    connect(m_runMode, &RunModePage::built, this, &MainWindow::pageBuilt);
    connect(m_communication, &CommunicationPage::built, this, &MainWindow::pageBuilt);
    connect(m_communication, &CommunicationPage::refreshPumpDataRequested, this,
            [this] { m_session.refreshPumpData(); });
    updatePortTips();
    addPageKeys();
    prepareControls();
}

void MainWindow::prepareControls() {
    PickerNames::apply([this](const char* name) { return element(QLatin1String(name)); });
    addButtonKeys();
    // What the window hides when no pump is attached keeps its place, so
    // closing "No Pump Found" (or a pump coming back) moves nothing under
    // the mouse, such as the port options below "Current Pump Data".
    AppState scratch;
    const UiChanges noPump = showNoPump(scratch);
    for (auto it = noPump.visible.cbegin(); it != noPump.visible.cend(); ++it)
        if (QWidget* w = element(it.key())) {
            QSizePolicy policy = w->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            w->setSizePolicy(policy);
        }
}

bool MainWindow::pagesUnbuilt() const {
    return !m_runMode->isBuilt() || !m_communication->isBuilt();
}

void MainWindow::buildPages() {
    m_runMode->build();
    m_communication->build();
    m_runs->build();
}

void MainWindow::pageBuilt() {
    // The new page's names are looked up again, and what the pump said to
    // its controls meanwhile is shown on them now.
    m_unknownNames.clear();
    prepareControls();
    apply(std::exchange(m_deferred, {}));
    updatePortTips();
    if (QAbstractButton* b = m_communication->portGroup()->button(m_state.SelectedPort - 1))
        b->setChecked(true);
}

void MainWindow::addLogsMenuItems(QMenu* file) {
    const struct {
        const char* name;
        const char* caption;
        QKeyCombination key;
        const char* button;
    } items[] = {
        {"menuOpenLog", "&Open Log...", Qt::CTRL | Qt::Key_O, Control::kOpenLogButton},
        {"menuSaveLogs", "&Save Logs...", Qt::CTRL | Qt::Key_S, Control::kSaveLogsButton},
        {"menuPrintLogs", "&Print Logs...", Qt::CTRL | Qt::Key_P, Control::kPrintLogsButton}};
    for (const auto& item : items) {
        auto* button = qobject_cast<QAbstractButton*>(element(QLatin1String(item.button)));
        if (!button)
            continue;
        QAction* action = file->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcut(QKeySequence(item.key));
        // The button's own click: the same checks, dialogs and enabling.
        connect(action, &QAction::triggered, button, &QAbstractButton::click);
        new EnabledMirror(button, action);
    }
    file->addSeparator();
}

void MainWindow::addPageKeys() {
    // An "&" in a caption would change the text the pages have always shown
    // (and that tests and users read), so the keys are given without one:
    // Alt+1 to Alt+5 bring a page to the front, and Alt with a letter
    // presses a main button while its page is shown.
    for (int i = 0; i < m_tabs->count(); ++i) {
        auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + i)), this);
        key->setObjectName(QStringLiteral("pageKey%1").arg(i + 1));
        connect(key, &QShortcut::activated, this, [this, i] { m_tabs->setCurrentIndex(i); });
    }
}

void MainWindow::addButtonKeys() {
    const struct {
        const char* button;
        QKeyCombination key;
    } buttons[] = {
        {Control::kReadLogsButton, Qt::ALT | Qt::Key_R},        // Read Logs From KST
        {Control::kRefreshDisplayButton, Qt::ALT | Qt::Key_R},  // Refresh Display
        {Control::kRefreshPumpDataButton, Qt::ALT | Qt::Key_R}, // Refresh Current Pump Data
        {Control::kSendSetupButton, Qt::ALT | Qt::Key_S},
        {Control::kProgramPumpButton, Qt::ALT | Qt::Key_P}};
    // One letter on several pages is safe: a button's key works only while
    // the button is shown, and one page is shown at a time.
    for (const auto& b : buttons)
        if (auto* button = qobject_cast<QAbstractButton*>(element(QLatin1String(b.button))))
            button->setShortcut(QKeySequence(b.key));
}

void MainWindow::showAbout() {
    // Not modal: the window goes on polling while the box is open. One box:
    // asked again, the open one comes to the front.
    if (!m_about) {
        m_about = new AboutDialog(m_options.iniPath, this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void MainWindow::showStatus(const QString& text, int timeoutMs) {
    statusBar()->showMessage(text, timeoutMs);
}

QString MainWindow::currentStatus() const {
    return statusBar()->currentMessage();
}

void MainWindow::updatePortTips() {
    for (int i = 0; i < 4; ++i)
        if (QAbstractButton* b = m_communication->portGroup()->button(i))
            b->setToolTip(m_session.link().link().deviceName(i + 1));
}

void MainWindow::selectPort(int index) {
    if (index < 0 || index > 3)
        return;
    if (QAbstractButton* b = m_communication->portGroup()->button(index); b && !b->isChecked())
        b->setChecked(true);
    m_session.selectPort(index);
}

QWidget* MainWindow::element(const QString& name) {
    // Every report names some eighty elements: they are looked up in a map,
    // made again only when a name is missing from it (a dialog opened since).
    if (QWidget* w = m_elements.value(name))
        return w;
    if (m_unknownNames.contains(name))
        return nullptr;
    m_elements.clear();
    for (QWidget* w : findChildren<QWidget*>())
        if (!w->objectName().isEmpty())
            m_elements.insert(w->objectName(), w);
    QWidget* w = m_elements.value(name);
    // A name the window lacks is a slip between the core and the pages: it
    // is told once, not at every report that names it. Until every page is
    // built, a missing name may be on one still to come.
    if (!w) {
        m_unknownNames.insert(name);
        if (!pagesUnbuilt())
            qWarning("corvane: the window has no control named %s", qPrintable(name));
    }
    return w;
}

void MainWindow::apply(const UiChanges& c) {
    // A control of a page not built yet gets the last value written to it
    // when its page is built.
    const bool keep = pagesUnbuilt();
    auto each = [this, &c, keep](auto field, auto&& fn) {
        const auto& map = c.*field;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (QWidget* w = element(it.key()))
                fn(w, it.value());
            else if (keep)
                (m_deferred.*field).insert(it.key(), it.value());
        }
    };
    // While the window is paced (the pump busy), captions and bars take the
    // last value written to them at the end of each interval: the counter of
    // a download changes with every line, and each new caption lays out the
    // page again.
    const bool paced = m_paintPacer->pacing();
    each(&UiChanges::text, [this, paced](QWidget* w, const QString& v) {
        // Every status report writes the same captions again: a caption
        // that keeps its text is left alone, not laid out and painted anew.
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (paced)
                m_pendingCaptions.insert(l, v);
            else if (l->text() != v)
                l->setText(v);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (b->text() != v)
                b->setText(v);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (g->title() != v)
                g->setTitle(v);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            // Setting a line edit's text, even the same, moves its cursor
            // and drops its undo history.
            if (e->text() != v)
                e->setText(v);
        }
    });
    each(&UiChanges::checked, [](QWidget* w, bool v) {
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            setChecked(b, v);
    });
    each(&UiChanges::date, [](QWidget* w, const QString& v) {
        if (auto* p = qobject_cast<DateTimePicker*>(w))
            p->setDateText(v);
    });
    each(&UiChanges::time, [](QWidget* w, const QString& v) {
        if (auto* p = qobject_cast<DateTimePicker*>(w))
            p->setTimeText(v);
    });
    each(&UiChanges::color, [](QWidget* w, const QString& v) {
        // A style sheet set again, even the same, polishes the widget anew
        // and lays out its page: every status report names these colours.
        const QString sheet = QStringLiteral("color: %1").arg(v);
        if (w->styleSheet() != sheet)
            w->setStyleSheet(sheet);
    });
    each(&UiChanges::visible, [](QWidget* w, bool v) { w->setVisible(v); });
    each(&UiChanges::enabled, [](QWidget* w, bool v) { w->setEnabled(v); });
    each(&UiChanges::tooltip, [](QWidget* w, const QString& v) { w->setToolTip(v); });
    // The bounds only: the box keeps the flow it holds (it is what the pump
    // is sent), and the range check judges it against them.
    if (c.flowRange)
        m_program->flowUpDown()->setRange(c.flowRange->first, c.flowRange->second);
    each(&UiChanges::barMaxima, [](QWidget* w, int v) {
        if (auto* b = qobject_cast<QProgressBar*>(w))
            b->setMaximum(v);
    });
    each(&UiChanges::bars, [this, paced](QWidget* w, int v) {
        if (auto* b = qobject_cast<QProgressBar*>(w)) {
            if (paced)
                m_pendingBars.insert(b, v);
            else
                b->setValue(std::min(v, b->maximum()));
        }
    });
    // A captured record (LineResult::record, cells) reaches Grid1 through
    // the log table model of the download, not from here.
    for (const QString& m : c.messages)
        showMessage(m);
}

void MainWindow::applyPending() {
    const auto captions = std::exchange(m_pendingCaptions, {});
    for (auto it = captions.cbegin(); it != captions.cend(); ++it)
        if (it.key()->text() != it.value())
            it.key()->setText(it.value());
    const auto bars = std::exchange(m_pendingBars, {});
    for (auto it = bars.cbegin(); it != bars.cend(); ++it)
        it.key()->setValue(std::min(it.value(), it.key()->maximum()));
}

void MainWindow::loadSettingsAndOpenPort() {
    loadSettings();
    setWindowTitle(m_options.demo ? QStringLiteral("Corvane \u2014 Demo pump")
                                  : QStringLiteral("Corvane"));
    QRect where = placementToPixels(m_placement.load(), logicalDpiX());
    // A placement saved on a monitor that is gone would open the window
    // where nobody can see it: bring it back onto the primary screen.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(
                                   where.adjusted(0, 0, 0, -where.height() + 40));
    if (!onScreen)
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            where.moveTopLeft(primary->availableGeometry().topLeft());
    setGeometry(where);
    m_session.memo().clear();
    m_state.LogFolder = m_placement.logFolder();
    // Without a stored port the technician starts by choosing one;
    // otherwise the live view of the pump comes first.
    m_tabs->setCurrentIndex(m_state.SelectedPort == 0 && !m_options.demo ? 3 : 1);
    // That page is made before the window first shows, so the window's first
    // size allows for it.
    if (m_tabs->currentWidget() == m_runMode)
        m_runMode->build();
    else
        m_communication->build();

    // Initial values of the pickers: the PC's date and time, and the empty
    // pause marker on the six break pickers. The help texts of the
    // communication page and Label28 are the pages' design texts.
    const QDateTime now = QDateTime::currentDateTime();
    m_setup->showPcTime(now);
    m_program->showStartValues(now);
}

void MainWindow::showMessage(const QString& text, std::function<void()> closed) {
    m_messages.append({text, std::move(closed), {}});
    // Open the box once the current receive handling has returned, so lines
    // received meanwhile are handled after the rest of the current text.
    QMetaObject::invokeMethod(this, &MainWindow::showNextMessage, Qt::QueuedConnection);
}

QStringList MainWindow::pendingMessages() const {
    QStringList out;
    for (const Message& m : m_messages)
        out << m.text;
    return out;
}

bool MainWindow::acceptMessage() {
    if (!m_openBox)
        return false;
    m_openBox->accept();
    return true;
}

void MainWindow::dismissMessage(const QString& text) {
    for (int i = m_messages.size() - 1; i >= 0; --i)
        if (m_messages.at(i).text == text)
            m_messages.removeAt(i);
    if (m_openBox && m_openText == text)
        m_openBox->done(QMessageBox::Ok);
}

void MainWindow::askQuestion(const QString& text, std::function<void(bool yes)> answered) {
    m_messages.append({text, {}, answered ? std::move(answered) : [](bool) {}});
    QMetaObject::invokeMethod(this, &MainWindow::showNextMessage, Qt::QueuedConnection);
}

void MainWindow::showNextMessage() {
    if (m_openBox || m_messages.isEmpty() || m_closing)
        return;
    Message m = m_messages.takeFirst();
    m_openText = m.text;
    const bool question = bool(m.answered);
    auto* box = new QMessageBox(
        question ? QMessageBox::Question : QMessageBox::NoIcon, QStringLiteral("Corvane"), m.text,
        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
    if (question) {
        // A question guards what cannot be undone: Enter and Escape say No.
        box->setDefaultButton(QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    keepTitleReadable(box);
    m_openBox = box;
    connect(box, &QMessageBox::finished, this,
            [this, box, closed = std::move(m.closed), answered = std::move(m.answered)] {
                const bool yes = box->standardButton(box->clickedButton()) == QMessageBox::Yes;
                m_openBox = nullptr;
                m_openText.clear();
                if (closed)
                    closed();
                if (answered)
                    answered(yes);
                showNextMessage();
            });
    box->open();
}

void MainWindow::setBusy(bool busy) {
    m_busyWanted = busy;
    if (!busy) {
        showBusy(false);
        return;
    }
    if (m_session.busy()) {
        showBusy(true);
        return;
    }
    if (m_busyShown || m_busyQueued)
        return;
    m_busyQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_busyQueued = false;
            if (m_busyWanted)
                showBusy(true);
        },
        Qt::QueuedConnection);
}

void MainWindow::showBusy(bool busy) {
    if (busy == m_busyShown)
        return;
    m_busyShown = busy;
    m_logs->memoView()->setDeferred(busy);
    m_paintPacer->setPacing(busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
}

void MainWindow::closeUnattended() {
    m_unattended = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A second close (the box below was answered, or a signal came
    // meanwhile) finds everything done already.
    if (m_closing) {
        event->accept();
        return;
    }
    if (m_closeQuestion) {
        event->ignore();
        return;
    }
    if (!m_unattended && !m_closeAgreed && m_logsActions) {
        const LogsActions::OnClose lost = m_logsActions->onClose();
        if (lost != LogsActions::OnClose::NothingLost) {
            event->ignore();
            askBeforeClosing(int(lost));
            return;
        }
    }
    m_closing = true;
    if (m_exitChosen)
        m_session.menuExit();
    m_session.shutdown();
    // Keep where the user left the window, and the log folder, for the
    // next start.
    if (!m_state.LogFolder.isEmpty())
        m_placement.setLogFolder(m_state.LogFolder);
    m_placement.save(placementFromPixels(normalGeometry(), logicalDpiX()));
    const QString problem = saveSettings();
    if (problem.isEmpty() || m_unattended) {
        event->accept();
        return;
    }
    // The port mapping and every choice would be lost without a word: the
    // user is told where they look, and the window closes once they have
    // read it.
    event->ignore();
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Corvane"),
                                QStringLiteral("Your settings were not saved: ") + problem,
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("settingsNotSaved"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, &QWidget::close, Qt::QueuedConnection);
    box->open();
}

void MainWindow::askBeforeClosing(int lostValue) {
    const auto lost = LogsActions::OnClose(lostValue);
    const bool archived = lost == LogsActions::OnClose::Archived;
    const QString text =
        archived ? QStringLiteral("The last download was not saved to a file. It is kept in "
                                  "Corvane's archive (#%1).")
                       .arg(m_logsActions->lastArchiveId())
                 : QStringLiteral("The last download was not saved to a file and is not in the "
                                  "archive: the pump's newest logs exist nowhere else.\n\n"
                                  "Save them before Corvane closes?");
    auto* box = new QMessageBox(
        archived ? QMessageBox::Information : QMessageBox::Warning, QStringLiteral("Corvane"), text,
        archived ? QMessageBox::Ok : QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        this);
    box->setObjectName(QStringLiteral("unsavedDownload"));
    if (!archived) {
        box->setDefaultButton(QMessageBox::Save);
        box->setEscapeButton(QMessageBox::Cancel);
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    m_closeQuestion = box;
    const auto closeNow = [this] {
        m_closeAgreed = true;
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
    };
    connect(box, &QMessageBox::finished, this, [this, box, archived, closeNow] {
        const QMessageBox::StandardButton answer = box->standardButton(box->clickedButton());
        if (archived || answer == QMessageBox::Discard) {
            closeNow();
        } else if (answer == QMessageBox::Save) {
            // Closes once the file is written; a cancelled or failed save
            // keeps the window (a failure is told in its box).
            QPointer<MainWindow> self(this);
            m_logsActions->saveLogsThen([self, closeNow](bool saved) {
                if (!self)
                    return;
                if (saved)
                    closeNow();
                else
                    self->m_exitChosen = false;
            });
        } else {
            m_exitChosen = false; // Cancel (or Escape): the window stays
        }
    });
    box->open();
}

void MainWindow::loadSettings() {
    QString problem;
    const StoredSettings s = ::loadSettings(m_options.iniPath, &problem);
    // A settings file Corvane will not read (too large, not a file) is left
    // as it is; the technician must know their choices are not kept.
    if (!problem.isEmpty())
        statusBar()->showMessage(problem);
    if (s.commPort >= 1 && s.commPort <= 4)
        selectPort(s.commPort - 1);
    m_setup->applyStored(s);
    m_program->applyStored(s);
}

QString MainWindow::saveSettings() {
    QString problem;
    if (::saveSettings(m_options.iniPath,
                       storedSettings(m_setup->values(), m_program->values(), m_state.SelectedPort),
                       &problem))
        return QString();
    // Also for whoever started the program from a terminal or a script.
    qWarning("corvane: settings not saved: %s", qPrintable(problem));
    if (!m_closing)
        statusBar()->showMessage(QStringLiteral("Settings not saved: ") + problem);
    return problem;
}

bool MainWindow::showLogFile(const QString& path) {
    m_tabs->setCurrentWidget(m_logs);
    return m_logsActions->openFile(path);
}
