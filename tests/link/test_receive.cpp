// Received characters to dispatched lines: assembly across chunk boundaries,
// dropped characters, the line bound, and the log-capture rules.
#include "link/responsedispatcher.h"
#include "logs/capturememo.h"

#include <QTest>

namespace {
using Chunks = QList<QByteArray>;

struct Run {
    QStringList lines; // "chunk:line:kind" per dispatched line
    QStringList memo;
    AppState state;
    QString lineBuffer;
};

// Feeds the chunks one receive event each; records which event completed
// which line and what kind of line the dispatcher took it for.
Run feed(const Chunks& chunks, bool withChunkIndex = true) {
    Run r;
    CaptureMemo memo;
    ResponseDispatcher d(r.state, memo);
    for (int i = 0; i < chunks.size(); ++i) {
        d.receive(chunks[i], [&](const LineResult& lr) {
            const QString kind = QString::fromLatin1(lineKindName(lr.kind));
            r.lines << (withChunkIndex ? QStringLiteral("%1:%2:%3").arg(i).arg(lr.line, kind)
                                       : QStringLiteral("%1:%2").arg(lr.line, kind));
        });
    }
    r.memo = memo.lines();
    r.lineBuffer = d.assembler().lineBuffer();
    return r;
}

} // namespace

class TestReceive : public QObject {
    Q_OBJECT
private slots:
    // Lines as "event:line:kind", joined by "|"; then what waits in LineBuffer.
    void lines_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("rest");
        auto row = [](const char* name, const Chunks& chunks, const char* lines, const char* rest) {
            QTest::newRow(name) << chunks << QString(lines) << QString(rest);
        };
        row("status now, setup next event", {"R99 a\rZ99 b", "c\r"},
            "0:R99 a:status|1:Z99 bc:setup", "");
        row("CR LF: no line starts with LF", {"R99\r\nZ99\r\n"}, "0:R99:status|0:Z99:setup", "");
        row("tab dropped, neighbours adjacent", {"R9\t9 x\ty\r"}, "0:R99 xy:status", "");
        row("outside 32..126 dropped", {QByteArray(1, 0) + "R\0339\177\2009 ~\377\303\251\r"},
            "0:R99 ~:status", "");
        row("short, empty, case-sensitive", {"R9\rZ\r\rr99\rpri\r"},
            "0:R9:other|0:Z:other|0::other|0:r99:other|0:pri:other", "");
        row("text after the last CR waits", {"R99\rZ9", "9 par", "tial"}, "0:R99:status",
            "Z99 partial");
        row("LF alone completes nothing", {"R99\nZ99\n"}, "", "R99Z99");
    }
    void lines() {
        QFETCH(Chunks, chunks);
        QFETCH(QString, lines);
        QFETCH(QString, rest);
        const Run r = feed(chunks);
        QCOMPARE(r.lines.join(QLatin1Char('|')), lines);
        QCOMPARE(r.lineBuffer, rest);
    }

    // However the port cuts the stream into receive events, the same lines
    // come out in the same order.
    void anySplitGivesTheSameLines_data() { lines_data(); }
    void anySplitGivesTheSameLines() {
        QFETCH(Chunks, chunks);
        const QByteArray all = chunks.join();
        const Run whole = feed({all}, false);
        Chunks bytes;
        for (int cut = 0; cut <= all.size(); ++cut) {
            const Run split = feed({all.left(cut), all.mid(cut)}, false);
            QCOMPARE(split.lines, whole.lines);
            QCOMPARE(split.lineBuffer, whole.lineBuffer);
            bytes << all.mid(cut, 1);
        }
        QCOMPARE(feed(bytes, false).lines, whole.lines);
    }

    // Memo lines joined by "|", CaptureMode, CaptureCount, and the kinds
    // dispatched other than "other".
    void capture_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<bool>("captureMode");
        QTest::addColumn<int>("captureCount");
        QTest::addColumn<QString>("kinds");
        auto row = [](const char* name, const char* stream, const char* memo, bool mode, int count,
                      const char* kinds = "") {
            QTest::newRow(name) << QByteArray(stream) << QString(memo) << mode << count
                                << QString(kinds);
        };
        row("PRI itself not captured, first line at 1", "PRI\ra\rb\r", "a  |b  ", true, 3);
        row("\"ok \" captured, then capture ends", "PRI\ra\rok done\rb\r", "a  |ok done  ", false,
            3);
        row("\" ok\" ends capture before it is captured", "PRI\ra\r ok\rb\r", "a  ", false, 2);
        row("\"ok\" without blank goes on", "PRI\rok\rb\r", "ok  |b  ", true, 3);
        row("\"Done ok\" captured, end left to the log decoder", "PRI\rDone ok\r", "Done ok  ",
            true, 2);
        row("PRI twice: captured, then restart at 1", "PRI\ra\rb\rPRI 2\rc\r", "c  |b  |PRI 2  ",
            true, 2);
        row("R99, Z99, P01 captured and dispatched", "PRI\rR99 x\rZ99 y\rP01 z\r",
            "R99 x  |Z99 y  |P01 z  ", true, 4, "status setup state");
        row("short and empty lines captured and counted", "PRI\r\rab\r", "  |ab  ", true, 3);
        row("no capture without PRI", "a\rR99\r ok\rok \r", "", false, 1, "status");
    }
    void capture() {
        QFETCH(QByteArray, stream);
        QFETCH(QString, memo);
        QFETCH(bool, captureMode);
        QFETCH(int, captureCount);
        QFETCH(QString, kinds);
        const Run r = feed({stream}, false);
        QCOMPARE(r.memo.join(QLatin1Char('|')), memo);
        QCOMPARE(r.state.CaptureMode, captureMode);
        QCOMPARE(r.state.CaptureCount, captureCount);
        QStringList gotKinds;
        for (const QString& l : r.lines)
            if (!l.endsWith(QLatin1String(":other")))
                gotKinds << l.section(QLatin1Char(':'), -1);
        QCOMPARE(gotKinds.join(QLatin1Char(' ')), kinds);
        if (kinds.contains(QLatin1String("state")))
            QCOMPARE(r.state.PumpStateLine, QStringLiteral("P01 z"));
    }

    // The memo write is what runs the log decode: at that moment LastLine is
    // the line being written and CaptureCount its position, and the write
    // happens before the next line is even assembled.
    void memoWriteDecodesBeforeNextLine() {
        AppState state;
        CaptureMemo memo;
        ResponseDispatcher d(state, memo);
        QStringList seen;
        d.onMemoWrite = [&](int at) {
            seen << QStringLiteral("%1@%2/%3 memo=%4")
                        .arg(state.LastLine)
                        .arg(at)
                        .arg(state.CaptureCount)
                        .arg(memo.lineCount());
        };
        d.receive("PRI\rfirst\rsecond\r", {});
        QCOMPARE(seen, (QStringList{"first@1/1 memo=1", "second@2/2 memo=2"}));
    }

    // Noise without a carriage return (wrong speed, wrong device) keeps the
    // line buffer bounded, and the next real line after it is still recognised.
    void lineBound() {
        AppState state;
        CaptureMemo memo;
        ResponseDispatcher d(state, memo);
        QStringList kinds;
        auto sink = [&](const LineResult& r) {
            kinds << QString::fromLatin1(lineKindName(r.kind));
        };
        d.receive(QByteArray(ReplyAssembler::kMaxLine, 'x') + '\r', sink);
        QCOMPARE(state.LastLine.size(), ReplyAssembler::kMaxLine);
        int peak = 0;
        for (int i = 0; i < 16; ++i) {
            d.receive(QByteArray(64 * 1024, 'n'), sink);
            peak = std::max(peak, int(d.assembler().lineBuffer().size()));
        }
        QVERIFY(peak <= ReplyAssembler::kMaxLine);
        QCOMPARE(kinds.size(), 1); // no line was invented from the noise
        d.receive("\rR99 1\r", sink);
        QCOMPARE(kinds.last(), QStringLiteral("status"));
        QCOMPARE(state.LastLine, QStringLiteral("R99 1"));
    }
};

QTEST_GUILESS_MAIN(TestReceive)
#include "test_receive.moc"
