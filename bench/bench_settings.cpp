// Times one saveSettings (what every close, Send Setup and Program Pump
// does) and one loadSettings (what every start does), on a small settings
// file and on one of about 900 KiB, in a folder on disk (the first argument,
// or a temporary folder). Prints the median, fastest and slowest of each.
#include "config/settingsstore.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void report(const char* what, int runs, const std::function<void()>& once) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        once();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %8.2f ms   fastest %8.2f   slowest %8.2f   (%d runs)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), runs);
}
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch(argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).filePath("bench-XXXXXX")
                                   : QDir::temp().filePath("bench-XXXXXX"));
    if (!scratch.isValid())
        return 1;
    StoredSettings s{3, true, false, -1, 15, 1, -1, 0, -1, 2500, {}, {}};
    s.startDateTime = QStringLiteral("20261206 08:00:09.07");
    s.stopDateTime = QStringLiteral("20261206 16:30:00.00");

    const QString small = scratch.filePath(QStringLiteral("corvane.INI"));
    putFile(small, "; site notes\r\n[Comm Port]\r\nCom1=/dev/ttyUSB0\r\n");
    report("SaveSettings, small file", 30, [&] { saveSettings(small, s); });
    report("LoadSettings, small file", 30, [&] { loadSettings(small); });

    // Well under the read limit, so every save is carried out in full.
    const QString large = scratch.filePath(QStringLiteral("large.INI"));
    putFile(large, "[Notes]\r\n" + QByteArray(900 * 1024, ';') + "\r\n");
    report("SaveSettings, 900 KiB file", 10, [&] { saveSettings(large, s); });
    report("LoadSettings, 900 KiB file", 10, [&] { loadSettings(large); });
    return 0;
}
