#pragma once
// A theme's raster file, memory-mapped read-only: row after row of little-endian unsigned cells,
// row 0 at the north edge. The file is never copied into memory.

#include <QDateTime>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>

// Cells of a complete world raster (43200 x 21600); a file holds this many cells of `Bytes` each.
inline constexpr std::int64_t kWorldCells = 933'120'000;
inline constexpr int kWorldCols = 43200;
inline constexpr int kWorldRows = 21600;

// The cell values a drawing tells apart: every 16-bit value.
inline constexpr int kCellValueCount = 65536;
// Cell values without data: 0 always, and 65535 unless the theme counts it as a value.
inline constexpr std::uint16_t kNoDataCell = 0;
inline constexpr std::uint16_t kNoDataValue = 65535;
// What kNoDataValue means for a theme: no data, or a value like any other (the theme's
// ZeroIsValue).
enum class TTopCellValue { NoData, Value };

class TRasterFile {
public:
    // Opens and maps the file; raises TAMOError when it cannot be opened or mapped.
    static std::unique_ptr<TRasterFile> Open(const QString& path);
    ~TRasterFile();

    const QString& Path() const { return m_path; }
    std::int64_t Size() const { return m_size; }
    const unsigned char* Data() const { return m_data; }

    // True when the file on disk no longer has the size or time it had when it was mapped.
    bool ChangedOnDisk() const;

    // The cell at (row, col) of a grid `cols` wide with `bytes` per cell: 1 and 2 bytes unsigned,
    // 4 bytes signed. 0 for a cell outside the file or an unsupported cell size.
    double ReadCell(std::int64_t col, std::int64_t row, int cols, int bytes) const;

private:
    TRasterFile() = default;
    QString m_path;
    QFile m_file;
    const unsigned char* m_data = nullptr;
    std::int64_t m_size = 0;
    QDateTime m_modified;
};
