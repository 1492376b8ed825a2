// Paces output at the speed of the serial line: 57600 bit/s with start and
// stop bit is 10 bits a character, 5760 characters a second. The pacer counts
// from the moment output began after the line was idle, so timer jitter does
// not add up over a long history dump.
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

class LinePacer {
public:
    static constexpr qint64 kCharsPerSecond = 57600 / 10;

    // Output starts now (the line was idle).
    void start() {
        m_since.start();
        m_sent = 0;
    }
    bool started() const { return m_since.isValid(); }
    void stop() { m_since.invalidate(); }
    // How many characters may go out now.
    qint64 allowance() const { return allowanceAt(m_since.elapsed(), m_sent); }
    void sent(qint64 n) { m_sent += n; }

    static qint64 allowanceAt(qint64 elapsedMs, qint64 alreadySent) {
        return std::max<qint64>(0, elapsedMs * kCharsPerSecond / 1000 - alreadySent);
    }

private:
    QElapsedTimer m_since;
    qint64 m_sent = 0;
};
