// The one step language: a command sequence, the history download's phases
// and each status poll are ordered lists of steps, built from a page's values
// or the session's state by pure functions and executed by SequenceRunner.
// Tests assert the exact wire order, texts, captions, bar values, pauses and
// the owner's work without a window or a port.
#pragma once

#include "core/uichanges.h"

#include <QList>
#include <QString>

struct Step {
    enum class Kind {
        // Done by the runner: writes and window changes go out as its
        // signals, a pause and an awaited box are waited for.
        Write,       // SendToPump(text): one write, busy pointer meanwhile
        WriteDirect, // the same write without the busy pointer
        Caption,     // the progress frame's caption := text
        Bar,         // the progress bar := value
        Wait,        // WaitSeconds(value)
        Ui,          // further window changes (show a frame, reset a box)
        Message,     // a box with text and OK; the run goes on once it is closed
        // Handed to the runner's owner, performed at once, in order.
        SaveSettings, // save every setting to the settings file
        PollingOff,   // Timer1 off
        PollingOn,    // Timer1 on (once the session is no longer busy)
        Busy,         // value 1: the session busy (pump-writing controls off); 0: idle
        ClearTable,   // every cell of Grid1 empty, titles included
        SizeTable,    // Grid1 to value rows (11 columns)
        Format,       // Grid1's format string := text
        ClearMemo,    // fpMemo1 empty
        BusyCursor,   // the hourglass for the whole application
        NormalCursor, // the normal pointer back
        PrintLog,     // end-of-file detection on, then "PRINTLOG" (the session writes)
        CaptureOff,   // nothing more of the printout goes into the memo
        OpenBox,      // a box with text and OK, opened; the run goes on at once
    };
    Kind kind = Kind::Write;
    QString text;
    int value = 0;
    UiChanges ui;

    static Step write(const QString& t) { return {Kind::Write, t, 0, {}}; }
    static Step writeDirect(const QString& t) { return {Kind::WriteDirect, t, 0, {}}; }
    static Step caption(const QString& t) { return {Kind::Caption, t, 0, {}}; }
    static Step bar(int v) { return {Kind::Bar, {}, v, {}}; }
    static Step wait(int seconds) { return {Kind::Wait, {}, seconds, {}}; }
    static Step change(const UiChanges& c) { return {Kind::Ui, {}, 0, c}; }
    static Step saveSettings() { return {Kind::SaveSettings, {}, 0, {}}; }
    static Step message(const QString& t) { return {Kind::Message, t, 0, {}}; }
    // A step the owner performs (SaveSettings ... OpenBox).
    static Step owner(Kind k, int v = 0, const QString& t = {}) { return {k, t, v, {}}; }

    bool forOwner() const { return kind >= Kind::SaveSettings; }
};

struct Sequence {
    QString name;             // for traces and the command line ("Send Setup")
    QString frame;            // the progress frame whose caption the Caption steps set
    QString bar;              // the progress bar the Bar steps set
    bool holdsPolling = true; // Timer1 off for the run, back on at its end
    bool busyCursor = true;   // the hourglass for the whole run
    QList<Step> steps;

    Sequence& operator<<(const Step& s) {
        steps << s;
        return *this;
    }
    // The texts written, in order (what the pump receives).
    QStringList writes() const {
        QStringList out;
        for (const Step& s : steps)
            if (s.kind == Step::Kind::Write || s.kind == Step::Kind::WriteDirect)
                out << s.text;
        return out;
    }
};
