// Start-up cost of the main window: one whole process that builds the window
// with a recording port, shows it, and quits once the first frame is painted,
// printing its peak memory and processor time. bench/startup.sh runs it side
// by side with bench_bare_window and prints the medians and their ratios.
#include "app/mainwindow.h"
#include "firstframe.h"
#include "support/fakeseriallink.h"

#include <QApplication>
#include <QTemporaryDir>

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
    quitAfterFirstFrame(&window);
    return app.exec();
}
