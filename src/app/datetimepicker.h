// A date-time picker of the fpDateTime family: takes the texts the decoders
// and editors hand it, reads back "HH:MM:SS.hh" and "YYYYMMDD".
#pragma once

#include <QDateTimeEdit>

class DateTimePicker : public QDateTimeEdit {
    Q_OBJECT
    // What the picker shows; set in the page forms.
    Q_PROPERTY(Show showing READ showing WRITE setShowing)
public:
    enum class Show { DateAndTime, Date, Time };
    Q_ENUM(Show)
    explicit DateTimePicker(QWidget* parent = nullptr);
    explicit DateTimePicker(Show show, QWidget* parent = nullptr);

    Show showing() const { return m_show; }
    // Changes only what is shown: the picker keeps its full date and time.
    void setShowing(Show show);

    // Texts that cannot be read leave the picker as it was; false then.
    bool setDateText(const QString& text);
    bool setTimeText(const QString& text);
    QString timeText() const; // HH:MM:SS.hh
    QString dateText() const; // YYYYMMDD

signals:
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent* e) override;

private:
    Show m_show = Show::DateAndTime;
};
