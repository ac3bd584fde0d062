#include "raster/RasterPainter.h"

#include "common/TAMOError.h"

#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the mapped cells are read in the host's byte order");

namespace {

// Slots of the row buffer: one row of the world grid plus one, or more for a wider grid.
constexpr int kMinBufferSlots = 43201;

// Rows of a view looked at before its rows are asked for ahead.
constexpr std::size_t kResidencyProbes = 32;

} // namespace

TPaintRequest PaintRequestOf(const TRasterSource& raster, const TViewGeometry& view, const QRgb* colorTable) {
    TPaintRequest request;
    request.Raster = &raster.File();
    request.Bytes = raster.Grid().Bytes;
    request.RasterCols = view.RasterCols();
    request.RasterRows = view.RasterRows();
    request.Col0 = view.Col0();
    request.Row0 = view.Row0();
    request.Scale = view.Scale();
    request.OriginX = view.OriginX();
    request.OriginY = view.OriginY();
    request.TargetWidth = view.TargetWidth();
    request.TargetHeight = view.TargetHeight();
    request.ColorTable = colorTable;
    return request;
}

std::vector<int> SampleOffsets(int count, double start, double step, int limit) {
    std::vector<int> offsets(static_cast<std::size_t>(std::max(count, 0)));
    double running = start;
    for (int k = 0; k < count; ++k) {
        if (k > 0)
            running += step;
        offsets[k] = running >= limit ? limit : static_cast<int>(running);
    }
    return offsets;
}

namespace {

void CheckFormat(const QImage& image) {
    // Pixels are written as whole 0xAARRGGBB words; in any other layout they would land as wrong
    // colours or beyond the end of a line.
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        throw TAMOError(QString("The map cannot be drawn into a picture of format %1; it needs 32-bit "
                                "RGB or ARGB pixels.")
                            .arg(static_cast<int>(image.format())));
}

// Output lines of the target (the sampled area beyond a negative origin included).
int LinesOf(const TPaintRequest& request) {
    return request.TargetHeight + std::max(0, -request.OriginY);
}

// How many of the first `lines` output lines sample a row of the raster (the others lie south of
// it); all of them when the request cannot be sampled.
int LinesInRaster(const TPaintRequest& request, int lines) {
    if (!(request.Scale > 0) || !std::isfinite(request.Scale))
        return lines;
    const std::vector<int> rows = SampleOffsets(lines, request.Row0, 1.0 / request.Scale, INT32_MAX);
    return static_cast<int>(std::lower_bound(rows.begin(), rows.end(), request.RasterRows) - rows.begin());
}

// The pixels of an image, addressed by the painting threads without touching the QImage.
struct TPixels {
    uchar* Bits = nullptr;
    qsizetype BytesPerLine = 0;
    int Width = 0;
    int Height = 0;
    QRgb* Line(int y) const { return reinterpret_cast<QRgb*>(Bits + y * BytesPerLine); }
};

// A world view writes megabytes of pixels no painting reads again: stored past the caches, they
// cost no reads of the lines they replace and keep the caches for the raster and the colours.
inline void StreamPixel(QRgb* pixel, QRgb color) {
#if defined(__SSE2__)
    _mm_stream_si32(reinterpret_cast<int*>(pixel), static_cast<int>(color));
#else
    *pixel = color;
#endif
}

// Makes the streamed pixels visible to other threads before a painting returns, however it ends.
struct TStreamFence {
    TStreamFence() = default;
    TStreamFence(const TStreamFence&) = delete;
    TStreamFence& operator=(const TStreamFence&) = delete;
    ~TStreamFence() {
#if defined(__SSE2__)
        _mm_sfence();
#endif
    }
};

// Paints output lines [firstLine, endLine). A range that starts after line 0 first takes the row
// the lines before it hold, so that every range paints exactly what one painting of all lines
// paints there.
TPaintResult PaintLines(const TPaintRequest& request, const TPixels& image, int firstLine, int endLine,
                        TPaintMonitor* monitor) {
    const int cols = request.RasterCols;
    // Nothing to sample without a grid, a file or a usable scale (never divide by zero).
    if (request.TargetWidth <= 0 || request.TargetHeight <= 0 || cols <= 0 || request.RasterRows <= 0 ||
        !request.Raster || !request.ColorTable || !(request.Scale > 0) || !std::isfinite(request.Scale) ||
        request.Row0 < 0 || request.Col0 < 0)
        return TPaintResult::Completed;
    // An origin left of or above the image (a view panned by part of a cell) is sampled from there,
    // so that the target stays covered to its far edges.
    const int width = request.TargetWidth + std::max(0, -request.OriginX);
    const int height = LinesOf(request);
    firstLine = std::max(0, firstLine);
    endLine = std::min(height, endLine);

    const double step = 1.0 / request.Scale;
    const unsigned char* data = request.Raster->Data();
    const std::int64_t fileSize = request.Raster->Size();
    const int bytes = request.Bytes;
    const std::int64_t rowBytes = static_cast<std::int64_t>(cols) * bytes;

    // Buffer slots sampled by each output column (slot g holds column Col0 + g). Columns east of
    // the raster's last one are no data.
    const std::vector<int> columnSlots = SampleOffsets(width, 0.0, step, cols);
    const int slotsInRaster = std::max(0, cols - request.Col0);
    int validColumns = 0;
    while (validColumns < width && columnSlots[validColumns] < slotsInRaster)
        ++validColumns;
    const std::vector<int> rows = SampleOffsets(height, request.Row0, step, INT32_MAX);
    const int* slotOf = columnSlots.data();
    // A step of a cell or more moves every column to a new cell.
    const bool everyColumnNewSlot = step >= 1;

    // The buffer is only made and filled when a read cannot be served from the mapping directly
    // (the last row, cell sizes other than 2 bytes); its slots start as zeros.
    const int bufferSlots = std::max(kMinBufferSlots, cols + 1);
    std::vector<std::uint16_t> buffer;
    const std::int64_t bufferBytes = static_cast<std::int64_t>(bufferSlots) * 2;
    const std::uint16_t* row = nullptr;
    int heldRow = -1;
    int version = 0;

    // Takes source row r into the row pointer (in place in the mapping, or into the buffer).
    auto hold = [&](int r) {
        // The row's own cells must exist; the overhang into the next row may be cut at the end.
        if (CellOffset(0, r + 1, cols, bytes) > fileSize)
            throw TAMOError(QString("Stream read error: \"%1\" is shorter than its grid; scanline %2 "
                                    "lies beyond its end.")
                                .arg(request.Raster->Path())
                                .arg(r));
        const std::int64_t offset = CellOffset(request.Col0, r, cols, bytes);
        const std::int64_t available = std::max<std::int64_t>(0, fileSize - offset);
        const std::int64_t count = std::min({rowBytes, available, bufferBytes});
        if (bytes == 2 && count == rowBytes) {
            row = reinterpret_cast<const std::uint16_t*>(data + offset);
        } else {
            if (buffer.empty()) {
                buffer.resize(static_cast<std::size_t>(bufferSlots), 0);
                // Keep what the previous read left beyond this shorter one.
                if (row)
                    std::memcpy(buffer.data(), row,
                                static_cast<std::size_t>(std::min(rowBytes, bufferBytes)));
            } else if (row != buffer.data()) {
                std::memcpy(buffer.data(), row, static_cast<std::size_t>(std::min(rowBytes, bufferBytes)));
            }
            if (count > 0)
                std::memcpy(buffer.data(), data + offset, static_cast<std::size_t>(count));
            row = buffer.data();
        }
        heldRow = r;
        ++version;
    };
    // The row the lines before this range left held.
    for (int k = firstLine - 1; k >= 0; --k) {
        if (rows[k] < request.RasterRows) {
            hold(rows[k]);
            break;
        }
    }

    const QRgb* table = request.ColorTable;
    const int ox = request.OriginX;
    const int oy = request.OriginY;
    const int jBegin = std::max(0, -ox);
    const int jEnd = std::min(width, image.Width - ox);
    int paintedVersion = -1;
    int paintedLine = -1;

    const TStreamFence fence;
    for (int k = firstLine; k < endLine; ++k) {
        if ((k + 1) % 50 == 0) {
            // The file may be cut while it is drawn: the guarded mapping reads its lost pages as
            // zeros, and the error is told here (once per file).
            request.Raster->CheckIntact(TRasterFile::TReport::Once, rows[k]);
        }
        if (monitor) {
            if (monitor->StopRequested())
                return TPaintResult::Stopped;
            if ((k + 1) % kProgressLines == 0 && !monitor->Progress(k))
                return TPaintResult::Stopped;
        }
        const int r = rows[k];
        const bool southOfRaster = r >= request.RasterRows;
        if (r != heldRow && !southOfRaster) {
            if (request.BeforeRow)
                request.BeforeRow(r);
            hold(r);
        }

        const int y = oy + k;
        if (y < 0 || y >= image.Height || jBegin >= jEnd)
            continue;
        QRgb* out = image.Line(y) + ox;
        if (southOfRaster) {
            std::fill(out + jBegin, out + jEnd, kOutsideRasterColor);
            paintedLine = -1;
            continue;
        }
        if (paintedVersion == version && paintedLine == y - 1) {
            // Same source row as the line above: the pixels are the same.
            const QRgb* above = image.Line(y - 1) + ox;
            std::memcpy(out + jBegin, above + jBegin, static_cast<std::size_t>(jEnd - jBegin) * sizeof(QRgb));
        } else {
            const int validEnd = std::max(jBegin, std::min(validColumns, jEnd));
            if (everyColumnNewSlot) {
                for (int j = jBegin; j < validEnd; ++j)
                    StreamPixel(out + j, table[row[slotOf[j]]]);
            } else {
                // Zoomed in: runs of columns share a cell, coloured once.
                int previousSlot = -1;
                QRgb color = 0;
                for (int j = jBegin; j < validEnd; ++j) {
                    const int g = slotOf[j];
                    if (g != previousSlot) {
                        color = table[row[g]];
                        previousSlot = g;
                    }
                    out[j] = color;
                }
            }
            std::fill(out + validEnd, out + jEnd, kOutsideRasterColor);
        }
        paintedVersion = version;
        paintedLine = y;
    }
    if (endLine == height)
        request.Raster->CheckIntact(TRasterFile::TReport::Once);
    return TPaintResult::Completed;
}

TPixels PixelsOf(QImage& image) {
    // bits() detaches once, here, on the calling thread; the bands then write through the pointer.
    return {image.bits(), image.bytesPerLine(), image.width(), image.height()};
}

// One band of lines, run by the thread pool or taken back and run by the waiting thread.
class TBandTask : public QRunnable {
public:
    TBandTask(std::function<void()> work, QSemaphore& done) : m_work(std::move(work)), m_done(done) {
        setAutoDelete(false);
    }
    void run() override {
        m_work();
        m_done.release();
    }

private:
    std::function<void()> m_work;
    QSemaphore& m_done;
};

} // namespace

void AdviseSampledRows(const TPaintRequest& request) {
    if (!request.Raster || request.RasterCols <= 0 || !(request.Scale > 0) || !std::isfinite(request.Scale) ||
        request.Row0 < 0 || request.Col0 < 0 || request.Col0 >= request.RasterCols)
        return;
    const double step = 1.0 / request.Scale;
    const int width = request.TargetWidth + std::max(0, -request.OriginX);
    // The cells of a row the columns sample: from Col0 to the last sampled column.
    const std::vector<int> columns = SampleOffsets(width, 0.0, step, request.RasterCols);
    const std::int64_t span =
        std::min<std::int64_t>(request.RasterCols - request.Col0, columns.empty() ? 0 : columns.back() + 1) *
        request.Bytes;
    std::vector<int> rows;
    for (const int r : SampleOffsets(LinesOf(request), request.Row0, step, INT32_MAX)) {
        if (r >= request.RasterRows)
            break;
        if (rows.empty() || rows.back() != r)
            rows.push_back(r);
    }
    auto offsetOf = [&](int r) { return CellOffset(request.Col0, r, request.RasterCols, request.Bytes); };
    // A view drawn before is in memory: a few of its rows, spread over it, tell so at a small part
    // of the cost of asking for every row (a system call each). A row not in memory that the probes
    // miss is read when it is drawn.
    const std::size_t probes = std::min<std::size_t>(rows.size(), kResidencyProbes);
    bool resident = true;
    for (std::size_t i = 0; i < probes && resident; ++i)
        resident = request.Raster->Resident(
            offsetOf(rows[(rows.size() - 1) * i / std::max<std::size_t>(1, probes - 1)]), span);
    if (resident)
        return;
    for (const int r : rows)
        request.Raster->WillNeed(offsetOf(r), span);
}

TPaintResult PaintRaster(const TPaintRequest& request, QImage& image, TPaintMonitor* monitor) {
    CheckFormat(image);
    return PaintLines(request, PixelsOf(image), 0, LinesOf(request), monitor);
}

TPaintResult PaintRasterInBands(const TPaintRequest& request, QImage& image, int bands,
                                TPaintMonitor* monitor) {
    CheckFormat(image);
    const TPixels pixels = PixelsOf(image);
    const int lines = LinesOf(request);
    bands = std::clamp(bands, 1, std::max(1, lines));
    if (bands == 1)
        return PaintLines(request, pixels, 0, lines, monitor);
    std::vector<TPaintResult> results(static_cast<std::size_t>(bands), TPaintResult::Completed);
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(bands));
    // The lines south of the raster are only filled: the bands share the lines that sample it, and
    // the last band fills the rest.
    const int sampling = LinesInRaster(request, lines);
    auto paintBand = [&](int band) {
        const int first = static_cast<int>(static_cast<long long>(sampling) * band / bands);
        const int end = band + 1 == bands
                            ? lines
                            : static_cast<int>(static_cast<long long>(sampling) * (band + 1) / bands);
        try {
            results[band] = PaintLines(request, pixels, first, end, monitor);
        } catch (...) {
            errors[band] = std::current_exception();
        }
    };
    QSemaphore done;
    std::vector<std::unique_ptr<TBandTask>> tasks;
    QThreadPool* pool = QThreadPool::globalInstance();
    for (int band = 1; band < bands; ++band) {
        tasks.push_back(std::make_unique<TBandTask>([&paintBand, band] { paintBand(band); }, done));
        pool->start(tasks.back().get());
    }
    paintBand(0);
    // Bands no thread has taken yet run here: a drawing that itself runs in the pool never waits
    // for threads that are all busy waiting.
    int waiting = 0;
    for (const auto& task : tasks) {
        if (pool->tryTake(task.get()))
            task->run();
        ++waiting;
    }
    done.acquire(waiting);
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
    const bool stopped = std::any_of(results.begin(), results.end(),
                                     [](TPaintResult r) { return r == TPaintResult::Stopped; });
    return stopped ? TPaintResult::Stopped : TPaintResult::Completed;
}
