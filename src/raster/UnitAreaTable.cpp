#include "raster/UnitAreaTable.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

namespace {

constexpr char kMagic[] = "TAMOAREA";
constexpr quint32 kVersion = 1;
constexpr auto kHash = QCryptographicHash::Sha256;

struct TKey {
    qint64 Size = 0;
    qint64 Modified = 0;
    qint32 Bytes = 0;
    qint32 Cols = 0;
    qint32 Rows = 0;
    bool operator==(const TKey&) const = default;
};

TKey KeyOf(const TTallySource& source) {
    const QFileInfo info(source.Raster->Path());
    return {info.size(), info.lastModified().toMSecsSinceEpoch(), source.Bytes, source.Cols, source.Rows};
}

QByteArray Body(const TKey& key, const TCellTally& tally) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.writeRawData(kMagic, 8);
    out << kVersion << key.Size << key.Modified << key.Bytes << key.Cols << key.Rows
        << quint32(tally.Cells.size());
    for (std::size_t v = 0; v < tally.Cells.size(); ++v)
        out << quint64(tally.Cells[v]) << tally.Area[v];
    return body;
}

} // namespace

QString UnitAreaCachePath(const QString& rasterPath, const QString& cacheFolder) {
    if (cacheFolder.isEmpty())
        return {};
    return QDir(cacheFolder).filePath(QFileInfo(rasterPath).fileName() + ".areas");
}

std::optional<TCellTally> ReadUnitAreaCache(const TTallySource& source, const QString& cacheFolder) {
    if (!source.Raster)
        return std::nullopt;
    QFile file(UnitAreaCachePath(source.Raster->Path(), cacheFolder));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const int hashSize = QCryptographicHash::hashLength(kHash);
    const QByteArray all = file.readAll();
    if (all.size() <= hashSize)
        return std::nullopt;
    const QByteArray body = all.left(all.size() - hashSize);
    if (QCryptographicHash::hash(body, kHash) != all.right(hashSize))
        return std::nullopt;
    QDataStream in(body);
    char magic[8];
    quint32 version = 0, count = 0;
    TKey stored;
    if (in.readRawData(magic, 8) != 8 || std::memcmp(magic, kMagic, 8) != 0)
        return std::nullopt;
    in >> version >> stored.Size >> stored.Modified >> stored.Bytes >> stored.Cols >> stored.Rows >> count;
    if (in.status() != QDataStream::Ok || version != kVersion || !(stored == KeyOf(source)) ||
        count != quint32(kCellValueCount))
        return std::nullopt;
    TCellTally tally;
    for (std::size_t v = 0; v < tally.Cells.size(); ++v) {
        quint64 cells = 0;
        in >> cells >> tally.Area[v];
        tally.Cells[v] = cells;
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return tally;
}

std::optional<TCellTally> CachedUnitAreas(const TTallySource& source, const QString& cacheFolder,
                                          const TJobControl& control) {
    if (auto kept = ReadUnitAreaCache(source, cacheFolder))
        return kept;
    // The file as it is counted: a raster that changes meanwhile is counted again next time.
    const TKey key = source.Raster ? KeyOf(source) : TKey{};
    std::optional<TCellTally> tally = TallyCells(source, {0, 0, source.Cols, source.Rows}, control);
    if (!tally || !source.Raster)
        return tally;
    const QString path = UnitAreaCachePath(source.Raster->Path(), cacheFolder);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return tally;
    QByteArray bytes = Body(key, *tally);
    bytes += QCryptographicHash::hash(bytes, kHash);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        file.commit();
    return tally;
}
