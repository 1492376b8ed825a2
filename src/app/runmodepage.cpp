#include "app/runmodepage.h"

#include "app/pagestyle.h"
#include "ui_runmodepage.h"

RunModePage::RunModePage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RunModePage"));
}

RunModePage::~RunModePage() = default;

void RunModePage::build() {
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::RunModePage>();
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->runModeTitle);
    // Shows and clears "Updating Display" at every poll.
    PageStyle::steadySize(m_ui->Label6, QStringLiteral("Updating Display"));
    connect(m_ui->CommandButton16, &QAbstractButton::clicked, this,
            &RunModePage::refreshDisplayRequested);
    PageStyle::showNewControls(this);
    emit built();
}

void RunModePage::showEvent(QShowEvent* event) {
    build();
    QWidget::showEvent(event);
}
