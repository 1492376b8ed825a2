#include "status/modeltable.h"

#include "core/controlnames.h"

#include <QDir>

namespace ModelTable {

namespace {

const PumpModel kModels[] = {
    {"21", "Model: NORDA KST-5 Pump ", "\\KST204.HEX", 800, 5000,
     "Range is 800 cc/min to 5000 cc/min"},
    {"25", "Model: NORDA ORBIT-5 Pump ", "\\ORB124.HEX"},
    {"29", "Model: NORDA KST-12 Pump ", "\\KST204.HEX", 2000, 12000,
     "Range is 2000 cc/min to 12000 cc/min"},
    {"31", "Model: NORDA KST-1 Pump ", "\\KST204.HEX", 100, 600,
     "Range is 100 cc/min to 600 cc/min"},
    {"35", "Model: NORDA ORBIT-1 Pump ", "\\ORB124.HEX"},
    {"2D", "Model: NORDA ORBIT-12 Pump ", "\\ORB124.HEX"},
    {"80", "Model: TRX-05 ", "\\TRX143.HEX"},
};

// The model caption is copied to these labels after every report.
const char* const kCopies[] = {Control::kLogsModel, Control::kRunModeModel, Control::kProgramModel};

} // namespace

const PumpModel* find(const QString& code) {
    for (const PumpModel& m : kModels)
        if (code == QLatin1String(m.code))
            return &m;
    return nullptr;
}

QString firmwarePath(const QString& programFolder, const char* firmwareName) {
    QString name = QString::fromLatin1(firmwareName);
#ifdef Q_OS_WIN
    const QString folder = QDir::toNativeSeparators(programFolder);
    const QLatin1Char sep('\\');
#else
    const QString& folder = programFolder;
    const QLatin1Char sep('/');
#endif
    if (name.startsWith(QLatin1Char('\\')))
        name.remove(0, 1);
    if (folder.isEmpty())
        return name;
    // A folder at the root of a drive already ends with its separator.
    if (folder.endsWith(sep))
        return folder + name;
    return folder + sep + name;
}

void apply(AppState& state, const QString& typeCode, UiChanges& changes) {
    if (typeCode.isEmpty()) {
        // The line ended before the type code.
        state.ModelCaption = QStringLiteral("No pump type");
        changes.text.insert(Control::kSetupModel, state.ModelCaption);
        changes.text.insert(Control::kCommunicationModel, state.ModelCaption);
    } else if (const PumpModel* m = find(typeCode)) {
        state.ModelCaption = QString::fromLatin1(m->caption);
        changes.text.insert(Control::kSetupModel, state.ModelCaption);
        changes.text.insert(Control::kCommunicationModel, state.ModelCaption);
        state.FirmwareFile = firmwarePath(state.ProgramFolder, m->firmwareName);
        changes.values.insert(QStringLiteral("FirmwareFile"), state.FirmwareFile);
        if (m->hasFlowRange()) {
            state.FlowMax = m->flowMax;
            state.FlowMin = m->flowMin;
            changes.flowRange = std::make_pair(state.FlowMin, state.FlowMax);
            changes.text.insert(Control::kFlowRange, QString::fromLatin1(m->rangeCaption));
        }
    }
    // An unknown code changes nothing above: the last recognised pump stays.
    for (const char* name : kCopies)
        changes.text.insert(QLatin1String(name), state.ModelCaption);
    changes.text.insert(Control::kFirmwareFile, QLatin1String("File Name:") + state.FirmwareFile);
}

} // namespace ModelTable
