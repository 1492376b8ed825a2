// The real serial port, through QSerialPort.
#pragma once

#include "link/seriallink.h"

#include <QMap>
#include <QSerialPort>

class QtSerialLink : public SerialLink {
    Q_OBJECT
public:
    // iniPath: the settings file that may name a device for Com1..Com4.
    explicit QtSerialLink(QString iniPath, QObject* parent = nullptr);

    bool open(int portNumber, const QString& settings) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool write(const QByteArray& data) override;
    QByteArray readAll() override;
    void setEofEnabled(bool on) override { m_eof = on; }
    bool eofEnabled() const override { return m_eof; }
    QString deviceName(int portNumber) const override;
    OpenError lastOpenError() const override { return m_openError; }
    QString lastErrorText() const override { return m_errorText; }
    qint64 bytesToWrite() const override { return m_port.isOpen() ? m_port.bytesToWrite() : 0; }

    // Port n opens `device` instead of what corvane.INI or the default names
    // (corvane-cli --port /dev/ttyUSB0). An empty device undoes it.
    void setDevice(int portNumber, const QString& device);

private:
    // Takes the port for this program alone; false (port closed, reason set)
    // when another program holds it.
    bool lockExclusive();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_iniPath;
    QMap<int, QString> m_devices; // given by setDevice
    bool m_eof = false;
    bool m_lost = false; // device loss reported for this opening
    int m_openings = 0;  // which opening a queued loss belongs to
    // Waiting bytes already looked at for the end-of-file character, so one
    // character left unread for a while is reported once.
    qint64 m_eofScanned = 0;
    OpenError m_openError = OpenError::None;
    QString m_errorText;
};
