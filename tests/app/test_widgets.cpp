// The window components: date-time pickers, the log grid, the capture memo
// view and the duration box, on an offscreen display.
#include "app/capturememoview.h"
#include "app/datetimepicker.h"
#include "app/durationbox.h"
#include "app/loggrid.h"
#include "logs/capturememo.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

using Show = DateTimePicker::Show;
Q_DECLARE_METATYPE(DateTimePicker::Show)

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void pickerReadsBack_data();
    void pickerReadsBack();
    void pickerKeepsValueOnBadText();
    void pickerInSummerTimeGap();
    void pickerLostFocus();
    void gridFormatString();
    void gridClearKeepsSizes();
    void gridWidthInTwips();
    void memoViewFollowsWrites();
    void durationMask();
};

void TestWidgets::pickerReadsBack_data() {
    QTest::addColumn<Show>("show");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("dateBack");
    QTest::addColumn<QString>("timeBack");
    for (Show s : {Show::DateAndTime, Show::Date, Show::Time}) {
        const QByteArray k = s == Show::Date ? "date" : s == Show::Time ? "time" : "both";
        QTest::newRow(k + ": empty pause") << s << "20030101"
                                           << "12:00:00.00"
                                           << "20030101"
                                           << "12:00:00.00";
        QTest::newRow(k + ": decoder texts") << s << "20261206"
                                             << "07:05"
                                             << "20261206"
                                             << "07:05:00.00";
        QTest::newRow(k + ": pc texts") << s << "12,6,26"
                                        << "23:59:58"
                                        << "20261206"
                                        << "23:59:58.00";
    }
}

// Whatever a picker shows, it keeps and returns the full value it was given.
void TestWidgets::pickerReadsBack() {
    QFETCH(Show, show);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, dateBack);
    QFETCH(QString, timeBack);
    DateTimePicker p(show);
    QVERIFY(p.setDateText(date));
    QVERIFY(p.setTimeText(time));
    QCOMPARE(p.dateText(), dateBack);
    QCOMPARE(p.timeText(), timeBack);
    // Setting the date again leaves the time alone, and the other way round.
    QVERIFY(p.setDateText(QStringLiteral("20040229")));
    QCOMPARE(p.timeText(), timeBack);
    QVERIFY(p.setTimeText(QStringLiteral("01:02")));
    QCOMPARE(p.dateText(), QStringLiteral("20040229"));
}

void TestWidgets::pickerKeepsValueOnBadText() {
    DateTimePicker p;
    QVERIFY(p.setDateText(QStringLiteral("20030101")));
    QVERIFY(p.setTimeText(QStringLiteral("10:30")));
    QSignalSpy changed(&p, &QDateTimeEdit::dateTimeChanged);
    for (const char* bad : {"20031301", "", "55:55", "24:00", "ab"}) {
        QVERIFY(!p.setDateText(QString::fromLatin1(bad)));
        QVERIFY(!p.setTimeText(QString::fromLatin1(bad)));
    }
    QCOMPARE(p.dateText(), QStringLiteral("20030101"));
    QCOMPARE(p.timeText(), QStringLiteral("10:30:00.00"));
    QCOMPARE(changed.count(), 0);
}

// Pump dates and times are not the PC's local time: a time that does not
// exist on the PC's clock that day (the spring-forward hour) must still be
// shown and read back as given.
void TestWidgets::pickerInSummerTimeGap() {
    DateTimePicker p;
    QVERIFY(p.setDateText(QStringLiteral("20260329"))); // Europe: 02:00 -> 03:00
    QVERIFY(p.setTimeText(QStringLiteral("02:30")));
    QCOMPARE(p.dateText(), QStringLiteral("20260329"));
    QCOMPARE(p.timeText(), QStringLiteral("02:30:00.00"));
}

void TestWidgets::pickerLostFocus() {
    QWidget w;
    auto* p = new DateTimePicker(Show::Time, &w);
    auto* other = new DurationBox(&w);
    other->move(0, 40);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy lost(p, &DateTimePicker::lostFocus);
    QSignalSpy lostBox(other, &DurationBox::lostFocus);
    p->setFocus();
    QTRY_VERIFY(p->hasFocus());
    other->setFocus();
    QTRY_COMPARE(lost.count(), 1);
    p->setFocus();
    QTRY_COMPARE(lostBox.count(), 1);
}

void TestWidgets::gridFormatString() {
    LogGrid g;
    g.setCols(11);
    g.setRowsCount(4);
    g.setFormatString(QStringLiteral("<Log #|Date|Time;Log #|1|2|3"));
    QCOMPARE(g.columnCount(), 11);
    QCOMPARE(g.rowCount(), 4);
    QCOMPARE(g.cell(0, 0), QStringLiteral("Log #"));
    QCOMPARE(g.cell(0, 2), QStringLiteral("Time"));
    QCOMPARE(g.cell(0, 3), QString());
    QCOMPARE(g.cell(1, 0), QStringLiteral("1"));
    QCOMPARE(g.cell(3, 0), QStringLiteral("3"));
    g.setCell(2, 5, QStringLiteral("1500"));
    QCOMPARE(g.item(2, 5)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    QCOMPARE(g.item(0, 1)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));

    // The log download sets the titles, then the row numbers alone: the
    // column titles and their alignment stay.
    LogGrid logs;
    logs.setCols(11);
    logs.setRowsCount(4);
    logs.setFormatString(
        QStringLiteral("< Log Number | Log Type | Date/Time | Battery |Temperature "
                       "|   BP  |   DP   | Elapsed Mins |Flow Rate |   Volume  "
                       "|  STP Volume "));
    logs.setFormatString(QStringLiteral(";Log Number |1 |2 |3 |"));
    QCOMPARE(logs.cell(0, 0), QStringLiteral("Log Number "));
    QCOMPARE(logs.cell(0, 1), QStringLiteral(" Log Type "));
    QCOMPARE(logs.cell(0, 10), QStringLiteral("  STP Volume "));
    QCOMPARE(logs.cell(2, 0), QStringLiteral("2 "));
    QCOMPARE(logs.cell(3, 0), QStringLiteral("3 "));
    logs.setCell(1, 4, QStringLiteral("72"));
    QCOMPARE(logs.item(1, 4)->textAlignment() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));

    // More titles than columns or rows: the extra ones are left out quietly.
    LogGrid small;
    small.setCols(2);
    small.setRowsCount(2);
    small.setFormatString(QStringLiteral("A|B|C|D;x|y|z"));
    QCOMPARE(small.cell(0, 1), QStringLiteral("B"));
    QCOMPARE(small.cell(1, 0), QStringLiteral("y"));
    small.setCell(5, 5, QStringLiteral("outside"));
    small.setCell(-1, 0, QStringLiteral("outside"));
    QCOMPARE(small.rowCount(), 2);
    QCOMPARE(small.columnCount(), 2);
}

void TestWidgets::gridClearKeepsSizes() {
    LogGrid g;
    g.setCols(11);
    g.setRowsCount(6);
    g.setFormatString(QStringLiteral("<A|B;|1|2|3|4|5"));
    for (int r = 1; r < 6; ++r)
        for (int c = 1; c < 11; ++c)
            g.setCell(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
    g.clearCells();
    QCOMPARE(g.rowCount(), 6);
    QCOMPARE(g.columnCount(), 11);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 11; ++c)
            QVERIFY2(g.cell(r, c).isEmpty(), qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
}

void TestWidgets::gridWidthInTwips() {
    LogGrid g;
    g.setCols(3);
    g.setColWidthTwips(1, 1440);
    g.setColWidthTwips(2, 720);
    QCOMPARE(g.columnWidth(1), g.logicalDpiX());
    QCOMPARE(g.columnWidth(2), g.logicalDpiX() / 2);
}

// The view shows the memo's lines in order while they are written, also
// when a second capture starts again at line 1.
void TestWidgets::memoViewFollowsWrites() {
    CaptureMemo memo;
    CaptureMemoView view(memo);
    auto write = [&](int pos, const QString& text) {
        QVERIFY(memo.writeAt(pos, text + QLatin1String("  \r\n")));
        view.lineWritten(pos);
        QCOMPARE(view.toPlainText(), memo.lines().join(QLatin1Char('\n')));
    };
    write(1, QStringLiteral("first"));
    write(2, QStringLiteral("second"));
    write(3, QStringLiteral("third"));
    write(1, QStringLiteral("again"));
    write(2, QString());
    write(6, QStringLiteral("far"));
    QCOMPARE(view.document()->blockCount(), 6);
    QCOMPARE(view.toPlainText(), QStringLiteral("again  \n  \nthird  \n\n\nfar  "));
    memo.clear();
    view.reload();
    QCOMPARE(view.toPlainText(), QString());
    write(1, QStringLiteral("new"));
    QVERIFY(view.font().fixedPitch());
    QVERIFY(view.isReadOnly());
}

void TestWidgets::durationMask() {
    DurationBox box;
    QCOMPARE(box.text(), QStringLiteral("00:00"));
    box.clear();
    QTest::keyClicks(&box, QStringLiteral("1230"));
    QCOMPARE(box.text(), QStringLiteral("12:30"));
    box.clear();
    QTest::keyClicks(&box, QStringLiteral("ab12"));
    QCOMPARE(box.text(), QStringLiteral("12:"));
}

int main(int argc, char* argv[]) {
    // Pickers must not depend on the PC's time zone; test in one with summer time.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QApplication app(argc, argv);
    TestWidgets t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_widgets.moc"
