// The serial devices present on this computer (a USB adapter, a built-in
// port), as the "Pump Communication" page offers them for Com1 to Com4. An
// interface, so that a test can stand in for the system's list.
#pragma once

#include <QList>
#include <QString>

struct SerialDevice {
    QString name;         // "ttyUSB0"
    QString description;  // "FT232R USB UART"; may be empty
    QString serialNumber; // "A10K1234"; may be empty
    QString location;     // "/dev/ttyUSB0": what corvane.INI names for ComN
};

class SerialDevices {
public:
    virtual ~SerialDevices() = default;
    virtual QList<SerialDevice> available() const = 0;

    // "ttyUSB0 - FT232R USB UART, serial A10K1234", leaving out what the
    // system does not report.
    static QString shown(const SerialDevice& device);
};

// The system's own list (QSerialPortInfo).
class SystemSerialDevices : public SerialDevices {
public:
    QList<SerialDevice> available() const override;
};
