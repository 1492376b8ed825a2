#include "app/datetimepicker.h"

#include "core/pickertext.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>

DateTimePicker::DateTimePicker(QWidget* parent) : DateTimePicker(Show::DateAndTime, parent) {}

DateTimePicker::DateTimePicker(Show show, QWidget* parent) : QDateTimeEdit(parent) {
    // Pump dates and times are wall-clock values of the pump, not the PC's
    // local time: 02:30 on a spring-forward day must stay 02:30.
    setTimeSpec(Qt::UTC);
    // A typed value counts once it is complete (Enter, leaving the field, an
    // arrow step), not at every digit: half-typed times such as 12:0 would
    // otherwise set off the editor's order checks.
    setKeyboardTracking(false);
    setShowing(show);
    setDateTime(QDateTime(QDate(2003, 1, 1), QTime(0, 0), Qt::UTC));
}

void DateTimePicker::setShowing(Show show) {
    m_show = show;
    const QDateTime kept = dateTime();
    switch (show) {
    case Show::Date:
        setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
        setCalendarPopup(true);
        break;
    case Show::Time:
        setDisplayFormat(QStringLiteral("HH:mm"));
        setCalendarPopup(false);
        break;
    case Show::DateAndTime:
        setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm"));
        setCalendarPopup(true);
        break;
    }
    // A format without date sections pins the date range to one day, which
    // would clamp the time whenever the date is set; every picker keeps a
    // full date and time whatever it shows. The range is given in UTC: the
    // default range starts at local midnight, some other time of day in UTC,
    // and the one-day range of a time-only picker keeps those times of day.
    setDateTimeRange(QDateTime(QDate(1752, 9, 14), QTime(0, 0), Qt::UTC),
                     QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC));
    setDateTime(kept);
}

QCalendarWidget* DateTimePicker::calendarWidget() {
    QCalendarWidget* calendar = QDateTimeEdit::calendarWidget();
    watchCalendar(calendar);
    return calendar;
}

void DateTimePicker::childEvent(QChildEvent* e) {
    // The popup is polished just before it first shows, its calendar built
    // by then: the picker hears the calendar from its first day picked.
    if (e->type() == QEvent::ChildPolished && !m_calendarWatched && e->child()->isWidgetType())
        watchCalendar(e->child()->findChild<QCalendarWidget*>());
    QDateTimeEdit::childEvent(e);
}

void DateTimePicker::watchCalendar(QCalendarWidget* calendar) {
    if (m_calendarWatched || !calendar)
        return;
    m_calendarWatched = true;
    // The picker takes the day from the calendar in its own handler of the
    // same signal; the commit follows once that has run.
    for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated})
        connect(calendar, signal, this, &DateTimePicker::committed, Qt::QueuedConnection);
}

bool DateTimePicker::setDateText(const QString& text) {
    const auto d = PickerText::parseDate(text);
    if (!d)
        return false;
    // Through the whole value: a picker showing only the time pins its date
    // range on setDate, clamping the time it holds.
    setDateTime(QDateTime(*d, time(), Qt::UTC));
    return true;
}

bool DateTimePicker::setTimeText(const QString& text) {
    const auto t = PickerText::parseTime(text);
    if (!t)
        return false;
    setDateTime(QDateTime(date(), *t, Qt::UTC));
    return true;
}

QString DateTimePicker::timeText() const {
    return PickerText::formatTime(time());
}
QString DateTimePicker::dateText() const {
    return PickerText::formatDate(date());
}

void DateTimePicker::focusOutEvent(QFocusEvent* e) {
    // The base class settles a typed value first, so its change comes
    // before the loss of focus.
    QDateTimeEdit::focusOutEvent(e);
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}

void DateTimePicker::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    QDateTimeEdit::keyPressEvent(e);
    if (enter)
        emit committed();
}
