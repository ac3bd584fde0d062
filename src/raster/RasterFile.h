#pragma once
// A theme's raster file, memory-mapped read-only: row after row of little-endian unsigned cells,
// row 0 at the north edge. The file is never copied into memory.
//
// A file that shrinks while it is mapped never brings the program down: the mapping is guarded
// (a lost page reads as zeros), and a read that meets a lost page or a drawing that finds the
// file shorter raises the read error, once per opened file, so that a pointer moving over the
// map does not repeat it at every move.

#include "raster/MappingGuard.h"
#include "raster/RasterGrid.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>

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
    // True when the mapped file lost bytes: it is shorter than when it was mapped, or a read
    // met a page it no longer holds. One fstat.
    bool Shrunk() const;

    // Raises "Stream read error: ..." when the file has changed (ChangedOnDisk, Shrunk): with
    // Once only the first time any check of this object finds it; with Always every time.
    enum class TReport { Once, Always };
    void CheckUnchanged(TReport report) const;
    // The same for Shrunk alone (the mapped bytes themselves are gone); the message names the
    // scanline being read when one is given.
    void CheckIntact(TReport report, std::int64_t scanline = -1) const;

    // Asks the kernel to read the bytes [offset, offset + length) ahead, at once and in parallel
    // with other such requests (the mapping itself is read at random: no read-ahead around faults).
    void WillNeed(std::int64_t offset, std::int64_t length) const;
    // True when every byte of [offset, offset + length) is in memory (read without waiting for
    // the disk); false for a range outside the file or when the kernel does not tell.
    bool Resident(std::int64_t offset, std::int64_t length) const;

    // The cell at (row, col) of a grid `cols` wide with `bytes` per cell: 1 and 2 bytes unsigned,
    // 4 bytes signed. 0 for a cell outside the file or an unsupported cell size. A read of a
    // cell the file lost raises the read error once (CheckIntact); afterwards lost cells read as 0.
    double ReadCell(std::int64_t col, std::int64_t row, int cols, int bytes) const;

private:
    TRasterFile() = default;
    void RaiseReadError(TReport report, std::int64_t scanline = -1) const;
    double CellAt(std::int64_t offset, int bytes) const;
    std::int64_t CurrentSize() const;

    QString m_path;
    QFile m_file;
    const unsigned char* m_data = nullptr;
    std::int64_t m_size = 0;
    QDateTime m_modified;
    std::unique_ptr<TMappingGuard> m_guard;
    bool m_residencyTold = false; // Resident can ask the kernel
    mutable bool m_errorReported = false;
};
