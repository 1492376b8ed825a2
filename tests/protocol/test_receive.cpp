// Received characters to dispatched lines: assembly across chunk boundaries,
// dropped characters, the line bound, and the log-capture rules.
#include "logs/capturememo.h"
#include "protocol/responsedispatcher.h"

#include <QTest>

namespace {
using Chunks = QList<QByteArray>;

// One dispatcher fed one receive event per chunk; records which event
// completed which line and what kind of line the dispatcher took it for.
struct Run {
    AppState state;
    CaptureMemo memo;
    ResponseDispatcher d{state, memo};
    QStringList lines; // "line:kind" per dispatched line
    QStringList timed; // "event:line:kind"

    Run& feed(const Chunks& chunks) {
        for (int i = 0; i < chunks.size(); ++i)
            d.receive(chunks[i], [&](const LineResult& lr) {
                lines << lr.line + ':' + lineKindName(lr.kind);
                timed << QString::number(i) + ':' + lines.last();
            });
        return *this;
    }
    QString rest() const { return d.assembler().lineBuffer(); }
};
} // namespace

class TestReceive : public QObject {
    Q_OBJECT
private slots:
    // Lines as "event:line:kind" joined by "|", then " / " and what waits in
    // LineBuffer. However the port cuts the stream into receive events, the
    // same lines come out in the same order.
    void lines_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const Chunks& chunks, const char* expected) {
            QTest::newRow(name) << chunks << QString(expected);
        };
        row("status now, setup next event", {"R99 a\rZ99 b", "c\r"},
            "0:R99 a:status|1:Z99 bc:setup / ");
        row("CR LF: no line starts with LF", {"R99\r\nZ99\r\n"}, "0:R99:status|0:Z99:setup / ");
        row("tab and outside 32..126 dropped",
            {QByteArray(1, 0) + "R\0339\177\2009 x\ty\377\303\251\r"}, "0:R99 xy:status / ");
        row("short, empty, case-sensitive", {"R9\rZ\r\rr99\rpri\r"},
            "0:R9:other|0:Z:other|0::other|0:r99:other|0:pri:other / ");
        row("text after the last CR waits", {"R99\rZ9", "9 par", "tial"},
            "0:R99:status / Z99 partial");
        row("LF alone completes nothing", {"R99\nZ99\n"}, " / R99Z99");
    }
    void lines() {
        QFETCH(Chunks, chunks);
        QFETCH(QString, expected);
        Run whole;
        whole.feed(chunks);
        QCOMPARE(whole.timed.join('|') + " / " + whole.rest(), expected);
        const QByteArray all = chunks.join();
        Chunks bytes;
        for (int cut = 0; cut <= all.size(); ++cut) {
            Run split;
            QCOMPARE(split.feed({all.left(cut), all.mid(cut)}).lines, whole.lines);
            QCOMPARE(split.rest(), whole.rest());
            bytes << all.mid(cut, 1);
        }
        QCOMPARE(Run().feed(bytes).lines, whole.lines);
    }

    // Memo lines joined by "|"; CaptureMode and CaptureCount; the kinds
    // dispatched other than "other".
    void capture_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* stream, const char* expected) {
            QTest::newRow(name) << QByteArray(stream) << QString(expected);
        };
        row("\"ok \" captured, then capture ends", "PRI\ra\rok done\rb\r", "a  |ok done   / 0 3 /");
        row("\" ok\" ends capture before it is captured", "PRI\ra\r ok\rb\r", "a   / 0 2 /");
        row("\"Done ok\" captured, then the log decoder ends capture", "PRI\rDone ok\rx\r",
            "Done ok   / 0 2 / log-end");
        row("PRI twice: captured, then restart at 1", "PRI\ra\rb\rPRI 2\rc\r",
            "c  |b  |PRI 2   / 1 2 /");
        row("PRI not captured; R99, Z99, P01 captured and dispatched", "PRI\rR99 x\rZ99 y\rP01 z\r",
            "R99 x  |Z99 y  |P01 z   / 1 4 / status setup state");
        row("short, empty, \"ok\" without blank: captured, counted", "PRI\r\rab\rok\r",
            "  |ab  |ok   / 1 4 /");
        row("no capture without PRI", "a\rR99\r ok\rok \r", " / 0 1 / status");
    }
    void capture() {
        QFETCH(QByteArray, stream);
        QFETCH(QString, expected);
        Run r;
        r.feed({stream});
        QString got =
            r.memo.lines().join('|') +
            QStringLiteral(" / %1 %2 /").arg(int(r.state.CaptureMode)).arg(r.state.CaptureCount);
        for (const QString& l : r.lines)
            if (!l.endsWith(QLatin1String(":other")))
                got += ' ' + l.section(':', -1);
        QCOMPARE(got, expected);
    }

    // The memo write is what runs the log decode: at that moment CaptureCount
    // is the line's position, and the write happens before the line itself
    // is handed on (lines handed on so far: the count before "@").
    void memoWriteDecodesBeforeNextLine() {
        Run r;
        QStringList seen;
        r.d.onMemoWrite = [&](int at) {
            seen << QStringLiteral("%1@%2/%3 memo=%4")
                        .arg(r.lines.size())
                        .arg(at)
                        .arg(r.state.CaptureCount)
                        .arg(r.memo.lineCount());
        };
        r.feed({"PRI\rfirst\rsecond\r"});
        QCOMPARE(seen, (QStringList{"1@1/1 memo=1", "2@2/2 memo=2"}));
    }

    // Noise without a carriage return (wrong speed, wrong device) keeps the
    // line buffer bounded, and the next real line after it is still recognised.
    // A line of the bound is whole; one character more and the whole line is
    // noise: no tail of it is taken for a line (it might start "R99").
    void lineBound() {
        Run r;
        r.feed({QByteArray(ReplyAssembler::kMaxLine, 'x') + '\r'});
        QCOMPARE(r.lines.last(), QString(ReplyAssembler::kMaxLine, 'x') + ":other");
        r.feed({QByteArray(ReplyAssembler::kMaxLine - 2, 'x') + "R99\rZ99 1\r"});
        QCOMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines.last(), "Z99 1:setup");
        r.lines.removeLast();
        int peak = 0;
        for (int i = 0; i < 16; ++i)
            peak = std::max(peak, int(r.feed({QByteArray(64 * 1024, 'n')}).rest().size()));
        QVERIFY(peak <= ReplyAssembler::kMaxLine);
        QCOMPARE(r.lines.size(), 1); // no line was invented from the noise
        QCOMPARE(r.feed({"\rR99 1\r"}).lines.last(), "R99 1:status");
    }
};

QTEST_GUILESS_MAIN(TestReceive)
#include "test_receive.moc"
