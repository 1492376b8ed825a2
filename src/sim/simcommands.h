// The simulated pump's command set as one table: every code the pump knows,
// whether it takes an argument, what it does to the pump's memory and what
// the pump answers. What the pump does with "W17 " is its row and the short
// function the row names.
#pragma once

#include "sim/simpumpstate.h"

#include <QByteArray>
#include <QList>
#include <functional>

struct SimCommand {
    // What the pump sends after the command.
    enum class Answer {
        PumpState, // the "P01" line, if the command changed what it shows
        Status,    // the status report
        Setup,     // the setup report
        Log,       // the history printout
        Nothing,   // not a word: the pump has switched itself off
    };
    using Effect = std::function<void(SimPumpState&, const QByteArray& arg)>;

    QByteArray code;            // as on the wire, without a trailing blank
    bool takesArgument = false; // code, one blank, argument ("W04 2000")
    Effect effect;              // empty: the pump's memory stays as it is
    Answer answer = Answer::PumpState;
};

namespace SimCommands {
const QList<SimCommand>& table();
// The row of a code ("W04", "POWER_OFF"), or nullptr for a code the pump
// does not know.
const SimCommand* find(const QByteArray& code);
} // namespace SimCommands
