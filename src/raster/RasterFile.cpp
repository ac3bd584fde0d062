#include "raster/RasterFile.h"

#include "common/TAMOError.h"

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
        raster->m_guard =
            std::make_unique<TMappingGuard>(raster->m_data, static_cast<std::size_t>(raster->m_size));
        // A view samples a few cells of rows far apart: the kernel's read-ahead around each fault
        // would read most of the file for a world view. The rows a drawing needs are asked for
        // ahead instead (WillNeed).
        ::madvise(const_cast<unsigned char*>(raster->m_data), static_cast<std::size_t>(raster->m_size),
                  MADV_RANDOM);
        // The kernel tells which pages of a file are in memory only to its owner, to a process that
        // may write it and to root; to others it says every page is.
        struct stat info {};
        raster->m_residencyTold =
            ::geteuid() == 0 ||
            (::fstat(raster->m_file.handle(), &info) == 0 && info.st_uid == ::geteuid()) ||
            ::access(QFile::encodeName(path).constData(), W_OK) == 0;
    }
    return raster;
}

TRasterFile::~TRasterFile() {
    if (m_data)
        m_file.unmap(const_cast<unsigned char*>(m_data));
    // The guard goes after the mapping: no read of this range can happen any more.
    m_guard.reset();
}

void TRasterFile::WillNeed(std::int64_t offset, std::int64_t length) const {
    if (!m_data || length <= 0 || offset < 0 || offset >= m_size)
        return;
    static const std::int64_t page = ::sysconf(_SC_PAGESIZE);
    const std::int64_t first = offset / page * page;
    const std::int64_t end = std::min(m_size, offset + length);
    ::madvise(const_cast<unsigned char*>(m_data) + first, static_cast<std::size_t>(end - first),
              MADV_WILLNEED);
}

bool TRasterFile::Resident(std::int64_t offset, std::int64_t length) const {
    if (!m_data || !m_residencyTold || length <= 0 || offset < 0 || offset >= m_size)
        return false;
    static const std::int64_t page = ::sysconf(_SC_PAGESIZE);
    const std::int64_t first = offset / page * page;
    const std::int64_t end = std::min(m_size, offset + length);
    // Pages this process has mapped are told by its page tables alone; the others by a look into
    // the page cache. One system call per 64 pages.
    unsigned char resident[64];
    const std::int64_t chunk = std::int64_t(sizeof resident) * page;
    for (std::int64_t at = first; at < end; at += chunk) {
        const std::int64_t bytes = std::min(chunk, end - at);
        if (::mincore(const_cast<unsigned char*>(m_data) + at, static_cast<std::size_t>(bytes), resident) !=
            0)
            return false;
        const std::int64_t pages = (bytes + page - 1) / page;
        if (std::any_of(resident, resident + pages, [](unsigned char state) { return !(state & 1); }))
            return false;
    }
    return true;
}

bool TRasterFile::ChangedOnDisk() const {
    if (Shrunk())
        return true;
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_modified;
}

std::int64_t TRasterFile::CurrentSize() const {
    // The open descriptor: the very file that is mapped, even when the path now names another.
    struct stat info {};
    if (::fstat(m_file.handle(), &info) != 0)
        return m_size;
    return static_cast<std::int64_t>(info.st_size);
}

bool TRasterFile::Shrunk() const {
    return m_size > 0 && ((m_guard && m_guard->Faulted()) || CurrentSize() < m_size);
}

void TRasterFile::RaiseReadError(TReport report, std::int64_t scanline) const {
    if (report == TReport::Once && m_errorReported)
        return;
    m_errorReported = true;
    const QString where = scanline >= 0 ? QString(" (scanline %1)").arg(scanline) : QString();
    throw TAMOError(
        QString("Stream read error: \"%1\" has changed since it was opened%2.").arg(m_path, where));
}

void TRasterFile::CheckUnchanged(TReport report) const {
    if (ChangedOnDisk())
        RaiseReadError(report);
}

void TRasterFile::CheckIntact(TReport report, std::int64_t scanline) const {
    if (Shrunk())
        RaiseReadError(report, scanline);
}

double TRasterFile::ReadCell(std::int64_t col, std::int64_t row, int cols, int bytes) const {
    if (bytes != 1 && bytes != 2 && bytes != 4)
        return 0;
    // Beyond these limits no cell of any file can be addressed, and the product could overflow.
    constexpr std::int64_t kLimit = std::int64_t(1) << 30;
    if (col <= -kLimit || col >= kLimit || row <= -kLimit || row >= kLimit)
        return 0;
    const std::int64_t offset = CellOffset(col, row, cols, bytes);
    if (offset < 0 || offset > m_size - bytes)
        return 0;
    if (!m_guard || !m_guard->Active()) {
        // Unguarded: never touch bytes the file no longer holds.
        const std::int64_t size = CurrentSize();
        if (size < m_size) {
            CheckIntact(TReport::Once, row);
            if (offset > size - bytes)
                return 0;
        }
    }
    const unsigned faultsBefore = m_guard ? m_guard->Faults() : 0;
    // The fences keep the compiler from moving the counter reads across the cell read, whose
    // fault the handler counts in this very thread.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    const double value = CellAt(offset, bytes);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    // Guarded: a read of a page the file lost finds zeros and is counted; that is the moment
    // to tell (once). No system call on the way of every pointer move.
    if (m_guard && m_guard->Faults() != faultsBefore) {
        CheckIntact(TReport::Once, row);
        return 0;
    }
    return value;
}

double TRasterFile::CellAt(std::int64_t offset, int bytes) const {
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
