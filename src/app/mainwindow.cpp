#include "app/mainwindow.h"

#include "app/capturememoview.h"
#include "app/loggrid.h"
#include "link/commands.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

MainWindow::MainWindow(AppState& state, SerialLink& link, Options options, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_options(std::move(options)), m_link(state, link),
      m_dispatcher(state, m_memo), m_waiter(state, m_clock) {
    setObjectName(QStringLiteral("frmmain"));
    m_link.busyHook = [this](bool busy) { setBusy(busy); };
    m_waiter.busyHook = [this](bool busy) { setBusy(busy); };
    buildWindow();

    connect(&m_link, &PumpLink::received, this, &MainWindow::onReceived);
    connect(&m_link, &PumpLink::endOfFileReceived, this,
            [this] { queueMessages(ResponseDispatcher::endOfFile().messages); });
    connect(&m_link, &PumpLink::statusChanged, this, [this](const QString& text) {
        m_portStatus->setText(m_options.demo ? QStringLiteral("Demo pump \u2014 ") + text : text);
    });
    m_dispatcher.onMemoWrite = [this](int position) { m_memoView->lineWritten(position); };

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(1000);

    setWindowTitle(m_options.demo ? QStringLiteral("Corvane \u2014 Demo pump")
                                  : QStringLiteral("Corvane"));
    m_timer1.start();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("vaTabPro1"));
    const struct {
        const char* caption;
        const char* title;
    } pages[] = {{"Setup Pump", "PROGRAM KST"},
                 {"Run Mode", "Real Time"},
                 {"Logs", "Read Logs"},
                 {"Pump Communication", "PC/Pump Setup"},
                 {"Program Pump", ""}};
    for (const auto& p : pages) {
        QWidget* page = nullptr;
        if (qstrcmp(p.caption, "Logs") == 0)
            page = buildLogsPage();
        else if (qstrcmp(p.caption, "Pump Communication") == 0)
            page = buildCommunicationPage();
        else
            page = new QWidget;
        const int i = m_tabs->addTab(page, QString::fromLatin1(p.caption));
        m_tabs->setTabToolTip(i, QString::fromLatin1(p.title));
    }
    setCentralWidget(m_tabs);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Menu_exit"));
    connect(exit, &QAction::triggered, this, [this] {
        m_link.sendToPump(Commands::runClear());
        close();
    });
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About Corvane"));
    about->setObjectName(QStringLiteral("aboutcorvane"));

    m_portStatus = new QLabel(this);
    m_portStatus->setObjectName(QStringLiteral("portStatus"));
    statusBar()->addWidget(m_portStatus, 1);
}

QWidget* MainWindow::buildCommunicationPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* frame = new QGroupBox(QStringLiteral("Com Port Setup"), page);
    frame->setObjectName(QStringLiteral("Frame4"));
    auto* fl = new QVBoxLayout(frame);
    m_portGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* opt = new QRadioButton(QStringLiteral("Com%1").arg(i + 1), frame);
        opt->setObjectName(QStringLiteral("Option7_%1").arg(i));
        m_portGroup->addButton(opt, i);
        fl->addWidget(opt);
    }
    connect(m_portGroup, &QButtonGroup::idClicked, this, &MainWindow::selectPort);
    layout->addWidget(frame);
    layout->addStretch();
    updatePortTips();
    return page;
}

QWidget* MainWindow::buildLogsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_grid = new LogGrid(page);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    m_memoView = new CaptureMemoView(m_memo, page);
    m_memoView->setObjectName(QStringLiteral("fpMemo1"));
    layout->addWidget(m_grid, 3);
    layout->addWidget(m_memoView, 1);
    return page;
}

void MainWindow::updatePortTips() {
    for (int i = 0; i < 4; ++i)
        if (QAbstractButton* b = m_portGroup->button(i))
            b->setToolTip(m_link.link().deviceName(i + 1));
}

void MainWindow::selectPort(int index) {
    if (index < 0 || index > 3)
        return;
    if (QAbstractButton* b = m_portGroup->button(index); b && !b->isChecked())
        b->setChecked(true);
    m_link.selectPort(index);
}

void MainWindow::onReceived(const QByteArray& bytes) {
    m_dispatcher.receive(bytes, [this](const LineResult& r) { apply(r.changes); });
}

void MainWindow::apply(const UiChanges& c) {
    auto each = [this](const auto& map, auto&& fn) {
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            if (QWidget* w = findChild<QWidget*>(it.key()))
                fn(w, it.value());
    };
    each(c.text, [](QWidget* w, const QString& v) {
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(v);
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(v);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(v);
    });
    each(c.visible, [](QWidget* w, bool v) { w->setVisible(v); });
    each(c.enabled, [](QWidget* w, bool v) { w->setEnabled(v); });
    each(c.tooltip, [](QWidget* w, const QString& v) { w->setToolTip(v); });
    queueMessages(c.messages);
}

void MainWindow::queueMessages(const QStringList& messages) {
    if (messages.isEmpty())
        return;
    m_messages += messages;
    // Open the box once the current receive handling has returned.
    QMetaObject::invokeMethod(this, &MainWindow::showNextMessage, Qt::QueuedConnection);
}

void MainWindow::showNextMessage() {
    if (m_messageOpen || m_messages.isEmpty() || m_closing)
        return;
    m_messageOpen = true;
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Corvane"),
                                m_messages.takeFirst(), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [this] {
        m_messageOpen = false;
        showNextMessage();
    });
    box->open();
}

void MainWindow::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_closing = true;
    m_timer1.stop();
    m_link.sendToPump(Commands::runClear());
    event->accept();
}
