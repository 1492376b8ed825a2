// SelectPort, SendToPump and the receive notification over the recording
// fake port: port changes, failed opens and writes, a lost device coming
// back, and a receive handler that is never entered twice. (The real port
// unplugged and plugged in again is in test_qtseriallink.) Then the trace
// file.
#include "link/pumplink.h"
#include "link/tracefile.h"
#include "support/fakeseriallink.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(SerialLink::OpenError)

namespace {
// One link over one fake port, with Com1 chosen.
struct Rig {
    AppState state;
    FakeSerialLink fake;
    PumpLink link{state, fake};
    Rig() { link.selectPort(0); }
    QString events(int from = 0) const { // "O1 C1 W3": open Com1, close it, write to Com3
        QStringList out;
        for (const FakeSerialLink::Event& e : fake.events.mid(from))
            out << QLatin1Char("OCW"[e.type]) + QString::number(e.port);
        return out.join(' ');
    }
};
const QString kLost = QStringLiteral("Com1 (fake1): device lost");
} // namespace

class TestPumpLink : public QObject {
    Q_OBJECT
private slots:
    void portChangeClosesFirst() {
        Rig r;
        r.link.selectPort(2);
        QCOMPARE(r.events(), QStringLiteral("O1 C1 O3"));
        QCOMPARE(r.fake.events.last().data, QByteArray("57600,N,8,1"));
        QList<QByteArray> trace; // every byte both ways passes one point
        r.link.traceHook = [&](char dir, const QByteArray& b) { trace << dir + b; };
        r.link.sendToPump(QStringLiteral("G03\rG02\r")); // the whole text in one write
        r.fake.receive("R99 x\r");
        QCOMPARE(r.events(3), QStringLiteral("W3"));
        QCOMPARE(trace, (QList<QByteArray>{"TG03\rG02\r", "RR99 x\r"}));
        // The end of a dump is known before the text that carries it is handled.
        r.link.setEofDetection(true);
        connect(&r.link, &PumpLink::endOfFileReceived, [&] { trace << "E"; });
        r.fake.receive("Done\x1a");
        QCOMPARE(trace.mid(2), (QList<QByteArray>{"E", "RDone\x1a"}));
    }

    // The trace holds what reached the port: nothing while it is closed (the
    // poll goes on each second while the adapter is out), a refused write
    // marked as one.
    void traceOnlyWhatWasWritten_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QByteArray>("traced");
        QTest::newRow("open") << "open" << QByteArray("TR99\r");
        QTest::newRow("closed") << "closed" << QByteArray();
        QTest::newRow("refusing writes") << "refusing" << QByteArray("FR99\r");
    }
    void traceOnlyWhatWasWritten() {
        QFETCH(QString, port);
        QFETCH(QByteArray, traced);
        Rig r;
        if (port == QLatin1String("closed")) {
            r.fake.missingPorts << 2;
            r.link.selectPort(1);
        }
        r.fake.failWrites = port == QLatin1String("refusing");
        QByteArray trace;
        r.link.traceHook = [&](char dir, const QByteArray& b) { trace += dir + b; };
        r.link.sendToPump(QStringLiteral("R99\r"));
        QCOMPARE(trace, traced);
    }

    // Nothing modal; the reason in the status text; SelectedPort still
    // recorded; later writes do nothing; only a missing or busy port is
    // tried again.
    void failedOpen_data() {
        QTest::addColumn<SerialLink::OpenError>("error");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("retrying");
        using E = SerialLink::OpenError;
        QTest::newRow("missing") << E::NotFound
                                 << "no such device \u2014 is the adapter plugged in?" << true;
        QTest::newRow("permission")
            << E::PermissionDenied << "permission denied \u2014 is this user in the dialout group?"
            << false;
        QTest::newRow("busy") << E::Busy << "in use by another program" << true;
    }
    void failedOpen() {
        QFETCH(SerialLink::OpenError, error);
        QFETCH(QString, status);
        QFETCH(bool, retrying);
        Rig r;
        if (error == SerialLink::OpenError::NotFound)
            r.fake.missingPorts << 3;
        else
            r.fake.refusedPorts[3] = error;
        r.link.selectPort(2);
        QVERIFY(r.state.SelectedPort == 3 && !r.link.isOpen());
        QCOMPARE(r.link.statusText(), QStringLiteral("Com3 (fake3): ") + status);
        QCOMPARE(r.link.retrying(), retrying);
        r.link.sendToPump(QStringLiteral("R99\rZ99\r"));
        QVERIFY(!r.events().contains('W'));
    }

    // One refused write changes nothing (and the busy pointer is put back); a
    // run of them, or of notifications with nothing to read (real data in
    // between starts the count again), means the device hung up. Retrying
    // then goes on whatever the reason (a fresh adapter refuses access until
    // udev has set its group), still saying lost, until the pump is back.
    void hangUpLostAndBack() {
        Rig w;
        QList<bool> busy;
        w.link.busyHook = [&](bool b) { busy << b; };
        const QString open = w.link.statusText();
        w.fake.failWrites = true;
        w.link.sendToPump(QStringLiteral("G12\r"));
        QVERIFY(w.link.isOpen() && !w.link.retrying() && w.link.statusText() == open);
        QCOMPARE(busy, (QList<bool>{true, false}));
        w.fake.failWrites = false; // a write that goes through starts the count again
        w.link.sendToPump(QStringLiteral("R99\r"));
        w.fake.failWrites = true;
        for (int i = 0; i < PumpLink::kFailedWritesMeanLost; ++i) {
            QVERIFY(w.link.isOpen());
            w.link.sendToPump(QStringLiteral("R99\r"));
        }
        QVERIFY(!w.link.isOpen() && w.link.retrying());
        QCOMPARE(w.link.statusText(), kLost);
        w.fake.refusedPorts[1] = SerialLink::OpenError::PermissionDenied;
        // Generous bounds: the retry comes after a second, later on a busy machine.
        QTRY_VERIFY_WITH_TIMEOUT(w.fake.events.last().type == FakeSerialLink::Event::Open, 20000);
        QVERIFY(w.link.retrying() && w.link.statusText() == kLost);
        w.fake.refusedPorts.clear();
        QTRY_VERIFY_WITH_TIMEOUT(w.link.isOpen(), 20000);
        QVERIFY(!w.link.retrying() && w.link.statusText() == open);

        Rig reads;
        for (int i = 1; i < 2 * PumpLink::kEmptyReadsMeanLost; ++i)
            reads.fake.receive(i == PumpLink::kEmptyReadsMeanLost ? "R99\r" : "");
        QVERIFY(reads.link.isOpen());
        reads.fake.receive(QByteArray());
        QCOMPARE(reads.link.statusText(), kLost);
    }

    // Characters arriving while a received text is still being handled (a
    // local event loop below the handler) are handled after it, in order.
    void receiveNeverReentered() {
        Rig r;
        int depth = 0, maxDepth = 0;
        QList<QByteArray> handled;
        connect(&r.link, &PumpLink::received, [&](const QByteArray& bytes) {
            maxDepth = std::max(maxDepth, ++depth);
            handled << bytes;
            if (bytes == "first\r") {
                QTimer::singleShot(0, [&] { r.fake.receive("second\r"); });
                QTimer::singleShot(1, [&] { r.fake.receive("third\r"); });
                QEventLoop loop;
                QTimer::singleShot(30, &loop, &QEventLoop::quit);
                loop.exec();
                handled << "first done";
            }
            --depth;
        });
        r.fake.receive("first\r");
        QCOMPARE(maxDepth, 1);
        QCOMPARE(handled, (QList<QByteArray>{"first\r", "first done", "second\rthird\r"}));
    }

    // The trace for support: received bytes kept unchanged in FILE, both
    // directions time-stamped in FILE.log, appended across runs.
    void stamped_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char* name, char direction, const QByteArray& bytes, const char* line) {
            QTest::newRow(name) << TraceFile::stamped("t", direction, bytes) << QByteArray(line);
        };
        row("poll", 'T', "R99\rZ99\r", "t > R99<CR>Z99<CR>\n");
        row("blank kept", 'T', "POWER_OFF \r", "t > POWER_OFF <CR>\n");
        row("refused by the port", 'F', "R99\r", "t > (refused by the port) R99<CR>\n");
        row("controls and high bytes", 'R', "a\n\x1a\t\xff<b", "t < a<LF><1a><09><ff><3c>b\n");
    }
    void stamped() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, expected);
        QCOMPARE(line, expected);
    }

    void rawKeepsReceivedBytesAcrossRuns() {
        QTemporaryDir dir;
        const QString path = dir.filePath("pump.trace");
        for (int run = 0; run < 2; ++run) {
            TraceFile t;
            QVERIFY(t.open(path));
            t.record('T', "R99\rZ99\r");
            t.record('R', QByteArray("R99 1\r\n\x1aZ9", 10));
        }
        QFile raw(path), log(path + ".log");
        QVERIFY(raw.open(QIODevice::ReadOnly) && log.open(QIODevice::ReadOnly));
        QCOMPARE(raw.readAll(), QByteArray("R99 1\r\n\x1aZ9R99 1\r\n\x1aZ9", 20));
        QCOMPARE(log.readAll().count('\n'), 4);
        TraceFile bad;
        QString why;
        QVERIFY(!bad.open(dir.filePath("missing/folder/t"), &why) && !why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPumpLink)
#include "test_pumplink.moc"
