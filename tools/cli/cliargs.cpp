#include "cliargs.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

std::optional<ParsedArgs> parseArgs(const QStringList& args, const QList<OptionSpec>& specs,
                                    QString* error) {
    ParsedArgs parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString name = arg;
        std::optional<QString> inlineValue;
        if (arg.startsWith(QLatin1String("--"))) {
            if (const int eq = arg.indexOf(QLatin1Char('=')); eq > 2) {
                name = arg.left(eq);
                inlineValue = arg.mid(eq + 1);
            }
        }
        const OptionSpec* known = nullptr;
        for (const OptionSpec& s : specs)
            if (s.name == name)
                known = &s;
        if (!known) {
            *error = arg.startsWith(QLatin1Char('-')) && arg.size() > 1
                         ? QStringLiteral("unknown option %1").arg(name)
                         : QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return std::nullopt;
        }
        if (parsed.has(name)) {
            *error = QStringLiteral("%1 is given twice").arg(name);
            return std::nullopt;
        }
        QString value;
        if (known->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                *error = QStringLiteral("%1 wants a value").arg(name);
                return std::nullopt;
            }
        } else if (inlineValue) {
            *error = QStringLiteral("%1 takes no value").arg(name);
            return std::nullopt;
        }
        parsed.m_values.insert(name, value);
    }
    return parsed;
}

bool asksForHelp(const QStringList& args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

QString PumpChoice::label() const {
    if (demo)
        return QStringLiteral("demo pump");
    if (comPort > 0)
        return QStringLiteral("Com%1").arg(comPort);
    return device;
}

const QList<OptionSpec>& pumpOptions() {
    static const QList<OptionSpec> options = {{QStringLiteral("--port"), true},
                                              {QStringLiteral("--demo"), false},
                                              {QStringLiteral("--settings"), true}};
    return options;
}

std::optional<QString> settingsFile(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        *error = QStringLiteral("--settings: no such file \"%1\"").arg(path);
        return std::nullopt;
    }
    if (!info.isFile() || !info.isReadable()) {
        *error = QStringLiteral("--settings: \"%1\" is no readable file").arg(path);
        return std::nullopt;
    }
    return info.absoluteFilePath();
}

std::optional<PumpChoice> parsePump(const ParsedArgs& args, QString* error) {
    PumpChoice pump;
    const bool port = args.has(QStringLiteral("--port"));
    pump.demo = args.has(QStringLiteral("--demo"));
    if (port == pump.demo) {
        *error = port ? QStringLiteral("give either --port or --demo, not both")
                      : QStringLiteral("which pump? give --port PORT or --demo");
        return std::nullopt;
    }
    if (args.has(QStringLiteral("--settings"))) {
        const auto path = settingsFile(args.value(QStringLiteral("--settings")), error);
        if (!path)
            return std::nullopt;
        pump.settingsPath = *path;
    }
    if (pump.demo)
        return pump;

    const QString text = args.value(QStringLiteral("--port")).trimmed();
    if (text.isEmpty()) {
        *error = QStringLiteral("--port wants Com1 to Com4 or a device path");
        return std::nullopt;
    }
    static const QRegularExpression comN(QStringLiteral("^com(\\d+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const auto m = comN.match(text); m.hasMatch()) {
        const int n = m.captured(1).toInt();
        if (n >= 1 && n <= 4 && m.captured(1).size() == 1) {
            pump.comPort = n;
            return pump;
        }
#ifdef Q_OS_WIN
        pump.device = text.toUpper();
        return pump;
#else
        *error = QStringLiteral("--port %1: only Com1 to Com4 are mapped to devices; give the "
                                "device path instead (/dev/ttyUSB0)")
                     .arg(text);
        return std::nullopt;
#endif
    }
    pump.device = text.contains(QLatin1Char('/')) || text.contains(QDir::separator())
                      ? QDir::cleanPath(QDir::current().absoluteFilePath(text))
                      : text;
    return pump;
}

std::optional<int> wholeNumber(const QString& text, int min, int max) {
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int n = text.toInt();
    if (n < min || n > max)
        return std::nullopt;
    return n;
}

std::optional<QDateTime> pumpDateTime(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt());
    if (!date.isValid() || !time.isValid() || date.year() < 2000 || date.year() > 2099)
        return std::nullopt;
    // The pump's clock knows no time zones: the wall-clock value is kept as it
    // is (as UTC, so no daylight-saving shift can move or refuse it).
    return QDateTime(date, time, Qt::UTC);
}

std::optional<QTime> timeOfDay(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{2}):(\\d{2})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime time(m.captured(1).toInt(), m.captured(2).toInt());
    if (!time.isValid())
        return std::nullopt;
    return time;
}
