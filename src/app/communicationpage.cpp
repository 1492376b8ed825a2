#include "app/communicationpage.h"

#include "app/pagestyle.h"
#include "ui_communicationpage.h"

#include <QButtonGroup>

CommunicationPage::CommunicationPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CommunicationPage>()) {
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->communicationTitle);
    for (QLabel* help : {m_ui->Label19, m_ui->Label11, m_ui->Label14})
        PageStyle::fixedWidthHelp(help);
    m_ports = new QButtonGroup(this);
    QAbstractButton* const ports[] = {m_ui->Option7_0, m_ui->Option7_1, m_ui->Option7_2,
                                      m_ui->Option7_3};
    for (int i = 0; i < 4; ++i)
        m_ports->addButton(ports[i], i);
    connect(m_ui->CommandButton2, &QAbstractButton::clicked, this,
            &CommunicationPage::refreshPumpDataRequested);
}

CommunicationPage::~CommunicationPage() = default;
