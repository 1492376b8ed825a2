#include "logs/logdecoder.h"

LogLineResult decodeLogLine(AppState& state) {
    Q_UNUSED(state);
    return {};
}
