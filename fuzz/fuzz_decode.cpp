// libFuzzer target: what `corvane-cli decode` does with a captured trace or a
// saved log file, in memory. The first byte chooses how the input is cut into
// reads. The line-end normaliser must give the same text however the input
// is cut (a CR LF split between two reads is still one line end), keep only
// printable characters and one CR per non-empty line; every line then goes
// through the receive path and into its JSON form; none comes from nowhere.
#include "decodecommand.h"

#include "core/appstate.h"
#include "logs/capturememo.h"

#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t chunk = size_t(data[0]) + 1;
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    DecodeCommand::LineEnds whole;
    const QByteArray expected = whole.translate(input);
    DecodeCommand::LineEnds cut;
    QByteArray normalised;
    for (qsizetype pos = 0; pos < input.size(); pos += qsizetype(chunk))
        normalised += cut.translate(input.mid(pos, qsizetype(chunk)));
    if (normalised != expected)
        std::abort();
    char previous = '\r'; // no line may be empty
    for (const char c : normalised) {
        if (c == '\r' ? previous == '\r' : (c < 32 || c > 126))
            std::abort();
        previous = c;
    }

    AppState state;
    state.CaptureMode = true;
    state.CaptureCount = 1;
    CaptureMemo memo;
    ResponseDispatcher dispatcher(state, memo);
    qsizetype lines = 0;
    dispatcher.receive(normalised, [&lines](const LineResult& r) {
        ++lines;
        if (QJsonDocument(DecodeCommand::toJson(r)).toJson(QJsonDocument::Compact).isEmpty())
            std::abort();
    });
    // An overlong line is dropped whole; no line comes from nowhere.
    if (lines > normalised.count('\r'))
        std::abort();
    return 0;
}
