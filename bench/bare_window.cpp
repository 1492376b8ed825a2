// The yardstick for bench_startup: a bare Qt Widgets window of five tabs of
// forty labels that opens a serial port (one end of a pseudo-terminal) and
// writes one line, then quits once its first frame is painted, printing its
// peak memory (KiB) and processor time (ms) as bench_startup does.
#include "firstframe.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QSerialPort>
#include <QTabWidget>

#include <pty.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTabWidget tabs;
    for (int t = 0; t < 5; ++t) {
        auto* page = new QWidget;
        auto* grid = new QGridLayout(page);
        for (int i = 0; i < 40; ++i)
            grid->addWidget(new QLabel(QStringLiteral("Label %1.%2").arg(t).arg(i)), i / 4, i % 4);
        tabs.addTab(page, QStringLiteral("Page %1").arg(t));
    }
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return 1;
    QSerialPort port(QString::fromLocal8Bit(name));
    port.setBaudRate(57600);
    if (!port.open(QIODevice::ReadWrite))
        return 1;
    port.write("RDS\r");
    tabs.resize(800, 600);
    tabs.show();
    quitAfterFirstFrame(&tabs);
    const int rc = app.exec();
    ::close(slave);
    ::close(master);
    return rc;
}
