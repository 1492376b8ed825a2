// What keeps the window light must not change what it shows: calendars built
// only when their popup opens still commit the day; while the pump is busy
// the memo view, captions and bars catch up at each interval and end on the
// last value written; the log table's columns fill its width.
#include "app/capturememoview.h"
#include "app/datetimepicker.h"
#include "app/loggrid.h"
#include "app/mainwindow.h"
#include "app/paintpacer.h"
#include "app/runspage.h"
#include "core/controlnames.h"
#include "logs/capturememo.h"
#include "support/windowrig.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using Writes = QList<std::pair<int, QString>>;

class TestWindowLight : public QObject {
    Q_OBJECT
private slots:
    void calendarBuiltOnFirstPopup();
    void deferredMemoViewShowsTheMemo_data();
    void deferredMemoViewShowsTheMemo();
    void pacedCaptionsEndOnTheLastValue();
    void pageBuiltOnFirstShow_data();
    void pageBuiltOnFirstShow();
    void columnsFillTheTable_data();
    void columnsFillTheTable();
};

void TestWindowLight::calendarBuiltOnFirstPopup() {
    DateTimePicker picker(DateTimePicker::Show::Date);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QVERIFY(!picker.findChild<QCalendarWidget*>());
    QSignalSpy committed(&picker, &DateTimePicker::committed);
    // The drop-down arrow at the right end of the field opens the popup.
    QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.width() - 6, picker.height() / 2));
    auto* calendar = picker.findChild<QCalendarWidget*>();
    QVERIFY(calendar);
    calendar->setSelectedDate(QDate(2007, 3, 4));
    QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Return);
    QVERIFY(committed.wait(5000));
    QCOMPARE(picker.dateText(), QStringLiteral("20070304"));
}

void TestWindowLight::deferredMemoViewShowsTheMemo_data() {
    QTest::addColumn<int>("before"); // lines shown before the deferral
    QTest::addColumn<Writes>("writes");
    QTest::newRow("appended to an empty view") << 0 << Writes{{1, "a"}, {2, "b"}, {3, "c"}};
    QTest::newRow("appended to shown lines") << 2 << Writes{{3, "c"}, {4, "d"}};
    QTest::newRow("a second capture from line 1") << 3 << Writes{{1, "x"}, {2, "y"}};
    QTest::newRow("a line rewritten in the middle") << 4 << Writes{{2, "y"}};
    QTest::newRow("a line emptied in the middle") << 3 << Writes{{2, ""}};
    QTest::newRow("past the end, blank lines between") << 2 << Writes{{5, "far"}};
    QTest::newRow("a line longer than shown")
        << 1 << Writes{{2, QString(2 * CaptureMemoView::kShownChars, QLatin1Char('x'))}};
}

// The view shows the memo's lines as they are written, deferred or not, and
// keeps no undo steps: a view that only displays would pile them up line by
// line over a long download.
void TestWindowLight::deferredMemoViewShowsTheMemo() {
    QFETCH(int, before);
    QFETCH(Writes, writes);
    for (const bool deferred : {false, true}) {
        CaptureMemo memo;
        CaptureMemoView view(memo);
        const auto write = [&](int n, const QString& text) {
            QVERIFY(memo.writeAt(n, text));
            view.lineWritten(n);
        };
        const auto shownMemo = [&] {
            QStringList lines;
            for (const QString& line : memo.lines())
                lines << CaptureMemoView::shown(line);
            return lines.join(QLatin1Char('\n'));
        };
        for (int n = 1; n <= before; ++n)
            write(n, QStringLiteral("line %1").arg(n));
        view.setDeferred(deferred);
        for (const auto& [position, text] : writes)
            write(position, text);
        view.applyPending();
        QCOMPARE(view.toPlainText(), shownMemo());
        write(memo.lineCount() + 1, QStringLiteral("last")); // shown when the deferral ends
        view.setDeferred(false);
        QCOMPARE(view.toPlainText(), shownMemo());
        QCOMPARE(view.document()->availableUndoSteps(), 0);
    }
}

void TestWindowLight::pacedCaptionsEndOnTheLastValue() {
    FakePortRig rig;
    MainWindow& window = *rig.window;
    auto* counter = window.findChild<QLabel*>(QStringLiteral("Label3_29"));
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("PBar1"));
    const auto line = [&](int n) {
        UiChanges c;
        c.text.insert(QStringLiteral("Label3_29"),
                      QStringLiteral("Reading Log Number : %1").arg(n));
        c.bars.insert(QStringLiteral("PBar1"), n);
        window.apply(c);
    };
    bar->setMaximum(12);
    // A hold let go before the event loop runs again (a poll's write) puts
    // up no wait cursor and paces nothing.
    window.session().holdCursor(true);
    window.session().holdCursor(false);
    QCoreApplication::processEvents();
    QVERIFY(!QApplication::overrideCursor() && !window.paintPacer()->pacing());
    // One still held then does.
    window.session().holdCursor(true);
    QTRY_VERIFY_WITH_TIMEOUT(window.paintPacer()->pacing(), 20000);
    QVERIFY(QApplication::overrideCursor());
    for (int n = 1; n <= 4; ++n)
        line(n);
    window.paintPacer()->tick();
    QCOMPARE(counter->text() + QString::number(bar->value()), "Reading Log Number : 44");
    line(10);
    window.session().holdCursor(false);
    QCOMPARE(counter->text() + QString::number(bar->value()), "Reading Log Number : 1010");
    QVERIFY(!QApplication::overrideCursor() && !window.paintPacer()->pacing());
}

void TestWindowLight::pageBuiltOnFirstShow_data() {
    QTest::addColumn<bool>("demo");
    QTest::addColumn<QString>("opening"); // a caption on the page the window opens on
    QTest::addColumn<int>("later");       // a page shown later, and a caption on it
    QTest::addColumn<QString>("caption");
    QTest::newRow("no port chosen yet")
        << false << Control::kCommunicationModel << 1 << Control::kRunModeModel;
    QTest::newRow("demo pump") << true << Control::kRunModeModel << 3
                               << Control::kCommunicationModel;
}

// The page the window opens on is made before it shows; a page not shown yet
// has no controls, and a name on it is no slip to warn about. On its first
// show they are there for its first frame, showing what the pump said to
// them meanwhile.
void TestWindowLight::pageBuiltOnFirstShow() {
    QFETCH(bool, demo);
    QFETCH(QString, opening);
    QFETCH(int, later);
    QFETCH(QString, caption);
    QTest::failOnWarning(QRegularExpression(QStringLiteral("no control named")));
    FakePortRig rig(demo);
    MainWindow& window = *rig.window;
    const auto label = [&](const QString& name) { return window.findChild<QLabel*>(name); };
    QVERIFY(label(opening) && !label(caption));
    window.show();
    UiChanges c;
    c.text.insert(caption, QStringLiteral("KST-12"));
    window.apply(c);
    QVERIFY(!label(caption));
    auto* tabs = window.findChild<QTabWidget*>();
    tabs->setCurrentIndex(later);
    QVERIFY(label(caption) && label(caption)->isVisible() && label(caption)->width() > 0);
    QCOMPARE(label(caption)->text(), QStringLiteral("KST-12"));
    QVERIFY(!label(QStringLiteral("RunsSource")));
    tabs->setCurrentWidget(window.runsPage());
    QLabel* source = label(QStringLiteral("RunsSource"));
    QVERIFY(source && source->isVisible() && source->text().startsWith("No log yet"));
}

void TestWindowLight::columnsFillTheTable_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("narrower than the columns") << 500;
    QTest::newRow("1280 pixels") << 1280;
    QTest::newRow("a wide screen") << 2400;
}

void TestWindowLight::columnsFillTheTable() {
    QFETCH(int, width);
    LogTableModel model;
    LogGrid grid;
    grid.setLogModel(&model);
    model.resize(40);
    model.applyFormat(LogTable::kColumnFormat);
    grid.resize(width, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    int natural = 0, total = 0;
    for (int c = 0; c < model.columnCount(); ++c) {
        natural += grid.twipsToPixels(LogTableModel::columnTwips(c));
        total += grid.columnWidth(c);
        const QString title = model.headerData(c, Qt::Horizontal).toString().trimmed();
        QVERIFY2(grid.horizontalHeader()->fontMetrics().horizontalAdvance(title) <
                     grid.columnWidth(c),
                 qPrintable(title));
    }
    const int room = grid.viewport()->width();
    if (room > natural)
        QVERIFY2(total >= room - model.columnCount() && total <= room + 40,
                 qPrintable(QStringLiteral("%1 of %2").arg(total).arg(room)));
    // Date/Time (1750 twips) against Volume (1500) keep their proportion.
    QVERIFY(std::abs(grid.columnWidth(1) * 1500 - grid.columnWidth(8) * 1750) <= 1750);
}

QTEST_MAIN(TestWindowLight)
#include "test_windowlight.moc"
