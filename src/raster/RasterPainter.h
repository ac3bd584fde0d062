#pragma once
// Paints a raster view into a 32-bit image: nearest-neighbour sampling with running sums for rows
// and columns, each sample coloured through a 65,536-entry colour table.

#include "raster/RasterFile.h"
#include "raster/RasterSource.h"
#include "raster/ViewGeometry.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

// The painter reports progress before every this many output lines.
inline constexpr int kProgressLines = 50;

// What the painter asks of the drawing it serves, before each output line (from the painting
// threads).
class TPaintMonitor {
public:
    virtual ~TPaintMonitor() = default;
    // Checked before every line: true ends the painting at once.
    virtual bool StopRequested() = 0;
    // Called before every 50th line (counting from 1) with the number of lines painted so far:
    // show the partial map and let the window system run. False ends the painting at once.
    virtual bool Progress(int linesDone) = 0;
};

struct TPaintRequest {
    const TRasterFile* Raster = nullptr;
    int Bytes = 2;      // bytes per cell of the file (the painting reads every cell as 16 bits)
    int RasterCols = 0; // the grid
    int RasterRows = 0;
    int Col0 = 0; // first column and row of the view
    int Row0 = 0;
    double Scale = 0; // pixels per cell
    int OriginX = 0;  // bitmap pixel of cell (Col0, Row0)
    int OriginY = 0;
    int TargetWidth = 0; // pixels painted; writes outside the image are dropped
    int TargetHeight = 0;
    const QRgb* ColorTable = nullptr; // 65,536 entries
    // Called (from the painting thread) before each source row is read; tests serve rows slowly.
    std::function<void(int row)> BeforeRow;
};

// What the painter needs to draw `view` of `raster` with the colours of `colorTable`.
TPaintRequest PaintRequestOf(const TRasterSource& raster, const TViewGeometry& view, const QRgb* colorTable);

enum class TPaintResult { Completed, Stopped };

// The colour of the map beyond the raster's last column and last row: white, no data.
inline constexpr QRgb kOutsideRasterColor = 0xFFFFFFFF;

// Paints the target area of `image`, which must be Format_RGB32 or Format_ARGB32 (any other
// format raises TAMOError before a pixel is written). A row buffer of 16-bit slots holds the
// current source row from column Col0 on; pixels east of the raster's last column and south of
// its last row are no data (kOutsideRasterColor). Raises TAMOError when a row lies beyond the end
// of the file (a file shorter than its grid).
TPaintResult PaintRaster(const TPaintRequest& request, QImage& image, TPaintMonitor* monitor = nullptr);

// The same in `bands` horizontal bands of lines painted at once on the thread pool, each band
// sampling exactly as the single painting does there, so that every pixel is the same whatever
// the split. The monitor is asked from every band's thread and must be thread-safe.
TPaintResult PaintRasterInBands(const TPaintRequest& request, QImage& image, int bands,
                                TPaintMonitor* monitor = nullptr);

// Asks the kernel ahead for the byte ranges of the rows a painting of `request` samples, so that a
// cold file is read in parallel and only where the view needs it.
void AdviseSampledRows(const TPaintRequest& request);

// The running sum of sampling: entry k is the integer part of start + step + step + ... (step added
// k times, not k x step), saturated at `limit`. Rows (start = first row) and columns (start = 0)
// of a drawing are sampled with it.
std::vector<int> SampleOffsets(int count, double start, double step, int limit);
