#include "link/pumplink.h"

#include "link/portmap.h"

PumpLink::PumpLink(AppState& state, SerialLink& link, QObject* parent)
    : QObject(parent), m_state(state), m_link(link) {
    connect(&m_link, &SerialLink::endOfFileReceived, this, &PumpLink::endOfFileReceived);
    connect(&m_link, &SerialLink::readyRead, this, &PumpLink::onReadyRead);
    connect(&m_link, &SerialLink::deviceLost, this, &PumpLink::onDeviceLost);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] { tryOpen(true); });
}

void PumpLink::selectPort(int index) {
    m_retry.stop();
    m_afterLoss = false;
    m_link.close();
    // Recorded even when the open fails; the poll reports the missing pump.
    m_state.SelectedPort = index + 1;
    tryOpen(false);
}

void PumpLink::tryOpen(bool retry) {
    const int port = m_state.SelectedPort;
    if (port < 1 || port > 4) {
        m_retry.stop();
        return;
    }
    const QString where = PortMap::describe(port, m_link.deviceName(port));
    m_emptyReads = 0;
    m_failedWrites = 0;
    if (m_link.open(port, kLineSettings)) {
        m_retry.stop();
        m_afterLoss = false;
        setStatus(where + QStringLiteral(": open"));
        return;
    }
    const auto err = m_link.lastOpenError();
    const QString why = openFailureText(err, m_link.lastErrorText());
    // While retrying after a loss, keep saying the device is lost; otherwise
    // say why the port stays closed now (missing, then refused, ...).
    if (!retry || !m_afterLoss)
        setStatus(where + QStringLiteral(": ") + why);
    // A missing or busy device may come (back): an adapter plugged in, or
    // ModemManager letting go of a fresh USB port. Try again each second.
    // After a loss keep trying whatever the reason: a freshly plugged adapter
    // can refuse access for a moment until udev has given it its group.
    if (retry || err == SerialLink::OpenError::NotFound || err == SerialLink::OpenError::Busy ||
        err == SerialLink::OpenError::Other) {
        if (!m_retry.isActive())
            m_retry.start();
    } else {
        m_retry.stop();
    }
}

QString PumpLink::openFailureText(SerialLink::OpenError error, const QString& errorText) {
    if (error == SerialLink::OpenError::PermissionDenied)
        return errorText + QStringLiteral(" \u2014 is this user in the dialout group?");
    if (error == SerialLink::OpenError::NotFound)
        return errorText + QStringLiteral(" \u2014 is the adapter plugged in?");
    return errorText;
}

void PumpLink::onDeviceLost() {
    const int port = m_state.SelectedPort;
    m_link.close();
    m_afterLoss = true;
    setStatus(PortMap::describe(port, m_link.deviceName(port)) + QStringLiteral(": device lost"));
    if (!m_retry.isActive())
        m_retry.start();
    emit deviceLost();
}

void PumpLink::sendToPump(const QString& text) {
    if (busyHook)
        busyHook(true);
    write(text);
    if (busyHook)
        busyHook(false);
}

void PumpLink::writeDirect(const QString& text) {
    write(text);
}

bool PumpLink::write(const QString& text) {
    // The trace shows what reached the port: nothing while it is closed (a
    // poll each second while the adapter is out), a refused write marked.
    if (!m_link.isOpen())
        return false;
    const QByteArray bytes = text.toLatin1();
    const bool written = m_link.write(bytes);
    if (traceHook)
        traceHook(written ? 'T' : 'F', bytes);
    if (written) {
        m_failedWrites = 0;
        return true;
    }
    if (++m_failedWrites >= kFailedWritesMeanLost)
        onDeviceLost();
    return false;
}

void PumpLink::onReadyRead() {
    // Handling received text may open a local event loop somewhere below; a
    // notification arriving meanwhile is taken by the loop below instead of
    // running the receive handler a second time inside the first.
    if (m_inReceive) {
        m_receivePending = true;
        return;
    }
    m_inReceive = true;
    do {
        m_receivePending = false;
        const QByteArray bytes = m_link.readAll();
        if (bytes.isEmpty()) {
            if (++m_emptyReads >= kEmptyReadsMeanLost && m_link.isOpen()) {
                m_inReceive = false;
                onDeviceLost();
                return;
            }
            continue;
        }
        m_emptyReads = 0;
        if (traceHook)
            traceHook('R', bytes);
        emit received(bytes);
    } while (m_receivePending);
    m_inReceive = false;
}

void PumpLink::setStatus(const QString& text) {
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(text);
}
