// Reading and writing whole files in tests, and a folder that takes no new
// files. A file that cannot be read
// gives "(no file)", which no file a test expects holds.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTest>
#include <unistd.h>

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

inline void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

// Makes a folder refuse new files, as an installed program's folder does, or
// take them again. Root ignores file modes, so the folder is made immutable.
inline void setFolderReadOnly(const QString& folder, bool on) {
    if (geteuid() == 0)
        QProcess::execute(QStringLiteral("chattr"), {QLatin1String(on ? "+i" : "-i"), folder});
    else
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                          (on ? QFile::Permissions() : QFile::WriteOwner));
}
