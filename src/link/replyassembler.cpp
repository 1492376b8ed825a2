#include "link/replyassembler.h"

void ReplyAssembler::feed(const QByteArray& bytes,
                          const std::function<void(const QString&)>& onLine) {
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code == 13) {
            // An overlong line is noise as a whole: its tail is no line.
            if (m_discarding) {
                m_discarding = false;
                continue;
            }
            // Take the line out first: the handler may feed more text.
            const QString line = m_lineBuffer;
            m_lineBuffer.clear();
            onLine(line);
        } else if (code >= 32 && code <= 126) {
            if (m_discarding)
                continue;
            if (m_lineBuffer.size() >= kMaxLine) {
                m_lineBuffer.clear();
                m_discarding = true;
                ++m_overflows;
                continue;
            }
            m_lineBuffer.append(QLatin1Char(c));
        }
    }
}

void ReplyAssembler::dropPartialLine() {
    m_lineBuffer.clear();
    m_discarding = false;
}
