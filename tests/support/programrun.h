// A built program run to its end: its exit status, what it wrote on standard
// output and error, and each output line read as a JSON object.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

struct ProgramRun {
    int exitCode = -1; // -1: it crashed or did not end
    QByteArray out, err;
    QList<QJsonObject> objects; // one per output line; empty when not JSON
    QByteArray written;         // what reached a terminal the test holds

    // Takes what the ended program `p` left.
    void collect(QProcess& p) {
        exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        out += p.readAllStandardOutput();
        err += p.readAllStandardError();
        objects.clear();
        for (const QByteArray& line : out.split('\n'))
            if (!line.isEmpty())
                objects << QJsonDocument::fromJson(line).object();
    }
};

inline ProgramRun runProgram(const QString& program, const QStringList& args,
                             const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    ProgramRun r;
    if (p.waitForFinished(60000))
        r.collect(p);
    return r;
}
