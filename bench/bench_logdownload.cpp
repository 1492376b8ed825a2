// A 999-record history download through Corvane's real serial code: a
// PumpSession on a QtSerialLink, the pseudo-terminal of corvane-pumpsim with
// pacing on, the LogDownload filling the table and the memo. Measures the
// wall time from "PRINTLOG" to the end of the download against the time its
// bytes need on a 57600 bit/s line (10 bits a character), and Corvane's own
// processor time (the simulated pump runs in its own process).
//   bench_logdownload [runs] [records] [path-to-corvane-pumpsim]
#include "eventloop.h"
#include "link/qtseriallink.h"
#include "protocol/logdownload.h"
#include "protocol/pumpsession.h"
#include "sim/linepacer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <sys/resource.h>

namespace {

using bench::cpuSeconds;
using bench::spin;

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty()    ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runs = args.value(1, QStringLiteral("5")).toInt();
    const QString records = args.value(2, QStringLiteral("999"));
    const QString sim = args.value(3, QStringLiteral(CORVANE_PUMPSIM));
    QTextStream out(stdout);

    QProcess p;
    p.start(sim, {QStringLiteral("--records"), records});
    if (!p.waitForReadyRead(5000)) {
        out << "corvane-pumpsim did not start\n";
        return 1;
    }
    const QString device = QString::fromLocal8Bit(p.readLine().trimmed());
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("corvane.INI"));
    {
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(QStringLiteral("[Comm Port]\r\nCom1=%1\r\n").arg(device).toLocal8Bit());
    }

    AppState state;
    SystemWaitClock clock;
    QtSerialLink link(ini);
    PumpSession session(state, link, clock);
    LogDownload download(session);
    qint64 received = 0;
    QObject::connect(&session, &PumpSession::traced, [&](char d, const QByteArray& b) {
        if (d == 'R')
            received += b.size();
    });
    session.selectPort(0);
    session.refreshPumpData();
    if (!spin([&] { return state.SavedLogCount == records.toInt(); }, 10000)) {
        out << "no status report from " << device << "\n";
        return 1;
    }

    QList<double> walls, wires, cpus;
    bool filled = true;
    for (int run = 1; run <= runs; ++run) {
        // Let a poll that is under way finish first.
        spin([] { return false; }, 1500);
        LogDownload::Outcome outcome = LogDownload::Outcome::Stopped;
        bool finished = false;
        const auto c =
            QObject::connect(&download, &LogDownload::finished, [&](LogDownload::Outcome o) {
                outcome = o;
                finished = true;
            });
        received = 0;
        const double cpu0 = cpuSeconds();
        QElapsedTimer t;
        t.start();
        if (!download.start()) {
            out << "download refused\n";
            return 1;
        }
        spin([&] { return finished; }, 120000);
        const double wall = t.nsecsElapsed() / 1e9;
        const double cpu = cpuSeconds() - cpu0;
        QObject::disconnect(c);
        const double wire = double(received) / LinePacer::kCharsPerSecond;
        const int rows = download.recordsRead();
        const int lines = session.memo().lineCount();
        filled = filled && outcome == LogDownload::Outcome::Completed && rows == records.toInt() &&
                 lines == rows + 2;
        walls << wall;
        wires << wire;
        cpus << cpu;
        out << "run " << run << ": " << received << " characters, wire "
            << QString::number(wire, 'f', 3) << " s, wall " << QString::number(wall, 'f', 3)
            << " s (" << QString::number(100.0 * (wall / wire - 1), 'f', 2) << " % over), cpu "
            << QString::number(cpu * 1000, 'f', 1) << " ms ("
            << QString::number(100.0 * cpu / wire, 'f', 2) << " % of wire), table " << rows
            << " rows, memo " << lines << " lines\n";
        out.flush();
    }
    p.terminate();
    p.waitForFinished(5000);

    const double wall = median(walls), wire = median(wires), cpu = median(cpus);
    out << "median: wire " << QString::number(wire, 'f', 3) << " s, wall "
        << QString::number(wall, 'f', 3) << " s ("
        << QString::number(100.0 * (wall / wire - 1), 'f', 2) << " % over; goal <= 2 %), cpu "
        << QString::number(cpu * 1000, 'f', 1) << " ms ("
        << QString::number(100.0 * cpu / wire, 'f', 2) << " % of wire; goal < 3 %)\n"
        << "table and memo filled: " << (filled ? "yes" : "NO") << "\n";
    return filled ? 0 : 1;
}
