#include "app/programpage.h"

#include "app/pagestyle.h"
#include "config/settingsstore.h"
#include "core/pickertext.h"
#include "ui_programpage.h"

#include <QDateTime>

ProgramPage::ProgramPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ProgramPage>()) {
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->programTitle);
    // Shows and clears "Updating Display" at every poll.
    PageStyle::steadySize(m_ui->Label21, QStringLiteral("Updating Display"));
    m_ui->UpDown1->setBuddy(m_ui->Txt_target_flow);
}

ProgramPage::~ProgramPage() = default;

ProgramValues ProgramPage::values() const {
    ProgramValues v;
    v.targetFlow = m_ui->Txt_target_flow->text();
    v.startDate = m_ui->INP_STRT_Dttm->dateText();
    v.startTime = m_ui->INP_STRT_Dttm->timeText();
    v.stopDate = m_ui->fpDateTime1->dateText();
    v.stopTime = m_ui->fpDateTime1->timeText();
    auto pause = [](const QAbstractButton* check, const DateTimePicker* start,
                    const DateTimePicker* stop) {
        return PauseValues{check->isChecked(), start->timeText(), stop->timeText()};
    };
    v.break1 = pause(m_ui->Check1, m_ui->fpDateBREAK1START, m_ui->fpDateTimeBREAK1STOP);
    v.lunch = pause(m_ui->Check2, m_ui->fpDateTime9, m_ui->fpDateTime10);
    v.break2 = pause(m_ui->Check3, m_ui->fpDateTime7, m_ui->fpDateTime8);
    v.durationText = m_ui->txt_duration->text();
    return v;
}

void ProgramPage::applyStored(const StoredSettings& stored) {
    if (stored.targetFlow)
        m_ui->Txt_target_flow->setText(QString::number(*stored.targetFlow));
}

void ProgramPage::showStartValues(const QDateTime& now) {
    for (DateTimePicker* p : {m_ui->INP_STRT_Dttm, m_ui->fpDateTime1}) {
        p->setDateText(PickerText::pcDate(now.date()));
        p->setTimeText(PickerText::pcTime(now.time()));
    }
    for (DateTimePicker* p :
         {m_ui->fpDateTime7, m_ui->fpDateTime8, m_ui->fpDateTime9, m_ui->fpDateTime10,
          m_ui->fpDateTimeBREAK1STOP, m_ui->fpDateBREAK1START})
        p->setTimeText(QStringLiteral("12:00:00.00"));
}

UpDownButtons* ProgramPage::flowUpDown() const {
    return m_ui->UpDown1;
}

QGroupBox* ProgramPage::progressFrame() const {
    return m_ui->Frame20;
}
