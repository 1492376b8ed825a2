// Turns the characters the pump sends into lines. Printable characters (32 to
// 126) collect in the line buffer; a carriage return completes a line; every
// other character (line feed, tab, codes above 126) is dropped.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class ReplyAssembler {
public:
    // Noise without a carriage return (wrong device, wrong speed) must not grow
    // the buffer forever: past this many characters the buffer is dropped,
    // and so is the rest of that line up to its carriage return.
    static constexpr int kMaxLine = 4096;

    // Calls onLine for each completed line, in order, within this call.
    void feed(const QByteArray& bytes, const std::function<void(const QString&)>& onLine);

    // The device went away: the part of a line it sent is no line, and must
    // not be glued onto the first line after the reconnect.
    void dropPartialLine();

    const QString& lineBuffer() const { return m_lineBuffer; }
    int droppedOverflows() const { return m_overflows; }

private:
    QString m_lineBuffer;
    int m_overflows = 0;
    bool m_discarding = false;
};
