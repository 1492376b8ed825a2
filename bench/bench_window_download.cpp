// History downloads through the real window, as a technician runs them: the
// window on a real serial port (a corvane-pumpsim pseudo-terminal with line
// pacing), the Logs page shown, "Read Logs From KST" clicked, the completion
// box closed. Reports the window process's processor time as a share of the
// wire time of the bytes received, and the wall time against the wire time.
// bench/window_download.sh starts Xvfb and the simulated pump around it.
//   bench_window_download <device> [records] [downloads] [screenshot.png]
// With a screenshot, the Sampling Runs page is then shown and saved beside
// it (NAME-runs.png). BENCH_COUNT_PAINTS=1 also lists the widgets painted
// during the downloads.
#include "app/logsactions.h"
#include "app/logspage.h"
#include "app/mainwindow.h"
#include "app/paintpacer.h"
#include "app/runspage.h"
#include "eventloop.h"
#include "link/qtseriallink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <sys/resource.h>

namespace {

using bench::cpuSeconds;
using bench::spin;

QMessageBox* openBox(QWidget* window) {
    for (QMessageBox* b : window->findChildren<QMessageBox*>())
        if (b->isVisible())
            return b;
    return nullptr;
}

// Paint events per widget class, when asked for (BENCH_COUNT_PAINTS).
class PaintCounter : public QObject {
public:
    QMap<QString, int> counts;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++counts[QString::fromLatin1(o->metaObject()->className()) + QLatin1Char(' ') +
                     o->objectName()];
        return false;
    }
};

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream out(stdout);
    if (args.size() < 2) {
        out << "usage: bench_window_download <device> [records] [downloads] [screenshot.png]\n";
        return 2;
    }
    const int records = args.value(2, QStringLiteral("999")).toInt();
    const int downloads = args.value(3, QStringLiteral("3")).toInt();
    const QString shot = args.value(4);

    QTemporaryDir dir;
    AppState state;
    QtSerialLink link(dir.filePath(QStringLiteral("corvane.INI")));
    link.setDevice(1, args[1]);
    MainWindow window(state, link,
                      {dir.filePath(QStringLiteral("corvane.INI")), false,
                       dir.filePath(QStringLiteral("placement.ini"))});
    window.setGeometry(0, 0, 1280, 960);
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("vaTabPro1"))->setCurrentWidget(window.logsPage());
    qint64 received = 0;
    QObject::connect(&window.session(), &PumpSession::traced,
                     [&received](char direction, const QByteArray& bytes) {
                         if (direction == 'R')
                             received += bytes.size();
                     });
    window.selectPort(0);
    window.session().refreshPumpData();
    if (!spin([&] { return state.SavedLogCount == records; }, 30000)) {
        out << "no status report naming " << records << " records from " << args[1] << "\n";
        return 1;
    }

    // BENCH_NO_PACER=1: painting not held back, to see what the pacing adds.
    if (qEnvironmentVariableIsSet("BENCH_NO_PACER"))
        window.removeEventFilter(window.paintPacer());
    PaintCounter painted;
    if (qEnvironmentVariableIsSet("BENCH_COUNT_PAINTS"))
        app.installEventFilter(&painted);
    auto* read = window.logsPage()->findChild<QPushButton*>(QStringLiteral("CommandButton7"));
    LogsActions& logs = window.logsActions();
    QList<double> shares, walls;
    bool filled = true;
    for (int n = 1; n <= downloads; ++n) {
        // Let the status poll in flight settle before the clocks start.
        spin([] { return false; }, 500);
        received = 0;
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        read->click();
        if (!logs.download().running()) {
            out << "download " << n << " refused\n";
            return 1;
        }
        spin([&] { return !logs.download().running(); }, 600000);
        spin([&] { return openBox(&window) != nullptr; }, 20000);
        // Wall time and processor time up to the completion box.
        const double wallS = wall.elapsed() / 1000.0;
        const double cpuS = cpuSeconds() - cpu0;
        const double wireS = received * 10.0 / 57600; // 8N1: ten bits a character
        filled = filled && logs.download().recordsRead() == records;
        if (n == downloads && !shot.isEmpty())
            window.grab().save(shot);
        window.acceptMessage();
        spin([&] { return openBox(&window) == nullptr; }, 20000);
        shares << 100 * cpuS / wireS;
        walls << wallS / wireS;
        out << "download " << n << ": " << logs.download().recordsRead() << " records, " << received
            << " bytes = " << QString::number(wireS, 'f', 2) << " s of line; wall "
            << QString::number(wallS, 'f', 2) << " s, window CPU " << QString::number(cpuS, 'f', 3)
            << " s = " << QString::number(shares.last(), 'f', 2) << " % of wire time\n";
        out.flush();
    }
    // The Sampling Runs page, first shown after the downloads, next to the
    // screenshot: its chart is built then and must show the newest run.
    if (!shot.isEmpty()) {
        window.findChild<QTabWidget*>(QStringLiteral("vaTabPro1"))
            ->setCurrentWidget(window.runsPage());
        spin([] { return false; }, 300);
        QString runsShot = shot;
        runsShot.insert(shot.endsWith(QLatin1String(".png")) ? shot.size() - 4 : shot.size(),
                        QLatin1String("-runs"));
        window.grab().save(runsShot);
    }
    for (auto it = painted.counts.cbegin(); it != painted.counts.cend(); ++it)
        if (it.value() >= downloads * 10)
            out << "  painted " << it.value() << " times: " << it.key() << "\n";
    out << "median of " << downloads << ": window CPU " << QString::number(median(shares), 'f', 2)
        << " % of wire time, wall / wire " << QString::number(median(walls), 'f', 3)
        << ", every table filled: " << (filled ? "yes" : "NO") << "\n";
    return filled ? 0 : 1;
}
