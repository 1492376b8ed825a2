#include "app/datetimepicker.h"

#include "core/pickertext.h"

DateTimePicker::DateTimePicker(Show show, QWidget* parent) : QDateTimeEdit(parent) {
    switch (show) {
    case Show::Date:
        setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
        setCalendarPopup(true);
        break;
    case Show::Time:
        setDisplayFormat(QStringLiteral("HH:mm"));
        break;
    case Show::DateAndTime:
        setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm"));
        setCalendarPopup(true);
        break;
    }
    setDateTime(QDateTime(QDate(2003, 1, 1), QTime(0, 0)));
}

bool DateTimePicker::setDateText(const QString& text) {
    const auto d = PickerText::parseDate(text);
    if (!d)
        return false;
    setDate(*d);
    return true;
}

bool DateTimePicker::setTimeText(const QString& text) {
    const auto t = PickerText::parseTime(text);
    if (!t)
        return false;
    setTime(*t);
    return true;
}

QString DateTimePicker::timeText() const {
    return PickerText::formatTime(time());
}
QString DateTimePicker::dateText() const {
    return PickerText::formatDate(date());
}

void DateTimePicker::focusOutEvent(QFocusEvent* e) {
    QDateTimeEdit::focusOutEvent(e);
    emit lostFocus();
}
