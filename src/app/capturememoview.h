// fpMemo1: shows the capture memo's lines in a fixed-pitch font. The text
// itself lives in CaptureMemo; this view follows each write.
#pragma once

#include <QPlainTextEdit>

class CaptureMemo;

class CaptureMemoView : public QPlainTextEdit {
    Q_OBJECT
public:
    CaptureMemoView(const CaptureMemo& memo, QWidget* parent = nullptr);
    // Line `position` (1-based) of the memo was written.
    void lineWritten(int position);
    // The whole memo changed (load, clear).
    void reload();

private:
    const CaptureMemo& m_memo;
};
