// The built programs as the real-process tests run them: corvane-pumpsim
// serving a pump on a pseudo-terminal, and a program served on a terminal
// the test holds, to see every byte it writes and to answer as a pump.
#pragma once

#include "status/statuslines.h"
#include "support/programrun.h"
#include "support/testpty.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <csignal>
#include <functional>
#include <poll.h>

// corvane-pumpsim serving on a link in `dir`; stopped (even when the test
// stopped it with SIGSTOP) when it goes.
struct PumpSim {
    QProcess process;
    QString link, device;

    bool start(const QString& dir, const QStringList& options, bool paced = false) {
        link = QDir(dir).filePath(QStringLiteral("pump-com1"));
        process.start(CORVANE_PUMPSIM, QStringList{"--link", link} +
                                           (paced ? QStringList() : QStringList{"--no-pacing"}) +
                                           options);
        for (QDeadlineTimer end(30000); !end.hasExpired();)
            if (process.canReadLine() || process.waitForReadyRead(100)) {
                device = QString::fromLocal8Bit(process.readLine().trimmed());
                return QFileInfo(link).isSymLink();
            }
        return false;
    }
    ~PumpSim() {
        if (process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(process.processId()), SIGCONT);
        process.terminate();
        process.waitForFinished(5000);
    }
};

// A pump on the test's terminal: both reports to every poll, nothing else.
inline std::function<QByteArray(QByteArray&)>
answering(const QByteArray& setup = "Z99 0 0 0 1 0 0 0 0 0 0 1 0 0",
          const QString& runState = "0100") {
    const QByteArray poll = "R99\rZ99\r";
    const QByteArray reports =
        TestLines::statusLine({"runState=" + runState}).toLatin1() + "\r\n" + setup + "\r\n";
    return [poll, reports](QByteArray& got) {
        QByteArray reply;
        for (int i; (i = got.indexOf(poll)) >= 0; got.remove(i, poll.size()))
            reply += reports;
        return reply;
    };
}

// Serves the started program `p` on `pty` until it ends: `answer` sees all
// bytes received so far and returns what to send back (called whenever more
// arrived); `watch` sees the program and every byte it wrote so far (to
// signal it, or unplug the terminal, at the right moment).
inline ProgramRun serve(QProcess& p, TestPty& pty,
                        const std::function<QByteArray(QByteArray&)>& answer = {},
                        const std::function<void(QProcess&, const QByteArray&)>& watch = {}) {
    ProgramRun r;
    QByteArray pending;
    for (QDeadlineTimer end(60000); !end.hasExpired();) {
        const bool done = p.waitForFinished(10);
        pollfd pf{pty.master, POLLIN, 0};
        if (::poll(&pf, 1, done ? 100 : 0) > 0 && (pf.revents & POLLIN)) {
            const QByteArray got = pty.readNow();
            r.written += got;
            pending += got;
            if (answer && !got.isEmpty())
                pty.send(answer(pending));
            if (watch && !got.isEmpty())
                watch(p, r.written);
        }
        if (done || p.state() == QProcess::NotRunning) {
            r.written += pty.readNow();
            r.collect(p);
            return r;
        }
    }
    p.kill();
    p.waitForFinished(5000);
    return r;
}
