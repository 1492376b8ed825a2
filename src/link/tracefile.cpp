#include "link/tracefile.h"

#include <QTime>

bool TraceFile::open(const QString& path, QString* error) {
    m_raw.setFileName(path);
    m_log.setFileName(path + QStringLiteral(".log"));
    for (QFile* f : {&m_raw, &m_log}) {
        if (!f->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            if (error)
                *error = f->fileName() + QStringLiteral(": ") + f->errorString();
            m_raw.close();
            m_log.close();
            return false;
        }
    }
    return true;
}

void TraceFile::record(char direction, const QByteArray& bytes) {
    if (!m_log.isOpen())
        return;
    if (direction == 'R')
        m_raw.write(bytes);
    m_log.write(stamped(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1(),
                        direction, bytes));
}

QByteArray TraceFile::stamped(const QByteArray& timeOfDay, char direction,
                              const QByteArray& bytes) {
    QByteArray out = timeOfDay + (direction == 'T'   ? " > "
                                  : direction == 'F' ? " > (refused by the port) "
                                                     : " < ");
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 13)
            out += "<CR>";
        else if (c == 10)
            out += "<LF>";
        else if (c >= 32 && c < 127 && c != '<')
            out += ch;
        else
            out += '<' + QByteArray::number(c, 16).rightJustified(2, '0') + '>';
    }
    return out + '\n';
}
