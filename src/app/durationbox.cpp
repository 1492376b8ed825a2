#include "app/durationbox.h"

#include <QFocusEvent>

DurationBox::DurationBox(QWidget* parent) : QLineEdit(parent) {
    setInputMask(QStringLiteral("99:99"));
    setText(QStringLiteral("00:00"));
}

void DurationBox::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}
