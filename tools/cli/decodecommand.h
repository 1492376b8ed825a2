// `corvane-cli decode`: replays a captured pump trace or a saved log file
// through the window's own receive handling and prints, line by line, what the
// window would do with it, as JSON Lines.
#pragma once

#include "protocol/responsedispatcher.h"

#include <QByteArray>
#include <QJsonObject>
#include <functional>

class QIODevice;

namespace DecodeCommand {

// One handled line as the JSON object printed for it; empty members are left out.
QJsonObject toJson(const LineResult& result);

// A status report's named values, one member per field of its layout (the
// names the report's field table gives): a JSON number where the field reads
// as one, else its text without the padding blanks (the serial number, the
// model code and the firmware always as text, leading zeros kept); a field
// past the end of a short line is null. Beside them "model" (the model's
// caption, null when the code is unknown) and "pump_clock" ("YYYY-MM-DDTHH:MM",
// null when the clock fields are no date).
QJsonObject statusFields(const QString& line);

// Turns any mix of CR, LF and CR LF line ends into one CR per line and leaves
// out lines with nothing printable in them, so that they are neither decoded
// nor counted by a running log capture. Keeps its state between chunks.
class LineEnds {
public:
    QByteArray translate(const QByteArray& chunk);

private:
    bool m_afterCr = false;   // a CR ended the last chunk: a leading LF belongs to it
    bool m_printable = false; // the current line has a printable character
};

// Reads `in` to its end in bounded chunks and hands the JSON lines of each
// chunk (one per input line) to `write`. `metric` starts with metric units,
// as a pump set to them would. Stops early when `write` returns false, and
// when reading fails: then the reason is returned (a read error is no end of
// the input). Empty otherwise.
QString run(QIODevice& in, const std::function<bool(const QByteArray&)>& write, bool metric,
            const QString& programFolder);

} // namespace DecodeCommand
