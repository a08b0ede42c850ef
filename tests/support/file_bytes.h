#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <cstdint>
#include <vector>

// Byte-level helpers for the file-format tests: building files by hand and
// reading the ones kept beside the tests.
using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& out, unsigned value)
{
    out.push_back(std::uint8_t(value & 0xFF));
    out.push_back(std::uint8_t((value >> 8) & 0xFF));
}

inline void put32(Bytes& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Overwrites the little-endian number at `at`.
inline void set16(Bytes& out, std::size_t at, unsigned value)
{
    out[at] = std::uint8_t(value & 0xFF);
    out[at + 1] = std::uint8_t((value >> 8) & 0xFF);
}

inline void set32(Bytes& out, std::size_t at, std::uint32_t value)
{
    set16(out, at, value & 0xFFFF);
    set16(out, at + 2, value >> 16);
}

// The bytes of a file; empty when it cannot be read.
inline Bytes readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

// A file of tests/data, named relative to that folder.
inline Bytes readDataFile(const QString& name)
{
    return readFileBytes(QStringLiteral(PIMOKO_TEST_DATA_DIR "/") + name);
}

// A whole file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes the bytes as the whole file; a failure fails the calling test.
inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline void writeBytes(const QString& path, const Bytes& bytes)
{
    writeAll(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}
