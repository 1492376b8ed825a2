// The pump's receive handler: assembles received characters into lines,
// copies lines into the capture memo while a log download runs, and hands
// each line to the decoder chosen by its first three characters.
//
// How a line travels: port -> PumpLink (trace) -> ResponseDispatcher::receive
// -> ReplyAssembler (one line) -> line steps (capture, dispatch) -> decoder
// -> UiChanges -> the window applies it, or corvane-cli prints it.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"
#include "link/replyassembler.h"
#include "logs/logdecoder.h"

#include <functional>

class CaptureMemo;

struct LineResult {
    enum class Kind { Status, Setup, State, Log, LogTitle, LogEnd, Other };
    QString line;
    Kind kind = Kind::Other;
    UiChanges changes;
    // A captured line: its position in the memo (the CaptureCount it was
    // decoded with), -1 otherwise. A record (Kind::Log) also brings the
    // record and its table cells.
    int captured = -1;
    LogRecord record;
    QMap<int, QString> cells;
};

class ResponseDispatcher {
public:
    using LineSink = std::function<void(const LineResult&)>;

    ResponseDispatcher(AppState& state, CaptureMemo& memo) : m_state(state), m_memo(memo) {}

    // readyRead(): the characters read from the port, in one piece. Each
    // completed line is handled to the end before the next one starts.
    void receive(const QByteArray& bytes, const LineSink& sink);
    // The line steps for one completed line.
    LineResult handleLine(const QString& line);
    // endOfFileReceived(): the end-of-file character arrived; nothing is read.
    static UiChanges endOfFile();

    // Called when a "PRI" line starts a capture, so the memo view can prepare.
    std::function<void()> onCaptureStart;
    // Called after each write into the memo (position written).
    std::function<void(int)> onMemoWrite;

    // The port was lost: the half line received so far is dropped.
    void deviceLost() { m_assembler.dropPartialLine(); }

    const ReplyAssembler& assembler() const { return m_assembler; }

private:
    AppState& m_state;
    CaptureMemo& m_memo;
    ReplyAssembler m_assembler;
};

const char* lineKindName(LineResult::Kind kind);
