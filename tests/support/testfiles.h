// Reading and writing whole files in tests. A file that cannot be read
// gives "(no file)", which no file a test expects holds.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

inline void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}
