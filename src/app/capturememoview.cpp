#include "app/capturememoview.h"

#include "logs/capturememo.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

CaptureMemoView::CaptureMemoView(const CaptureMemo& memo, QWidget* parent)
    : CaptureMemoView(parent) {
    m_memo = &memo;
}

CaptureMemoView::CaptureMemoView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Read-only still records an undo step for every line written, never
    // freed: a 999-record download would keep thousands of them.
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont f(QStringLiteral("Courier New"), 8);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    setFont(f);
    // The scroll bar moves with every batch of lines a download shows; a bar
    // whose holder paints its own background spares repainting the page, the
    // tab frame and the window beneath it each time.
    if (QWidget* holder = verticalScrollBar()->parentWidget())
        holder->setAutoFillBackground(true);
}

void CaptureMemoView::setMemo(const CaptureMemo* memo) {
    m_memo = memo;
    reload();
}

void CaptureMemoView::lineWritten(int position) {
    if (!m_memo)
        return;
    if (m_deferred) {
        m_firstPending = m_firstPending > 0 ? std::min(m_firstPending, position) : position;
        return;
    }
    showLine(position);
}

void CaptureMemoView::setDeferred(bool on) {
    m_deferred = on;
    if (!on)
        applyPending();
}

void CaptureMemoView::applyPending() {
    const int first = std::exchange(m_firstPending, 0);
    if (first == 0 || !m_memo)
        return;
    const int shownBlocks = document()->isEmpty() ? 0 : document()->blockCount();
    const int blocks = m_memo->lineCount();
    if (first == blocks) {
        showLine(first);
        return;
    }
    // Lines first.. of the memo replace what the view shows from there on:
    // usually they are only appended.
    if (first < 1 || first > shownBlocks + 1 || blocks < shownBlocks) {
        reload();
        return;
    }
    QStringList lines;
    for (int n = first; n <= blocks; ++n)
        lines << shown(m_memo->line(n));
    const QString text = lines.join(QLatin1Char('\n'));
    if (shownBlocks == 0) {
        setPlainText(text);
    } else if (first == shownBlocks + 1) {
        appendPlainText(text);
    } else {
        QTextCursor c(document()->findBlockByNumber(first - 1));
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.insertText(text);
    }
}

void CaptureMemoView::showLine(int position) {
    QTextDocument* doc = document();
    const int blocks = m_memo->lineCount();
    // Appending at the end is the common case during a download.
    if (doc->isEmpty() && position == 1 && blocks == 1) {
        setPlainText(shown(m_memo->line(1)));
        return;
    }
    if (position == blocks && doc->blockCount() == blocks - 1) {
        appendPlainText(shown(m_memo->line(position)));
        return;
    }
    if (position <= doc->blockCount() && doc->blockCount() == blocks) {
        QTextCursor c(doc->findBlockByNumber(position - 1));
        c.select(QTextCursor::BlockUnderCursor);
        c.movePosition(QTextCursor::StartOfBlock);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.insertText(shown(m_memo->line(position)));
        return;
    }
    reload();
}

QString CaptureMemoView::shown(const QString& line) {
    if (line.size() <= kShownChars)
        return line;
    return line.left(kShownChars) + QChar(0x2026);
}

void CaptureMemoView::reload() {
    m_firstPending = 0;
    if (!m_memo) {
        setPlainText(QString());
        return;
    }
    const QStringList& lines = m_memo->lines();
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += std::min<qsizetype>(line.size(), kShownChars + 1) + 1;
    text.reserve(size);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += shown(lines[i]);
    }
    setPlainText(text);
}
