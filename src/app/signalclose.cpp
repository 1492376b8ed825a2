#include "app/signalclose.h"

#include "core/terminationsignals.h"

#include <QWidget>

void closeWindowOnTerminationSignals(QWidget* window) {
    onTerminationSignals(window, [window](int) { window->close(); });
}
