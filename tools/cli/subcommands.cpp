#include "subcommands.h"

#include "clioutput.h"

const QList<Subcommand>& subcommands() {
    static const QList<Subcommand> all = {
        DecodeCommandLine::kSubcommand, StatusCommand::kSubcommand,   TraceCommand::kSubcommand,
        PortsCommand::kSubcommand,      DownloadCommand::kSubcommand, SetClockCommand::kSubcommand,
        SendSetupCommand::kSubcommand,  ProgramCommand::kSubcommand,  EraseCommand::kLogs,
        EraseCommand::kSamplingData,    ArchiveCommand::kSubcommand,  RunsCommand::kSubcommand,
        ExportCommand::kSubcommand,     ReportCommand::kSubcommand,
    };
    return all;
}

const Subcommand* findSubcommand(const QString& name) {
    for (const Subcommand& sub : subcommands())
        if (name == QLatin1String(sub.name))
            return &sub;
    return nullptr;
}

int usageError(Output& out, const Subcommand& sub, const QString& what) {
    out.progress(QStringLiteral("corvane-cli %1: %2\nUsage: corvane-cli %3\nTry 'corvane-cli %1 "
                                "--help'.")
                     .arg(QLatin1String(sub.name), what, QLatin1String(sub.synopsis)));
    return Exit::kUsage;
}
