#pragma once
// The drawing of one map picture off the user-interface thread: an immutable snapshot of all a
// drawing needs (a copy of the view, the colour table, the raster, the overlays), rendered into a
// picture of its own in horizontal bands on the thread pool, then the overlays over it. A shared
// flag cancels it; each band checks it before every row, the overlays before every shape.

#include "raster/RasterSource.h"
#include "raster/ViewGeometry.h"
#include "themes/ESRIShapeFile.h"

#include <QFuture>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

struct TRenderSnapshot {
    TViewGeometry View;                          // a copy: the window's own may change meanwhile
    std::shared_ptr<const TRasterSource> Raster; // null: no raster is drawn
    std::vector<QRgb> ColorTable;                // 65,536 entries
    std::vector<TESRIShapeFile> Overlays;        // drawn in this order over the raster
    QSize ImageSize;                             // the picture, in device pixels
    qreal DevicePixelRatio = 1;
    // Called before each source row is read (from the painting threads); tests serve rows slowly.
    std::function<void(int row)> BeforeRow;
};

enum class TRenderOutcome { Completed, Cancelled, Failed };

struct TRenderResult {
    QImage Image; // white where nothing was drawn; the rows drawn before a cancel stay
    TRenderOutcome Outcome = TRenderOutcome::Completed;
    std::exception_ptr Error; // the read error of a failed drawing
};

// The flag that cancels a drawing; shared by the window and the job.
using TCancelFlag = std::shared_ptr<std::atomic<bool>>;

// The status text of a drawing while its shape overlays are drawn.
inline constexpr const char* kLoadingShapesText = "Loading Shape files ...";

// Renders the snapshot now, on the calling thread and the pool, in `bands` bands (at least 1).
// `tell` (when given) hears the status text of each phase, from the rendering thread.
TRenderResult RenderMap(const TRenderSnapshot& snapshot, const std::atomic<bool>& cancel, int bands,
                        const std::function<void(const QString& status)>& tell = {});

// Starts rendering the snapshot on the thread pool; the future gives the result, and its progress
// text the status text of the phase in progress.
QFuture<TRenderResult> StartRenderMap(TRenderSnapshot snapshot, TCancelFlag cancel, int bands);

// The band count of a drawing: one per core.
int RenderBands();
