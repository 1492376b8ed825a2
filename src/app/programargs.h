// The `corvane` command line: [--demo] [--trace FILE] [--archive ARCHIVE]
// [LOGFILE]. LOGFILE is what a file manager's "Open with" passes: the program
// starts as usual and shows that log file in the memo. "--" ends the options, so a log file
// whose name begins with "-" can be named too.
#pragma once

#include <QString>
#include <QStringList>

struct ProgramArgs {
    static inline const QString kUsage =
        QStringLiteral("Usage: corvane [--demo] [--trace FILE] [LOGFILE]\n"
                       "  --demo        run against the built-in simulated pump\n"
                       "  --trace FILE  append every byte the pump sends to FILE (corvane-cli\n"
                       "                decode reads it) and every byte sent and received,\n"
                       "                time-stamped, to FILE.log\n"
                       "  --archive ARCHIVE  keep every download in this sample archive: an\n"
                       "                SQLite file or a postgresql:// URL (else the environment\n"
                       "                variable CORVANE_ARCHIVE, else Corvane's data folder)\n"
                       "  LOGFILE       show this log file in the Logs page, as Open Log does\n");

    bool help = false;
    bool demo = false;
    QString tracePath;
    QString archive; // --archive; empty: CORVANE_ARCHIVE or the data folder
    QString logFile;
    // Why the arguments cannot be used; empty when they can.
    QString error;

    // `args` without the program's own name.
    static ProgramArgs parse(const QStringList& args);
};
