#include "raster/RasterFile.h"

#include "common/TAMOError.h"

#include <QFileInfo>
#include <cstring>

std::unique_ptr<TRasterFile> TRasterFile::Open(const QString& path) {
    std::unique_ptr<TRasterFile> raster(new TRasterFile);
    raster->m_path = path;
    raster->m_file.setFileName(path);
    if (!raster->m_file.open(QIODevice::ReadOnly))
        throw TAMOError(QString("Cannot open file \"%1\". %2").arg(path, raster->m_file.errorString()));
    raster->m_size = raster->m_file.size();
    raster->m_modified = QFileInfo(path).lastModified();
    // An empty file cannot be mapped; it reads as no data.
    if (raster->m_size > 0) {
        raster->m_data = raster->m_file.map(0, raster->m_size);
        if (!raster->m_data)
            throw TAMOError(QString("Cannot read file \"%1\". %2").arg(path, raster->m_file.errorString()));
    }
    return raster;
}

TRasterFile::~TRasterFile() {
    if (m_data)
        m_file.unmap(const_cast<unsigned char*>(m_data));
}

bool TRasterFile::ChangedOnDisk() const {
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_modified;
}

double TRasterFile::ReadCell(std::int64_t col, std::int64_t row, int cols, int bytes) const {
    if (bytes != 1 && bytes != 2 && bytes != 4)
        return 0;
    // Beyond these limits no cell of any file can be addressed, and the product could overflow.
    constexpr std::int64_t kLimit = std::int64_t(1) << 30;
    if (col <= -kLimit || col >= kLimit || row <= -kLimit || row >= kLimit)
        return 0;
    const std::int64_t offset = row * (static_cast<std::int64_t>(bytes) * cols) + col * bytes;
    if (offset < 0 || offset > m_size - bytes)
        return 0;
    const unsigned char* p = m_data + offset;
    switch (bytes) {
    case 1:
        return p[0];
    case 2:
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    default: {
        const std::uint32_t u = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                                (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
        std::int32_t s;
        std::memcpy(&s, &u, sizeof s);
        return s;
    }
    }
}
