#pragma once
// Data of the frame tests on real data: the small demo data set that the build makes once, and a
// world raster that costs nothing on disk.

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// Copies the small demo data set into `folder`.
inline void CopySmallDemoData(const QString& folder) {
    const QDir source(TAMO_SMALL_DEMO_DIR);
    const QStringList files{"TAMO2.sqlite", "TAMO2.zip", "Country.shp", "Country.shx", "Country.dbf"};
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name : files)
        ASSERT_TRUE(QFile::copy(source.filePath(name), folder + "/" + name))
            << "the build makes the small demo data set in " << TAMO_SMALL_DEMO_DIR << "; "
            << name.toStdString() << " is missing";
}

// A sparse world raster of 2-byte cells: all sea but a square block of `size` cells of one unit,
// its north-west corner at (row0, col0).
inline void WriteSparseRaster(const QString& path, int smuId, qint64 row0, qint64 col0, int size) {
    constexpr qint64 kCols = 43200;
    constexpr qint64 kRows = 21600;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(kCols * kRows * 2));
    QByteArray cells(size * 2, 0);
    for (int i = 0; i < size; ++i) {
        cells[2 * i] = char(smuId & 0xFF);
        cells[2 * i + 1] = char(smuId >> 8);
    }
    for (qint64 row = row0; row < row0 + size; ++row) {
        ASSERT_TRUE(file.seek((row * kCols + col0) * 2));
        ASSERT_EQ(file.write(cells), cells.size());
    }
}
