// The window components: date-time pickers, the log grid, the capture memo
// view, the duration box and the target-flow arrows, on an offscreen display.
#include "app/capturememoview.h"
#include "app/datetimepicker.h"
#include "app/durationbox.h"
#include "app/loggrid.h"
#include "app/updownbuttons.h"
#include "logs/capturememo.h"
#include "logs/logtablemodel.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <ctime>

// Pickers must not depend on the PC's time zone; test in one with summer time.
static const bool kBerlin = (qputenv("TZ", "Europe/Berlin"), tzset(), true);

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void pickerReadsBack();
    void durationDigitsOnly();
    void grid();
    void memoViewCutsLongLines();
    void upDownStepsItsBox_data();
    void upDownStepsItsBox();
    void leavingAField_data();
    void leavingAField();
    void pickerCountsWholeValues();
};

// Whatever a picker shows, it keeps and returns the full value it was given;
// setting the date leaves the time alone and the other way round; a text it
// refuses changes nothing. Pump times are not the PC's local time: 02:30 on
// the spring-forward day (Europe) reads back as given.
void TestWidgets::pickerReadsBack() {
    const QString texts[][4] = {{"20030101", "12:00:00.00", "20030101", "12:00:00.00"},
                                {"12,6,26", "7:05", "20261206", "07:05:00.00"},
                                {"20260329", "02:30", "20260329", "02:30:00.00"}};
    for (auto show : {DateTimePicker::Show::DateAndTime, DateTimePicker::Show::Date,
                      DateTimePicker::Show::Time}) {
        DateTimePicker p(show);
        QSignalSpy changed(&p, &QDateTimeEdit::dateTimeChanged);
        for (const auto& [date, time, dateBack, timeBack] : texts) {
            QVERIFY(p.setDateText(date) && p.setTimeText(time));
            const qsizetype signalsBefore = changed.count();
            for (const char* bad : {"20031301", "", "55:55", "24:00", "ab"})
                QVERIFY(!p.setDateText(bad) && !p.setTimeText(bad));
            QCOMPARE(changed.count(), signalsBefore);
            QCOMPARE(p.dateText() + ' ' + p.timeText(), dateBack + ' ' + timeBack);
            QVERIFY(p.setDateText(QStringLiteral("20040229")) && p.timeText() == timeBack);
            QVERIFY(p.setTimeText(QStringLiteral("01:02")) && p.dateText() == "20040229");
        }
    }
}

// The duration box takes digits only, as hh:mm.
void TestWidgets::durationDigitsOnly() {
    DurationBox box;
    box.clear();
    QTest::keyClicks(&box, QStringLiteral("ab1230"));
    QCOMPARE(box.text(), QStringLiteral("12:30"));
}

// Grid1 shows the log table model: titles in the headers and the corner,
// records in the cells, widths in proportion to their twips, also after a
// new download has reset the model.
void TestWidgets::grid() {
    LogTableModel model;
    LogGrid g;
    g.setLogModel(&model);
    model.resize(4);
    model.applyFormat(LogTable::kColumnFormat);
    model.applyFormat(LogTable::rowTitleFormat(3));
    model.setRow(2, {{1, QStringLiteral("Power On")}, {4, QStringLiteral("72F")}});
    QCOMPARE(g.cell(0, 0), QStringLiteral("Log Number "));
    QCOMPARE(g.cell(0, 1), QStringLiteral(" Log Type "));
    QCOMPARE(g.cell(0, 10), QStringLiteral("  STP Volume "));
    QCOMPARE(g.cell(3, 0), QStringLiteral("3 "));
    QCOMPARE(g.cell(2, 1) + g.cell(2, 4) + g.cell(1, 1), QStringLiteral("Power On72F"));
    QCOMPARE(g.cell(4, 1) + g.cell(1, 11) + g.cell(-1, 0), QString()); // outside
    QVERIFY(g.horizontalHeader()->defaultAlignment() & Qt::AlignLeft);
    QCOMPARE(g.model()->rowCount() * 100 + g.model()->columnCount(), 310);

    for (int pass = 0; pass < 2; ++pass) {
        // Date/Time is 1750 twips, Battery 900, Volume 1500; the row-number
        // column 900 (or its title's width).
        QCOMPARE(g.columnWidth(1), g.twipsToPixels(1750));
        QCOMPARE(g.columnWidth(2), g.twipsToPixels(900));
        QCOMPARE(g.columnWidth(8), g.twipsToPixels(1500));
        QVERIFY(g.verticalHeader()->minimumWidth() >= g.twipsToPixels(900));
        model.clear(); // a new download
        model.resize(1000);
    }
    QCOMPARE(g.twipsToPixels(720), g.logicalDpiX() / 2); // half an inch
}

// A line far longer than any pump line is shown cut short; the memo keeps it
// whole. How the view follows the memo's writes is test_windowlight's.
void TestWidgets::memoViewCutsLongLines() {
    CaptureMemo memo;
    CaptureMemoView view(memo);
    const QString longLine(3 * CaptureMemoView::kShownChars, QLatin1Char('x'));
    QVERIFY(memo.writeAt(7, longLine));
    view.lineWritten(7);
    QCOMPARE(view.document()->lastBlock().text(),
             longLine.left(CaptureMemoView::kShownChars) + QChar(0x2026));
    view.reload();
    QCOMPARE(view.document()->lastBlock().text().size(), CaptureMemoView::kShownChars + 1);
    QCOMPARE(memo.line(7), longLine);

    memo.clear();
    view.reload();
    QVERIFY(view.toPlainText().isEmpty() && view.font().fixedPitch() && view.isReadOnly());
    // Reloading the whole text (a file opened, the memo emptied) keeps undo off.
    QVERIFY(!view.document()->isUndoRedoEnabled());
}

void TestWidgets::upDownStepsItsBox_data() {
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("box");
    // U / D: a click on the up / down arrow; u / d: the Up / Down key in the
    // box; x: the box's text replaced by "x".
    QTest::addColumn<QString>("presses");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, int min, int max, const char* box, const char* presses,
                  const char* expected) {
        QTest::newRow(name) << min << max << QString::fromLatin1(box)
                            << QString::fromLatin1(presses) << QString::fromLatin1(expected);
    };
    row("the arrows add and take 25", 800, 5000, "1500", "UUD", "1525");
    row("keys step as the arrows", 800, 5000, "1500", "uud", "1525");
    row("typed value is the start", 800, 5000, " 2010 ", "U", "2035");
    row("up stops at the maximum", 800, 5000, "4990", "UU", "5000");
    row("down stops at the minimum", 800, 5000, "810", "DD", "800");
    row("stays within one step of its maximum", 100, 600, "600", "DU", "600");
    row("KST-1 box above its range: down", 100, 600, "1500", "D", "600");
    row("KST-12 box below its range", 2000, 12000, "500", "U", "2000");
    row("no number: starts from the design value", 800, 5000, "abc", "D", "1975");
    row("no number after a step: starts from the last", 800, 5000, "1500", "UxU", "1550");
}

// UpDown1 as the program page has it (800..5000, step 25, design value 2000)
// with a box beside it: only the arrows and the keys change the box, by one
// step each, kept within the bounds when stepping.
void TestWidgets::upDownStepsItsBox() {
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, box);
    QFETCH(QString, presses);
    QFETCH(QString, expected);
    QLineEdit flow;
    UpDownButtons arrows;
    arrows.setRange(800, 5000);
    arrows.setSingleStep(25);
    arrows.setValue(2000);
    arrows.setBuddy(&flow);
    flow.setText(box);
    arrows.setRange(min, max);
    QCOMPARE(flow.text(), box); // the bounds alone never touch the box
    for (QChar press : presses) {
        if (press == 'U' || press == 'D')
            QTest::mouseClick(press == 'U' ? arrows.upButton() : arrows.downButton(),
                              Qt::LeftButton);
        else if (press == 'u' || press == 'd')
            QTest::keyClick(&flow, press == 'u' ? Qt::Key_Up : Qt::Key_Down);
        else
            flow.setText(QStringLiteral("x"));
    }
    QCOMPARE(flow.text(), expected);
    QCOMPARE(std::pair(arrows.minimum(), arrows.maximum()), std::pair(min, max));
    // A box that cannot be edited is not stepped.
    flow.setEnabled(false);
    QTest::mouseClick(arrows.upButton(), Qt::LeftButton);
    QCOMPARE(flow.text(), expected);
}

void TestWidgets::leavingAField_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("left");
    QTest::newRow("Tab") << int(Qt::TabFocusReason) << true;
    QTest::newRow("a click on another control") << int(Qt::MouseFocusReason) << true;
    QTest::newRow("a box or another program takes the window's focus")
        << int(Qt::ActiveWindowFocusReason) << false;
    QTest::newRow("the picker's own calendar opens") << int(Qt::PopupFocusReason) << false;
}

// The pickers and the duration box say they were left only when focus moved
// to another control of the window: a box opening over the window must not
// set off the editor's checks (and another box with them).
void TestWidgets::leavingAField() {
    QFETCH(int, reason);
    QFETCH(bool, left);
    DateTimePicker picker;
    DurationBox box;
    QSignalSpy pickerLeft(&picker, &DateTimePicker::lostFocus);
    QSignalSpy boxLeft(&box, &DurationBox::lostFocus);
    for (QWidget* w : {static_cast<QWidget*>(&picker), static_cast<QWidget*>(&box)}) {
        QFocusEvent out(QEvent::FocusOut, Qt::FocusReason(reason));
        QCoreApplication::sendEvent(w, &out);
    }
    QCOMPARE(pickerLeft.count(), int(left));
    QCOMPARE(boxLeft.count(), int(left));
}

// A time typed into a picker counts once it is complete: a change while the
// digits go in would run the order checks on half a time. Enter commits it.
void TestWidgets::pickerCountsWholeValues() {
    DateTimePicker picker(DateTimePicker::Show::Time);
    picker.setTimeText(QStringLiteral("12:30"));
    QSignalSpy changed(&picker, &QDateTimeEdit::dateTimeChanged);
    QSignalSpy committed(&picker, &DateTimePicker::committed);
    picker.setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(&picker, QStringLiteral("45"));
    QCOMPARE(changed.count(), 0);
    QTest::keyClick(&picker, Qt::Key_Return);
    QCOMPARE(picker.timeText(), QStringLiteral("12:45:00.00"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(committed.count(), 1);
    // An arrow step is a whole value at once.
    QTest::keyClick(&picker, Qt::Key_Up);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(committed.count(), 1);
}

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
