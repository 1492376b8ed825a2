// The one way Corvane talks to a serial port: the real port (QtSerialLink) or
// the simulated pump (SimSerialLink); the tests add a recording fake
// (tests/support). Everything passes PumpLink, which keeps the trace.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialLink : public QObject {
    Q_OBJECT
public:
    // The pump ends a history dump with this character.
    static constexpr char kEofChar = 26;

    enum class OpenError { None, NotFound, PermissionDenied, Busy, BadSettings, Other };

    using QObject::QObject;
    ~SerialLink() override = default;

    // Port number 1..4 and line settings such as "57600,N,8,1".
    virtual bool open(int portNumber, const QString& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the whole text; false when the port is closed or the write failed.
    virtual bool write(const QByteArray& data) = 0;
    // Everything waiting in the receive buffer (read length 0).
    virtual QByteArray readAll() = 0;
    virtual void setEofEnabled(bool on) = 0;
    virtual bool eofEnabled() const = 0;

    // What stands behind port n, for tool tips and messages ("/dev/ttyUSB0").
    virtual QString deviceName(int portNumber) const = 0;
    // Why the last open failed, and the operating system's words for it.
    virtual OpenError lastOpenError() const { return OpenError::None; }
    virtual QString lastErrorText() const { return QString(); }
    // Bytes taken by write() that have not reached the device yet (a port
    // that writes from the event loop holds them until it runs again).
    virtual qint64 bytesToWrite() const { return 0; }

signals:
    // Characters are waiting to be read. When a delivery holds the end-of-file
    // character and detection is on, endOfFileReceived() comes first, then
    // readyRead() for the same characters.
    void readyRead();
    void endOfFileReceived();
    // The device went away while open (adapter unplugged, hang-up).
    void deviceLost();
};
