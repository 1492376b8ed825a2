// What the sample archive keeps of a download that has ended, in the window
// and in corvane-cli alike: the bytes "Save Logs" would write, the pump's
// serial number and model from its last status report, when, by whom and how
// it ended. Storing it is the caller's; a failure never touches the download.
#pragma once

#include "core/appstate.h"
#include "logs/samplearchive.h"
#include "protocol/logdownload.h"

#include <QDateTime>

namespace DownloadArchiving {

// ArchiveEnding's word for how the download ended.
QString ending(LogDownload::Outcome outcome);
// "NORDA KST-5 Pump" from the caption "Model: NORDA KST-5 Pump "; empty while
// the report named no model.
QString pumpModel(const QString& modelCaption);
NewDownload describe(const AppState& state, const CaptureMemo& memo, LogDownload::Outcome outcome,
                     int records, const QDateTime& at);

} // namespace DownloadArchiving
