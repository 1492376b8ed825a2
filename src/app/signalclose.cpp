#include "app/signalclose.h"

#include "app/mainwindow.h"
#include "core/terminationsignals.h"

void closeWindowOnTerminationSignals(MainWindow* window) {
    onTerminationSignals(window, [window](int) { window->closeUnattended(); });
}
