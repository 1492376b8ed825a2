// Many history downloads in a row through the whole window: the Logs page
// shown (table view and memo view painted), "Read Logs From KST" pressed,
// the completion box closed, again and again, from the in-process simulated
// pump without pacing. Reports the resident memory after each download (it
// must stay flat: the memo view keeps no undo steps, the table is reused),
// the undo steps the memo view holds and the processor time per download.
//   bench_logwindow [downloads] [records] [undo-on]
// "undo-on" lets the memo view record undo steps again, to see what the
// measurement makes of the leak it guards against.
// Run with QT_QPA_PLATFORM=offscreen, or under Xvfb.
#include "app/capturememoview.h"
#include "app/logsactions.h"
#include "app/logspage.h"
#include "app/mainwindow.h"
#include "eventloop.h"
#include "sim/simseriallink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <sys/resource.h>

namespace {

using bench::cpuSeconds;
using bench::spin;

// A line of /proc/self/status ("VmRSS", "VmHWM") in MiB.
double statusMiB(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble() /
                   1024.0;
    return -1;
}
double rssMiB() {
    return statusMiB("VmRSS");
}

QMessageBox* openBox(QWidget* window) {
    for (QMessageBox* b : window->findChildren<QMessageBox*>())
        if (b->isVisible())
            return b;
    return nullptr;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int downloads = args.value(1, QStringLiteral("60")).toInt();
    const int records = args.value(2, QStringLiteral("999")).toInt();
    const bool undoOn = args.value(3) == QLatin1String("undo-on");
    QTextStream out(stdout);

    QTemporaryDir dir;
    AppState state;
    SimPumpOptions options;
    options.records = records;
    SimSerialLink link(options);
    link.setPacing(false);
    MainWindow window(state, link,
                      {dir.filePath(QStringLiteral("corvane.INI")), false,
                       dir.filePath(QStringLiteral("placement.ini"))});
    window.resize(1200, 900);
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("vaTabPro1"))->setCurrentWidget(window.logsPage());
    if (undoOn)
        window.logsPage()->memoView()->setUndoRedoEnabled(true);
    window.selectPort(0);
    window.session().refreshPumpData();
    if (!spin([&] { return state.SavedLogCount == records; }, 20000)) {
        out << "no status report from the simulated pump\n";
        return 1;
    }

    LogsActions& logs = window.logsActions();
    const double before = rssMiB();
    out << "before the first download: " << QString::number(before, 'f', 1) << " MiB\n";
    QList<double> rss;
    double cpuTotal = 0;
    bool filled = true;
    for (int n = 1; n <= downloads; ++n) {
        const double cpu0 = cpuSeconds();
        logs.readLogs();
        if (!logs.download().running()) {
            out << "download " << n << " refused\n";
            return 1;
        }
        spin([&] { return !logs.download().running(); }, 120000);
        spin([&] { return openBox(&window) != nullptr; }, 20000);
        const QString text = openBox(&window) ? openBox(&window)->text() : QString();
        window.acceptMessage();
        spin([&] { return openBox(&window) == nullptr; }, 20000);
        cpuTotal += cpuSeconds() - cpu0;
        filled = filled && text == LogDownload::kCompleted &&
                 logs.download().recordsRead() == records &&
                 window.session().memo().lineCount() == records + 2;
        rss << rssMiB();
        if (n == 1 || n == 2 || n == 5 || n % 10 == 0 || n == downloads)
            out << "after download " << n << ": " << QString::number(rss.last(), 'f', 1)
                << " MiB, memo view undo steps "
                << window.logsPage()->memoView()->document()->availableUndoSteps() << "\n";
        out.flush();
    }
    const double first = rss.value(0), last = rss.value(rss.size() - 1);
    double peak = 0;
    for (double r : rss)
        peak = std::max(peak, r);
    out << "growth from download 1 to " << downloads << ": "
        << QString::number(last - first, 'f', 2) << " MiB (largest after any download "
        << QString::number(peak, 'f', 1) << " MiB; process peak "
        << QString::number(statusMiB("VmHWM"), 'f', 1) << " MiB)\n"
        << "processor time per download: "
        << QString::number(1000 * cpuTotal / std::max(1, downloads), 'f', 1) << " ms\n"
        << "table and memo filled every time: " << (filled ? "yes" : "NO") << "\n";
    return filled ? 0 : 1;
}
