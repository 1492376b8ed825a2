#include "core/regularfile.h"

#include <QFileInfo>
#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {

#ifdef Q_OS_WIN

Opened openForReading(const QString& path, QFile& file, int* errorCode) {
    *errorCode = 0;
    const QFileInfo info(path);
    if (!info.exists()) {
        *errorCode = ENOENT;
        return Opened::Missing;
    }
    if (!info.isFile())
        return Opened::NotRegular;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) ? Opened::Open : Opened::Failed;
}

#else

Opened openForReading(const QString& path, QFile& file, int* errorCode) {
    *errorCode = 0;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *errorCode = errno;
        return *errorCode == ENOENT ? Opened::Missing : Opened::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Opened::NotRegular;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Opened::Failed;
    }
    return Opened::Open;
}

#endif

} // namespace RegularFile
