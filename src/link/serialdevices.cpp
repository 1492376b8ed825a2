#include "link/serialdevices.h"

#include <QSerialPortInfo>

QString SerialDevices::shown(const SerialDevice& d) {
    QString text = d.name;
    if (!d.description.isEmpty())
        text += QStringLiteral(" - ") + d.description;
    if (!d.serialNumber.isEmpty())
        text += QStringLiteral(", serial ") + d.serialNumber;
    return text;
}

QList<SerialDevice> SystemSerialDevices::available() const {
    QList<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out.append(
            {info.portName(), info.description(), info.serialNumber(), info.systemLocation()});
    return out;
}
