#include "raster/RasterGrid.h"

#include "common/TAMOError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>
#include <limits>

namespace {

// Files larger than this are no header: they are not read as one.
constexpr qint64 kMostHeaderBytes = 64 * 1024;

[[noreturn]] void RaiseBadHeader(const QString& path, const QString& why) {
    throw TAMOError(QString("The raster header \"%1\" cannot be used: %2").arg(path, why));
}

int PositiveNumber(const QMap<QString, QString>& keys, const QString& key, const QString& path) {
    bool ok = false;
    const qlonglong value = keys.value(key).toLongLong(&ok);
    if (!ok || value <= 0 || value > std::numeric_limits<int>::max())
        RaiseBadHeader(path, QString("%1 is \"%2\", not a positive whole number.").arg(key, keys.value(key)));
    return static_cast<int>(value);
}

} // namespace

QString RasterHeaderPath(const QString& rasterPath) {
    const QFileInfo info(rasterPath);
    return info.dir().filePath(info.completeBaseName() + ".hdr");
}

TRasterGrid RasterGridOf(const QString& rasterPath, int bytes) {
    TRasterGrid grid;
    grid.Bytes = bytes;
    const QString path = RasterHeaderPath(rasterPath);
    QFile file(path);
    if (!file.exists())
        return grid;
    if (file.size() > kMostHeaderBytes)
        RaiseBadHeader(path, "it is too large to be a header.");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        RaiseBadHeader(path, file.errorString());
    // One keyword and its value per line, keywords in any case.
    QMap<QString, QString> keys;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList words = in.readLine().simplified().split(' ', Qt::SkipEmptyParts);
        if (words.size() >= 2)
            keys.insert(words[0].toUpper(), words[1]);
    }
    for (const char* key : {"NROWS", "NCOLS"})
        if (!keys.contains(key))
            RaiseBadHeader(path, QString("it gives no %1.").arg(key));
    grid.Rows = PositiveNumber(keys, "NROWS", path);
    grid.Cols = PositiveNumber(keys, "NCOLS", path);
    if (keys.contains("NBITS")) {
        const QString bits = keys.value("NBITS");
        if (bits == "8")
            grid.Bytes = 1;
        else if (bits == "16")
            grid.Bytes = 2;
        else if (bits == "32")
            grid.Bytes = 4;
        else
            RaiseBadHeader(path,
                           QString("NBITS is \"%1\"; cells of 8, 16 or 32 bits can be read.").arg(bits));
    }
    // The cells are read as one band of little-endian values from the first byte on.
    if (keys.contains("NBANDS") && keys.value("NBANDS") != "1")
        RaiseBadHeader(path, QString("it holds %1 bands; one band can be read.").arg(keys.value("NBANDS")));
    if (keys.contains("SKIPBYTES") && keys.value("SKIPBYTES") != "0")
        RaiseBadHeader(path, "the cells do not start at the first byte (SKIPBYTES).");
    if (keys.contains("BYTEORDER") && keys.value("BYTEORDER").toUpper() != "I")
        RaiseBadHeader(path, "its cells are big-endian (BYTEORDER); little-endian cells can be read.");
    return grid;
}
