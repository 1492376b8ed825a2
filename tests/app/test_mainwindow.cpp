// The main window as a technician meets it: pages, start-up values, settings,
// placement, the missing-pump check and shutdown, through a recording port.
#include "app/aboutdialog.h"
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "app/programpage.h"
#include "app/setuppage.h"
#include "app/updownbuttons.h"
#include "config/settingsstore.h"
#include "sim/simpump.h"
#include "support/fakeseriallink.h"
#include "support/testfiles.h"
#include "support/windowtext.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace {
QString shown(QWidget* window, const QString& name) {
    return shownText(window->findChild<QWidget*>(name));
}
bool checked(QWidget* window, const char* name) {
    auto* b = window->findChild<QAbstractButton*>(QLatin1String(name));
    return b && b->isChecked();
}
void click(QWidget* window, const char* name) {
    window->findChild<QAbstractButton*>(QLatin1String(name))->click();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // As main() names it: the About box and its message show this title.
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Corvane")); }
    void init();
    void cleanup() { m_window.reset(); }
    void pagesAndTheirTexts();
    void startUpValues();
    void exitMenuWritesRunClear();
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

private:
    // corvane.INI's lines, blanks and line ends cut off.
    QByteArrayList iniLines() const {
        QFile f(m_dir->filePath(QStringLiteral("corvane.INI")));
        QByteArrayList lines;
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                lines << line.trimmed();
        return lines;
    }
    // corvane.INI with these lines, before the window opens.
    void writeIni(const QByteArray& lines) {
        putFile(m_dir->filePath(QStringLiteral("corvane.INI")), lines);
    }
    std::unique_ptr<MainWindow> open(AppState& state, FakeSerialLink& link, bool demo = false) {
        return std::make_unique<MainWindow>(state, link, windowFiles(*m_dir, demo));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    AppState m_state;
    std::unique_ptr<FakeSerialLink> m_link;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_state = AppState();
    m_link = std::make_unique<FakeSerialLink>();
    m_window = open(m_state, *m_link);
}

void TestMainWindow::pagesAndTheirTexts() {
    auto* tabs = m_window->findChild<QTabWidget*>(QStringLiteral("vaTabPro1"));
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
        QCOMPARE(shown(m_window.get(), QLatin1String(name)), QLatin1String(text));
}

void TestMainWindow::startUpValues() {
    for (const char* name : {"fpDateTime7", "fpDateTime8", "fpDateTime9", "fpDateTime10",
                             "fpDateTimeBREAK1STOP", "fpDateBREAK1START"})
        QCOMPARE(m_window->findChild<DateTimePicker*>(QLatin1String(name))->timeText(),
                 QStringLiteral("12:00:00.00"));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    for (const char* name : {"INP_STRT_Dttm", "fpDateTime1", "fpDateTime2_0"})
        QCOMPARE(m_window->findChild<DateTimePicker*>(QLatin1String(name))->dateText(), today);
    QVERIFY(shown(m_window.get(), "Label19").startsWith("STEP 1: Plug the Communication cable"));
    QVERIFY(m_window->session().timer1().isActive());
    QCOMPARE(m_window->session().timer1().interval(), 1000);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane"));
}

// E&xit stops the pump with "RUN_CLEAR", and the close that follows does so
// again (a plain close, a signal's, is test_comevent's).
void TestMainWindow::exitMenuWritesRunClear() {
    m_window->selectPort(0);
    m_window->findChild<QAction*>(QStringLiteral("Menu_exit"))->trigger();
    QCOMPARE(int(m_link->written().count("RUN_CLEAR\r")), 2);
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("corvane.INI"))));
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
    m_window.reset();
    if (!ini.isEmpty())
        writeIni(ini);
    AppState state;
    FakeSerialLink link;
    auto window = open(state, link, demo);
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("vaTabPro1"));
    QCOMPARE(tabs->tabText(tabs->currentIndex()), tabs->tabText(page));
    QCOMPARE(state.SelectedPort, port + 1);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(checked(window.get(), qPrintable(QStringLiteral("Option7_%1").arg(i))), i == port);
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
    m_window.reset();
    if (!ini.isEmpty())
        writeIni(ini);
    AppState state;
    FakeSerialLink link;
    auto window = open(state, link);
    for (const QString& name : clicks)
        click(window.get(), qPrintable(name));
    window->findChild<QLineEdit*>(QStringLiteral("txtLogRate"))->setText(logRate);
    window->findChild<QLineEdit*>(QStringLiteral("Txt_target_flow"))->setText(target);
    auto* start = window->findChild<DateTimePicker*>(QStringLiteral("INP_STRT_Dttm"));
    auto* stop = window->findChild<DateTimePicker*>(QStringLiteral("fpDateTime1"));
    QVERIFY(start->setDateText("20260315") && start->setTimeText("08:30:05") &&
            stop->setDateText("20260316") && stop->setTimeText("17:45"));
    window->close();
    const QByteArrayList lines = iniLines();
    for (const QByteArray& line : expected)
        QVERIFY2(lines.contains(line), line.constData());

    AppState again;
    FakeSerialLink port;
    auto restarted = open(again, port);
    QCOMPARE(port.currentPort(), again.SelectedPort); // the stored port was opened
    for (const QString& name : restored)
        QVERIFY2(checked(restarted.get(), qPrintable(name)), qPrintable(name));
    QCOMPARE(shown(restarted.get(), "txtLogRate"), QStringLiteral("14"));
    QCOMPARE(shown(restarted.get(), "Txt_target_flow"), QStringLiteral("2000"));
}

void TestMainWindow::placementDefaultsAndIsSavedOnClose() {
    const double dpi = m_window->logicalDpiX();
    QCOMPARE(m_window->geometry().topLeft(),
             QPoint(twipsToPixels(100, dpi), twipsToPixels(1000, dpi)));
    m_window->setGeometry(QRect(30, 40, 900, 700));
    m_window->close();
    const WindowPlacement saved =
        WindowPlacementStore(m_dir->filePath(QStringLiteral("placement.ini"))).load();
    QCOMPARE(saved.width, pixelsToTwips(900, dpi));
    QCOMPARE(saved.height, pixelsToTwips(700, dpi));

    // Saved on a monitor that is gone: the window comes back where it shows.
    WindowPlacementStore(m_dir->filePath(QStringLiteral("placement.ini")))
        .save({-900000, 900000, 8580, 7290});
    AppState state;
    FakeSerialLink link;
    auto again = open(state, link);
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
        again->geometry().topLeft()));
}

// With no pump, "No Pump Found" comes on the seventh tick; a pump that
// answers while it is open closes it by itself and its details show. When
// the box comes and what closing it by hand clears is test_pollcycle's.
void TestMainWindow::missingPumpCheck() {
    m_window->session().timer1().stop(); // ticks are driven by hand
    m_window->selectPort(0);
    for (int tick = 1; tick <= 7; ++tick)
        m_window->session().pollTick();
    QTRY_COMPARE(openBoxes(*m_window).size(), 1);

    QByteArray status(231, '0');
    status.replace(0, 3, "R99").replace(116, 8, "KST12345");
    m_window->session().pollTick();
    m_link->receive(status + "\r");
    QTRY_VERIFY(openBoxes(*m_window).isEmpty());
    QVERIFY(m_window->pendingMessages().isEmpty() && m_window->session().pollTickCount() == 0);
    QCOMPARE(shown(m_window.get(), "Label3_21"), QStringLiteral("Serial Number: KST12345"));
    QVERIFY(!m_window->findChild<QWidget*>(QStringLiteral("Label3_21"))->isHidden());
}

// The target flow box holds what is sent to the pump. Status reports set the
// attached model's bounds on UpDown1; the box keeps its text through them,
// and the file gets back what it held: 1500 is above a KST-1's range and
// below a KST-12's.
void TestMainWindow::flowBoundsLeaveTheBox() {
    const QByteArray target = "1500";
    m_window.reset();
    writeIni("[Program]\r\nTarget=" + target + "\r\n");
    AppState state;
    FakeSerialLink link;
    auto window = open(state, link);
    window->session().timer1().stop();
    window->selectPort(0);
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("Txt_target_flow"));
    QSignalSpy edits(box, &QLineEdit::textChanged);
    UpDownButtons* arrows = window->programPage()->flowUpDown();
    QCOMPARE(box->text(), QString::fromLatin1(target));
    const struct {
        const char* model;
        int min, max;
    } reports[] = {{"31", 100, 600}, {"29", 2000, 12000}, {"31", 100, 600}, {"21", 800, 5000}};
    for (const auto& r : reports) {
        SimPumpOptions options;
        options.model = r.model;
        SimPump pump(options);
        pump.write("R99\r");
        link.receive(pump.read());
        QCOMPARE(std::pair(arrows->minimum(), arrows->maximum()), std::pair(r.min, r.max));
        QCOMPARE(shown(window.get(), "Label_flowrate"),
                 QStringLiteral("Range is %1 cc/min to %2 cc/min").arg(r.min).arg(r.max));
        QCOMPARE(box->text(), QString::fromLatin1(target));
    }
    QCOMPARE(edits.count(), 0);
    window->close();
    QVERIFY2(iniLines().contains("Target=" + target), target.constData());
}

// "&About Corvane" shows one box, not modal; asked again while it is open,
// the same box comes to the front. Once closed, the next one is new.
void TestMainWindow::aboutBoxOnlyOnce() {
    m_window->show();
    auto* about = m_window->findChild<QAction*>(QStringLiteral("aboutcorvane"));
    auto boxes = [this] {
        QList<AboutDialog*> shown = m_window->findChildren<AboutDialog*>();
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
        QTRY_VERIFY(m_window->findChildren<AboutDialog*>().isEmpty());
    }
}

void TestMainWindow::sysInfoUnavailable_data() {
    QTest::addColumn<QString>("viewer");
    QTest::newRow("no viewer found") << QString();
    QTest::newRow("the viewer will not start") << m_dir->filePath(QStringLiteral("no-viewer"));
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
