// SIGTERM and SIGINT (logout, Ctrl-C) close the main window the normal way,
// so "RUN_CLEAR" goes out and the settings are saved.
#pragma once

class QWidget;

void closeWindowOnTerminationSignals(QWidget* window);
