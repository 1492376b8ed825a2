// The window's wiring of three choices made with the pump in mind: the
// program read-back's verdict after "Program Pump is completed" (a box when
// the pump did not take it), "Take the pump's settings" on the Setup page,
// and the serial device named for a Com port. The rules are the core's
// tests (test_configsequences); here the simulated pump,
// a recording port and a stand-in device list. Pauses run on a stepping
// clock; the poll is ticked by hand.
#include "app/mainwindow.h"
#include "link/portmap.h"
#include "sim/simseriallink.h"
#include "support/windowrig.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

namespace {

constexpr int kLong = 60000; // ms: a bound for anything event-driven

struct Devices : SerialDevices {
    QList<SerialDevice> available() const override {
        return {{"ttyUSB0", "FT232R USB UART", "A10K1234", "/dev/ttyUSB0"},
                {"ttyS0", "", "", "/dev/ttyS0"}};
    }
};

const Devices kDevices;

struct Rig : ClockedRig {
    explicit Rig(std::unique_ptr<SerialLink> serial)
        : ClockedRig(std::move(serial), {}, &kDevices) {}
    QString ini() const { return dir.filePath("corvane.INI"); }
    // The next box's text, closed with OK; empty when none opened in time.
    QString nextBox() {
        QString text;
        (void)QTest::qWaitFor(
            [&] {
                if (const QList<QMessageBox*> open = openBoxes(*window); !open.isEmpty())
                    text = open.last()->text();
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
    // The verdict comes after "Program Pump is completed", once the pump is
    // back from its power-off: in the page's label, and in a box when the
    // pump did not take the program.
    void programNotTaken() {
        SimPumpOptions pump;
        pump.faults.ignoreCommands = {"W04"};
        auto r = Rig::onSimulatedPump(pump);
        QTRY_VERIFY_WITH_TIMEOUT(r->window->session().presence() == PumpSession::Presence::Attached,
                                 kLong);
        r->find<QLineEdit>("Txt_target_flow")->setText("1500");
        r->find<QAbstractButton>("CommandButton29")->click();
        QCOMPARE(r->nextBox(), "Program Pump is completed");
        QTRY_VERIFY_WITH_TIMEOUT(!r->window->session().busy(), kLong);
        r->sim().pump().powerOn();
        r->poll();
        const QString verdict = "The pump did not take: Target flow (sent 1500, pump reports 2000)";
        QCOMPARE(r->nextBox(), verdict);
        QCOMPARE(r->find<QLabel>("lblProgramReadBack")->text(), verdict);
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

    // The device list beside Com1-Com4; the one chosen is named for the
    // chosen port in corvane.INI, as a user would write it by hand.
    void portChooser() {
        Rig r(std::make_unique<FakeSerialLink>());
        r.window->selectPort(1);
        // Without a stored port the list's page comes first, and reads it
        // once drawn.
        r.window->show();
        auto* list = r.find<QComboBox>("cmbPortDevice");
        QTRY_COMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), "ttyUSB0 - FT232R USB UART, serial A10K1234");
        QCOMPARE(list->itemText(1), "ttyS0");
        r.find<QAbstractButton>("cmdUsePortDevice")->click();
        const QByteArray ini = fileBytes(r.ini());
        QVERIFY2(ini.contains("[Comm Port]") && ini.contains("Com2=/dev/ttyUSB0"), ini.constData());
        QCOMPARE(PortMap::device(2, r.ini()), "/dev/ttyUSB0");
        QCOMPARE(PortMap::device(1, r.ini()), PortMap::defaultDevice(1));
    }
};
QTEST_MAIN(TestPumpChoices)
#include "test_pumpchoices.moc"
