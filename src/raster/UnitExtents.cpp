#include "raster/UnitExtents.h"

#include "raster/RasterGrid.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

// Widens the window of `value` by the run of its cells from col0 to col1 - 1 in `row`.
void AddRun(TUnitExtents& extents, std::int64_t value, int col0, int col1, int row) {
    if (value < 0 || value >= kCellValueCount)
        return;
    TCellWindow& extent = extents[static_cast<std::size_t>(value)];
    if (extent.Empty()) {
        extent = {col0, row, col1, row + 1};
        return;
    }
    extent.Col0 = std::min(extent.Col0, col0);
    extent.Col1 = std::max(extent.Col1, col1);
    extent.Row0 = std::min(extent.Row0, row);
    extent.Row1 = std::max(extent.Row1, row + 1);
}

std::int64_t CellValue(const unsigned char* cell, int bytes) {
    switch (bytes) {
    case 1:
        return *cell;
    case 2: {
        std::uint16_t value;
        std::memcpy(&value, cell, 2);
        return value;
    }
    default: {
        std::int32_t value;
        std::memcpy(&value, cell, 4);
        return value;
    }
    }
}

// A soil map holds long runs of one value: each run widens its unit's window once.
void ScanRow(const unsigned char* row, int cells, int bytes, int rowIndex, TUnitExtents& extents) {
    int start = 0;
    std::int64_t value = cells > 0 ? CellValue(row, bytes) : 0;
    for (int col = 1; col < cells; ++col) {
        const std::int64_t next = CellValue(row + std::int64_t(col) * bytes, bytes);
        if (next != value) {
            AddRun(extents, value, start, col, rowIndex);
            start = col;
            value = next;
        }
    }
    if (cells > 0)
        AddRun(extents, value, start, cells, rowIndex);
}

void Merge(TUnitExtents& into, const TUnitExtents& from) {
    for (std::size_t v = 0; v < into.size(); ++v)
        if (!from[v].Empty()) {
            AddRun(into, std::int64_t(v), from[v].Col0, from[v].Col1, from[v].Row0);
            AddRun(into, std::int64_t(v), from[v].Col0, from[v].Col1, from[v].Row1 - 1);
        }
}

} // namespace

std::optional<TUnitExtents> ScanUnitExtents(const TTallySource& source, const TJobControl& control) {
    TUnitExtents total(kCellValueCount);
    const int bytes = source.Bytes;
    if (!source.Raster || !source.Raster->Data() || (bytes != 1 && bytes != 2 && bytes != 4) ||
        source.Cols <= 0 || source.Rows <= 0)
        return total;
    const std::int64_t fileCells = source.Raster->Size() / bytes;
    const unsigned char* data = source.Raster->Data();
    int threads = control.Threads > 0 ? control.Threads : int(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, std::min(64, source.Rows));
    std::vector<TUnitExtents> partial(std::size_t(threads - 1), TUnitExtents(kCellValueCount));
    std::atomic<int> nextRow{0};
    std::atomic<int> rowsDone{0};
    std::atomic<bool> stopped{false};
    constexpr int kRowsPerStep = 16;

    const auto work = [&](TUnitExtents& extents, bool reporting) {
        int lastPercent = -1;
        for (;;) {
            const int first = nextRow.fetch_add(kRowsPerStep, std::memory_order_relaxed);
            if (first >= source.Rows || stopped.load(std::memory_order_relaxed))
                return;
            if (control.Cancelled()) {
                stopped = true;
                return;
            }
            const int last = std::min(source.Rows, first + kRowsPerStep);
            for (int row = first; row < last; ++row) {
                const std::int64_t firstCell = CellOffset(0, row, source.Cols, 1);
                const auto cells = int(std::clamp<std::int64_t>(fileCells - firstCell, 0, source.Cols));
                ScanRow(data + firstCell * bytes, cells, bytes, row, extents);
            }
            const int done = rowsDone.fetch_add(last - first, std::memory_order_relaxed) + (last - first);
            if (reporting && control.Progress) {
                const int percent = int(std::int64_t(done) * 100 / source.Rows);
                if (percent != lastPercent && percent < 100)
                    control.Progress(lastPercent = percent);
            }
        }
    };
    std::vector<std::thread> helpers;
    for (TUnitExtents& extents : partial)
        helpers.emplace_back([&work, &extents] { work(extents, false); });
    work(total, true);
    for (std::thread& helper : helpers)
        helper.join();
    if (stopped || control.Cancelled())
        return std::nullopt;
    // Windows read from a file cut under its mapping would be wrong.
    source.Raster->CheckIntact(TRasterFile::TReport::Always);
    for (const TUnitExtents& extents : partial)
        Merge(total, extents);
    if (control.Progress)
        control.Progress(100);
    return total;
}

TCellWindow ExtentOfUnits(const TUnitExtents& extents, const std::vector<int>& ids) {
    TCellWindow window;
    for (const int id : ids) {
        if (id < 0 || id >= int(extents.size()) || extents[std::size_t(id)].Empty())
            continue;
        const TCellWindow& extent = extents[std::size_t(id)];
        window = window.Empty()
                     ? extent
                     : TCellWindow{std::min(window.Col0, extent.Col0), std::min(window.Row0, extent.Row0),
                                   std::max(window.Col1, extent.Col1), std::max(window.Row1, extent.Row1)};
    }
    return window;
}
