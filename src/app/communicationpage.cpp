#include "app/communicationpage.h"

#include "app/pagestyle.h"
#include "link/serialdevices.h"
#include "ui_communicationpage.h"

#include <QButtonGroup>

CommunicationPage::CommunicationPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CommunicationPage"));
    m_ports = new QButtonGroup(this);
}

void CommunicationPage::build() {
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::CommunicationPage>();
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->communicationTitle);
    for (QLabel* help : {m_ui->Label19, m_ui->Label11, m_ui->Label14})
        PageStyle::fixedWidthHelp(help);
    QAbstractButton* const ports[] = {m_ui->Option7_0, m_ui->Option7_1, m_ui->Option7_2,
                                      m_ui->Option7_3};
    for (int i = 0; i < 4; ++i)
        m_ports->addButton(ports[i], i);
    connect(m_ui->CommandButton2, &QAbstractButton::clicked, this,
            &CommunicationPage::refreshPumpDataRequested);
    m_ui->cmdUsePortDevice->setEnabled(false);
    connect(m_ui->cmdUsePortDevice, &QAbstractButton::clicked, this, [this] {
        const QString location = m_ui->cmbPortDevice->currentData().toString();
        if (!location.isEmpty())
            emit deviceChosen(location);
    });
    PageStyle::showNewControls(this);
    emit built();
}

CommunicationPage::~CommunicationPage() = default;

void CommunicationPage::setDeviceSource(const SerialDevices* devices) {
    m_devices = devices;
    // Asking the system for its ports takes a while; a hidden page reads
    // them when it is next drawn, so a start-up reads them once at most.
    if (isVisible())
        refillDevices();
}

void CommunicationPage::refillDevices() {
    const QString before = m_ui->cmbPortDevice->currentData().toString();
    m_ui->cmbPortDevice->clear();
    if (m_devices)
        for (const SerialDevice& d : m_devices->available())
            m_ui->cmbPortDevice->addItem(SerialDevices::shown(d), d.location);
    const int again = m_ui->cmbPortDevice->findData(before);
    if (again >= 0)
        m_ui->cmbPortDevice->setCurrentIndex(again);
    m_ui->cmdUsePortDevice->setEnabled(m_ui->cmbPortDevice->count() > 0);
}

void CommunicationPage::showEvent(QShowEvent* event) {
    build();
    m_listStale = true; // an adapter may have been plugged in meanwhile
    QWidget::showEvent(event);
}

bool CommunicationPage::event(QEvent* event) {
    // The system's port list is read once the page has been drawn: at
    // start-up, when this page comes first, the window appears before it.
    if (event->type() == QEvent::Paint && m_listStale) {
        m_listStale = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isVisible())
                    refillDevices();
            },
            Qt::QueuedConnection);
    }
    return QWidget::event(event);
}
