// corvane-cli ports: Com1..Com4 with the devices they stand for, then every
// other serial device the system lists, and whether each one opens. A port is
// opened only to see whether it can be, and closed at once; nothing is
// written to it.
#include "clioutput.h"
#include "link/pumplink.h"
#include "link/qtseriallink.h"
#include "livesession.h"
#include "subcommands.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace PortsCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli ports [--settings FILE]\n"
    "\n"
    "Prints one JSON object per serial port: first Com1 to Com4 with the device\n"
    "each stands for (as Corvane's window maps them, from corvane.INI), then\n"
    "every other serial device the system lists. Members:\n"
    "  name          Com1..Com4, or the system's name for the device (ttyUSB0)\n"
    "  device        the device opened\n"
    "  exists        whether the device is there\n"
    "  openable      whether it opens now\n"
    "  reason        why it does not, in the window's words (\"no such device \xe2\x80\x94\n"
    "                is the adapter plugged in?\", \"permission denied \xe2\x80\x94 is this\n"
    "                user in the dialout group?\", \"in use by another program\");\n"
    "                empty when it opens\n"
    "  description, manufacturer, vid, pid, serialNumber\n"
    "                where the system knows them (vid and pid as 4 hex digits)\n"
    "Each port is opened only to see whether it can be, and closed at once;\n"
    "nothing is written to any port.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  take the Com1..Com4 mapping from FILE instead of the\n"
    "                   corvane.INI the window uses\n"
    "\n"
    "Exit status: 0 done, 2 usage error.\n";

// Where the serial library looks for a port name ("ttyUSB0" is /dev/ttyUSB0).
QString systemLocation(const QString& device) {
#ifdef Q_OS_WIN
    return device;
#else
    return device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
#endif
}

bool sameDevice(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
#endif
}

bool exists(const QString& location, const QList<QSerialPortInfo>& listed) {
#ifdef Q_OS_WIN
    for (const QSerialPortInfo& info : listed)
        if (sameDevice(info.portName(), location))
            return true;
    return false;
#else
    Q_UNUSED(listed);
    return QFileInfo::exists(location);
#endif
}

QString hex4(quint16 id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

QJsonObject describe(const QString& name, QtSerialLink& link, int portNumber,
                     const QList<QSerialPortInfo>& listed, const QSerialPortInfo* info) {
    const QString device = link.deviceName(portNumber);
    QJsonObject o;
    o.insert(QStringLiteral("name"), name);
    o.insert(QStringLiteral("device"), device);
    o.insert(QStringLiteral("exists"), exists(systemLocation(device), listed));
    // Opened as the window opens it (same line settings, same words for a
    // refusal), then closed before anything could be written.
    const bool opened = link.open(portNumber, PumpLink::kLineSettings);
    QString reason;
    if (opened)
        link.close();
    else
        reason = PumpLink::openFailureText(link.lastOpenError(), link.lastErrorText());
    o.insert(QStringLiteral("openable"), opened);
    o.insert(QStringLiteral("reason"), reason);
    if (info) {
        if (!info->description().isEmpty())
            o.insert(QStringLiteral("description"), info->description());
        if (!info->manufacturer().isEmpty())
            o.insert(QStringLiteral("manufacturer"), info->manufacturer());
        if (info->hasVendorIdentifier())
            o.insert(QStringLiteral("vid"), hex4(info->vendorIdentifier()));
        if (info->hasProductIdentifier())
            o.insert(QStringLiteral("pid"), hex4(info->productIdentifier()));
        if (!info->serialNumber().isEmpty())
            o.insert(QStringLiteral("serialNumber"), info->serialNumber());
    }
    return o;
}

} // namespace

const Subcommand kSubcommand = {
    "ports",
    "ports [--settings FILE]",
    "ports [--settings FILE]",
    "Com1-Com4 and every other serial device: whether each is there and opens",
    kHelp,
    &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    const auto parsed = parseArgs(args, {{QStringLiteral("--settings"), true}}, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    if (parsed->has(QStringLiteral("--settings"))) {
        const auto path = settingsFile(parsed->value(QStringLiteral("--settings")), error);
        if (!path)
            return std::nullopt;
        o.settingsPath = *path;
    }
    return o;
}

QList<QJsonObject> list(const QString& settingsPath) {
    const QList<QSerialPortInfo> listed = QSerialPortInfo::availablePorts();
    QList<bool> shown(listed.size(), false);
    QList<QJsonObject> ports;

    QtSerialLink mapped(settingsPath);
    for (int n = 1; n <= 4; ++n) {
        const QString location = systemLocation(mapped.deviceName(n));
        const QSerialPortInfo* info = nullptr;
        for (int i = 0; i < listed.size(); ++i) {
            if (sameDevice(listed.at(i).systemLocation(), location)) {
                info = &listed.at(i);
                shown[i] = true;
            }
        }
        ports << describe(QStringLiteral("Com%1").arg(n), mapped, n, listed, info);
    }
    for (int i = 0; i < listed.size(); ++i) {
        if (shown.at(i))
            continue;
        QtSerialLink other(QString{});
        other.setDevice(1, listed.at(i).systemLocation());
        ports << describe(listed.at(i).portName(), other, 1, listed, &listed.at(i));
    }
    return ports;
}

int main(const QStringList& args, Output& out) {
    QString error;
    const auto options = parse(args, &error);
    if (!options)
        return usageError(out, kSubcommand, error);
    const QString settings =
        options->settingsPath.isEmpty() ? LiveSession::windowSettingsPath() : options->settingsPath;
    for (const QJsonObject& port : list(settings))
        out.json(port);
    return Exit::kDone;
}

} // namespace PortsCommand
