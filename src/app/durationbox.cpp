#include "app/durationbox.h"

DurationBox::DurationBox(QWidget* parent) : QLineEdit(parent) {
    setInputMask(QStringLiteral("99:99"));
    setText(QStringLiteral("00:00"));
}

void DurationBox::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    emit lostFocus();
}
