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

QByteArray joined(const Chunks& chunks) {
    QByteArray all;
    for (const QByteArray& c : chunks)
        all += c;
    return all;
}

QStringList withoutChunkIndex(const QStringList& lines) {
    QStringList out;
    for (const QString& l : lines)
        out << l.mid(l.indexOf(QLatin1Char(':')) + 1);
    return out;
}
} // namespace

class TestReceive : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void anySplitGivesTheSameLines_data() { lines_data(); }
    void anySplitGivesTheSameLines();
    void capture_data();
    void capture();
    void memoWriteDecodesBeforeNextLine();
    void lineBound();
    void endOfFileAsksForTheBox();
};

void TestReceive::lines_data() {
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("rest");

    QTest::newRow("status now, setup in the next event")
        << Chunks{"R99 a\rZ99 b", "c\r"} << QStringList{"0:R99 a:status", "1:Z99 bc:setup"} << "";
    QTest::newRow("CR LF: next line does not start with LF")
        << Chunks{"R99\r\nZ99\r\n"} << QStringList{"0:R99:status", "0:Z99:setup"} << "";
    QTest::newRow("tab dropped, neighbours adjacent")
        << Chunks{"R9\t9 x\ty\r"} << QStringList{"0:R99 xy:status"} << "";
    QTest::newRow("codes above 126 dropped") << Chunks{QByteArray("\x80R\xff"
                                                                  "9\x7f"
                                                                  "9\xc3\xa9!\r")}
                                             << QStringList{"0:R99!:status"} << "";
    QTest::newRow("other control characters dropped") << Chunks{QByteArray("\0Z\x1b"
                                                                           "9\x08"
                                                                           "9\x1a\r",
                                                                           8)}
                                                      << QStringList{"0:Z99:setup"} << "";
    QTest::newRow("blank and tilde kept") << Chunks{" ~\r"} << QStringList{"0: ~:other"} << "";
    QTest::newRow("short lines match nothing")
        << Chunks{"R9\rP0\rZ\r"} << QStringList{"0:R9:other", "0:P0:other", "0:Z:other"} << "";
    QTest::newRow("empty lines") << Chunks{"\r\r"} << QStringList{"0::other", "0::other"} << "";
    QTest::newRow("codes are case-sensitive")
        << Chunks{"r99\rz99\rp01\rpri\r"}
        << QStringList{"0:r99:other", "0:z99:other", "0:p01:other", "0:pri:other"} << "";
    QTest::newRow("pump state line") << Chunks{"P01 1 0\r"} << QStringList{"0:P01 1 0:state"} << "";
    QTest::newRow("text after the last CR waits")
        << Chunks{"R99\rZ9", "9 par", "tial"} << QStringList{"0:R99:status"} << "Z99 partial";
    QTest::newRow("no CR at all") << Chunks{"R99 1 2 3"} << QStringList{} << "R99 1 2 3";
    QTest::newRow("LF alone completes nothing")
        << Chunks{"R99\nZ99\n"} << QStringList{} << "R99Z99";
    QTest::newRow("empty chunk") << Chunks{"", "R99\r", ""} << QStringList{"1:R99:status"} << "";
}

void TestReceive::lines() {
    QFETCH(Chunks, chunks);
    QFETCH(QStringList, lines);
    QFETCH(QString, rest);
    const Run r = feed(chunks);
    QCOMPARE(r.lines, lines);
    QCOMPARE(r.lineBuffer, rest);
    if (!lines.isEmpty()) {
        const QString last = lines.last().section(QLatin1Char(':'), 1, -2);
        QCOMPARE(r.state.LastLine, last);
    }
}

// However the port cuts the stream into receive events, the same lines come
// out in the same order.
void TestReceive::anySplitGivesTheSameLines() {
    QFETCH(Chunks, chunks);
    const QByteArray all = joined(chunks);
    const Run whole = feed({all}, false);
    for (int cut = 0; cut <= all.size(); ++cut) {
        const Run split = feed({all.left(cut), all.mid(cut)}, false);
        QCOMPARE(split.lines, whole.lines);
        QCOMPARE(split.lineBuffer, whole.lineBuffer);
    }
    Chunks bytes;
    for (char c : all)
        bytes << QByteArray(1, c);
    const Run single = feed(bytes, false);
    QCOMPARE(single.lines, whole.lines);
    QCOMPARE(withoutChunkIndex(feed(chunks).lines), whole.lines);
}

void TestReceive::capture_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("memo");
    QTest::addColumn<bool>("captureMode");
    QTest::addColumn<int>("captureCount");
    QTest::addColumn<QStringList>("kinds");

    QTest::newRow("PRI itself not captured, first line at 1")
        << QByteArray("PRI\ra\rb\r") << QStringList{"a  ", "b  "} << true << 3
        << QStringList{"other", "other", "other"};
    QTest::newRow("\"ok \" captured, then capture ends")
        << QByteArray("PRI\ra\rok done\rb\r") << QStringList{"a  ", "ok done  "} << false << 3
        << QStringList{"other", "other", "other", "other"};
    QTest::newRow("\" ok\" ends capture before it is captured")
        << QByteArray("PRI\ra\r ok\rb\r") << QStringList{"a  "} << false << 2
        << QStringList{"other", "other", "other", "other"};
    QTest::newRow("\"ok\" without blank does not end capture")
        << QByteArray("PRI\ra\rok\rb\r") << QStringList{"a  ", "ok  ", "b  "} << true << 4
        << QStringList{"other", "other", "other", "other"};
    QTest::newRow("\"Done ok\" is captured, capture left to the log decoder")
        << QByteArray("PRI\ra\rDone ok\r") << QStringList{"a  ", "Done ok  "} << true << 3
        << QStringList{"other", "other", "other"};
    QTest::newRow("PRI twice: captured at its place, then restart at 1")
        << QByteArray("PRI\ra\rb\rPRI again\rc\r") << QStringList{"c  ", "b  ", "PRI again  "}
        << true << 2 << QStringList{"other", "other", "other", "other", "other"};
    QTest::newRow("R99, Z99, P01 captured and still dispatched")
        << QByteArray("PRI\rR99 x\rZ99 y\rP01 z\r") << QStringList{"R99 x  ", "Z99 y  ", "P01 z  "}
        << true << 4 << QStringList{"other", "status", "setup", "state"};
    QTest::newRow("short and empty lines captured and counted")
        << QByteArray("PRI\r\rab\rc\r") << QStringList{"  ", "ab  ", "c  "} << true << 4
        << QStringList{"other", "other", "other", "other"};
    QTest::newRow("no capture without PRI")
        << QByteArray("a\rR99\r ok\rok \r") << QStringList{} << false << 1
        << QStringList{"other", "status", "other", "other"};
    QTest::newRow("dropped characters never reach the memo")
        << QByteArray("PRI\r\nl\tog\x90 1\r\n") << QStringList{"log 1  "} << true << 2
        << QStringList{"other", "other"};
}

void TestReceive::capture() {
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, memo);
    QFETCH(bool, captureMode);
    QFETCH(int, captureCount);
    QFETCH(QStringList, kinds);
    const Run r = feed({stream}, false);
    QCOMPARE(r.memo, memo);
    QCOMPARE(r.state.CaptureMode, captureMode);
    QCOMPARE(r.state.CaptureCount, captureCount);
    QStringList gotKinds;
    for (const QString& l : r.lines)
        gotKinds << l.section(QLatin1Char(':'), -1);
    QCOMPARE(gotKinds, kinds);
    if (kinds.contains(QLatin1String("state")))
        QCOMPARE(r.state.PumpStateLine, QStringLiteral("P01 z"));
}

// The memo write is what runs the log decode: at that moment LastLine is the
// line being written and CaptureCount its position, and the write happens
// before the next line is even assembled.
void TestReceive::memoWriteDecodesBeforeNextLine() {
    AppState state;
    CaptureMemo memo;
    ResponseDispatcher d(state, memo);
    QStringList seen;
    int starts = 0;
    d.onCaptureStart = [&] { ++starts; };
    d.onMemoWrite = [&](int position) {
        seen << QStringLiteral("%1@%2/%3 memo=%4")
                    .arg(state.LastLine)
                    .arg(position)
                    .arg(state.CaptureCount)
                    .arg(memo.lineCount());
    };
    d.receive("PRI\rfirst\rsecond\rthird\r", {});
    QCOMPARE(starts, 1);
    QCOMPARE(seen, (QStringList{"first@1/1 memo=1", "second@2/2 memo=2", "third@3/3 memo=3"}));
    QCOMPARE(memo.lines(), (QStringList{"first  ", "second  ", "third  "}));
}

// Noise without a carriage return (wrong speed, wrong device) keeps the line
// buffer bounded, and the next real line after it is still recognised.
void TestReceive::lineBound() {
    AppState state;
    CaptureMemo memo;
    ResponseDispatcher d(state, memo);
    QStringList kinds;
    auto sink = [&](const LineResult& r) { kinds << QString::fromLatin1(lineKindName(r.kind)); };

    const QByteArray exact(ReplyAssembler::kMaxLine, 'x');
    d.receive(exact + '\r', sink);
    QCOMPARE(state.LastLine.size(), ReplyAssembler::kMaxLine);

    const QByteArray noise(64 * 1024, 'n');
    int peak = 0;
    for (int i = 0; i < 16; ++i) {
        d.receive(noise, sink);
        peak = std::max(peak, int(d.assembler().lineBuffer().size()));
    }
    QVERIFY(peak <= ReplyAssembler::kMaxLine);
    QVERIFY(d.assembler().droppedOverflows() > 0);
    QCOMPARE(kinds.size(), 1); // no line was invented from the noise

    d.receive("\rR99 1\r", sink);
    QCOMPARE(kinds.last(), QStringLiteral("status"));
    QCOMPARE(state.LastLine, QStringLiteral("R99 1"));
}

void TestReceive::endOfFileAsksForTheBox() {
    QCOMPARE(ResponseDispatcher::endOfFile().messages, QStringList{"COM EVENT"});
}

QTEST_GUILESS_MAIN(TestReceive)
#include "test_receive.moc"
