#include "raster/CellTally.h"

#include "raster/CellAreas.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

TCellWindow TCellWindow::ClippedTo(int cols, int rows) const {
    return {std::clamp(Col0, 0, std::max(cols, 0)), std::clamp(Row0, 0, std::max(rows, 0)),
            std::clamp(Col1, 0, std::max(cols, 0)), std::clamp(Row1, 0, std::max(rows, 0))};
}

void TCellTally::Add(const TCellTally& other) {
    for (std::size_t v = 0; v < Cells.size(); ++v) {
        Cells[v] += other.Cells[v];
        Area[v] += other.Area[v];
    }
}

namespace {

// One thread's counts. A soil map holds long runs of one value, so a run is counted at once:
// finding where the value changes is the work per cell.
struct TRunCounter {
    std::uint64_t* Cells;
    double* Area;
    double CellArea = 0;

    void Run(std::uint32_t value, std::int64_t length) {
        Cells[value] += static_cast<std::uint64_t>(length);
        Area[value] += static_cast<double>(length) * CellArea;
    }
};

void CountRow16(const std::uint16_t* p, std::int64_t n, TRunCounter& counter) {
    std::int64_t start = 0;
    std::int64_t i = 0;
#ifdef __SSE2__
    // Sixteen neighbour pairs (p[i + k], p[i + k + 1]) per step; a lane that differs ends a run.
    for (; i + 17 <= n; i += 16) {
        const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 9));
        const unsigned same0 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(a0, b0)));
        const unsigned same1 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(a1, b1)));
        unsigned changes = ~(same0 | (same1 << 16)); // two bits per pair
        while (changes) {
            const int pair = __builtin_ctz(changes) / 2;
            const std::int64_t end = i + pair + 1;
            counter.Run(p[start], end - start);
            start = end;
            changes &= ~(3u << (2 * pair));
        }
    }
#endif
    for (; i + 1 < n; ++i)
        if (p[i] != p[i + 1]) {
            counter.Run(p[start], i + 1 - start);
            start = i + 1;
        }
    if (n > 0)
        counter.Run(p[start], n - start);
}

template <typename TRead> void CountRowGeneric(std::int64_t n, TRead read, TRunCounter& counter) {
    if (n <= 0)
        return;
    std::int64_t start = 0;
    std::int64_t value = read(0);
    for (std::int64_t i = 1; i < n; ++i) {
        const std::int64_t next = read(i);
        if (next != value) {
            if (value >= 0 && value < kCellValueCount)
                counter.Run(static_cast<std::uint32_t>(value), i - start);
            start = i;
            value = next;
        }
    }
    if (value >= 0 && value < kCellValueCount)
        counter.Run(static_cast<std::uint32_t>(value), n - start);
}

void CountRow(const unsigned char* row, std::int64_t n, int bytes, TRunCounter& counter) {
    switch (bytes) {
    case 2:
        CountRow16(reinterpret_cast<const std::uint16_t*>(row), n, counter);
        break;
    case 1:
        CountRowGeneric(
            n, [row](std::int64_t i) { return std::int64_t(row[i]); }, counter);
        break;
    default:
        CountRowGeneric(
            n,
            [row](std::int64_t i) {
                std::int32_t v;
                std::memcpy(&v, row + i * 4, 4);
                return std::int64_t(v);
            },
            counter);
        break;
    }
}

} // namespace

std::optional<TCellTally> TallyCells(const TTallySource& source, TCellWindow window,
                                     const TJobControl& control) {
    TCellTally total;
    const int bytes = source.Bytes;
    if (!source.Raster || (bytes != 1 && bytes != 2 && bytes != 4) || source.Cols <= 0 || source.Rows <= 0)
        return total;
    window = window.ClippedTo(source.Cols, source.Rows);
    // Rows the file holds whole; the cells of a last, partial row up to the end of the file.
    const std::int64_t fileCells = source.Raster->Size() / bytes;
    if (window.Empty() || !source.Raster->Data()) {
        if (control.Progress)
            control.Progress(100);
        return total;
    }
    const TCellAreas areas(source.Cols, source.Rows);
    const int rowCount = window.Row1 - window.Row0;

    int threads =
        control.Threads > 0 ? control.Threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, 64);
    // Rows per step: enough work to hide the hand-out, small enough to cancel and report often.
    constexpr int kRowsPerStep = 8;
    const int steps = (rowCount + kRowsPerStep - 1) / kRowsPerStep;
    threads = std::min(threads, steps);

    std::vector<TCellTally> partial(static_cast<std::size_t>(threads - 1));
    std::atomic<int> nextStep{0};
    std::atomic<int> rowsDone{0};
    std::atomic<bool> stopped{false};
    const unsigned char* data = source.Raster->Data();

    const auto work = [&](TCellTally& tally, bool reporting) {
        TRunCounter counter{tally.Cells.data(), tally.Area.data()};
        int lastPercent = -1;
        for (;;) {
            if (stopped.load(std::memory_order_relaxed))
                return;
            const int step = nextStep.fetch_add(1, std::memory_order_relaxed);
            if (step >= steps)
                return;
            const int first = window.Row0 + step * kRowsPerStep;
            const int last = std::min(window.Row1, first + kRowsPerStep);
            for (int row = first; row < last; ++row) {
                if (control.Cancelled()) {
                    stopped = true;
                    return;
                }
                const std::int64_t firstCell = CellOffset(window.Col0, row, source.Cols, 1);
                const std::int64_t cells =
                    std::min<std::int64_t>(window.Col1 - window.Col0, fileCells - firstCell);
                if (cells <= 0)
                    continue;
                counter.CellArea = areas.Cell(row);
                CountRow(data + firstCell * bytes, cells, bytes, counter);
            }
            const int done = rowsDone.fetch_add(last - first, std::memory_order_relaxed) + (last - first);
            if (reporting && control.Progress) {
                const int percent = static_cast<int>(std::int64_t(done) * 100 / rowCount);
                if (percent != lastPercent && percent < 100) {
                    control.Progress(percent);
                    lastPercent = percent;
                }
            }
        }
    };

    std::vector<std::thread> helpers;
    helpers.reserve(partial.size());
    for (auto& tally : partial)
        helpers.emplace_back([&work, &tally] { work(tally, false); });
    work(total, true);
    for (auto& helper : helpers)
        helper.join();
    if (stopped || control.Cancelled())
        return std::nullopt;
    // Counts of a file cut under its mapping would be wrong.
    source.Raster->CheckIntact(TRasterFile::TReport::Always);
    for (const auto& tally : partial)
        total.Add(tally);
    if (control.Progress)
        control.Progress(100);
    return total;
}
