// A date-time picker of the fpDateTime family: takes the texts the decoders
// and editors hand it, reads back "HH:MM:SS.hh" and "YYYYMMDD".
#pragma once

#include <QDateTimeEdit>

class DateTimePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    enum class Show { DateAndTime, Date, Time };
    explicit DateTimePicker(Show show = Show::DateAndTime, QWidget* parent = nullptr);

    // Texts that cannot be read leave the picker as it was; false then.
    bool setDateText(const QString& text);
    bool setTimeText(const QString& text);
    QString timeText() const; // HH:MM:SS.hh
    QString dateText() const; // YYYYMMDD

signals:
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent* e) override;
};
