#include "raster/RasterStatistics.h"

#include "raster/RasterFile.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

constexpr quint32 kHistogramMagic = 0x54484953; // "THIS"
constexpr quint32 kHistogramVersion = 1;

struct TCacheKey {
    QString Path;
    qint64 Size = 0;
    qint64 Modified = 0;
    qint32 Bytes = 0;
    qint32 Cols = 0;
    qint32 Rows = 0;
};

TCacheKey KeyOf(const TRasterFile& raster, int bytes, int cols, int rows) {
    const QFileInfo info(raster.Path());
    return {info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch(), bytes, cols, rows};
}

bool ReadCache(const QString& path, const TCacheKey& key, TCellHistogram& histogram) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    quint32 magic = 0, version = 0;
    TCacheKey stored;
    in >> magic >> version;
    if (magic != kHistogramMagic || version != kHistogramVersion)
        return false;
    in >> stored.Path >> stored.Size >> stored.Modified >> stored.Bytes >> stored.Cols >> stored.Rows;
    if (in.status() != QDataStream::Ok || stored.Path != key.Path || stored.Size != key.Size ||
        stored.Modified != key.Modified || stored.Bytes != key.Bytes || stored.Cols != key.Cols ||
        stored.Rows != key.Rows)
        return false;
    TCellHistogram counts(kHistogramSize);
    for (auto& count : counts) {
        quint64 value = 0;
        in >> value;
        count = value;
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return false;
    histogram = std::move(counts);
    return true;
}

void WriteCache(const QString& path, const TCacheKey& key, const TCellHistogram& histogram) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out << kHistogramMagic << kHistogramVersion << key.Path << key.Size << key.Modified << key.Bytes
        << key.Cols << key.Rows;
    for (const auto count : histogram)
        out << quint64(count);
    if (out.status() == QDataStream::Ok)
        file.commit();
}

} // namespace

TCellHistogram MakeCellHistogram(const TRasterFile& raster, int bytes, int cols, int rows,
                                 const TProgressReport& progress) {
    TCellHistogram histogram(kHistogramSize, 0);
    if ((bytes != 1 && bytes != 2 && bytes != 4) || cols <= 0 || rows <= 0)
        return histogram;
    const std::int64_t cells =
        std::min<std::int64_t>(static_cast<std::int64_t>(cols) * rows, raster.Size() / bytes);
    const unsigned char* data = raster.Data();
    // Four partial tables: runs of equal values (the common case in a soil map) would otherwise
    // wait on the same counter.
    std::vector<std::uint32_t> partial(4 * kHistogramSize);
    constexpr std::int64_t kChunk = 1 << 24; // cells per step; fits the 32-bit partial counters
    int lastPercent = -1;
    for (std::int64_t first = 0; first < cells; first += kChunk) {
        const std::int64_t last = std::min(cells, first + kChunk);
        std::fill(partial.begin(), partial.end(), 0u);
        std::uint32_t* t0 = partial.data();
        std::uint32_t* t1 = t0 + kHistogramSize;
        std::uint32_t* t2 = t1 + kHistogramSize;
        std::uint32_t* t3 = t2 + kHistogramSize;
        if (bytes == 2) {
            const auto* p = reinterpret_cast<const std::uint16_t*>(data) + first;
            const std::int64_t n = last - first;
            std::int64_t i = 0;
            for (; i + 4 <= n; i += 4) {
                ++t0[p[i]];
                ++t1[p[i + 1]];
                ++t2[p[i + 2]];
                ++t3[p[i + 3]];
            }
            for (; i < n; ++i)
                ++t0[p[i]];
        } else if (bytes == 1) {
            for (std::int64_t i = first; i < last; ++i)
                ++t0[data[i]];
        } else {
            for (std::int64_t i = first; i < last; ++i) {
                std::int32_t v;
                std::memcpy(&v, data + i * 4, 4);
                if (v >= 0 && v < kHistogramSize)
                    ++t0[v];
            }
        }
        // Counts of a file cut under its mapping would be wrong and then kept in the cache.
        raster.CheckIntact(TRasterFile::TReport::Always);
        for (int v = 0; v < kHistogramSize; ++v)
            histogram[v] += std::uint64_t(t0[v]) + t1[v] + t2[v] + t3[v];
        const int percent = static_cast<int>(last * 100 / cells);
        if (progress && percent != lastPercent) {
            progress(percent);
            lastPercent = percent;
        }
    }
    return histogram;
}

QString HistogramCachePath(const QString& rasterPath, const QString& cacheFolder) {
    if (cacheFolder.isEmpty())
        return {};
    return QDir(cacheFolder).filePath(QFileInfo(rasterPath).fileName() + ".hist");
}

TCellHistogram CachedCellHistogram(const TRasterFile& raster, int bytes, int cols, int rows,
                                   const QString& cacheFolder, const TProgressReport& progress) {
    const TCacheKey key = KeyOf(raster, bytes, cols, rows);
    const QString path = HistogramCachePath(raster.Path(), cacheFolder);
    TCellHistogram histogram;
    if (!path.isEmpty() && ReadCache(path, key, histogram))
        return histogram;
    histogram = MakeCellHistogram(raster, bytes, cols, rows, progress);
    if (!path.isEmpty())
        WriteCache(path, key, histogram);
    return histogram;
}
