// `corvane-cli decode`: replays a captured pump trace or a saved log file
// through the window's own receive handling and prints, line by line, what the
// window would do with it, as JSON Lines.
#pragma once

#include "protocol/responsedispatcher.h"

#include <QByteArray>
#include <QJsonObject>

class QIODevice;

namespace DecodeCommand {

// One handled line as the JSON object printed for it; empty members are left out.
QJsonObject toJson(const LineResult& result);

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

// Reads `in` to its end in bounded chunks and writes one JSON line per input
// line to `out`. `metric` starts with metric units, as a pump set to them would.
void run(QIODevice& in, QIODevice& out, bool metric, const QString& programFolder);

} // namespace DecodeCommand
