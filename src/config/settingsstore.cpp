#include "config/settingsstore.h"

#include "config/inidocument.h"
#include "core/pickertext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString kCommPortSection = QStringLiteral("Comm Port");
const QString kProgramSection = QStringLiteral("Program");

// "Loging" and "Target" are typed by hand into the INI now and then; a text
// that is no number leaves the text box as it is, while a number with
// trailing rubbish still gives its leading digits, as any integer key does.
std::optional<int> storedWholeNumber(const IniDocument& ini, const QString& key) {
    const QString text = ini.readString(kProgramSection, key, QString()).trimmed();
    if (text.isEmpty())
        return 0;
    const int digitAt = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (digitAt >= text.size() || !text[digitAt].isDigit() || text[digitAt].unicode() >= 128)
        return std::nullopt;
    return IniDocument::leadingInt(text);
}

std::optional<bool> readBoolean(const IniDocument& ini, const QString& key) {
    return storedBoolean(ini.readString(kProgramSection, key, QStringLiteral(" ")));
}

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// True when a file can be created in the folder and renamed over another,
// which is what an atomic save needs.
bool folderWritable(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("corvane-probe-XXXXXX")));
    return probe.open();
}

} // namespace

std::optional<int> roundedWholeNumber(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    auto isDigit = [&](int at) {
        return at < t.size() && t[at] >= QLatin1Char('0') && t[at] <= QLatin1Char('9');
    };
    qint64 whole = 0;
    int digits = 0;
    for (; isDigit(i); ++i, ++digits) {
        whole = whole * 10 + (t[i].unicode() - '0');
        if (whole > qint64(INT32_MAX) + 1)
            return std::nullopt;
    }
    // The fraction decides the rounding exactly, digit by digit, so a
    // half is a half however many digits the text carries.
    enum { Below, Half, Above } fraction = Below;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        if (isDigit(i)) {
            const int first = t[i].unicode() - '0';
            ++i;
            ++digits;
            bool restNonZero = false;
            for (; isDigit(i); ++i)
                restNonZero = restNonZero || t[i] != QLatin1Char('0');
            if (first > 5 || (first == 5 && restNonZero))
                fraction = Above;
            else if (first == 5)
                fraction = Half;
        }
    }
    if (digits == 0 || i != t.size())
        return std::nullopt;
    if (fraction == Above || (fraction == Half && whole % 2 != 0))
        ++whole;
    const qint64 value = negative ? -whole : whole;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<bool> storedBoolean(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (ok)
        return number != 0;
    return std::nullopt;
}

QString storedDateTime(const QDate& date, const QTime& time) {
    return PickerText::formatDate(date) + QLatin1Char(' ') + PickerText::formatTime(time);
}

StoredSettings loadSettings(const QString& path, QString* error) {
    // One reading of the file, so every key comes from the same file.
    IniDocument ini;
    const bool loaded = ini.load(path);
    if (error)
        *error = loaded ? QString() : ini.errorString();

    StoredSettings s;
    s.commPort = ini.readInt(kCommPortSection, QStringLiteral("CommPort"), 0);
    auto readInt = [&](const char* key) {
        return ini.readInt(kProgramSection, QLatin1String(key), 0);
    };
    s.password = readBoolean(ini, QStringLiteral("Password"));
    s.flowFault = readBoolean(ini, QStringLiteral("FlowFlault"));
    s.startupScreen = readInt("Startup Screen");
    s.logRate = storedWholeNumber(ini, QStringLiteral("Loging"));
    s.timingOn = readInt("Timing on");
    s.startStop = readInt("Start/Stop");
    s.measure = readInt("Measure");
    s.volumetric = readInt("Volumetric");
    s.targetFlow = storedWholeNumber(ini, QStringLiteral("Target"));
    // "Strt_dttm" and "Stop_dttm" are kept for the record only.
    return s;
}

bool saveSettings(const QString& path, const StoredSettings& v, QString* error) {
    // All keys go into one copy of the file, written with one atomic replace:
    // a save costs one read and one flush to disk, and a program killed
    // part-way leaves the old file or the new one, never a mix. A file that
    // could not be read is not replaced; save() below says why.
    IniDocument ini;
    ini.load(path);
    auto writeInt = [&](const char* key, int value) {
        ini.writeInt(kProgramSection, QLatin1String(key), value);
    };
    auto writeBool = [&](const char* key, const std::optional<bool>& value) {
        if (value)
            ini.writeString(kProgramSection, QLatin1String(key), booleanText(*value));
    };
    auto writeNumber = [&](const char* key, const std::optional<int>& value) {
        if (value)
            writeInt(key, *value);
    };

    ini.writeInt(kCommPortSection, QStringLiteral("CommPort"), v.commPort);
    writeBool("Password", v.password);
    writeBool("FlowFlault", v.flowFault);
    writeInt("Startup Screen", v.startupScreen);
    writeNumber("Loging", v.logRate);
    writeInt("Timing on", v.timingOn);
    writeInt("Start/Stop", v.startStop);
    writeInt("Measure", v.measure);
    writeInt("Volumetric", v.volumetric);
    writeNumber("Target", v.targetFlow);
    ini.writeString(kProgramSection, QStringLiteral("Strt_dttm"), v.startDateTime);
    ini.writeString(kProgramSection, QStringLiteral("Stop_dttm"), v.stopDateTime);

    const bool saved = ini.save();
    if (error)
        *error = saved ? QString() : ini.errorString();
    return saved;
}

ProgramFolderFacts programFolderFacts(const QString& programFolder) {
    ProgramFolderFacts facts;
    const QFileInfo info(programFolder);
    // /usr/local/bin reached through a link in the user's folder is still /usr.
    facts.path = info.canonicalFilePath();
    if (facts.path.isEmpty())
        facts.path = info.absoluteFilePath();
#ifdef Q_OS_UNIX
    facts.ownedByRoot = info.exists() && info.ownerId() == 0;
    facts.runAsRoot = ::geteuid() == 0;
#endif
    return facts;
}

bool isSystemFolder(const ProgramFolderFacts& facts) {
    if (facts.ownedByRoot || facts.runAsRoot)
        return true;
    const QString path = QDir::cleanPath(facts.path);
    if (path == QLatin1String("/"))
        return true;
    // The folder itself or one inside it; "/usrdata" is not under "/usr".
    auto under = [&path](const QString& top, Qt::CaseSensitivity cs) {
        return path.compare(top, cs) == 0 || path.startsWith(top + QLatin1Char('/'), cs);
    };
    for (const char* top : {"/usr", "/opt", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                            "/snap", "/app", "/nix"})
        if (under(QLatin1String(top), Qt::CaseSensitive))
            return true;
    // "C:/Program Files", "D:/program files (x86)", "C:/Windows/...".
    const bool drive = path.size() >= 3 && path[0].unicode() < 128 && path[0].isLetter() &&
                       path[1] == QLatin1Char(':') && path[2] == QLatin1Char('/');
    if (drive) {
        const QString onDrive = path.left(3);
        for (const char* top : {"Program Files", "Program Files (x86)", "Windows"})
            if (under(onDrive + QLatin1String(top), Qt::CaseInsensitive))
                return true;
    }
    return false;
}

SettingsLocation settingsFilePath(const QString& programFolder, const QString& userConfigFolder) {
    return settingsFilePath(programFolder, userConfigFolder,
                            isSystemFolder(programFolderFacts(programFolder)));
}

SettingsLocation settingsFilePath(const QString& programFolder, const QString& userConfigFolder,
                                  bool systemFolder) {
    const QString inProgram =
        programFolder.isEmpty() ? QString() : QDir(programFolder).filePath(kSettingsFileName);
    // A system folder is not even probed: nothing is created there.
    if (!systemFolder && !inProgram.isEmpty() && folderWritable(programFolder))
        return {inProgram, false};

    const bool shipped = !inProgram.isEmpty() && QFileInfo(inProgram).isFile();
    if (userConfigFolder.isEmpty() || !QDir().mkpath(userConfigFolder)) {
        // Nowhere to write: read what the program's own folder holds, if
        // anything; a system folder's file only when no other place is known.
        if (shipped && (!systemFolder || userConfigFolder.isEmpty()))
            return {inProgram, false};
        return {userConfigFolder.isEmpty() ? inProgram
                                           : QDir(userConfigFolder).filePath(kSettingsFileName),
                !userConfigFolder.isEmpty()};
    }
    const QString perUser = QDir(userConfigFolder).filePath(kSettingsFileName);
    if (shipped && !QFileInfo::exists(perUser) && QFile::copy(inProgram, perUser)) {
        // An installed file is often read-only; the user's copy must not be.
        QFile::setPermissions(perUser, QFile::permissions(perUser) | QFileDevice::WriteOwner);
    }
    return {perUser, true};
}

StoredSettings storedSettings(const SetupValues& setup, const ProgramValues& program,
                              int commPort) {
    StoredSettings s;
    s.commPort = commPort;
    s.password = setup.password;
    s.flowFault = setup.flowFault;
    s.startupScreen = setup.startScreens ? -1 : 0;
    s.logRate = roundedWholeNumber(setup.logRate);
    s.timingOn = setup.timing ? 1 : 0;
    s.startStop = setup.startStop ? -1 : 0;
    s.measure = setup.metric ? 0 : -1;
    s.volumetric = setup.volumetric ? -1 : 0;
    s.targetFlow = roundedWholeNumber(program.targetFlow);
    s.startDateTime = program.startDate + QLatin1Char(' ') + program.startTime;
    s.stopDateTime = program.stopDate + QLatin1Char(' ') + program.stopTime;
    return s;
}
