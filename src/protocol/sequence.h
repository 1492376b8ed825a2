// A command sequence as data: the ordered steps of "Send Setup To Pump",
// "Program Pump", the timing transfer or a clock send, built from a page's
// values by a pure function, executed by the one SequenceRunner. Tests
// assert the exact wire order, texts, captions, bar values and pauses
// without a window or a port.
#pragma once

#include "core/uichanges.h"

#include <QList>
#include <QString>

struct Step {
    enum class Kind {
        Write,        // SendToPump(text): one write, busy pointer meanwhile
        WriteDirect,  // the same write without the busy pointer
        Caption,      // the progress frame's caption := text
        Bar,          // the progress bar := value
        Wait,         // WaitSeconds(value)
        Ui,           // further window changes (show a frame, reset a box)
        SaveSettings, // save every setting to the settings file
        Message,      // a box with text and OK; the run goes on once it is closed
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
