// The main window as a technician meets it: pages, start-up values, port
// choice and shutdown, driven through a recording serial port.
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "link/fakeseriallink.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pagesHaveTheirCaptionsAndTitles();
    void namedElementsExist_data();
    void namedElementsExist();
    void startUpValues();
    void shutdownWritesRunClear_data();
    void shutdownWritesRunClear();
    void noSettingsFileGivesTheDefaults();
    void settingsSurviveARestart();
    void placementDefaultsAndIsSavedOnClose();
    void noPumpFoundOnTheSeventhTickThenNoPumpState();
    void answeringPumpIsNeverReportedMissing();

private:
    QByteArray runClears() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FakeSerialLink> m_link;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_state = std::make_unique<AppState>();
    m_state->ProgramFolder = m_dir->path();
    m_link = std::make_unique<FakeSerialLink>();
    m_window = std::make_unique<MainWindow>(
        *m_state, *m_link,
        MainWindow::Options{m_dir->filePath(QStringLiteral("corvane.INI")), false,
                            m_dir->filePath(QStringLiteral("placement.ini"))});
}

void TestMainWindow::cleanup() {
    m_window.reset();
    m_link.reset();
    m_state.reset();
    m_dir.reset();
}

void TestMainWindow::pagesHaveTheirCaptionsAndTitles() {
    auto* tabs = m_window->findChild<QTabWidget*>(QStringLiteral("vaTabPro1"));
    QVERIFY(tabs);
    const QStringList captions = {"Setup Pump", "Run Mode", "Logs", "Pump Communication",
                                  "Program Pump"};
    const QStringList titles = {"PROGRAM KST", "Real Time", "Read Logs", "PC/Pump Setup", ""};
    QCOMPARE(tabs->count(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(tabs->tabText(i), captions[i]);
        QCOMPARE(tabs->tabToolTip(i), titles[i]);
    }
}

void TestMainWindow::namedElementsExist_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    // Texts the pump program has always shown, oddities included.
    const QList<std::pair<const char*, const char*>> rows = {
        {"Frame13", "Reset Time In KST Pump"},
        {"CommandButton1", "Send PC Time  to Pump"},
        {"Label18", " Current pump settings are in blue text."},
        {"Frame7", "Timimg Values"},
        {"Frame5", "Timing "},
        {"LabelH7", "  File Name"},
        {"CommandButton25", "Erase Logs IN KST"},
        {"Label27", "Pump currently not in Run Mode"},
        {"Frame21", "Checking Pump Connection"},
        {"Label35", "INITIAL CONFIGURATION OF THE KST PUMPS AND CORVANE IS PERFORMED BY THE "
                    "FOLLOWING :"},
        {"Label32", "Com Port Setup is for Communication between your PC and the Pump."},
        {"CommandButton13", "Send to KST Pump"},
        {"Label3_29", "reading log number 1"},
        {"Label3_10", "No Pump Currently Attached"},
        {"Label3_31", "No Pump Currently Attached"},
        {"Label_flowrate", "Range is 800 cc/min to 5000 cc/min"},
        {"Label23", "Updating Display"},
        {"Label28", "All logs are saved in English unit of Measurement"},
    };
    for (const auto& [name, text] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text);
}

void TestMainWindow::namedElementsExist() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QWidget* w = m_window->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QString shown;
    if (auto* l = qobject_cast<QLabel*>(w))
        shown = l->text();
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        shown = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        shown = g->title();
    QCOMPARE(shown, text);
}

void TestMainWindow::startUpValues() {
    for (const char* name : {"fpDateTime7", "fpDateTime8", "fpDateTime9", "fpDateTime10",
                             "fpDateTimeBREAK1STOP", "fpDateBREAK1START"}) {
        auto* p = m_window->findChild<DateTimePicker*>(QLatin1String(name));
        QVERIFY2(p, name);
        QCOMPARE(p->timeText(), QStringLiteral("12:00:00.00"));
    }
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    for (const char* name : {"INP_STRT_Dttm", "fpDateTime1", "fpDateTime2_0"}) {
        auto* p = m_window->findChild<DateTimePicker*>(QLatin1String(name));
        QVERIFY2(p, name);
        QCOMPARE(p->dateText(), today);
    }
    auto* step1 = m_window->findChild<QLabel*>(QStringLiteral("Label19"));
    QVERIFY(step1->text().startsWith(QLatin1String("STEP 1: Plug the Communication cable")));
    QVERIFY(m_window->timer1().isActive());
    QCOMPARE(m_window->timer1().interval(), 1000);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane"));
}

QByteArray TestMainWindow::runClears() const {
    QByteArray all = m_link->written();
    return QByteArray::number(all.count("RUN_CLEAR\r"));
}

void TestMainWindow::shutdownWritesRunClear_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<QByteArray>("count");
    QTest::newRow("E&xit writes it, then the close does") << true << QByteArray("2");
    QTest::newRow("closing the window") << false << QByteArray("1");
}

void TestMainWindow::shutdownWritesRunClear() {
    QFETCH(bool, byMenu);
    QFETCH(QByteArray, count);
    m_window->selectPort(0);
    if (byMenu)
        m_window->findChild<QAction*>(QStringLiteral("Menu_exit"))->trigger();
    else
        m_window->close();
    QCOMPARE(runClears(), count);
    // The settings were saved on the way out.
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("corvane.INI"))));
}

namespace {
bool isChecked(QWidget* window, const char* name) {
    auto* b = window->findChild<QAbstractButton*>(QLatin1String(name));
    return b && b->isChecked();
}
QString text(QWidget* window, const char* name) {
    if (auto* e = window->findChild<QLineEdit*>(QLatin1String(name)))
        return e->text();
    if (auto* l = window->findChild<QLabel*>(QLatin1String(name)))
        return l->text();
    return QStringLiteral("<missing>");
}
} // namespace

void TestMainWindow::noSettingsFileGivesTheDefaults() {
    QCOMPARE(m_state->SelectedPort, 0);
    QVERIFY(m_link->events.isEmpty()); // no port opened
    QVERIFY(!isChecked(m_window.get(), "check_trflag"));
    QVERIFY(isChecked(m_window.get(), "Option13"));   // start-up screens Off
    QVERIFY(isChecked(m_window.get(), "Option14"));   // Metric
    QVERIFY(isChecked(m_window.get(), "Opduration")); // Duration
    QVERIFY(isChecked(m_window.get(), "Option9"));    // password Off
    QVERIFY(isChecked(m_window.get(), "Option10"));   // flow fault Deactivated
    QVERIFY(!isChecked(m_window.get(), "Option17"));
    QVERIFY(!isChecked(m_window.get(), "Option16"));
    QCOMPARE(text(m_window.get(), "txtLogRate"), QStringLiteral("0"));
    QCOMPARE(text(m_window.get(), "Txt_target_flow"), QStringLiteral("0"));
}

void TestMainWindow::settingsSurviveARestart() {
    m_window->findChild<QAbstractButton*>(QStringLiteral("Option7_1"))->click();
    m_window->findChild<QAbstractButton*>(QStringLiteral("Option8"))->click();
    m_window->findChild<QAbstractButton*>(QStringLiteral("Option12"))->click();
    m_window->findChild<QAbstractButton*>(QStringLiteral("Option15"))->click();
    m_window->findChild<QAbstractButton*>(QStringLiteral("check_trflag"))->click();
    m_window->findChild<QAbstractButton*>(QStringLiteral("Opstart"))->click();
    m_window->findChild<QLineEdit*>(QStringLiteral("txtLogRate"))->setText(QStringLiteral("2.5"));
    m_window->findChild<QLineEdit*>(QStringLiteral("Txt_target_flow"))
        ->setText(QStringLiteral("2000"));
    m_window->close();

    // The file holds what a technician would read in it.
    QFile f(m_dir->filePath(QStringLiteral("corvane.INI")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray ini = f.readAll();
    QVERIFY2(ini.contains("CommPort=2"), ini.constData());
    QVERIFY2(ini.contains("Startup Screen=-1"), ini.constData());
    QVERIFY2(ini.contains("Password=True"), ini.constData());
    QVERIFY2(ini.contains("Loging=2"), ini.constData()); // 2.5 to the even neighbour

    AppState state;
    FakeSerialLink link;
    MainWindow again(state, link,
                     {m_dir->filePath(QStringLiteral("corvane.INI")), false,
                      m_dir->filePath(QStringLiteral("placement.ini"))});
    QCOMPARE(state.SelectedPort, 2);
    QCOMPARE(link.currentPort(), 2);
    QVERIFY(isChecked(&again, "Option7_1"));
    QVERIFY(isChecked(&again, "Option8"));
    QVERIFY(isChecked(&again, "Option12"));
    QVERIFY(isChecked(&again, "Option15"));
    QVERIFY(isChecked(&again, "check_trflag"));
    QVERIFY(isChecked(&again, "Opstart"));
    QCOMPARE(text(&again, "txtLogRate"), QStringLiteral("2"));
    QCOMPARE(text(&again, "Txt_target_flow"), QStringLiteral("2000"));
}

void TestMainWindow::placementDefaultsAndIsSavedOnClose() {
    const double dpi = m_window->logicalDpiX();
    QCOMPARE(m_window->geometry().x(), twipsToPixels(100, dpi));
    QCOMPARE(m_window->geometry().y(), twipsToPixels(1000, dpi));
    m_window->setGeometry(QRect(30, 40, 900, 700));
    m_window->close();
    WindowPlacementStore store(m_dir->filePath(QStringLiteral("placement.ini")));
    const WindowPlacement saved = store.load();
    QCOMPARE(saved.width, pixelsToTwips(900, dpi));
    QCOMPARE(saved.height, pixelsToTwips(700, dpi));
}

void TestMainWindow::noPumpFoundOnTheSeventhTickThenNoPumpState() {
    m_window->timer1().stop(); // ticks are driven by hand
    m_window->selectPort(0);
    for (int tick = 1; tick <= 6; ++tick) {
        m_window->pollTick();
        QCoreApplication::processEvents();
        QVERIFY2(m_window->pendingMessages().isEmpty(), qPrintable(QString::number(tick)));
    }
    m_window->pollTick();
    QTRY_COMPARE(m_window->pendingMessages(), QStringList{QStringLiteral("No Pump Found")});
    // While the box is open no tick runs and no second box stacks up.
    const int writes = m_link->written().count("R99\rZ99\r");
    m_window->pollTick();
    QCOMPARE(m_link->written().count("R99\rZ99\r"), writes);
    QCOMPARE(text(m_window.get(), "Label6"), QStringLiteral("Updating Display"));
    QTRY_VERIFY(m_window->findChild<QMessageBox*>());
    QVERIFY(m_window->acceptMessage());
    QCOMPARE(m_state->PollTickCount, 0);
    QCOMPARE(text(m_window.get(), "Label6"), QString());
    QCOMPARE(text(m_window.get(), "Label3_10"), QStringLiteral("No Pump Currently Attached"));
    QVERIFY(m_window->findChild<QWidget*>(QStringLiteral("Frame2"))->isHidden());
}

void TestMainWindow::answeringPumpIsNeverReportedMissing() {
    m_window->timer1().stop();
    m_window->selectPort(0);
    QByteArray status(231, '0');
    status.replace(0, 3, "R99");
    status.replace(116, 8, "KST12345");
    for (int tick = 1; tick <= 21; ++tick) {
        m_window->pollTick();
        m_link->receive(status + "\r");
        QCoreApplication::processEvents();
    }
    QVERIFY(m_window->pendingMessages().isEmpty());
    QCOMPARE(text(m_window.get(), "Label3_21"), QStringLiteral("Serial Number: KST12345"));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
