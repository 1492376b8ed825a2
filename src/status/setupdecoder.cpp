#include "status/setupdecoder.h"

UiChanges decodeSetupReport(AppState& state) {
    Q_UNUSED(state);
    return {};
}

UiChanges pumpStatSub(AppState& state) {
    Q_UNUSED(state);
    return {};
}
