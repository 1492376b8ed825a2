#include "status/statusdecoder.h"

UiChanges decodeStatusReport(AppState& state) {
    Q_UNUSED(state);
    return {};
}
