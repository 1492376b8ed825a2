#include "config/settingsstore.h"

#include "config/inifile.h"
#include "core/pickertext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

const QString kCommPortSection = QStringLiteral("Comm Port");
const QString kProgramSection = QStringLiteral("Program");

// "Loging" and "Target" are typed by hand into the INI now and then; a text
// that is no number leaves the text box as it is, while a number with
// trailing rubbish still gives its leading digits, as any integer key does.
std::optional<int> storedWholeNumber(const cIniFile& ini, const QString& key) {
    QString text;
    ini.ReadString(key, text, QString());
    text = text.trimmed();
    if (text.isEmpty())
        return 0;
    const int digitAt = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (digitAt >= text.size() || !text[digitAt].isDigit() || text[digitAt].unicode() >= 128)
        return std::nullopt;
    return cIniFile::leadingInt(text);
}

std::optional<bool> readBoolean(const cIniFile& ini, const QString& key) {
    QString text;
    ini.ReadString(key, text, QStringLiteral(" "));
    return storedBoolean(text);
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

StoredSettings LoadSettings(const QString& path) {
    StoredSettings s;
    cIniFile ini;
    ini.filename = path;

    ini.Section = kCommPortSection;
    ini.ReadInt(QStringLiteral("CommPort"), s.commPort, 0);

    ini.Section = kProgramSection;
    s.password = readBoolean(ini, QStringLiteral("Password"));
    s.flowFault = readBoolean(ini, QStringLiteral("FlowFlault"));
    ini.ReadInt(QStringLiteral("Startup Screen"), s.startupScreen, 0);
    s.logRate = storedWholeNumber(ini, QStringLiteral("Loging"));
    ini.ReadInt(QStringLiteral("Timing on"), s.timingOn, 0);
    ini.ReadInt(QStringLiteral("Start/Stop"), s.startStop, 0);
    ini.ReadInt(QStringLiteral("Measure"), s.measure, 0);
    ini.ReadInt(QStringLiteral("Volumetric"), s.volumetric, 0);
    s.targetFlow = storedWholeNumber(ini, QStringLiteral("Target"));
    // "Strt_dttm" and "Stop_dttm" are kept for the record only.
    return s;
}

bool SaveSettings(const QString& path, const StoredSettings& v) {
    cIniFile ini;
    ini.filename = path;
    bool ok = true;
    auto writeInt = [&](const char* key, int value) {
        ok = ini.WriteInt(QLatin1String(key), value) && ok;
    };
    auto writeBool = [&](const char* key, const std::optional<bool>& value) {
        if (value)
            ok = ini.WriteString(QLatin1String(key), booleanText(*value)) && ok;
    };
    auto writeNumber = [&](const char* key, const std::optional<int>& value) {
        if (value)
            writeInt(key, *value);
    };

    ini.Section = kCommPortSection;
    writeInt("CommPort", v.commPort);

    ini.Section = kProgramSection;
    writeBool("Password", v.password);
    writeBool("FlowFlault", v.flowFault);
    writeInt("Startup Screen", v.startupScreen);
    writeNumber("Loging", v.logRate);
    writeInt("Timing on", v.timingOn);
    writeInt("Start/Stop", v.startStop);
    writeInt("Measure", v.measure);
    writeInt("Volumetric", v.volumetric);
    writeNumber("Target", v.targetFlow);
    ok = ini.WriteString(QStringLiteral("Strt_dttm"), v.startDateTime) && ok;
    ok = ini.WriteString(QStringLiteral("Stop_dttm"), v.stopDateTime) && ok;
    return ok;
}

SettingsLocation settingsFilePath(const QString& programFolder, const QString& userConfigFolder) {
    const QString inProgram =
        programFolder.isEmpty() ? QString() : QDir(programFolder).filePath(kSettingsFileName);
    if (!inProgram.isEmpty() && folderWritable(programFolder))
        return {inProgram, false};

    const bool shipped = !inProgram.isEmpty() && QFileInfo(inProgram).isFile();
    if (userConfigFolder.isEmpty() || !QDir().mkpath(userConfigFolder)) {
        // Nowhere to write: read what the program folder holds, if anything.
        if (shipped)
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
