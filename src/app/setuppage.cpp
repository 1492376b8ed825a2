#include "app/setuppage.h"

#include "app/pagestyle.h"
#include "config/settingsstore.h"
#include "core/pickertext.h"
#include "ui_setuppage.h"

#include <QButtonGroup>
#include <QDateTime>

namespace {
// Selects `on` when the stored value says so, otherwise `off`; a missing
// value leaves `on` as it is, and `off` is selected if `on` is not.
void setPair(QAbstractButton* on, QAbstractButton* off, std::optional<bool> value) {
    if (value)
        (*value ? on : off)->setChecked(true);
    if (!on->isChecked())
        off->setChecked(true);
}

// Deselects an option button even when it sits in an exclusive group.
void deselect(QAbstractButton* b) {
    if (!b->isChecked())
        return;
    QButtonGroup* g = b->group();
    const bool exclusive = g && g->exclusive();
    if (exclusive)
        g->setExclusive(false);
    b->setChecked(false);
    if (exclusive)
        g->setExclusive(true);
}
} // namespace

SetupPage::SetupPage(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::SetupPage>()) {
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->setupTitle);
    // Shows and clears "Updating Display" at every poll.
    PageStyle::steadySize(m_ui->Label22, QStringLiteral("Updating Display"));

    for (QAbstractButton* b : {m_ui->Option8, m_ui->Option9, m_ui->Option10, m_ui->Option11,
                               m_ui->Option12, m_ui->Option13, m_ui->Option14, m_ui->Option15})
        connect(b, &QAbstractButton::clicked, this,
                [this, b] { emit optionClicked(b->objectName()); });
    connect(m_ui->CommandButton_systime, &QAbstractButton::clicked, this,
            &SetupPage::sendSetupRequested);
    connect(m_ui->cmdTakePumpSettings, &QAbstractButton::clicked, this,
            &SetupPage::takePumpSettingsRequested);
    connect(m_ui->CommandButton1, &QAbstractButton::clicked, this, &SetupPage::sendPcTimeRequested);
    const auto sendChosen = [this] {
        const DateTimePicker* chosen = m_ui->fpDateTime2_0;
        emit sendClockRequested(QDateTime(chosen->date(), chosen->time(), Qt::UTC));
    };
    connect(m_ui->CommandButton3, &QAbstractButton::clicked, this, sendChosen);
    connect(m_ui->fpDateTime2_0, &DateTimePicker::committed, this, sendChosen);
    connect(m_ui->Opduration, &QAbstractButton::pressed, this, &SetupPage::durationPressed);
    connect(m_ui->Opstart, &QAbstractButton::pressed, this, &SetupPage::startStopPressed);
    connect(m_ui->check_trflag, &QAbstractButton::pressed, this,
            [this] { emit timingBoxPressed(m_ui->check_trflag->isChecked()); });
}

SetupPage::~SetupPage() = default;

SetupValues SetupPage::values() const {
    SetupValues v;
    v.volumetric = m_ui->Option17->isChecked();
    v.password = m_ui->Option8->isChecked();
    v.flowFault = m_ui->Option11->isChecked();
    v.startScreens = m_ui->Option12->isChecked();
    v.timing = m_ui->check_trflag->isChecked();
    v.startStop = m_ui->Opstart->isChecked();
    v.metric = m_ui->Option14->isChecked();
    v.logRate = m_ui->txtLogRate->text();
    return v;
}

void SetupPage::applyStored(const StoredSettings& s) {
    // In the file's key order: a later key may undo what an earlier one did
    // (unticked timing deselects both modes, then "Start/Stop" picks one).
    setPair(m_ui->Option8, m_ui->Option9, s.password);
    setPair(m_ui->Option11, m_ui->Option10, s.flowFault);
    setPair(m_ui->Option12, m_ui->Option13, s.startupScreen != 0);
    if (s.logRate)
        m_ui->txtLogRate->setText(QString::number(*s.logRate));
    m_ui->check_trflag->setChecked(s.timingOn != 0);
    if (!m_ui->check_trflag->isChecked()) {
        deselect(m_ui->Opstart);
        deselect(m_ui->Opduration);
    }
    setPair(m_ui->Opstart, m_ui->Opduration, s.startStop != 0);
    setPair(m_ui->Option15, m_ui->Option14, s.measure != 0);
    // "Volumetric" selects or deselects Option17 and leaves Option16 alone.
    if (s.volumetric != 0)
        m_ui->Option17->setChecked(true);
    else
        deselect(m_ui->Option17);
}

void SetupPage::setValues(const SetupValues& v) {
    (v.volumetric ? m_ui->Option17 : m_ui->Option16)->setChecked(true);
    (v.password ? m_ui->Option8 : m_ui->Option9)->setChecked(true);
    (v.flowFault ? m_ui->Option11 : m_ui->Option10)->setChecked(true);
    (v.startScreens ? m_ui->Option12 : m_ui->Option13)->setChecked(true);
    m_ui->check_trflag->setChecked(v.timing);
    (v.startStop ? m_ui->Opstart : m_ui->Opduration)->setChecked(true);
    (v.metric ? m_ui->Option14 : m_ui->Option15)->setChecked(true);
    m_ui->txtLogRate->setText(v.logRate);
}

void SetupPage::showPcTime(const QDateTime& now) {
    m_ui->fpDateTime2_0->setDateText(PickerText::pcDate(now.date()));
    m_ui->fpDateTime2_0->setTimeText(PickerText::pcTime(now.time()));
}

QGroupBox* SetupPage::progressFrame() const {
    return m_ui->Frame21;
}

QAbstractButton* SetupPage::sendSetupButton() const {
    return m_ui->CommandButton_systime;
}
