// Start-up cost of the main window: one whole process that builds the window
// with a recording port, shows it, and quits once the first frame is painted,
// printing its peak memory and processor time. bench/startup.sh runs it side
// by side with bench_bare_window and prints the medians and their ratios.
// With --port-chosen the settings hold a port, so the window opens on the
// Run Mode page, as it does for a technician on every start but the first.
#include "app/mainwindow.h"
#include "firstframe.h"
#include "support/fakeseriallink.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (argc > 1 && qstrcmp(argv[1], "--port-chosen") == 0) {
        QFile ini(dir.filePath(QStringLiteral("corvane.INI")));
        if (!ini.open(QIODevice::WriteOnly) || ini.write("[Comm Port]\r\nCommPort=1\r\n") < 0)
            return 1;
    }
    AppState state;
    FakeSerialLink link;
    MainWindow window(state, link,
                      {dir.filePath(QStringLiteral("corvane.INI")), false,
                       dir.filePath(QStringLiteral("placement.ini"))});
    window.selectPort(0);
    window.show();
    quitAfterFirstFrame(&window);
    return app.exec();
}
