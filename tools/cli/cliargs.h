// The command line of corvane-cli: options of the form "--name value",
// "--name=value" or "-o value", checked against what each subcommand takes,
// and the pump every live subcommand talks to (--port PORT or --demo).
// Everything here only reads the arguments; nothing opens a port.
#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

struct OptionSpec {
    QString name; // "--port", "-o"
    bool takesValue = false;
};

class ParsedArgs {
public:
    bool has(const QString& name) const { return m_values.contains(name); }
    QString value(const QString& name) const { return m_values.value(name); }

private:
    friend std::optional<ParsedArgs> parseArgs(const QStringList&, const QList<OptionSpec>&,
                                               QString*);
    QMap<QString, QString> m_values;
};

// Reads `args` (what follows the subcommand's name) against `specs`. Refuses,
// with the reason in `error`, an unknown option, an option without its value,
// a value given to an option that takes none, an option given twice and any
// argument that is no option. A value is taken as it stands, even when it
// begins with "-" ("-o -").
std::optional<ParsedArgs> parseArgs(const QStringList& args, const QList<OptionSpec>& specs,
                                    QString* error);

// Whether the arguments ask for the subcommand's help ("--help" or "-h").
bool asksForHelp(const QStringList& args);

// The pump a live subcommand talks to.
struct PumpChoice {
    bool demo = false;    // the built-in simulated pump, in-process
    int comPort = 0;      // 1..4: Com1..Com4, mapped to a device as the window maps them
    QString device;       // otherwise this device, opened directly
    QString settingsPath; // --settings: the file mapping Com1..Com4 (empty: the window's)

    // "Com2", "/dev/ttyUSB0" or "demo pump", for messages.
    QString label() const;
};

// --settings FILE: a readable file (a settings file named but missing would
// quietly leave Com1..Com4 on their defaults). Its absolute path.
std::optional<QString> settingsFile(const QString& path, QString* error);

// --port PORT, --demo and --settings FILE, for every live subcommand.
const QList<OptionSpec>& pumpOptions();

// The pump from --port / --demo / --settings. PORT is Com1..Com4 in any case,
// or a device path; a relative path with a folder in it is taken from the
// current folder, a bare name as the serial library takes it ("ttyUSB0" is
// /dev/ttyUSB0). "Com5" and above name no port the window knows; on Windows
// they are the device COM5 and so on.
std::optional<PumpChoice> parsePump(const ParsedArgs& args, QString* error);

// `o` with its pump taken from the pump options, or nothing (and *error)
// when they name none.
template <typename Options>
std::optional<Options> withPump(Options o, const ParsedArgs& args, QString* error) {
    const auto pump = parsePump(args, error);
    if (!pump)
        return std::nullopt;
    o.pump = *pump;
    return o;
}

// The whole number in `text`, made of digits only, within [min, max].
std::optional<int> wholeNumber(const QString& text, int min, int max);

// "YYYY-MM-DD HH:MM": a date and time that exist, in the years 2000 to 2099
// (the pump keeps two digits of the year), held as a UTC value: the pump's
// wall-clock reading, never shifted for daylight saving.
std::optional<QDateTime> pumpDateTime(const QString& text);
// "HH:MM", 00:00 to 23:59.
std::optional<QTime> timeOfDay(const QString& text);
