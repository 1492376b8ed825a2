// What the log buttons' actions need of the window, and no more: the session,
// applying changes, message boxes and questions, the status bar, a parent for
// their dialogs, the Sampling Runs page and the archive.
#pragma once

#include <QString>
#include <functional>

class PumpSession;
class QWidget;
class RunsPage;
class SampleArchive;
struct UiChanges;

class LogsHost {
public:
    virtual ~LogsHost() = default;

    virtual PumpSession& session() = 0;
    virtual void apply(const UiChanges& changes) = 0;
    // A box with an OK button, opened once the current handling has returned.
    virtual void showMessage(const QString& text, std::function<void()> closed = {}) = 0;
    // A Yes/No question ("No" the default); `answered` runs with the answer.
    virtual void askQuestion(const QString& text, std::function<void(bool yes)> answered) = 0;
    // The status bar: a notice (shown until replaced when timeoutMs is 0),
    // and the one shown now.
    virtual void showStatus(const QString& text, int timeoutMs = 0) = 0;
    virtual QString currentStatus() const = 0;
    // The parent of the file, printer and archive dialogs.
    virtual QWidget* dialogParent() = 0;
    virtual RunsPage* runsPage() const = 0;
    virtual SampleArchive* archive() const = 0;
};
