// What keeps the window light must not change what it shows: calendars built
// only when their popup opens still set and commit the day.
#include "app/datetimepicker.h"

#include <QCalendarWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

class TestWindowLight : public QObject {
    Q_OBJECT
private slots:
    void calendarBuiltOnFirstPopup();
};

void TestWindowLight::calendarBuiltOnFirstPopup() {
    DateTimePicker picker(DateTimePicker::Show::Date);
    picker.resize(160, 28);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QVERIFY(!picker.findChild<QCalendarWidget*>());
    QSignalSpy committed(&picker, &DateTimePicker::committed);
    // The drop-down arrow at the right end of the field opens the popup.
    QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.width() - 6, picker.height() / 2));
    auto* calendar = picker.findChild<QCalendarWidget*>();
    QVERIFY(calendar);
    QTRY_VERIFY(calendar->isVisible());
    calendar->setSelectedDate(QDate(2007, 3, 4));
    QTest::keyClick(calendar->findChild<QTableView*>(), Qt::Key_Return);
    QVERIFY(committed.wait(5000));
    QCOMPARE(picker.dateText(), QStringLiteral("20070304"));
}

QTEST_MAIN(TestWindowLight)
#include "test_windowlight.moc"
