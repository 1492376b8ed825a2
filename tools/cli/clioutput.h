// Where corvane-cli writes: results on standard output (JSON Lines, a trace,
// a log file), human progress and errors on standard error. Every piece is
// flushed at once, so a reader at the other end of a pipe sees each line as
// it happens.
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QJsonObject;

class Output {
public:
    Output(QIODevice& out, QIODevice& err) : m_out(out), m_err(err) {}

    // One JSON object on one line of standard output.
    void json(const QJsonObject& object);
    // One line of text on standard output.
    void line(const QByteArray& text);
    // Bytes on standard output, unchanged.
    void raw(const QByteArray& bytes);
    // One line of progress on standard error.
    void progress(const QString& text);

    QIODevice& out() { return m_out; }
    QIODevice& err() { return m_err; }

private:
    void put(QIODevice& device, const QByteArray& bytes);

    QIODevice& m_out;
    QIODevice& m_err;
};
