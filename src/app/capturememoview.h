// fpMemo1: shows the capture memo's lines in a fixed-pitch font. The text
// itself lives in CaptureMemo; this view follows each write.
#pragma once

#include <QPlainTextEdit>

class CaptureMemo;

class CaptureMemoView : public QPlainTextEdit {
    Q_OBJECT
public:
    // A pump line is under a hundred characters. A longer line (a file that
    // is no log) is shown cut to this many characters and an ellipsis: laying
    // out one line of millions of characters would freeze the window for
    // many seconds. The memo itself keeps the whole line.
    static constexpr int kShownChars = 1024;
    static QString shown(const QString& line);

    explicit CaptureMemoView(QWidget* parent = nullptr);
    CaptureMemoView(const CaptureMemo& memo, QWidget* parent = nullptr);
    // The memo shown from now on (the Logs page form creates the view first).
    void setMemo(const CaptureMemo* memo);
    // Line `position` (1-based) of the memo was written.
    void lineWritten(int position);
    // The whole memo changed (load, clear).
    void reload();

    // While deferring, written lines are shown at the next applyPending()
    // (the window calls it a few times a second during a download), many
    // lines in one go: laying out and scrolling for each line costs more
    // than the line. Ending the deferral shows what waits.
    void setDeferred(bool on);
    void applyPending();
    bool pending() const { return m_firstPending > 0; }

private:
    void showLine(int position);

    const CaptureMemo* m_memo = nullptr;
    bool m_deferred = false;
    int m_firstPending = 0; // first line written since shown; 0: none
};
