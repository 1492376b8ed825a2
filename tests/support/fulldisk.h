// A small file system that is full: a tmpfs mounted on a folder, with the
// files a test puts there first and then a filler that takes every block
// left. Mounting needs root (and a system that allows it); without it the
// test skips and says why.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class FullDisk {
public:
    // Mounts a 256 KiB tmpfs on `folder` (created if need be).
    explicit FullDisk(const QString& folder) : m_folder(folder) {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                            "size=256k,mode=0777") == 0;
        if (!m_mounted)
            m_why = QStringLiteral("cannot mount a small tmpfs here (%1): full-disk case skipped")
                        .arg(qt_error_string(errno));
    }
    ~FullDisk() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString whyNot() const { return m_why; }
    QString filePath(const QString& name) const { return QDir(m_folder).filePath(name); }

    // Takes every block still free; true once a write was refused for space.
    bool fill() const {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'f');
        bool full = false;
        // A short write takes the last bytes; the next one is refused.
        for (int i = 0; i < 1024 && !full; ++i)
            if (::write(fd, block.constData(), size_t(block.size())) < 0)
                full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_why;
};
