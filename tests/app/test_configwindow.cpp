// Configuring a pump from the window, through its real widgets: the
// run-program editor's reactions to typing, leaving fields, ticking boxes
// and pressing the timing choices; the buttons that start the sequences and
// set the clock; what is locked while a sequence runs; the window closed in
// the middle of one; and the whole round against the simulated pump, with
// the read-back line saying whether the pump took what it was sent. Pauses
// run on a clock the test steps, never on the PC's.
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "app/programpage.h"
#include "app/setuppage.h"
#include "protocol/configsequences.h"
#include "sim/simseriallink.h"
#include "support/statevalues.h"
#include "support/testfiles.h"
#include "support/windowrig.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

namespace {

constexpr int kLong = 60000; // ms: generous bounds for anything event-driven

// A window on a settings folder of its own (the recording port unless told
// otherwise), its pauses timed on a stepping clock, its poll ticked by hand.
struct Rig : ClockedRig {
    explicit Rig(std::unique_ptr<SerialLink> serial = std::make_unique<FakeSerialLink>(),
                 const QByteArray& ini = {})
        : ClockedRig(std::move(serial), ini) {}
    DateTimePicker* picker(const QString& name) const { return find<DateTimePicker>(name); }

    // Shown and active, so that focus moves as the user moves it.
    bool showOn(QWidget* page) {
        find<QTabWidget>(QStringLiteral("vaTabPro1"))->setCurrentWidget(page);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // The page an element is on.
    QWidget* pageOf(const QString& name) const {
        auto* tabs = find<QTabWidget>(QStringLiteral("vaTabPro1"));
        for (QWidget* w = find(name); w; w = w->parentWidget())
            if (tabs->indexOf(w) >= 0)
                return w;
        return nullptr;
    }

    // ---- what the user does

    // A mouse click near the left edge, where an option's or a box's
    // indicator is: press (the timing choices react here), then release.
    void click(const QString& name) {
        auto* b = find<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void type(const QString& name, const QString& text) {
        auto* e = find<QLineEdit>(name);
        e->setFocus(Qt::MouseFocusReason);
        e->clear();
        QTest::keyClicks(e, text);
    }
    // Focus into the field, then on to a control of the same page that
    // reacts to nothing, as a Tab moves it.
    void leave(const QString& name) {
        QWidget* field = find(name);
        field->setFocus(Qt::MouseFocusReason);
        QVERIFY2(field->hasFocus(), qPrintable(name));
        QWidget* other = pageOf(name) == window->setupPage()
                             ? find(QStringLiteral("txtLogRate"))
                             : find(QStringLiteral("CommandButton4"));
        other->setFocus(Qt::TabFocusReason);
        QVERIFY2(!field->hasFocus(), qPrintable(name));
    }

    // ---- what the window shows

    // The boxes the window opens from now on, each closed with OK.
    QStringList closeBoxes() {
        QStringList texts;
        for (int guard = 0; guard < 100; ++guard) {
            QCoreApplication::processEvents();
            if (const QList<QMessageBox*> open = openBoxes(*window); !open.isEmpty()) {
                texts << open.last()->text();
                window->acceptMessage();
            } else if (window->pendingMessages().isEmpty()) {
                break;
            }
        }
        return texts;
    }
    bool boxOpen(const QString& text) const {
        const QList<QMessageBox*> open = openBoxes(*window);
        return std::any_of(open.cbegin(), open.cend(),
                           [&](const QMessageBox* b) { return b->text() == text; });
    }

    // "kind:name": text, enabled, checked, visible, date or time of an
    // element; "state:" a shared value.
    QString probe(const QString& what) const {
        const QString kind = what.section(':', 0, 0);
        const QString name = what.section(':', 1);
        if (kind == QLatin1String("state"))
            return stateValues(state).value(name, QStringLiteral("<no value %1>").arg(name));
        QWidget* w = find(name);
        if (!w)
            return QStringLiteral("<missing>");
        if (kind == QLatin1String("enabled"))
            return QString::number(w->isEnabled());
        if (kind == QLatin1String("visible"))
            return QString::number(w->isVisible());
        if (kind == QLatin1String("checked"))
            return QString::number(qobject_cast<QAbstractButton*>(w)->isChecked());
        if (kind == QLatin1String("date"))
            return qobject_cast<DateTimePicker*>(w)->dateText();
        if (kind == QLatin1String("time"))
            return qobject_cast<DateTimePicker*>(w)->timeText();
        return shownText(w);
    }
    // Each "kind:name" (or "kind:name=value", the value replaced) probed.
    QStringList probes(const QStringList& whats) const {
        QStringList out;
        for (const QString& w : whats)
            out << w.section('=', 0, 0) + '=' + probe(w.section('=', 0, 0));
        return out;
    }

    // Steps written as text, ";" between them: "click NAME", "type NAME TEXT",
    // "leave NAME", "time NAME TEXT", "date NAME TEXT", "tick NAME" (checked
    // by the program, not the user), "status MODEL" and "setup LINE" (a report
    // of the pump on Com1), "message TEXT" (a box opening over the window),
    // "expect PROBE=VALUE" (a check part-way; "boxes=": none opened so far),
    // "enter NAME" (the Return key in it), "pc DATETIME" (the PC's clock).
    void run(const QString& steps) {
        for (const QString& step : steps.split(';')) {
            const QString s = step.trimmed(), verb = s.section(' ', 0, 0);
            const QString name = s.section(' ', 1, 1), rest = s.section(' ', 2);
            if (verb == QLatin1String("click"))
                click(name);
            else if (verb == QLatin1String("type"))
                type(name, rest);
            else if (verb == QLatin1String("leave"))
                leave(name);
            else if (verb == QLatin1String("time"))
                picker(name)->setTimeText(rest);
            else if (verb == QLatin1String("date"))
                picker(name)->setDateText(rest);
            else if (verb == QLatin1String("enter"))
                QTest::keyClick(find(name), Qt::Key_Return);
            else if (verb == QLatin1String("pc"))
                window->session().pcClock = [at = QDateTime::fromString(name, Qt::ISODate)] {
                    return at;
                };
            else if (verb == QLatin1String("tick"))
                find<QAbstractButton>(name)->setChecked(true);
            else if (verb == QLatin1String("status") || verb == QLatin1String("setup")) {
                window->selectPort(0);
                fake().receive(verb == QLatin1String("status")
                                   ? statusOf(name.toLatin1())
                                   : s.section(' ', 1).toLatin1() + "\r\n");
            } else if (verb == QLatin1String("message")) {
                window->showMessage(s.section(' ', 1));
                QCoreApplication::processEvents();
            } else if (name == QLatin1String("boxes="))
                QCOMPARE(closeBoxes(), QStringList());
            else if (verb == QLatin1String("expect"))
                QCOMPARE(probe(name.section('=', 0, 0)), name.section('=', 1));
            else
                QFAIL(qPrintable("no such step: " + s));
        }
    }

    int writes() const {
        return int(std::count_if(
            static_cast<const FakeSerialLink&>(*link).events.cbegin(),
            static_cast<const FakeSerialLink&>(*link).events.cend(),
            [](const FakeSerialLink::Event& e) { return e.type == FakeSerialLink::Event::Write; }));
    }
};

} // namespace

class TestConfigWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Corvane")); }
    void editorReactions_data();
    void editorReactions();
    void lockedWhileASequenceRuns_data();
    void lockedWhileASequenceRuns();
    void refusedBeforeStart_data();
    void refusedBeforeStart();
    void programWhileSampling_data();
    void programWhileSampling();
    void timingTransferButton();
    void clockSends_data();
    void clockSends();
    void closedInTheMiddle();
    void roundWithTheSimulatedPump();
};

// ---------------------------------------------------------------- the editor

void TestConfigWindow::editorReactions_data() {
    QTest::addColumn<QString>("steps");        // see Rig::run
    QTest::addColumn<QStringList>("expected"); // probes after the steps
    QTest::addColumn<QStringList>("boxes");    // the boxes they opened
    // The rules themselves are tables of the editor's own tests; each row here
    // proves one reaction is wired to the control that sets it off.
    auto row = [](const char* name, const char* steps, const QStringList& expected,
                  const QStringList& boxes = {}) {
        QTest::newRow(name) << QString(steps) << expected << boxes;
    };
    const QStringList outOfRange = {QStringLiteral("Flow Rate is Out of Range")};
    const QStringList stopBeforeStart = {QStringLiteral("Stop Time must be greater then Start")};

    // Target flow (limits 800 and 5000 until a pump reports its own).
    row("typing 2500 shows 2.50 L/min at once", "type Txt_target_flow 2500",
        {"text:Label_targetL=2.50 L/min", "text:Txt_target_flow=2500"});
    row("799 left: the message, then 800", "type Txt_target_flow 799; leave Txt_target_flow",
        {"text:Txt_target_flow=800", "text:Label_targetL=0.80 L/min"}, outOfRange);
    row("the bounds a KST-1 reports: 1500 left becomes 600",
        "status 31; type Txt_target_flow 1500; leave Txt_target_flow",
        {"text:Txt_target_flow=600", "text:Label_flowrate=Range is 100 cc/min to 600 cc/min"},
        outOfRange);
    row("a box opening over the window is not leaving the flow box",
        "type Txt_target_flow 799; message No Pump Found", {"text:Txt_target_flow=799"},
        {"No Pump Found"});

    // Pauses: Break1 (and Break2) checked when the stop is left, Lunch at
    // each change of its stop.
    row("Break1: the start copied into the stop, an earlier stop warns when left",
        "time fpDateBREAK1START 10:30; expect time:fpDateTimeBREAK1STOP=10:30:00.00; "
        "time fpDateTimeBREAK1STOP 10:15; expect boxes=; leave fpDateTimeBREAK1STOP",
        {"time:fpDateBREAK1START=10:30:00.00", "time:fpDateTimeBREAK1STOP=10:15:00.00"},
        stopBeforeStart);
    row("Lunch checked at each change of its stop",
        "time fpDateTime9 12:30; time fpDateTime10 12:15",
        {"time:fpDateTime9=12:30:00.00", "time:fpDateTime10=12:15:00.00"}, stopBeforeStart);
    row("unticking Check2 greys out the Lunch pickers and keeps their times",
        "time fpDateTime9 12:30; time fpDateTime10 13:00; click Check2; click Check2",
        {"checked:Check2=0", "enabled:fpDateTime10=0", "time:fpDateTime10=13:00:00.00",
         "enabled:fpDateBREAK1START=1"});

    // Start and stop.
    row("leaving the start moves an earlier stop date to it",
        "date fpDateTime1 20260310; date INP_STRT_Dttm 20260315; leave INP_STRT_Dttm",
        {"date:fpDateTime1=20260315"});
    row("a start change hands the pause boxes its enabled state",
        "click Opduration; date INP_STRT_Dttm 20200101", // the start picker goes off
        {"enabled:INP_STRT_Dttm=0", "enabled:Check1=0", "enabled:Check2=0", "enabled:Check3=0"});

    // Duration and the timing choices.
    row("Duration pressed: 08:00 kept as typed until the box is left", "click Opduration",
        {"text:txt_duration=08:00", "enabled:txt_duration=1", "enabled:INP_STRT_Dttm=0",
         "state:DurationModeFlag=1", "state:runDuration=08:00"});
    row("02:45 typed and left keeps 557",
        "click Opduration; type txt_duration 0245; leave txt_duration",
        {"text:txt_duration=02:45", "state:runDuration=557"});
    row("Start/Stop pressed: duration emptied and off, the pickers and boxes on",
        "click Opduration; click Opstart",
        {"enabled:txt_duration=0", "enabled:INP_STRT_Dttm=1", "enabled:Check1=1",
         "state:DurationModeFlag=0", "checked:Opstart=1"});
    row("timing box pressed on, then off: both modes off and deselected",
        "click check_trflag; click Opstart; click check_trflag",
        {"checked:check_trflag=0", "enabled:Opstart=0", "checked:Opstart=0", "state:TimingFlag=0"});
    row("a timing box ticked by the settings load reacts to nothing", "tick check_trflag",
        {"enabled:INP_STRT_Dttm=1", "state:TimingFlag="});

    // The pump's own mode, from a setup report.
    row("a setup report in Duration mode disables start, stop and pauses",
        "setup Z99 1 1 0 0 0 0 0 0 0 1 0 0 1",
        {"enabled:INP_STRT_Dttm=0", "enabled:fpDateTime1=0", "enabled:fpDateTime8=0",
         "state:DurationModeFlag=1"});

    // The setup page's options write the flags they stand for, both ways.
    row("option clicks", "click Option8; click Option11; click Option12; click Option15",
        {"state:PasswordFlag=1", "state:FlowFaultFlag=1", "state:StartScreensFlag=1",
         "state:UnitsFlag=0"});
    row("option clicks back",
        "click Option8; click Option9; click Option11; click Option10; click Option12; "
        "click Option13; click Option15; click Option14",
        {"state:PasswordFlag=0", "state:FlowFaultFlag=0", "state:StartScreensFlag=0",
         "state:UnitsFlag=1"});
}

void TestConfigWindow::editorReactions() {
    QFETCH(QString, steps);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, boxes);
    Rig r;
    QVERIFY(r.showOn(r.window->programPage()));
    QVERIFY(r.closeBoxes().isEmpty()); // the start-up values raise nothing
    r.run(steps);
    QCOMPARE(r.closeBoxes(), boxes);
    QCOMPARE(r.probes(expected), expected);
    // The editor writes nothing to the pump.
    QCOMPARE(r.fake().written(), QByteArray());
}

// ---------------------------------------------------------------- sequences

void TestConfigWindow::lockedWhileASequenceRuns_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("box");
    QTest::newRow("Send Setup To Pump")
        << QString("CommandButton_systime") << QString("Frame21") << QString("PBar2")
        << QString("Done Sending Setup to Pump");
    QTest::newRow("Program Pump") << QString("CommandButton29") << QString("Frame20")
                                  << QString("pbar3") << QString("Program Pump is completed");
}

// While a sequence runs every control that writes to the pump is disabled,
// its own button included (what the session then refuses is
// test_pumpsession's; that they come back is checked after a download in
// test_logswindow); the progress frame and the hourglass show. Afterwards
// all is as before.
void TestConfigWindow::lockedWhileASequenceRuns() {
    QFETCH(QString, button);
    QFETCH(QString, frame);
    QFETCH(QString, bar);
    QFETCH(QString, box);
    Rig r;
    r.find<QLineEdit>("Txt_target_flow")->setText("2000");
    r.window->selectPort(0);
    QVERIFY(r.showOn(r.pageOf(button) ? r.pageOf(button) : r.window->setupPage()));
    r.click(button);
    QVERIFY(QTest::qWaitFor([&] { return r.writes() >= 2; }, kLong));
    // Every control that writes to the pump, named here and not taken from
    // the session's own list, so that one missing there is noticed.
    const QStringList writers =
        QString("CommandButton16 CommandButton2 Option7_0 Option7_1 Option7_2 Option7_3 "
                "CommandButton1 CommandButton3 fpDateTime2_0 CommandButton14 CommandButton25 "
                "CommandButton4 CommandButton7 CommandButton_systime CommandButton29 "
                "CommandButton13 Command1")
            .split(' ');
    QCOMPARE(r.enabledOf(writers), QString(writers.size(), QLatin1Char('0')));
    QVERIFY(!r.find(frame)->isHidden());
    QVERIFY(!r.find<QGroupBox>(frame)->title().isEmpty());
    // The bar shows its value at the window's next paint interval.
    QTRY_VERIFY_WITH_TIMEOUT(r.find<QProgressBar>(bar)->value() > 0, kLong);
    QVERIFY(QApplication::overrideCursor() &&
            QApplication::overrideCursor()->shape() == Qt::WaitCursor);

    QTRY_VERIFY_WITH_TIMEOUT(r.boxOpen(box), kLong);
    QCOMPARE(r.closeBoxes(), QStringList{box});
    QTRY_VERIFY_WITH_TIMEOUT(!r.window->session().busy(), kLong);
    QVERIFY(r.find(button)->isEnabled());
    QVERIFY(r.find(frame)->isHidden());
    QCOMPARE(r.find<QProgressBar>(bar)->value(), 0);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(r.window->session().timer1().isActive());
}

void TestConfigWindow::programWhileSampling_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("runState");
    QTest::addColumn<bool>("asked");
    QTest::newRow("Send to KST Pump, pump in RUN mode: asked, No sends nothing")
        << "CommandButton13" << QByteArray("0500") << true;
    QTest::newRow("Program Pump, run state 401: asked")
        << "CommandButton29" << QByteArray("0401") << true;
    QTest::newRow("Program Pump, run state 400: not sampling, sent")
        << "CommandButton29" << QByteArray("0400") << false;
}

// The last status report decides whether the question comes; the box's
// default answer (Enter, Escape, closing it) is No.
void TestConfigWindow::programWhileSampling() {
    QFETCH(QString, button);
    QFETCH(QByteArray, runState);
    QFETCH(bool, asked);
    Rig r;
    r.window->selectPort(0);
    QByteArray status = statusOf("21");
    status.replace(227, 4, runState);
    r.fake().receive(status);
    QTRY_VERIFY_WITH_TIMEOUT(r.window->session().presence() == PumpSession::Presence::Attached,
                             kLong);
    r.fake().events.clear();
    r.type("Txt_target_flow", "2000");
    r.click(button);
    if (asked) {
        QTRY_VERIFY_WITH_TIMEOUT(r.boxOpen(ConfigSequences::kProgramWhileSampling), kLong);
        QCOMPARE(r.closeBoxes(), QStringList{ConfigSequences::kProgramWhileSampling});
        QCOMPARE(r.writes(), 0);
        QVERIFY(!r.window->session().busy());
    } else {
        QVERIFY(QTest::qWaitFor([&] { return r.writes() >= 1; }, kLong));
        QVERIFY(!r.boxOpen(ConfigSequences::kProgramWhileSampling));
    }
}

// Command1, inside the progress frame, sends the timing values alone,
// showing no frame, and polling goes on afterwards.
void TestConfigWindow::timingTransferButton() {
    Rig r;
    r.window->selectPort(0);
    r.run("date INP_STRT_Dttm 20260131; time INP_STRT_Dttm 08:30; date fpDateTime1 20260201; "
          "time fpDateTime1 14:45; time fpDateBREAK1START 10:00; time fpDateTimeBREAK1STOP 10:15");
    QCOMPARE(r.find<QAbstractButton>("Command1")->text(), QStringLiteral("Command1"));
    QCOMPARE(r.find("Command1")->parentWidget()->objectName(), QStringLiteral("Frame20"));
    r.find<QAbstractButton>("Command1")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!r.window->session().busy(), kLong);
    QCOMPARE(r.fake().written(), QByteArray("W17 30 08 31 01 26\rW18 45 14 01 02 26\r"
                                            "W23 255 255 255 255 255\rW24 255 255 255 255 255\r"
                                            "W25 255 255 255 255 255\r"));
    QVERIFY(r.closeBoxes().isEmpty());
    QVERIFY(r.window->session().timer1().isActive());
    QVERIFY(r.find("Frame20")->isHidden()); // no progress frame of its own
}

// ---------------------------------------------------------------- the pump clock

void TestConfigWindow::clockSends_data() {
    QTest::addColumn<QString>("steps"); // see Rig::run
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Send PC Time  to Pump at 23:59:45 on 31 Dec 2008")
        << "pc 2008-12-31T23:59:45; click CommandButton1"
        << QByteArray("W16 59 23 31 12 08\rUPDATE_SYS_TIME\r")
        << QStringList{"date:fpDateTime4_1=20081231", "time:fpDateTime4_1=23:59:45.00"};
    QTest::newRow("Enter in the chosen time sends it, seconds dropped")
        << "date fpDateTime2_0 20070303; time fpDateTime2_0 10:15:59; enter fpDateTime2_0"
        << QByteArray("W16 15 10 03 03 07\rUPDATE_SYS_TIME\r") << QStringList();
    QTest::newRow("only leaving the chosen time sends nothing")
        << "leave fpDateTime2_0" << QByteArray() << QStringList();
}

void TestConfigWindow::clockSends() {
    QFETCH(QString, steps);
    QFETCH(QByteArray, written);
    QFETCH(QStringList, expected);
    Rig r;
    r.window->selectPort(0);
    QVERIFY(r.showOn(r.window->setupPage()));
    r.run(steps);
    QTRY_COMPARE_WITH_TIMEOUT(r.fake().written(), written, written.isEmpty() ? 200 : kLong);
    QCOMPARE(r.probes(expected), expected);
    QVERIFY(r.closeBoxes().isEmpty());
}

void TestConfigWindow::refusedBeforeStart_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("said"); // in a box, or the status bar's start
    // Which programs are refused is test_configsequences'.
    QTest::newRow("Duration mode with no duration: a box")
        << "CommandButton29" << true << "Duration must be Hours:Mins";
    for (const char* button : {"CommandButton_systime", "CommandButton29", "CommandButton3"})
        QTest::addRow("no port: %s", button) << button << false << "Com1 is not open";
}

// A sequence that cannot start writes nothing, locks nothing and shows no
// progress; the reason is told in a box, or, for a port not open, in the
// status bar instead of a box.
void TestConfigWindow::refusedBeforeStart() {
    QFETCH(QString, button);
    QFETCH(bool, portOpen);
    QFETCH(QString, said);
    Rig r(std::make_unique<FakeSerialLink>(), "[Comm Port]\r\nCommPort=1\r\n");
    r.find<QLineEdit>("Txt_target_flow")->setText("2000");
    if (!portOpen)
        r.fake().missingPorts = {1};
    r.window->selectPort(0);
    if (portOpen) { // Duration mode with no duration
        r.state.TimingFlag = r.state.DurationModeFlag = "1";
        r.state.runDuration = "255 255";
        r.find<QLineEdit>("txt_duration")->clear();
    }
    r.click(button);
    const QString notice = r.window->statusBar()->currentMessage();
    QVERIFY2(portOpen || notice.startsWith(said), qPrintable(notice));
    QCOMPARE(r.closeBoxes(), portOpen ? QStringList{said} : QStringList());
    QCOMPARE(r.fake().written(), QByteArray());
    QVERIFY(!r.window->session().busy());
    QVERIFY(r.find("Frame20")->isHidden() && r.find("Frame21")->isHidden());
}

// Closing the window while the sequence's closing box is open ends it:
// "RUN_CLEAR" is the last thing the pump receives, the window goes away
// without a crash, and nothing is written after it (nor when the box's
// answer would have come). Closing in a pause is test_pumpsession's.
void TestConfigWindow::closedInTheMiddle() {
    Rig r;
    r.find<QLineEdit>("Txt_target_flow")->setText("2000");
    r.window->selectPort(0);
    QVERIFY(r.showOn(r.window->setupPage()));
    r.click("CommandButton29");
    QTRY_VERIFY_WITH_TIMEOUT(r.window->findChild<QMessageBox*>(), kLong);
    QVERIFY(r.window->session().busy());
    r.window->close();
    const QByteArray atClose = r.fake().written();
    QVERIFY(atClose.endsWith("RUN_CLEAR\r"));
    QCOMPARE(atClose.count("RUN_CLEAR"), 1);
    r.window.reset();
    QTest::qWait(200); // the runner's pauses are zero-length timers here
    QCOMPARE(r.fake().written(), atClose);
}

// ---------------------------------------------------------------- with the simulated pump

// Send a setup to the simulated pump in this process: the next reports show
// the pump's new state and the read-back line says the pump took it. The
// clock's read-back is test_configsequences's; its buttons are clockSends' and
// refusedBeforeStart's.
void TestConfigWindow::roundWithTheSimulatedPump() {
    QDateTime pumpNow(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    Rig r(std::make_unique<SimSerialLink>(SimPumpOptions(), [&pumpNow] { return pumpNow; }));
    r.sim().setPacing(false);
    r.window->session().pcClock = [&pumpNow] { return pumpNow; };
    r.window->selectPort(0);
    r.poll();
    QTRY_COMPARE_WITH_TIMEOUT(r.probe("text:Label44"), QStringLiteral("Password is: Off"), kLong);
    QVERIFY(r.showOn(r.window->setupPage()));

    // The setup.
    for (const char* name : {"Option8", "Option15", "check_trflag", "Opstart"})
        r.click(name);
    r.type("txtLogRate", "30");
    r.click("CommandButton_systime");
    QTRY_VERIFY_WITH_TIMEOUT(r.boxOpen("Done Sending Setup to Pump"), kLong);
    QCOMPARE(r.closeBoxes(), QStringList{"Done Sending Setup to Pump"});
    QTRY_VERIFY_WITH_TIMEOUT(!r.window->session().busy(), kLong);
    r.window->session().stopPolling();
    r.poll();
    QTRY_COMPARE_WITH_TIMEOUT(r.probe("text:lblReadBack"),
                              QStringLiteral("Pump confirmed the setup"), kLong);
    QVERIFY(r.find("lblReadBack")->isVisible());
    QCOMPARE(r.window->statusBar()->currentMessage(), QStringLiteral("Pump confirmed the setup"));
    QCOMPARE(r.probes({"text:Label44", "text:Label48", "text:Label15"}),
             QStringList({"text:Label44=Password is: On",
                          "text:Label48=Unit Of Measurement: English", "text:Label15=Start/Stop"}));

    QVERIFY(r.closeBoxes().isEmpty());
}

QTEST_MAIN(TestConfigWindow)
#include "test_configwindow.moc"
