// libFuzzer target: arbitrary history lines through the log decoder into the
// log table, and arbitrary files through the log-file loader. The first byte
// chooses which; the decoder must keep its rows and cells where the table
// has them, the loader the memo within its budget and saving what it loaded
// must give the same lines back.
#include "logs/logfiles.h"
#include "logs/logtable.h"

#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

void decode(const uint8_t* data, size_t size) {
    if (size < 3)
        return;
    const int count = int(data[0]) << 8 | data[1];
    AppState state;
    state.UnitsFlag = data[2] & 1;
    state.CaptureMode = true;
    const QString line =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));
    const LogLineResult r = Decode::logLine(line, count, state);
    const bool record = r.kind == LogLineResult::Kind::Record;
    if ((record ? r.record.row != count - 1 : r.record.row != -1) ||
        (record && r.cells != Decode::logCells(r.record, state.UnitsFlag != 0)))
        std::abort();
    if (state.CaptureMode != (r.kind != LogLineResult::Kind::End))
        std::abort();
    for (auto it = r.cells.cbegin(); it != r.cells.cend(); ++it)
        // The longest cell: "Serial Number:" and six characters.
        if (it.key() < 1 || it.key() > 10 || it.value().size() > 27)
            std::abort();
    LogTable table;
    table.resize(3);
    const LogTable::Write w = table.setRow(r.record.row, r.cells);
    if (record && r.record.row >= 1 && r.record.row < LogTable::kMaxRows &&
        (w == LogTable::Write::Refused || table.cell(r.record.row, 1) != r.cells.value(1)))
        std::abort();
    if (table.rowCount() > LogTable::kMaxRows)
        std::abort();
}

void load(const uint8_t* data, size_t size) {
    // In memory (tmpfs): a save syncs its file, which a disk makes slow.
    static const QString path = QStringLiteral("/dev/shm/fuzz_logs_%1.tlx").arg(::getpid());
    static const QString again = QStringLiteral("/dev/shm/fuzz_logs_%1.csv").arg(::getpid());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    f.write(reinterpret_cast<const char*>(data), qsizetype(size));
    f.close();
    CaptureMemo memo;
    memo.writeAt(1, QStringLiteral("before"));
    const LogFiles::Result r = LogFiles::load(memo, path);
    if (!r.ok) {
        if (memo.lines() != QStringList{"before"} || r.message.isEmpty())
            std::abort();
        return;
    }
    qsizetype used = 0;
    for (const QString& l : memo.lines())
        used += l.size() + CaptureMemo::kLineCost;
    if (used > CaptureMemo::kMaxChars)
        std::abort();
    CaptureMemo back;
    if (!LogFiles::save(memo, again).ok || !LogFiles::load(back, again).ok ||
        back.lines() != memo.lines())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    if (data[0] & 1)
        decode(data + 1, size - 1);
    else
        load(data + 1, size - 1);
    return 0;
}
