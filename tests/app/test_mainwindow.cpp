// The main window as a technician meets it: pages, start-up values, port
// choice and shutdown, driven through a recording serial port.
#include "app/datetimepicker.h"
#include "app/mainwindow.h"
#include "app/signalclose.h"
#include "link/fakeseriallink.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pagesHaveTheirCaptionsAndTitles();
    void namedElementsExist_data();
    void namedElementsExist();
    void startUpValues();
    void exitWritesRunClearTwice();
    void closeWritesRunClearOnce();
    void portChoiceClosesBeforeOpening();
    void portTipsShowDevices();
    void terminationSignalClosesTheWindowNormally();

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
    const QList<std::pair<const char*, const char*>> rows = {
        {"Frame13", "Reset Time In KST Pump"},
        {"Frame21", "Checking Pump Connection"},
        {"CommandButton1", "Send PC Time  to Pump"},
        {"CommandButton3", "Send to Pump"},
        {"CommandButton_systime", "Send Setup To Pump"},
        {"Label18", " Current pump settings are in blue text."},
        {"Frame3", "Unit run time history"},
        {"Frame_Rundown", "DP and Battery Life"},
        {"Frame_RUNUP", "STP Conditions"},
        {"frmTimingR_1", "Current Setup Status"},
        {"Frame7", "Timimg Values"},
        {"Frame2", "Current Sampling Data"},
        {"Label27", "Pump currently not in Run Mode"},
        {"CommandButton16", "Refresh Display"},
        {"Frame6", "Reading logs"},
        {"CommandButton7", "Read Logs From KST"},
        {"CommandButton8", "Save Logs"},
        {"CommandButton9", "Print Logs"},
        {"CommandButton10", "Open Log"},
        {"CommandButton25", "Erase Logs IN KST"},
        {"CommandButton28", "Clear PC Screen"},
        {"Frame19", "Current Pump Data"},
        {"CommandButton2", "Refresh Current Pump Data"},
        {"LabelH7", "  File Name"},
        {"Frame4", "Com Port Setup"},
        {"Label35", "INITIAL CONFIGURATION OF THE KST PUMPS AND CORVANE IS PERFORMED BY THE "
                    "FOLLOWING :"},
        {"Label32", "Com Port Setup is for Communication between your PC and the Pump."},
        {"Frame5", "Timing "},
        {"CommandButton29", "Program Pump"},
        {"CommandButton4", "Clear Sampling Data in Pump"},
        {"CommandButton11", "Clear Screen"},
        {"CommandButton14", "Erase Logs"},
        {"CommandButton13", "Send to KST Pump"},
        {"Label3_10", "No Pump Currently Attached"},
        {"Label3_20", "No Pump Currently Attached"},
        {"Label3_22", "No Pump Currently Attached"},
        {"Label3_25", "No Pump Currently Attached"},
        {"Label3_31", "No Pump Currently Attached"},
        {"Label_flowrate", "Range is 800 cc/min to 5000 cc/min"},
        {"Label_targetL", "2.00 L/min"},
        {"Label3_29", "reading log number 1"},
        {"Label6", "Updating Display"},
        {"Label21", "Updating Display"},
        {"Label22", "Updating Display"},
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

void TestMainWindow::exitWritesRunClearTwice() {
    m_window->selectPort(0);
    auto* exit = m_window->findChild<QAction*>(QStringLiteral("Menu_exit"));
    QVERIFY(exit);
    exit->trigger();
    QCOMPARE(runClears(), QByteArray("2"));
}

void TestMainWindow::closeWritesRunClearOnce() {
    m_window->selectPort(0);
    m_window->close();
    QCOMPARE(runClears(), QByteArray("1"));
}

void TestMainWindow::portChoiceClosesBeforeOpening() {
    m_window->selectPort(0);
    auto* com3 = m_window->findChild<QRadioButton*>(QStringLiteral("Option7_2"));
    QVERIFY(com3);
    com3->click();
    QCOMPARE(m_state->SelectedPort, 3);
    QVERIFY(com3->isChecked());
    // Open 1, close 1, open 3: the first port is closed before the next opens.
    QList<FakeSerialLink::Event::Type> types;
    for (const auto& e : m_link->events)
        types << e.type;
    QCOMPARE(types, (QList<FakeSerialLink::Event::Type>{FakeSerialLink::Event::Open,
                                                        FakeSerialLink::Event::Close,
                                                        FakeSerialLink::Event::Open}));
    QCOMPARE(m_link->events.last().port, 3);
    QCOMPARE(m_link->events.last().data, QByteArray("57600,N,8,1"));
}

void TestMainWindow::portTipsShowDevices() {
    for (int i = 0; i < 4; ++i) {
        auto* opt = m_window->findChild<QRadioButton*>(QStringLiteral("Option7_%1").arg(i));
        QVERIFY(opt);
        QCOMPARE(opt->text(), QStringLiteral("Com%1").arg(i + 1));
        QCOMPARE(opt->toolTip(), m_link->deviceName(i + 1));
    }
}

void TestMainWindow::terminationSignalClosesTheWindowNormally() {
#ifdef Q_OS_UNIX
    m_window->selectPort(0);
    m_window->show();
    closeWindowOnTerminationSignals(m_window.get());
    ::raise(SIGTERM);
    QTRY_VERIFY(!m_window->isVisible());
    // The shutdown sequence ran: RUN_CLEAR went out.
    QCOMPARE(runClears(), QByteArray("1"));
#else
    QSKIP("no termination signals here");
#endif
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
