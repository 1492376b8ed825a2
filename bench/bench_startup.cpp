// Start-up cost of the main window: one whole process that builds the window
// with a recording port, shows it, and quits once the first frame is out,
// printing its peak memory. bench/startup.sh times ten such processes and
// prints the medians.
#include "app/mainwindow.h"
#include "link/fakeseriallink.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    AppState state;
    FakeSerialLink link;
    MainWindow window(state, link,
                      {dir.filePath(QStringLiteral("corvane.INI")), false,
                       dir.filePath(QStringLiteral("placement.ini"))});
    window.selectPort(0);
    window.show();
    QTimer::singleShot(0, &app, [&] {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        QTextStream(stdout) << ru.ru_maxrss << "\n"; // KiB
        app.quit();
    });
    return app.exec();
}
