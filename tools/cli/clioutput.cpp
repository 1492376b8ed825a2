#include "clioutput.h"

#include <QFileDevice>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

void Output::json(const QJsonObject& object) {
    put(m_out, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void Output::line(const QByteArray& text) {
    put(m_out, text + '\n');
}

void Output::raw(const QByteArray& bytes) {
    put(m_out, bytes);
}

void Output::progress(const QString& text) {
    put(m_err, text.toUtf8() + '\n');
}

void Output::put(QIODevice& device, const QByteArray& bytes) {
    device.write(bytes);
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        file->flush();
}
