// A date-time picker of the fpDateTime family: takes the texts the decoders
// and editors hand it, reads back "HH:MM:SS.hh" and "YYYYMMDD".
#pragma once

#include <QDateTimeEdit>

class QCalendarWidget;

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

    // The calendar of the popup, built now if the popup has not opened yet
    // (the picker builds it only then: each calendar costs start-up time).
    QCalendarWidget* calendarWidget();

signals:
    // Focus went to another control of the window. Not when the window as
    // a whole loses focus (a message box opens, the user switches programs)
    // or the picker's own calendar opens: the user has not left the field.
    void lostFocus();
    // The user settled on the value: Enter in the field, or a day picked in
    // the calendar. The value is in place when this is emitted.
    void committed();

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void childEvent(QChildEvent* e) override;

private:
    void watchCalendar(QCalendarWidget* calendar);

    Show m_show = Show::DateAndTime;
    bool m_calendarWatched = false;
};
