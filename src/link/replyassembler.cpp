#include "link/replyassembler.h"

void ReplyAssembler::feed(const QByteArray& bytes,
                          const std::function<void(const QString&)>& onLine) {
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code == 13) {
            // Take the line out first: the handler may feed more text.
            const QString line = m_lineBuffer;
            m_lineBuffer.clear();
            onLine(line);
        } else if (code >= 32 && code <= 126) {
            if (m_lineBuffer.size() >= kMaxLine) {
                m_lineBuffer.clear();
                ++m_overflows;
            }
            m_lineBuffer.append(QLatin1Char(c));
        }
    }
}
