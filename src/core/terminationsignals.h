// SIGTERM and SIGINT (logout, Ctrl-C, kill) handed to the program as an
// ordinary call from its event loop, so whatever ends the program runs the
// normal way: the window closes as if its close box was pressed, corvane-cli
// ends its subcommand with the right exit status. The signal handler itself
// only writes the signal's number into a socket pair (async-signal-safe); a
// socket notifier reads it on the event loop's thread.
#pragma once

#include <QObject>
#include <functional>

// From now on, each SIGTERM or SIGINT calls `handler` with the signal's number
// from the event loop, for as long as `context` lives. One context at a time.
// False where it cannot be set up (the signals then keep their default effect).
bool onTerminationSignals(QObject* context, std::function<void(int signalNumber)> handler);
