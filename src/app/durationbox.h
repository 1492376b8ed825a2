// txt_duration: a masked box for a run duration, hh:mm.
#pragma once

#include <QLineEdit>

class DurationBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DurationBox(QWidget* parent = nullptr);

signals:
    // Focus went to another control of the window (not a message box or
    // another program taking the whole window's focus).
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent* e) override;
};
