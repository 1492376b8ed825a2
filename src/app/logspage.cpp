#include "app/logspage.h"

#include "app/pagestyle.h"
#include "ui_logspage.h"

LogsPage::LogsPage(const CaptureMemo& memo, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::LogsPage>()) {
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->logsTitle);
    m_ui->fpMemo1->setMemo(&memo);
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
