#include "protocol/responsedispatcher.h"

#include "logs/capturememo.h"
#include "logs/logdecoder.h"
#include "status/setupdecoder.h"
#include "status/statusdecoder.h"

void ResponseDispatcher::receive(const QByteArray& bytes, const LineSink& sink) {
    m_assembler.feed(bytes, [&](const QString& line) {
        const LineResult r = handleLine(line);
        if (sink)
            sink(r);
    });
}

LineResult ResponseDispatcher::handleLine(const QString& line) {
    LineResult result;
    result.line = line;

    // A line starting blank-"ok" closes the capture before it would be captured.
    if (line.startsWith(QLatin1String(" ok")))
        m_state.CaptureMode = false;

    if (m_state.CaptureMode) {
        const int position = m_state.CaptureCount;
        if (m_memo.writeAt(position, line + QLatin1String("  \r\n"))) {
            if (onMemoWrite)
                onMemoWrite(position);
            // Writing into the memo decodes the line at once, with
            // CaptureCount as it stands now.
            LogLineResult log = Decode::logLine(line, position, m_state);
            result.captured = position;
            switch (log.kind) {
            case LogLineResult::Kind::Record:
                result.kind = LineResult::Kind::Log;
                result.record = std::move(log.record);
                result.cells = std::move(log.cells);
                break;
            case LogLineResult::Kind::Title:
                result.kind = LineResult::Kind::LogTitle;
                break;
            case LogLineResult::Kind::End:
                result.kind = LineResult::Kind::LogEnd;
                break;
            case LogLineResult::Kind::Other:
                break;
            }
            result.changes.merge(log.changes);
        }
        ++m_state.CaptureCount;
    }

    const QStringView code = QStringView(line).left(3);
    if (code == QLatin1String("PRI")) {
        m_state.CaptureMode = true;
        m_state.CaptureCount = 1;
        if (onCaptureStart)
            onCaptureStart();
    } else if (code == QLatin1String("ok ")) {
        m_state.CaptureMode = false;
    } else if (code == QLatin1String("R99")) {
        result.kind = LineResult::Kind::Status;
        result.changes.merge(Decode::statusReport(parseStatusReport(line), m_state));
    } else if (code == QLatin1String("Z99")) {
        result.kind = LineResult::Kind::Setup;
        result.changes.merge(Decode::setupReport(parseSetupReport(line), m_state));
    } else if (code == QLatin1String("P01")) {
        result.kind = LineResult::Kind::State;
        result.changes.merge(Decode::pumpStateReport(parsePumpStateReport(line), m_state));
    }
    return result;
}

UiChanges ResponseDispatcher::endOfFile() {
    UiChanges c;
    c.messages << QStringLiteral("COM EVENT");
    return c;
}

const char* lineKindName(LineResult::Kind kind) {
    switch (kind) {
    case LineResult::Kind::Status:
        return "status";
    case LineResult::Kind::Setup:
        return "setup";
    case LineResult::Kind::State:
        return "state";
    case LineResult::Kind::Log:
        return "log";
    case LineResult::Kind::LogTitle:
        return "log-title";
    case LineResult::Kind::LogEnd:
        return "log-end";
    case LineResult::Kind::Other:
        break;
    }
    return "other";
}
