#include "support/fakeseriallink.h"

bool FakeSerialLink::open(int portNumber, const QString& settings) {
    close();
    const bool missing = missingPorts.contains(portNumber);
    const OpenError refused = refusedPorts.value(portNumber, OpenError::None);
    const bool ok = !missing && refused == OpenError::None;
    events.append({Event::Open, portNumber, settings.toLatin1(), ok});
    m_openError = missing ? OpenError::NotFound : refused;
    m_errorText = missing                                  ? QStringLiteral("no such device")
                  : refused == OpenError::PermissionDenied ? QStringLiteral("permission denied")
                  : refused == OpenError::Busy ? QStringLiteral("in use by another program")
                  : refused != OpenError::None ? QStringLiteral("cannot open")
                                               : QString();
    m_open = ok;
    m_port = ok ? portNumber : 0;
    return ok;
}

void FakeSerialLink::close() {
    if (!m_open)
        return;
    events.append({Event::Close, m_port, {}, true});
    m_open = false;
    m_waiting.clear(); // replies still waiting on the old port are lost
}

bool FakeSerialLink::write(const QByteArray& data) {
    const bool ok = m_open && !failWrites;
    events.append({Event::Write, m_port, data, ok});
    return ok;
}

QByteArray FakeSerialLink::readAll() {
    QByteArray out;
    out.swap(m_waiting);
    return out;
}

QString FakeSerialLink::deviceName(int portNumber) const {
    return QStringLiteral("fake%1").arg(portNumber);
}

void FakeSerialLink::receive(const QByteArray& bytes) {
    if (!m_open)
        return;
    m_waiting += bytes;
    if (m_eof && bytes.contains(kEofChar))
        emit endOfFileReceived();
    emit readyRead();
}

QByteArray FakeSerialLink::written() const {
    QByteArray out;
    for (const Event& e : events)
        if (e.type == Event::Write && e.ok)
            out += e.data;
    return out;
}
