#include "clioutput.h"

#include <QFileDevice>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

void Output::json(const QJsonObject& object) {
    put(m_out, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void Output::jsonToErr(const QJsonObject& object) {
    endRedraw();
    put(m_err, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void Output::line(const QByteArray& text) {
    put(m_out, text + '\n');
}

void Output::raw(const QByteArray& bytes) {
    put(m_out, bytes);
}

void Output::progress(const QString& text) {
    endRedraw();
    put(m_err, text.toUtf8() + '\n');
}

void Output::redraw(const QString& text) {
    QString shown = text;
    if (m_redrawn > shown.size())
        shown += QString(m_redrawn - shown.size(), QLatin1Char(' '));
    m_redrawn = text.size();
    put(m_err, '\r' + shown.toUtf8());
}

void Output::endRedraw() {
    if (m_redrawn < 0)
        return;
    m_redrawn = -1;
    put(m_err, "\n");
}

bool Output::put(QIODevice& device, const QByteArray& bytes) {
    const bool isOut = &device == &m_out;
    // After a failure nothing more goes out: a later write that happened to
    // get through would leave a hole in the middle instead of a cut end.
    if (isOut && outFailed())
        return false;
    bool ok = device.write(bytes) == bytes.size();
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        ok = file->flush() && ok;
    if (ok || !isOut)
        return ok; // standard error has nowhere to report its own failure
    m_outError = device.errorString();
    if (m_outError.isEmpty())
        m_outError = QStringLiteral("write failed");
    if (onOutFailed)
        onOutFailed();
    return false;
}
