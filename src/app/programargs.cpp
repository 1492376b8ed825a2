#include "app/programargs.h"

ProgramArgs ProgramArgs::parse(const QStringList& args) {
    ProgramArgs out;
    bool options = true;
    auto refuse = [&out](const QString& why) {
        if (out.error.isEmpty())
            out.error = why;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            out.help = true;
        } else if (options && arg == QLatin1String("--demo")) {
            out.demo = true;
        } else if (options && arg == QLatin1String("--trace")) {
            if (i + 1 < args.size())
                out.tracePath = args.at(++i);
            else
                refuse(QStringLiteral("--trace needs a file name"));
        } else if (options && arg == QLatin1String("--archive")) {
            if (i + 1 < args.size() && !args.at(i + 1).isEmpty())
                out.archive = args.at(++i);
            else
                refuse(QStringLiteral("--archive needs a file or a postgresql:// URL"));
        } else if (options && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            refuse(QStringLiteral("unknown option ") + arg);
        } else if (arg.isEmpty()) {
            refuse(QStringLiteral("an empty log file name"));
        } else if (out.logFile.isEmpty()) {
            out.logFile = arg;
        } else {
            refuse(QStringLiteral("one log file at a time (%1 and %2 were given)")
                       .arg(out.logFile, arg));
        }
    }
    return out;
}
