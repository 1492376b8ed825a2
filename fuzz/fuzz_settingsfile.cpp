// libFuzzer target: arbitrary bytes as the file corvane.INI. Reading the
// stored settings and the Com1..Com4 devices must cope with any file, and
// saving what was read, then reading again, gives the same settings. Each
// input costs some forty file reads and a dozen atomic saves, so this target
// runs few inputs a second; fuzz_inifile drives the same text parsing fast.
#include "config/settingsstore.h"
#include "link/portmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// In memory where the system offers it: every save syncs the file to disk.
QString scratchFolder() {
    const QString shm = QStringLiteral("/dev/shm");
    return QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
}

const QString& iniPath() {
    static QTemporaryDir dir(scratchFolder() + QStringLiteral("/corvane-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("corvane.INI"));
    return path;
}

bool sameSettings(const StoredSettings& a, const StoredSettings& b) {
    return a.commPort == b.commPort && a.password == b.password && a.flowFault == b.flowFault &&
           a.startupScreen == b.startupScreen && a.logRate == b.logRate &&
           a.timingOn == b.timingOn && a.startStop == b.startStop && a.measure == b.measure &&
           a.volumetric == b.volumetric && a.targetFlow == b.targetFlow;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString& path = iniPath();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    const StoredSettings loaded = loadSettings(path);
    for (int port = 1; port <= 4; ++port)
        if (PortMap::device(port, path).isEmpty())
            std::abort();

    // A save keeps every value it was given, whatever else the file holds.
    if (!saveSettings(path, loaded) || !sameSettings(loadSettings(path), loaded))
        std::abort();
    return 0;
}
