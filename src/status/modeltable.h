// The pump models a status report can name by its two-character type code:
// model caption, firmware file and, for the KST family, the flow range that
// bounds the target-flow spinner UpDown1.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

#include <QString>

struct PumpModel {
    const char* code;
    const char* caption;
    const char* firmwareName; // with its leading backslash, as the pump maker names it
    int flowMin = 0;          // 0 and 0: no flow range (ORBIT, TRX)
    int flowMax = 0;
    const char* rangeCaption = nullptr;

    bool hasFlowRange() const { return rangeCaption != nullptr; }
};

namespace ModelTable {

// The table row for a type code, compared as text; nullptr when unknown.
const PumpModel* find(const QString& code);

// The program folder joined with a firmware name ("\KST204.HEX"). Windows keeps
// the backslash form; elsewhere the name loses its backslash and is joined with "/".
QString firmwarePath(const QString& programFolder, const char* firmwareName);

// Applies the type code (positions 72-73 of a status line) to the window and
// to the model state carried from report to report in `state`.
void apply(AppState& state, const QString& typeCode, UiChanges& changes);

} // namespace ModelTable
