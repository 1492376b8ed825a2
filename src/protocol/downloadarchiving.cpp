#include "protocol/downloadarchiving.h"

#include "logs/capturememo.h"

namespace DownloadArchiving {

QString ending(LogDownload::Outcome outcome) {
    switch (outcome) {
    case LogDownload::Outcome::Completed:
        return ArchiveEnding::kComplete;
    case LogDownload::Outcome::Silent:
        return ArchiveEnding::kSilent;
    case LogDownload::Outcome::PortLost:
        return ArchiveEnding::kUnplugged;
    case LogDownload::Outcome::Stopped:
        return ArchiveEnding::kStopped;
    }
    return ArchiveEnding::kStopped;
}

QString pumpModel(const QString& modelCaption) {
    static const QString prefix = QStringLiteral("Model:");
    if (!modelCaption.startsWith(prefix))
        return {};
    return modelCaption.mid(prefix.size()).trimmed();
}

NewDownload describe(const AppState& state, const CaptureMemo& memo, LogDownload::Outcome outcome,
                     int records, const QDateTime& at) {
    NewDownload d;
    d.pumpSerial = state.serialNumber.trimmed();
    d.pumpModel = pumpModel(state.ModelCaption);
    d.downloadedAt = at.toUTC();
    d.user = ArchiveIdentity::userName();
    d.host = ArchiveIdentity::hostName();
    d.ended = ending(outcome);
    d.records = records;
    d.bytes = memo.toFileBytes();
    return d;
}

} // namespace DownloadArchiving
