// The main window as a technician meets it: pages, start-up values, settings,
// placement, the missing-pump check and shutdown, through a recording port.
#include "app/aboutdialog.h"
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "app/programpage.h"
#include "app/setuppage.h"
#include "app/updownbuttons.h"
#include "config/settingsstore.h"
#include "support/testfiles.h"
#include "support/windowrig.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace {
bool checked(QWidget* window, const char* name) {
    if (auto* main = qobject_cast<MainWindow*>(window))
        main->buildPages();
    auto* b = window->findChild<QAbstractButton*>(QLatin1String(name));
    return b && b->isChecked();
}

// A window on the recording port over a settings folder of its own (with
// corvane.INI holding `ini`, if any), and the same window started again.
struct Rig : WindowRig {
    std::unique_ptr<FakeSerialLink> link;
    explicit Rig(const QByteArray& ini = {}, bool demo = false) {
        if (!ini.isEmpty())
            putFile(dir.filePath(QStringLiteral("corvane.INI")), ini);
        restart(demo);
    }
    ~Rig() { window.reset(); } // before the port
    // Closed, then started again with fresh shared values and port.
    void restart(bool demo = false) {
        window.reset();
        state = AppState();
        link = std::make_unique<FakeSerialLink>();
        window = std::make_unique<MainWindow>(state, *link, windowFiles(dir, demo));
    }
    QString shown(const QString& name) const { return shownText(find(name)); }
    // corvane.INI's lines, blanks and line ends cut off.
    QByteArrayList iniLines() const {
        QByteArrayList lines;
        for (const QByteArray& line :
             fileBytes(dir.filePath(QStringLiteral("corvane.INI"))).split('\n'))
            lines << line.trimmed();
        return lines;
    }
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // As main() names it: the About box and its message show this title.
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Corvane")); }
    void pagesAndTheirTexts();
    void startPage_data();
    void startPage();
    void setupPageTakesStoredSettings();
    void programPageValues();
    void savedFromThePages_data();
    void savedFromThePages();
    void placementDefaultsAndIsSavedOnClose();
    void missingPumpCheck();
    void flowBoundsLeaveTheBox();
    void aboutBoxOnlyOnce();
    void sysInfoUnavailable_data();
    void sysInfoUnavailable();
};

// The pages, the texts they show, and the values a fresh start shows.
void TestMainWindow::pagesAndTheirTexts() {
    Rig r;
    auto* tabs = r.find<QTabWidget>(QStringLiteral("vaTabPro1"));
    QVERIFY(tabs);
    const QStringList captions = {"Setup Pump", "Run Mode", "Logs", "Pump Communication",
                                  "Program Pump"};
    const QStringList titles = {"PROGRAM KST", "Real Time", "Read Logs", "PC/Pump Setup", ""};
    QCOMPARE(tabs->count(), 6); // the pump's five pages, then the runs
    QCOMPARE(tabs->tabText(5), QStringLiteral("Sampling Runs"));
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(tabs->tabText(i), captions[i]);
        QCOMPARE(tabs->tabToolTip(i), titles[i]);
    }
    // Texts the pump program has always shown, oddities included.
    const QList<std::pair<const char*, const char*>> texts = {
        {"CommandButton1", "Send PC Time  to Pump"},
        {"Label18", " Current pump settings are in blue text."},
        {"Frame7", "Timimg Values"},
        {"Frame5", "Timing "},
        {"LabelH7", "  File Name"},
        {"CommandButton25", "Erase Logs IN KST"},
        {"Label27", "Pump currently not in Run Mode"},
        {"Label35", "INITIAL CONFIGURATION OF THE KST PUMPS AND CORVANE IS PERFORMED BY THE "
                    "FOLLOWING :"},
        {"CommandButton13", "Send to KST Pump"},
        {"Label3_29", "reading log number 1"},
        {"Label3_31", "No Pump Currently Attached"},
        {"Label_flowrate", "Range is 800 cc/min to 5000 cc/min"},
        {"Label23", "Updating Display"},
        {"Label28", "All logs are saved in English unit of Measurement"},
    };
    for (const auto& [name, text] : texts)
        QCOMPARE(r.shown(QLatin1String(name)), QLatin1String(text));

    // The values a fresh start shows.
    for (const char* name : {"fpDateTime7", "fpDateTime8", "fpDateTime9", "fpDateTime10",
                             "fpDateTimeBREAK1STOP", "fpDateBREAK1START"})
        QCOMPARE(r.find<DateTimePicker>(QLatin1String(name))->timeText(),
                 QStringLiteral("12:00:00.00"));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    for (const char* name : {"INP_STRT_Dttm", "fpDateTime1", "fpDateTime2_0"})
        QCOMPARE(r.find<DateTimePicker>(QLatin1String(name))->dateText(), today);
    QVERIFY(r.shown("Label19").startsWith("STEP 1: Plug the Communication cable"));
    QVERIFY(r.window->session().timer1().isActive());
    QCOMPARE(r.window->session().timer1().interval(), 1000);
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Corvane"));
}

void TestMainWindow::startPage_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("port"); // the Option7 element selected; -1 none
    const QByteArray comm = "[Comm Port]\r\nCommPort=";
    QTest::newRow("no settings file") << QByteArray() << false << 3 << -1;
    QTest::newRow("no settings file, demo pump") << QByteArray() << true << 1 << -1;
    QTest::newRow("CommPort=0 selects no port") << comm + "0\r\n" << false << 3 << -1;
    QTest::newRow("CommPort=4, the last port") << comm + "4\r\n" << false << 1 << 3;
    QTest::newRow("CommPort=5, no such option") << comm + "5\r\n" << false << 3 << -1;
}

// Without a stored port the technician starts on "Pump Communication" to
// choose one; with one (or the demo pump) on the live "Run Mode" page.
void TestMainWindow::startPage() {
    QFETCH(QByteArray, ini);
    QFETCH(bool, demo);
    QFETCH(int, page);
    QFETCH(int, port);
    Rig r(ini, demo);
    auto* tabs = r.find<QTabWidget>(QStringLiteral("vaTabPro1"));
    QCOMPARE(tabs->tabText(tabs->currentIndex()), tabs->tabText(page));
    QCOMPARE(r.state.SelectedPort, port + 1);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(checked(r.window.get(), qPrintable(QStringLiteral("Option7_%1").arg(i))),
                 i == port);
}

// The settings load sets the options in the file's key order, each from
// what the page showed before: a missing password or flow-fault value leaves
// "On" / "Activated" as it was, "Volumetric=0" deselects Option17 and leaves
// Option16 alone, a log rate that is no number leaves the box's text.
void TestMainWindow::setupPageTakesStoredSettings() {
    const struct {
        const char* name;
        std::function<void(StoredSettings&)> before, after;
        const char* expected; // the selected option buttons, then the log rate
    } rows[] = {
        {"defaults", {}, {}, "Option9 Option10 Option13 Option14 Opduration | 0"},
        {"password and flow fault True, then missing",
         [](StoredSettings& s) { s.password = s.flowFault = true; },
         [](StoredSettings& s) { s.password = s.flowFault = std::nullopt; },
         "Option8 Option11 Option13 Option14 Opduration | 0"},
        {"password and flow fault False, then missing",
         [](StoredSettings& s) { s.password = s.flowFault = false; },
         [](StoredSettings& s) { s.password = s.flowFault = std::nullopt; },
         "Option9 Option10 Option13 Option14 Opduration | 0"},
        {"Volumetric=0 deselects Option17 only", [](StoredSettings& s) { s.volumetric = -1; },
         [](StoredSettings& s) { s.volumetric = 0; },
         "Option9 Option10 Option13 Option14 Opduration | 0"},
        {"timing off after Start/Stop: Start/Stop=0 selects Duration",
         [](StoredSettings& s) {
             s.timingOn = 1;
             s.startStop = -1;
         },
         [](StoredSettings& s) { s.startStop = 0; },
         "Option9 Option10 Option13 Option14 Opduration | 0"},
        {"a log rate that is no number keeps the box", [](StoredSettings& s) { s.logRate = 42; },
         [](StoredSettings& s) { s.logRate = std::nullopt; },
         "Option9 Option10 Option13 Option14 Opduration | 42"},
        {"integers read back as written: any non-zero selects",
         [](StoredSettings& s) { s.startupScreen = s.measure = s.startStop = 7; },
         [](StoredSettings& s) { s.startupScreen = s.measure = s.startStop = 7; },
         "Option9 Option10 Option12 Option15 Opstart | 0"},
    };
    const char* options[] = {"Option8",      "Option9",  "Option10",  "Option11", "Option12",
                             "Option13",     "Option14", "Option15",  "Option16", "Option17",
                             "check_trflag", "Opstart",  "Opduration"};
    for (const auto& row : rows) {
        SetupPage page;
        auto load = [&page](const std::function<void(StoredSettings&)>& change) {
            StoredSettings s;
            if (change)
                change(s);
            page.applyStored(s);
        };
        load(row.before);
        if (row.after) // a second load only where the row has one
            load(row.after);
        QStringList selected;
        for (const char* name : options)
            if (checked(&page, name))
                selected << QLatin1String(name);
        QCOMPARE(selected.join(' ') + " | " + page.values().logRate,
                 QString::fromLatin1(row.expected));
    }
}

// Every member of the program page's values, texts as the boxes and pickers
// show them.
void TestMainWindow::programPageValues() {
    ProgramPage page;
    auto picker = [&page](const char* name) {
        return page.findChild<DateTimePicker*>(QLatin1String(name));
    };
    page.showStartValues(QDateTime(QDate(2026, 3, 15), QTime(8, 30, 5)));
    page.findChild<QLineEdit*>(QStringLiteral("Txt_target_flow"))->setText(QStringLiteral(" 1500"));
    QVERIFY(picker("fpDateTime1")->setDateText(QStringLiteral("20260316")) &&
            picker("fpDateTime1")->setTimeText(QStringLiteral("17:45")));
    QVERIFY(picker("fpDateBREAK1START")->setTimeText(QStringLiteral("10:00")) &&
            picker("fpDateTimeBREAK1STOP")->setTimeText(QStringLiteral("10:15")) &&
            picker("fpDateTime9")->setTimeText(QStringLiteral("12:30")) &&
            picker("fpDateTime8")->setTimeText(QStringLiteral("15:05")));
    for (const char* check : {"Check1", "Check3"})
        page.findChild<QAbstractButton*>(QLatin1String(check))->setChecked(true);
    page.findChild<QLineEdit*>(QStringLiteral("txt_duration"))->setText(QStringLiteral("0245"));

    const ProgramValues v = page.values();
    auto pause = [](const PauseValues& p) {
        return QStringLiteral("%1 %2-%3").arg(p.ticked).arg(p.start, p.stop);
    };
    const QStringList got = {v.targetFlow,
                             v.startDate + ' ' + v.startTime,
                             v.stopDate + ' ' + v.stopTime,
                             pause(v.break1),
                             pause(v.lunch),
                             pause(v.break2),
                             v.durationText};
    const QStringList expected = {" 1500",
                                  "20260315 08:30:05.00",
                                  "20260316 17:45:00.00",
                                  "1 10:00:00.00-10:15:00.00",
                                  "0 12:30:00.00-12:00:00.00",
                                  "1 12:00:00.00-15:05:00.00",
                                  "02:45"};
    QCOMPARE(got, expected);
}

void TestMainWindow::savedFromThePages_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("logRate");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<QStringList>("restored"); // ticked at the next start
    const QByteArrayList allOn = QByteArray("CommPort=3|Password=True|FlowFlault=True|"
                                            "Startup Screen=-1|Loging=14|Timing on=1|"
                                            "Start/Stop=-1|Measure=-1|Volumetric=-1|Target=2000|"
                                            "Strt_dttm=20260315 08:30:05.00|"
                                            "Stop_dttm=20260316 17:45:00.00")
                                     .split('|');
    const QStringList on = {"Option7_2", "Option8",  "Option11",     "Option12",
                            "Option15",  "Option17", "check_trflag", "Opstart"};
    QTest::newRow("every option on, halves rounded to even") << QByteArray() << on << "14.5"
                                                             << "1999.5" << allOn << on;
    QTest::newRow("every option off, texts that are no number keep the file's")
        << ("[Comm Port]\r\nCommPort=3\r\n[Program]\r\n" + allOn.mid(1).join("\r\n") + "\r\n")
        << QStringList{"Option7_0", "Option9",  "Option10",     "Option13",
                       "Option14",  "Option16", "check_trflag", "Opduration"}
        << "abc"
        << ""
        << QByteArray("CommPort=1|Password=False|FlowFlault=False|Startup Screen=0|Loging=14|"
                      "Timing on=0|Start/Stop=0|Measure=0|Volumetric=0|Target=2000")
               .split('|')
        << QStringList{"Option7_0", "Option9", "Option10", "Option13", "Option14", "Opduration"};
}

// What the pages show when the window closes is what the file keeps, and
// what the next start shows again.
void TestMainWindow::savedFromThePages() {
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, clicks);
    QFETCH(QString, logRate);
    QFETCH(QString, target);
    QFETCH(QByteArrayList, expected);
    QFETCH(QStringList, restored);
    Rig r(ini);
    for (const QString& name : clicks)
        r.click(qPrintable(name));
    r.find<QLineEdit>(QStringLiteral("txtLogRate"))->setText(logRate);
    r.find<QLineEdit>(QStringLiteral("Txt_target_flow"))->setText(target);
    auto* start = r.find<DateTimePicker>(QStringLiteral("INP_STRT_Dttm"));
    auto* stop = r.find<DateTimePicker>(QStringLiteral("fpDateTime1"));
    QVERIFY(start->setDateText("20260315") && start->setTimeText("08:30:05") &&
            stop->setDateText("20260316") && stop->setTimeText("17:45"));
    r.window->close();
    const QByteArrayList lines = r.iniLines();
    for (const QByteArray& line : expected)
        QVERIFY2(lines.contains(line), line.constData());

    r.restart();
    QCOMPARE(r.link->currentPort(), r.state.SelectedPort); // the stored port was opened
    for (const QString& name : restored)
        QVERIFY2(checked(r.window.get(), qPrintable(name)), qPrintable(name));
    QCOMPARE(r.shown("txtLogRate"), QStringLiteral("14"));
    QCOMPARE(r.shown("Txt_target_flow"), QStringLiteral("2000"));
}

void TestMainWindow::placementDefaultsAndIsSavedOnClose() {
    Rig r;
    const double dpi = r.window->logicalDpiX();
    QCOMPARE(r.window->geometry().topLeft(),
             QPoint(twipsToPixels(100, dpi), twipsToPixels(1000, dpi)));
    r.window->setGeometry(QRect(30, 40, 900, 700));
    r.window->close();
    const WindowPlacement saved =
        WindowPlacementStore(r.dir.filePath(QStringLiteral("placement.ini"))).load();
    QCOMPARE(saved.width, pixelsToTwips(900, dpi));
    QCOMPARE(saved.height, pixelsToTwips(700, dpi));

    // Saved on a monitor that is gone: the window comes back where it shows.
    WindowPlacementStore(r.dir.filePath(QStringLiteral("placement.ini")))
        .save({-900000, 900000, 8580, 7290});
    r.restart();
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
        r.window->geometry().topLeft()));
}

// With no pump, "No Pump Found" comes on the seventh tick; a pump that
// answers while it is open closes it by itself and its details show. When
// the box comes and what closing it by hand clears is test_pumpsession's.
void TestMainWindow::missingPumpCheck() {
    Rig r;
    r.window->session().timer1().stop(); // ticks are driven by hand
    r.window->selectPort(0);
    for (int tick = 1; tick <= 7; ++tick)
        r.window->session().pollTick();
    QTRY_COMPARE(openBoxes(*r.window).size(), 1);

    QByteArray status(231, '0');
    status.replace(0, 3, "R99").replace(116, 8, "KST12345");
    r.window->session().pollTick();
    r.link->receive(status + "\r");
    QTRY_VERIFY(openBoxes(*r.window).isEmpty());
    QVERIFY(r.window->pendingMessages().isEmpty() && r.window->session().pollTickCount() == 0);
    QCOMPARE(r.shown("Label3_21"), QStringLiteral("Serial Number: KST12345"));
    QVERIFY(!r.window->findChild<QWidget*>(QStringLiteral("Label3_21"))->isHidden());
}

// The target flow box holds what is sent to the pump. Status reports set the
// attached model's bounds on UpDown1; the box keeps its text through them,
// and the file gets back what it held: 1500 is above a KST-1's range and
// below a KST-12's.
void TestMainWindow::flowBoundsLeaveTheBox() {
    const QByteArray target = "1500";
    Rig r("[Program]\r\nTarget=" + target + "\r\n");
    r.window->session().timer1().stop();
    r.window->selectPort(0);
    auto* box = r.find<QLineEdit>(QStringLiteral("Txt_target_flow"));
    QSignalSpy edits(box, &QLineEdit::textChanged);
    UpDownButtons* arrows = r.window->programPage()->flowUpDown();
    QCOMPARE(box->text(), QString::fromLatin1(target));
    const struct {
        const char* model;
        int min, max;
    } reports[] = {{"31", 100, 600}, {"29", 2000, 12000}, {"31", 100, 600}, {"21", 800, 5000}};
    for (const auto& m : reports) {
        r.link->receive(statusOf(m.model));
        QCOMPARE(std::pair(arrows->minimum(), arrows->maximum()), std::pair(m.min, m.max));
        QCOMPARE(r.shown("Label_flowrate"),
                 QStringLiteral("Range is %1 cc/min to %2 cc/min").arg(m.min).arg(m.max));
        QCOMPARE(box->text(), QString::fromLatin1(target));
    }
    QCOMPARE(edits.count(), 0);
    r.window->close();
    QVERIFY2(r.iniLines().contains("Target=" + target), target.constData());
}

// "&About Corvane" shows one box, not modal; asked again while it is open,
// the same box comes to the front. Once closed, the next one is new.
void TestMainWindow::aboutBoxOnlyOnce() {
    Rig r;
    r.window->show();
    auto* about = r.find<QAction>(QStringLiteral("aboutcorvane"));
    auto boxes = [&r] {
        QList<AboutDialog*> shown = r.window->findChildren<AboutDialog*>();
        shown.removeIf([](const AboutDialog* d) { return !d->isVisible(); });
        return shown;
    };
    for (int round = 0; round < 2; ++round) {
        about->trigger();
        about->trigger();
        QCOMPARE(boxes().size(), 1);
        AboutDialog* box = boxes().first();
        QVERIFY(!box->isModal() && box->windowTitle() == QStringLiteral("About Corvane"));
        box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QTRY_VERIFY(r.window->findChildren<AboutDialog*>().isEmpty());
    }
}

void TestMainWindow::sysInfoUnavailable_data() {
    QTest::addColumn<QString>("viewer");
    QTest::newRow("no viewer found") << QString();
    QTest::newRow("the viewer will not start") << QStringLiteral("/nonexistent/no-viewer");
}

// "System Info..." without a viewer to start tells so, under the program's
// title.
void TestMainWindow::sysInfoUnavailable() {
    QFETCH(QString, viewer);
    AboutDialog about(QStringLiteral("corvane.INI"), nullptr, [viewer] { return viewer; });
    about.show();
    about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
    auto* box = about.findChild<QMessageBox*>();
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->windowTitle() + QStringLiteral(" | ") + box->text(),
             QStringLiteral("Corvane | System Information Is Unavailable At This Time"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
