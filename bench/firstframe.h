// Ends a start-up benchmark once the window's first frame is painted and
// prints the process's peak memory (KiB) and processor time so far (ms) on
// one line. With BENCH_SMAPS=FILE it also copies /proc/self/smaps there at
// that moment, to see which libraries and how much heap the first frame holds.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTextStream>
#include <QWidget>

#include <sys/resource.h>

class FirstFrame : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Quit after the paint has been delivered and flushed.
            QMetaObject::invokeMethod(
                this,
                [] {
                    rusage ru{};
                    ::getrusage(RUSAGE_SELF, &ru);
                    const long cpuMs = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000 +
                                       (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1000;
                    if (qEnvironmentVariableIsSet("BENCH_SMAPS")) {
                        QFile in(QStringLiteral("/proc/self/smaps")),
                            out(qEnvironmentVariable("BENCH_SMAPS"));
                        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
                            out.write(in.readAll());
                    }
                    QTextStream(stdout) << ru.ru_maxrss << " " << cpuMs << "\n";
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

inline void quitAfterFirstFrame(QWidget* window) {
    window->installEventFilter(new FirstFrame(window));
}
