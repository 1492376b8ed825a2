// The user's last choices kept in corvane.INI: the serial port, the setup
// options and the run-program fields. loadSettings hands the window what the
// file says; the window sets its controls from it. saveSettings writes what
// the window holds, in the file's traditional key order and with one replace
// of the file, leaving every other key and comment of the file alone.
#pragma once

#include "core/pagevalues.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

struct StoredSettings {
    // "Comm Port" / "CommPort": 1 to 4, read back as written; the window
    // selects a port only for 1 to 4, so 0 (and 5, -1, ...) select none.
    int commPort = 0;

    // "Program" / "Password" and "FlowFlault": True or False. A missing key
    // or a text that is no boolean reads as no value: the window leaves its
    // "On" / "Activated" option as it is and selects the partner if neither is.
    std::optional<bool> password;
    std::optional<bool> flowFault;

    // Option keys: -1 (selected) or 0, read back exactly as written, so the
    // window tests them for non-zero.
    int startupScreen = 0; // Option12 "On", otherwise Option13 "Off"
    // "Loging": the log rate in minutes for txtLogRate. No value means the
    // file holds a text that is no number: txtLogRate keeps what it shows.
    // On save, no value leaves the key in the file as it was.
    std::optional<int> logRate = 0;
    int timingOn = 0;   // check_trflag: 1 ticked, 0 not
    int startStop = 0;  // Opstart when non-zero, otherwise Opduration
    int measure = 0;    // Option15 "English" when non-zero, otherwise Option14
    int volumetric = 0; // Option17 selected or deselected; Option16 untouched
    // "Target": cc/min for Txt_target_flow; no value as for logRate.
    std::optional<int> targetFlow = 0;

    // "Strt_dttm", "Stop_dttm": "YYYYMMDD HH:MM:SS.hh"; written, never read.
    QString startDateTime;
    QString stopDateTime;
};

// LoadSettings: reads every key the window restores, from one reading of the
// file. A missing file gives the defaults above. So does a file that is there
// but is not read (not a regular file, unreadable, larger than 1 MiB); then
// `error`, if given, says why, for the user (it is emptied otherwise).
StoredSettings loadSettings(const QString& path, QString* error = nullptr);

// SaveSettings: writes every key with one atomic replace of the file. False
// when the file is left as it was: it is not one loadSettings reads, the keys
// would make it larger than 1 MiB (the next start would ignore it), or the
// write failed; then `error`, if given, says why (it is emptied otherwise).
bool saveSettings(const QString& path, const StoredSettings& values, QString* error = nullptr);

// What the settings save stores for the setup and program pages and the
// chosen port (0 to 4): option buttons as -1 / 0 (timing 1 / 0), the password
// and flow-fault options as booleans, the log rate and target flow boxes as
// whole numbers (roundedWholeNumber), the start and stop pickers as
// "YYYYMMDD HH:MM:SS.hh".
StoredSettings storedSettings(const SetupValues& setup, const ProgramValues& program, int commPort);

// A text box's text as the whole number the file stores: the nearest whole
// number, halves to the even neighbour ("2.5" -> 2, "3.5" -> 4, "-0.5" -> 0).
// Blanks around the number are allowed; anything else that is no plain decimal
// number (empty, "abc", "12abc", "1e3", beyond 32 bits) gives no value, so the
// stored value is left as it was rather than replaced by a guess.
std::optional<int> roundedWholeNumber(const QString& text);

// "True" / "False" as stored; also a number (non-zero is true). Anything else,
// the one-blank default included, is no boolean.
std::optional<bool> storedBoolean(const QString& text);

// "YYYYMMDD HH:MM:SS.hh", as "Strt_dttm" and "Stop_dttm" store a picker.
QString storedDateTime(const QDate& date, const QTime& time);

// Where corvane.INI lives. The program's folder, as always, when it is the
// user's own folder and the file can be replaced there (the folder is
// writable): a copy kept on a stick or in a folder of the user's carries its
// settings along. A system folder is never used, writable or not: settings
// written there by root would be shared by every user and left behind by the
// package manager. Then, and when the folder cannot be written, the per-user
// configuration folder is used (created if need be), seeded once with a copy
// of the program folder's file if there is one, so a port mapping shipped
// with the program is kept.
struct SettingsLocation {
    QString path;
    bool perUser = false;
};
SettingsLocation settingsFilePath(const QString& programFolder, const QString& userConfigFolder);
// The same, with the program folder's kind already known.
SettingsLocation settingsFilePath(const QString& programFolder, const QString& userConfigFolder,
                                  bool systemFolder);

// What tells a system folder: where it is (symbolic links resolved) and who
// owns it, and who runs the program.
struct ProgramFolderFacts {
    QString path;
    bool ownedByRoot = false;
    bool runAsRoot = false;
};
ProgramFolderFacts programFolderFacts(const QString& programFolder);
// True for a folder under /usr, /opt, /bin, /sbin, /lib*, /snap, /app, /nix,
// the root folder itself, Windows' "Program Files" folders and its own
// folder (any drive, any letter case), for one owned by root, and for any
// folder when the program runs as root.
bool isSystemFolder(const ProgramFolderFacts& facts);

inline const QString kSettingsFileName = QStringLiteral("corvane.INI");
