// The trace for support: received bytes kept unchanged in FILE, both
// directions time-stamped in FILE.log, appended across runs.
#include "link/tracefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTraceFile : public QObject {
    Q_OBJECT
private slots:
    void stamped_data() {
        QTest::addColumn<char>("direction");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("poll") << 'T' << QByteArray("R99\rZ99\r")
                              << QByteArray("t > R99<CR>Z99<CR>\n");
        QTest::newRow("blank kept")
            << 'T' << QByteArray("POWER_OFF \r") << QByteArray("t > POWER_OFF <CR>\n");
        QTest::newRow("refused by the port")
            << 'F' << QByteArray("R99\r") << QByteArray("t > (refused by the port) R99<CR>\n");
        QTest::newRow("controls and high bytes")
            << 'R' << QByteArray("a\n\x1a\t\xff<b") << QByteArray("t < a<LF><1a><09><ff><3c>b\n");
    }
    void stamped() {
        QFETCH(char, direction);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, line);
        QCOMPARE(TraceFile::stamped("t", direction, bytes), line);
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

QTEST_GUILESS_MAIN(TestTraceFile)
#include "test_tracefile.moc"
