#include "ptypump.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyPump::PtyPump(SimPump::Options options, QString linkPath, bool pacing, int reconnectMs,
                 QObject* parent)
    : QObject(parent), m_pump(std::move(options)), m_linkPath(std::move(linkPath)),
      m_pacing(pacing), m_reconnectMs(reconnectMs) {
    m_paceTimer.setInterval(10);
    connect(&m_paceTimer, &QTimer::timeout, this, &PtyPump::flush);
}

PtyPump::~PtyPump() {
    closePty();
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
}

bool PtyPump::start() {
    return openPty();
}

bool PtyPump::openPty() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        closePty();
        return false;
    }
    const char* name = ptsname(m_master);
    m_slavePath = QString::fromLocal8Bit(name ? name : "");
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        closePty();
        return false;
    }
    // Raw: no echo, no line editing, no CR/LF translation.
    termios tio{};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    tcsetattr(m_slave, TCSANOW, &tio);

    if (!m_linkPath.isEmpty()) {
        QFile::remove(m_linkPath);
        if (!QFile::link(m_slavePath, m_linkPath)) {
            m_error = QStringLiteral("cannot make the link ") + m_linkPath;
            closePty();
            return false;
        }
    }
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyPump::onReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyPump::flush);
    emit serving(m_slavePath);
    return true;
}

void PtyPump::closePty() {
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_paceTimer.stop();
    m_pacer.stop();
    m_outgoing.clear();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

void PtyPump::onReadable() {
    char buf[4096];
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0)
        return;
    m_pump.write(QByteArray(buf, int(n)));
    if (m_pump.pending() > 0 || m_outgoing.size() > 0) {
        if (!m_pacer.started())
            m_pacer.start();
        flush();
    }
}

void PtyPump::flush() {
    if (m_master < 0)
        return;
    // Take from the pump what the line allows by now.
    const qint64 allow = m_pacing ? m_pacer.allowance() : -1;
    if (m_outgoing.isEmpty() || !m_pacing) {
        const QByteArray more = m_pump.read(allow);
        m_pacer.sent(more.size());
        m_outgoing += more;
    }
    while (!m_outgoing.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outgoing.constData(), size_t(m_outgoing.size()));
        if (n <= 0)
            break; // terminal buffer full: wait for the write notifier
        m_outgoing.remove(0, qsizetype(n));
    }
    if (m_pump.pending() == 0 && m_outgoing.isEmpty() && m_pump.takeDisconnect()) {
        drainThenDrop(0);
        return;
    }
    const bool more = m_pump.pending() > 0 || !m_outgoing.isEmpty();
    m_writeNotifier->setEnabled(!m_outgoing.isEmpty());
    if (more && m_pacing && !m_paceTimer.isActive())
        m_paceTimer.start();
    if (!more) {
        m_paceTimer.stop();
        m_pacer.stop();
    }
}

void PtyPump::drainThenDrop(int waitedMs) {
    // Closing the master throws away what the reader has not read yet; let
    // the bytes sent before the cable "breaks" arrive first (2 s at most).
    // The terminal hands written bytes over a moment later, so the unread
    // count means something only after a short wait.
    int unread = 0;
    if (m_slave >= 0 && ::ioctl(m_slave, FIONREAD, &unread) != 0)
        unread = 0;
    if ((unread == 0 && waitedMs >= 100) || waitedMs >= 2000) {
        dropLine();
        return;
    }
    m_readNotifier->setEnabled(false); // the pump hears nothing meanwhile
    QTimer::singleShot(20, this, [this, waitedMs] { drainThenDrop(waitedMs + 20); });
}

void PtyPump::dropLine() {
    // The cable is pulled: the device disappears, and comes back under a
    // new name (the link, if any, follows it) a little later.
    closePty();
    m_pump.clearOutput();
    QTimer::singleShot(m_reconnectMs, this, [this] {
        if (!openPty())
            qWarning("corvane-pumpsim: cannot reopen: %s", qPrintable(m_error));
    });
}
