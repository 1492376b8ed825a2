#include "app/logspage.h"

#include "app/pagestyle.h"
#include "ui_logspage.h"

LogsPage::LogsPage(const CaptureMemo& memo, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::LogsPage>()) {
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->logsTitle);
    // The download's bar and counter change many times a second; a frame
    // that paints its own background spares repainting the page and the
    // tab frame beneath each time.
    m_ui->Frame6->setAutoFillBackground(true);
    // The counter's text changes for every line of a download; the
    // indicator shows and clears "Updating Display" at every poll.
    PageStyle::steadySize(m_ui->Label3_29, QStringLiteral("Reading Log Number : 00000"));
    PageStyle::steadySize(m_ui->Label23, QStringLiteral("Updating Display"));
    m_ui->fpMemo1->setMemo(&memo);
    const struct {
        QAbstractButton* button;
        void (LogsPage::*signal)();
    } buttons[] = {{m_ui->CommandButton7, &LogsPage::readLogsRequested},
                   {m_ui->CommandButton8, &LogsPage::saveLogsRequested},
                   {m_ui->CommandButton9, &LogsPage::printLogsRequested},
                   {m_ui->CommandButton10, &LogsPage::openLogRequested},
                   {m_ui->CommandButton25, &LogsPage::eraseLogsRequested},
                   {m_ui->CommandButton28, &LogsPage::clearPcScreenRequested},
                   {m_ui->StopReading, &LogsPage::stopReadingRequested}};
    for (const auto& b : buttons)
        connect(b.button, &QAbstractButton::clicked, this, b.signal);
}

LogsPage::~LogsPage() = default;

LogGrid* LogsPage::grid() const {
    return m_ui->Grid1;
}

CaptureMemoView* LogsPage::memoView() const {
    return m_ui->fpMemo1;
}

QGroupBox* LogsPage::progressFrame() const {
    return m_ui->Frame6;
}

QPushButton* LogsPage::stopButton() const {
    return m_ui->StopReading;
}

QPushButton* LogsPage::readLogsButton() const {
    return m_ui->CommandButton7;
}
