// SIGTERM and SIGINT (logout, Ctrl-C) close the main window the normal way,
// so "RUN_CLEAR" goes out and the settings are saved (a failed save is told
// on standard error: no box waits for an answer).
#pragma once

class MainWindow;

void closeWindowOnTerminationSignals(MainWindow* window);
