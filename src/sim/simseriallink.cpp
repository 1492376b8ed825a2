#include "sim/simseriallink.h"

#include "link/linesettings.h"

SimSerialLink::SimSerialLink(SimPump::Options options, SimPump::Clock clock, QObject* parent)
    : SerialLink(parent), m_pump(std::make_unique<SimPump>(std::move(options), std::move(clock))) {
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &SimSerialLink::deliver);
}

SimSerialLink::~SimSerialLink() = default;

bool SimSerialLink::open(int portNumber, const QString& settings) {
    close();
    m_openError = OpenError::None;
    m_errorText.clear();
    if (portNumber < 1 || portNumber > 4) {
        m_openError = OpenError::NotFound;
        m_errorText = QStringLiteral("no such port");
        return false;
    }
    if (!LineSettings::parse(settings)) {
        m_openError = OpenError::BadSettings;
        m_errorText = QStringLiteral("bad line settings");
        return false;
    }
    if (m_unpluggedUntil.isValid() && QDateTime::currentDateTime() < m_unpluggedUntil) {
        m_openError = OpenError::NotFound;
        m_errorText = QStringLiteral("the demo pump's cable is out");
        return false;
    }
    m_unpluggedUntil = QDateTime();
    m_open = true;
    m_port = portNumber;
    return true;
}

void SimSerialLink::close() {
    if (!m_open)
        return;
    m_open = false;
    m_port = 0;
    m_timer.stop();
    m_pacer.stop();
    m_waiting.clear();
    m_pump->clearOutput(); // replies in flight are lost with the port
}

bool SimSerialLink::write(const QByteArray& data) {
    if (!m_open)
        return false;
    m_pump->write(data);
    if (m_pump->pending() > 0 || m_pump->takeDisconnect()) {
        if (!m_timer.isActive()) {
            if (m_pacing)
                m_pacer.start();
            // Even unpaced, replies come from the event loop, never from
            // inside the write.
            m_timer.start(m_pacing ? kTickMs : 0);
        }
    }
    return true;
}

QByteArray SimSerialLink::readAll() {
    QByteArray out;
    out.swap(m_waiting);
    return out;
}

QString SimSerialLink::deviceName(int) const {
    return QStringLiteral("Demo pump");
}

void SimSerialLink::deliver() {
    if (!m_open) {
        m_timer.stop();
        return;
    }
    qint64 n = -1;
    if (m_pacing) {
        if (!m_pacer.started())
            m_pacer.start();
        n = m_pacer.allowance();
    }
    const QByteArray chunk = n == 0 ? QByteArray() : m_pump->read(n);
    m_pacer.sent(chunk.size());
    if (!chunk.isEmpty()) {
        m_waiting += chunk;
        if (m_eof && chunk.contains(kEofChar))
            emit endOfFileReceived();
        emit readyRead();
    }
    if (!m_open)
        return; // a receiver closed the port
    if (m_pump->takeDisconnect()) {
        // The cable drops in the middle of the pump's output.
        m_unpluggedUntil = QDateTime::currentDateTime().addMSecs(kReconnectMs);
        m_open = false;
        m_port = 0;
        m_timer.stop();
        m_pacer.stop();
        m_waiting.clear();
        emit deviceLost();
        return;
    }
    if (m_pump->pending() == 0) {
        m_timer.stop();
        m_pacer.stop();
    }
}
