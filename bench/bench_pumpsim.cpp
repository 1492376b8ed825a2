// How long corvane-pumpsim takes to print a 999-record history over a
// pseudo-terminal with pacing on, against the time the same characters need
// on a 57600 bit/s line (10 bits a character).
//   bench_pumpsim [path-to-corvane-pumpsim] [records]
#include "sim/linepacer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString sim = args.value(1, QStringLiteral(CORVANE_PUMPSIM));
    const QString records = args.value(2, QStringLiteral("999"));
    QTextStream out(stdout);

    QProcess p;
    p.start(sim, {QStringLiteral("--records"), records});
    if (!p.waitForReadyRead(5000)) {
        out << "corvane-pumpsim did not start\n";
        return 1;
    }
    const QByteArray path = p.readLine().trimmed();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        out << "cannot open " << path << "\n";
        return 1;
    }
    QElapsedTimer t;
    t.start();
    [[maybe_unused]] const ssize_t w = ::write(fd, "PRINTLOG\r", 9);
    QByteArray got;
    while (!got.endsWith("Done ok\r\n") && t.elapsed() < 120000) {
        pollfd pf{fd, POLLIN, 0};
        if (::poll(&pf, 1, 200) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, int(n));
    }
    const double measured = t.elapsed() / 1000.0;
    ::close(fd);
    p.terminate();
    p.waitForFinished(5000);

    const double wire = double(got.size()) / LinePacer::kCharsPerSecond;
    out << "records:    " << records << " (" << got.count("\r\n") << " lines)\n"
        << "characters: " << got.size() << "\n"
        << "wire time:  " << QString::number(wire, 'f', 2) << " s at " << LinePacer::kCharsPerSecond
        << " chars/s\n"
        << "measured:   " << QString::number(measured, 'f', 2) << " s ("
        << QString::number(100.0 * measured / wire, 'f', 1) << " % of wire time)\n";
    return got.endsWith("Done ok\r\n") ? 0 : 1;
}
