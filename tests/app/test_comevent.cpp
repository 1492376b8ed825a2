// The window frame over the recording fake port: port choice and status bar,
// the "COM EVENT" box opened only after the receive handling has returned
// with every line kept in order, and shutdown on SIGTERM.
#include "app/mainwindow.h"
#include "app/signalclose.h"
#include "support/windowrig.h"

#include <QApplication>
#include <QTest>
#include <csignal>

class TestComEvent : public QObject {
    Q_OBJECT
private slots:
    void portOptionsAndStatus();
    void comEventAfterReceiveInOrder();
    void terminationClosesNormally();
};

// A port that will not open is told in the status bar, with nothing modal.
void TestComEvent::portOptionsAndStatus() {
    FakePortRig rig;
    MainWindow& w = *rig.window;
    rig.link.missingPorts << 3;
    auto* com3 = rig.find<QAbstractButton>(QStringLiteral("Option7_2"));
    auto* status = w.findChild<QLabel*>(QStringLiteral("portStatus"));
    QVERIFY(com3 && status);
    QCOMPARE(com3->text() + ' ' + com3->toolTip(), QStringLiteral("Com3 fake3"));
    com3->click();
    QVERIFY(!rig.link.isOpen() && com3->isChecked() && openBoxes(w).isEmpty());
    QCOMPARE(status->text(),
             QStringLiteral("Com3 (fake3): no such device \u2014 is the adapter plugged in?"));
    w.selectPort(0);
    QCOMPARE(status->text(), QStringLiteral("Com1 (fake1): open"));

    // The demo pump says so in front of the port's status.
    FakePortRig demo(true);
    demo.window->selectPort(0);
    QCOMPARE(demo.find<QLabel>(QStringLiteral("portStatus"))->text(),
             QStringLiteral("Demo pump \u2014 Com1 (fake1): open"));
}

// An end-of-file character arrives in the middle of a log download: the box
// is only queued while the text is handled, opens afterwards, and lines that
// come while it is open are handled in order behind the earlier ones.
void TestComEvent::comEventAfterReceiveInOrder() {
    FakePortRig rig;
    MainWindow& w = *rig.window;
    FakeSerialLink& fake = rig.link;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.selectPort(0);
    w.session().link().setEofDetection(true);

    int boxesSeenWhileHandling = 0;
    connect(&w.session().link(), &PumpLink::received, &w,
            [&] { boxesSeenWhileHandling += int(openBoxes(w).size()); });

    fake.receive(QByteArray("PRI\rLogType,1\rrec 1\rrec\x1a 2\rre"));
    QCOMPARE(w.pendingMessages(), QStringList{"COM EVENT"});
    QVERIFY(openBoxes(w).isEmpty() && boxesSeenWhileHandling == 0);
    QCOMPARE(w.session().memo().lines(), (QStringList{"LogType,1  ", "rec 1  ", "rec 2  "}));

    QTRY_COMPARE(openBoxes(w).size(), 1);
    QMessageBox* box = openBoxes(w).first();
    QVERIFY(box->text() == QStringLiteral("COM EVENT") && w.pendingMessages().isEmpty());

    // The box is open; the pump keeps talking.
    fake.receive("c 3\rrec 4\rDone ok\r");
    QCOMPARE(w.session().memo().lines(),
             (QStringList{"LogType,1  ", "rec 1  ", "rec 2  ", "rec 3  ", "rec 4  ", "Done ok  "}));
    QCOMPARE(rig.state.CaptureCount, 7);
    QCOMPARE(openBoxes(w).size(), 1); // one character, one box

    // A second end-of-file while the first box is open waits for it.
    fake.receive("\x1a");
    QTRY_VERIFY(w.pendingMessages() == QStringList{"COM EVENT"});
    QTest::qWait(20);
    QCOMPARE(openBoxes(w).size(), 1);
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(w.pendingMessages().isEmpty());
    QTRY_COMPARE(openBoxes(w).size(), 1);
    openBoxes(w).first()->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(openBoxes(w).isEmpty());

    // Boxes asked for one after the other open in that order.
    w.showMessage(QStringLiteral("first"));
    w.showMessage(QStringLiteral("second"));
    QTRY_COMPARE(openBoxes(w).size(), 1);
    QCOMPARE(openBoxes(w).first()->text(), QStringLiteral("first"));
}

// SIGTERM (logout) closes the window the normal way: "RUN_CLEAR" goes out.
void TestComEvent::terminationClosesNormally() {
    FakePortRig rig;
    MainWindow& w = *rig.window;
    FakeSerialLink& fake = rig.link;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.selectPort(1);
    closeWindowOnTerminationSignals(&w);
    ::raise(SIGTERM);
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(fake.written() == "RUN_CLEAR\r" && !w.session().timer1().isActive());
}

QTEST_MAIN(TestComEvent)
#include "test_comevent.moc"
