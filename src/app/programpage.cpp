#include "app/programpage.h"

#include "app/pagestyle.h"
#include "config/settingsstore.h"
#include "core/pickertext.h"
#include "ui_programpage.h"

#include <QDateTime>
#include <QFocusEvent>

ProgramPage::ProgramPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ProgramPage>()) {
    m_ui->setupUi(this);
    PageStyle::heading(m_ui->programTitle);
    // Shows and clears "Updating Display" at every poll.
    PageStyle::steadySize(m_ui->Label21, QStringLiteral("Updating Display"));
    m_ui->UpDown1->setBuddy(m_ui->Txt_target_flow);

    connect(m_ui->CommandButton29, &QAbstractButton::clicked, this,
            &ProgramPage::programPumpRequested);
    connect(m_ui->Command1, &QAbstractButton::clicked, this, &ProgramPage::timingTransferRequested);
    connect(m_ui->CommandButton4, &QAbstractButton::clicked, this,
            &ProgramPage::clearSamplingDataRequested);
    connect(m_ui->Txt_target_flow, &QLineEdit::textChanged, this, &ProgramPage::flowTextChanged);
    m_ui->Txt_target_flow->installEventFilter(this);

    using EditorRules::Pause;
    const struct {
        Pause pause;
        QAbstractButton* box;
        DateTimePicker* start;
        DateTimePicker* stop;
    } pauses[] = {
        {Pause::Break1, m_ui->Check1, m_ui->fpDateBREAK1START, m_ui->fpDateTimeBREAK1STOP},
        {Pause::Lunch, m_ui->Check2, m_ui->fpDateTime9, m_ui->fpDateTime10},
        {Pause::Break2, m_ui->Check3, m_ui->fpDateTime7, m_ui->fpDateTime8}};
    for (const auto& p : pauses) {
        connect(p.start, &QDateTimeEdit::dateTimeChanged, this,
                [this, p] { emit pauseStartChanged(p.pause, p.start->timeText()); });
        auto orderCheck = [this, p] {
            emit pauseOrderToCheck(p.start->timeText(), p.stop->timeText());
        };
        if (p.pause == Pause::Lunch)
            connect(p.stop, &QDateTimeEdit::dateTimeChanged, this, orderCheck);
        else
            connect(p.stop, &DateTimePicker::lostFocus, this, orderCheck);
        connect(p.box, &QAbstractButton::clicked, this,
                [this, p] { emit pauseBoxClicked(p.pause, p.box->isChecked()); });
    }

    DateTimePicker* start = m_ui->INP_STRT_Dttm;
    connect(start, &QDateTimeEdit::dateTimeChanged, this,
            [this, start] { emit startChanged(start->isEnabled()); });
    connect(start, &DateTimePicker::lostFocus, this,
            [this, start] { emit startLeft(start->dateText(), m_ui->fpDateTime1->dateText()); });
    connect(m_ui->txt_duration, &QLineEdit::textChanged, this, &ProgramPage::durationTextChanged);
    connect(m_ui->txt_duration, &DurationBox::lostFocus, this, &ProgramPage::durationLeft);
}

bool ProgramPage::eventFilter(QObject* watched, QEvent* event) {
    // Focus moved to another control of the window; a box opening over the
    // window or another program taking over is not the user leaving the box.
    if (watched == m_ui->Txt_target_flow && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            emit flowLeft(m_ui->Txt_target_flow->text());
    }
    return QWidget::eventFilter(watched, event);
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

QAbstractButton* ProgramPage::programPumpButton() const {
    return m_ui->CommandButton29;
}
