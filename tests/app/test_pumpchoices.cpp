// The window's wiring of three choices made with the pump in mind: the
// program read-back's verdict after "Program Pump is completed" (a box when
// the pump did not take it), "Take the pump's settings" on the Setup page,
// and the serial device named for a Com port. The rules are the core's
// tests (test_programreadback, test_takesettings); here the simulated pump,
// a recording port and a stand-in device list. Pauses run on a stepping
// clock; the poll is ticked by hand.
#include "app/mainwindow.h"
#include "link/fakeseriallink.h"
#include "link/portmap.h"
#include "sim/simseriallink.h"
#include "support/steppingclock.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kLong = 60000; // ms: a bound for anything event-driven

struct Devices : SerialDevices {
    QList<SerialDevice> available() const override {
        return {{"ttyUSB0", "FT232R USB UART", "A10K1234", "/dev/ttyUSB0"},
                {"ttyS0", "", "", "/dev/ttyS0"}};
    }
};

struct Rig {
    QTemporaryDir dir;
    AppState state;
    SteppingClock clock{36000.2};
    Devices devices;
    QDateTime pumpNow{QDate(2026, 3, 2), QTime(9, 0), Qt::UTC};
    std::unique_ptr<SerialLink> link;
    std::unique_ptr<MainWindow> window;

    explicit Rig(std::unique_ptr<SerialLink> serial) : link(std::move(serial)) {
        window = std::make_unique<MainWindow>(state, *link,
                                              MainWindow::Options{ini(), false,
                                                                  dir.filePath("placement.ini"),
                                                                  &clock, nullptr, &devices});
        PumpSession& s = window->session();
        s.runner().waiter().maxSleepMs = 0;
        s.readBack().setTimeoutMs(10 * 60 * 1000);
        s.readBack().setProgramTimeoutMs(10 * 60 * 1000);
        s.stopPolling();
    }
    QString ini() const { return dir.filePath("corvane.INI"); }
    SimSerialLink& sim() { return static_cast<SimSerialLink&>(*link); }
    template <class T = QWidget> T* find(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    void poll() {
        window->session().pollTick();
        QTest::qWait(20);
    }
    // The next box's text, closed with OK; empty when none opened in time.
    QString nextBox() {
        QString text;
        (void)QTest::qWaitFor(
            [&] {
                for (QMessageBox* b : window->findChildren<QMessageBox*>())
                    if (b->isVisible())
                        text = b->text();
                return !text.isEmpty();
            },
            kLong);
        window->acceptMessage();
        return text;
    }
    // A window on the simulated pump, its reports in.
    static std::unique_ptr<Rig> onSimulatedPump(const SimPumpOptions& options,
                                                const QByteArray& before = {}) {
        auto sim = std::make_unique<SimSerialLink>(options);
        sim->setPacing(false);
        if (!before.isEmpty() && sim->open(1, QStringLiteral("57600,N,8,1"))) {
            sim->write(before);
            sim->close();
        }
        auto r = std::make_unique<Rig>(std::move(sim));
        r->window->selectPort(0);
        r->poll();
        return r;
    }
};

} // namespace

class TestPumpChoices : public QObject {
    Q_OBJECT
private slots:
    // The verdict comes once the pump is back after its power-off: in the
    // program page's label, and in a box when the pump did not take it.
    void programVerdict_data() {
        QTest::addColumn<QByteArrayList>("ignored");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("label");
        QTest::newRow("taken") << QByteArrayList{} << ""
                               << "Pump confirmed the program";
        QTest::newRow("flow missed")
            << QByteArrayList{"W04"}
            << "The pump did not take: Target flow (sent 1500, pump reports 2000)"
            << "The pump did not take: Target flow (sent 1500, pump reports 2000)";
    }
    void programVerdict() {
        QFETCH(QByteArrayList, ignored);
        QFETCH(QString, box);
        QFETCH(QString, label);
        SimPumpOptions pump;
        pump.faults.ignoreCommands = ignored;
        auto r = Rig::onSimulatedPump(pump);
        QTRY_VERIFY_WITH_TIMEOUT(r->window->session().presence() == PumpSession::Presence::Attached,
                                 kLong);
        r->find<QLineEdit>("Txt_target_flow")->setText("1500");
        r->find<QAbstractButton>("CommandButton29")->click();
        QCOMPARE(r->nextBox(), "Program Pump is completed");
        QTRY_VERIFY_WITH_TIMEOUT(!r->window->session().busy(), kLong);
        QVERIFY(r->find<QLabel>("lblProgramReadBack")->text().isEmpty());
        r->sim().pump().powerOn();
        r->poll();
        QTRY_COMPARE_WITH_TIMEOUT(r->find<QLabel>("lblProgramReadBack")->text(), label, kLong);
        if (box.isEmpty())
            QCOMPARE(r->window->statusBar()->currentMessage(), label);
        else
            QCOMPARE(r->nextBox(), box);
    }

    // The setup page takes what the pump reports, and nothing is written.
    void takeThePumpsSettings() {
        auto r = Rig::onSimulatedPump({}, "G09\rG01\rG10\rY02\rY03\rG13\rW06 7\r");
        QTRY_COMPARE_WITH_TIMEOUT(r->find<QLabel>("Label44")->text(), "Password is: On", kLong);
        const int linesBefore = r->sim().pump().linesSent();
        r->find<QAbstractButton>("cmdTakePumpSettings")->click();
        QTest::qWait(50);
        QCOMPARE(r->sim().pump().linesSent(), linesBefore);
        QStringList chosen;
        for (const char* name : {"Option8", "Option11", "Option12", "check_trflag", "Opduration",
                                 "Option14", "Option16"})
            if (r->find<QAbstractButton>(name)->isChecked())
                chosen << name;
        QCOMPARE(chosen, (QStringList{"Option8", "Option11", "Option12", "check_trflag",
                                      "Opduration", "Option14", "Option16"}));
        QCOMPARE(r->find<QLineEdit>("txtLogRate")->text(), "7");
        QCOMPARE(r->window->statusBar()->currentMessage(), "Setup choices taken from the pump");
    }

    // The device list beside Com1-Com4; the chosen one is named for the
    // chosen port in corvane.INI, as a user would write it by hand.
    void portChooser_data() {
        QTest::addColumn<int>("port"); // index of the option chosen; -1 none
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("said");
        QTest::newRow("Com2") << 1 << "/dev/ttyUSB0"
                              << "";
        QTest::newRow("no port chosen") << -1 << ""
                                        << "Choose Com1 to Com4 first";
    }
    void portChooser() {
        QFETCH(int, port);
        QFETCH(QString, named);
        QFETCH(QString, said);
        Rig r(std::make_unique<FakeSerialLink>());
        r.window->selectPort(port);
        auto* list = r.find<QComboBox>("cmbPortDevice");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), "ttyUSB0 - FT232R USB UART, serial A10K1234");
        QCOMPARE(list->itemText(1), "ttyS0");
        r.find<QAbstractButton>("cmdUsePortDevice")->click();
        if (!said.isEmpty())
            QCOMPARE(r.window->statusBar()->currentMessage(), said);
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(PortMap::device(n, r.ini()),
                     n == port + 1 ? named : PortMap::defaultDevice(n));
        if (!named.isEmpty()) {
            QFile f(r.ini());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray text = f.readAll();
            QVERIFY2(text.contains("[Comm Port]") && text.contains("Com2=/dev/ttyUSB0"),
                     text.constData());
        }
    }
};
QTEST_MAIN(TestPumpChoices)
#include "test_pumpchoices.moc"
