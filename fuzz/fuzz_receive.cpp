// libFuzzer target: arbitrary bytes from the pump through the receive path.
// The first byte chooses how the bytes are cut into receive events; the
// line buffer and the capture memo must stay within their bounds.
#include "logs/capturememo.h"
#include "protocol/responsedispatcher.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t chunk = size_t(data[0]) + 1;
    ++data;
    --size;

    AppState state;
    CaptureMemo memo;
    ResponseDispatcher d(state, memo);
    size_t lines = 0;
    for (size_t pos = 0; pos < size; pos += chunk) {
        const size_t n = size - pos < chunk ? size - pos : chunk;
        d.receive(QByteArray::fromRawData(reinterpret_cast<const char*>(data + pos), qsizetype(n)),
                  [&](const LineResult& r) {
                      ++lines;
                      // Lines hold printable characters only.
                      for (const QChar c : r.line)
                          if (c.unicode() < 32 || c.unicode() > 126)
                              std::abort();
                  });
        if (d.assembler().lineBuffer().size() > ReplyAssembler::kMaxLine)
            std::abort();
    }
    if (state.CaptureCount < 1 || size_t(memo.lineCount()) > lines)
        std::abort();
    // Saving and loading what was captured gives the same lines back.
    CaptureMemo again;
    again.setFromFileBytes(memo.toFileBytes());
    if (again.lines() != memo.lines())
        std::abort();
    return 0;
}
