#include "link/qtseriallink.h"

#include "link/linesettings.h"
#include "link/portmap.h"

#include <QFileInfo>
#include <QMetaObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/file.h>
#endif

QtSerialLink::QtSerialLink(QString iniPath, QObject* parent)
    : SerialLink(parent), m_iniPath(std::move(iniPath)) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
}

QString QtSerialLink::deviceName(int portNumber) const {
    const QString given = m_devices.value(portNumber);
    return given.isEmpty() ? PortMap::device(portNumber, m_iniPath) : given;
}

void QtSerialLink::setDevice(int portNumber, const QString& device) {
    if (device.isEmpty())
        m_devices.remove(portNumber);
    else
        m_devices.insert(portNumber, device);
}

bool QtSerialLink::open(int portNumber, const QString& settings) {
    close();
    ++m_openings;
    m_openError = OpenError::None;
    m_errorText.clear();
    const auto s = LineSettings::parse(settings);
    if (!s) {
        m_openError = OpenError::BadSettings;
        m_errorText = QStringLiteral("bad line settings");
        return false;
    }
    // The device itself, not the name it was reached by: a symbolic link
    // (/dev/serial/by-id/..., a pump simulator's link) and /dev/ttyUSB0 are
    // one port, and must be seen as one by every lock on it.
    const QString named = deviceName(portNumber);
    const QString real = QFileInfo(named).canonicalFilePath();
    m_port.setPortName(real.isEmpty() ? named : real);
    if (!m_port.open(QIODevice::ReadWrite)) {
        switch (m_port.error()) {
        case QSerialPort::DeviceNotFoundError:
            m_openError = OpenError::NotFound;
            m_errorText = QStringLiteral("no such device");
            break;
        case QSerialPort::PermissionError: {
            // Qt reports a port held by another program as a permission error
            // too ("Permission error while locking the device", "Device or
            // resource busy"); only the system's own "Permission denied" means
            // this user may not open the device.
            const QString why = m_port.errorString();
            m_openError = why.contains(QLatin1String("Permission denied"), Qt::CaseInsensitive)
                              ? OpenError::PermissionDenied
                              : OpenError::Busy;
            m_errorText = m_openError == OpenError::PermissionDenied
                              ? QStringLiteral("permission denied")
                              : QStringLiteral("in use by another program");
            break;
        }
        default:
            m_openError = OpenError::Other;
            m_errorText = m_port.errorString();
            break;
        }
        m_port.clearError();
        return false;
    }
    if (!lockExclusive())
        return false;
    const bool ok =
        m_port.setBaudRate(s->baud) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(s->dataBits)) &&
        m_port.setStopBits(s->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        m_port.setParity(s->parity == 'E'   ? QSerialPort::EvenParity
                         : s->parity == 'O' ? QSerialPort::OddParity
                         : s->parity == 'M' ? QSerialPort::MarkParity
                         : s->parity == 'S' ? QSerialPort::SpaceParity
                                            : QSerialPort::NoParity) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        // A pseudo-terminal or odd driver may refuse a setting; the port is
        // still usable, so keep it open and say nothing.
        m_port.clearError();
    }
    m_lost = false;
    return true;
}

bool QtSerialLink::lockExclusive() {
#ifdef Q_OS_UNIX
    // Qt's own lock file is named after the name given, and root passes the
    // terminal's exclusive mode: two programs could share the pump and split
    // its replies between them. An advisory lock on the open device holds
    // whoever runs them; it goes with the descriptor when the port closes.
    if (::flock(int(m_port.handle()), LOCK_EX | LOCK_NB) == 0)
        return true;
    const int err = errno;
    m_port.close();
    m_port.clearError();
    m_openError = err == EWOULDBLOCK ? OpenError::Busy : OpenError::Other;
    m_errorText =
        err == EWOULDBLOCK ? QStringLiteral("in use by another program") : qt_error_string(err);
    return false;
#else
    return true; // Windows opens a COM port for one program only
#endif
}

QByteArray QtSerialLink::readAll() {
    m_eofScanned = 0;
    return m_port.readAll();
}

void QtSerialLink::close() {
    m_eofScanned = 0;
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QtSerialLink::write(const QByteArray& data) {
    if (!m_port.isOpen() || m_lost)
        return false;
    const qint64 n = m_port.write(data);
    return n == data.size();
}

void QtSerialLink::onReadyRead() {
    if (m_lost)
        return;
    if (m_eof) {
        const qint64 waiting = m_port.bytesAvailable();
        if (waiting > m_eofScanned) {
            const QByteArray fresh = m_port.peek(waiting).mid(m_eofScanned);
            m_eofScanned = waiting;
            if (fresh.contains(kEofChar))
                emit endOfFileReceived();
        }
    }
    emit readyRead();
}

void QtSerialLink::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::WriteError)
        return;
    if (m_lost || !m_port.isOpen())
        return;
    m_lost = true;
    m_errorText = m_port.errorString();
    // Closing inside the error signal has crashed Qt before; do it once the
    // signal has returned. Until then the m_lost flag stops reads and writes.
    // A port chosen meanwhile is not the one that was lost.
    QMetaObject::invokeMethod(
        this,
        [this, opening = m_openings] {
            if (opening != m_openings)
                return;
            m_port.close();
            m_port.clearError();
            emit deviceLost();
        },
        Qt::QueuedConnection);
}
