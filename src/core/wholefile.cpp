#include "core/wholefile.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace WholeFile {

namespace {

// Puts what the system holds for the file on the disk itself; the rename
// after it must not publish blocks a power cut or a late ENOSPC would lose.
bool syncToDisk(int fd, QString* error) {
#ifdef Q_OS_WIN
    if (::_commit(fd) == 0)
        return true;
    *error = qt_error_string(errno);
#else
    if (::fsync(fd) == 0)
        return true;
    *error = qt_error_string(errno);
#endif
    return false;
}

} // namespace

bool replace(const QString& path, const QByteArray& bytes, QString* error) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        *error = QStringLiteral("it is not a regular file");
        return false;
    }
    QSaveFile f(path);
    // Unbuffered: Qt 6.4's commit() does not notice a write that fails while
    // it flushes its own buffer, and would rename a cut file over the old
    // one. Written straight through, every failure shows here.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = f.errorString();
        return false;
    }
    // A full disk shows as a short write first; the next one says why.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            *error = f.errorString();
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    // commit() ignores a failed sync; a disk that fills only now (delayed
    // allocation, a network share) must not pass as saved.
    if (!syncToDisk(f.handle(), error)) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        *error = f.errorString();
        return false;
    }
    error->clear();
    return true;
}

} // namespace WholeFile
