// Where corvane-cli writes: results on standard output (JSON Lines, a trace,
// a log file), human progress and errors on standard error. Every piece is
// flushed at once, so a reader at the other end of a pipe sees each line as
// it happens. On a terminal, standard error may also carry one line that is
// redrawn in place (a download's progress bar); any other line written to
// standard error first ends it. Every write to standard output is checked.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;
class QJsonObject;

class Output {
public:
    Output(QIODevice& out, QIODevice& err) : m_out(out), m_err(err) {}

    // One JSON object on one line of standard output.
    void json(const QJsonObject& object);
    // The same on standard error (when standard output carries a log file).
    void jsonToErr(const QJsonObject& object);
    // One line of text on standard output.
    void line(const QByteArray& text);
    // Bytes on standard output, unchanged.
    void raw(const QByteArray& bytes);
    // One line of progress on standard error.
    void progress(const QString& text);
    // The line redrawn in place on standard error: carriage return, the
    // text, blanks over what a longer text left. No line end until
    // endRedraw() or the next line written to standard error.
    void redraw(const QString& text);
    void endRedraw();

    // Whether standard error is a terminal (set by the program; tests may).
    bool errIsTerminal() const { return m_errTerminal; }
    void setErrIsTerminal(bool on) { m_errTerminal = on; }

    QIODevice& out() { return m_out; }
    QIODevice& err() { return m_err; }

    // Standard output refused a write (a full disk, a closed pipe, /dev/full):
    // what was written is not all there, and nothing may say it is. The
    // first failure's reason; empty while every write went through.
    bool outFailed() const { return !m_outError.isEmpty(); }
    QString outError() const { return m_outError; }
    // Writes and flushes `bytes` to standard output as they are, checked (a
    // caller that writes many pieces itself); false once output failed.
    bool putOut(const QByteArray& bytes) { return put(m_out, bytes); }
    // Called once, on the first failed write to standard output.
    std::function<void()> onOutFailed;

private:
    bool put(QIODevice& device, const QByteArray& bytes);

    QIODevice& m_out;
    QIODevice& m_err;
    bool m_errTerminal = false;
    qsizetype m_redrawn = -1; // length of the line being redrawn; -1: none
    QString m_outError;
};
