// Firmware images for the upgrades in the lab: files of random bytes, and the bytes of a file
// to compare with what a switch stored.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <gtest/gtest.h>

namespace fenwick::testing {

// Writes `size` bytes drawn from `seed` to `path` and returns the path.
inline QString WriteRandomImage(const QString& path, qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes) {
        byte = static_cast<char>(generator.generate());
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == size) << path.toStdString();
    return path;
}

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace fenwick::testing
