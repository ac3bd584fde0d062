#include "map/MapRenderJob.h"

#include "map/ShapeOverlays.h"
#include "raster/RasterPainter.h"

#include <QPromise>
#include <QThread>
#include <QThreadPool>

namespace {

// The painter's questions answered from the flag; safe from every band's thread.
class TCancelMonitor : public TPaintMonitor {
public:
    explicit TCancelMonitor(const std::atomic<bool>& cancel) : m_cancel(cancel) {}
    bool StopRequested() override { return m_cancel.load(std::memory_order_relaxed); }
    bool Progress(int) override { return !StopRequested(); }

private:
    const std::atomic<bool>& m_cancel;
};

} // namespace

int RenderBands() {
    return std::max(1, QThread::idealThreadCount());
}

TRenderResult RenderMap(const TRenderSnapshot& snapshot, const std::atomic<bool>& cancel, int bands,
                        const std::function<void(const QString& status)>& tell) {
    TRenderResult result;
    result.Image = QImage(snapshot.ImageSize.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    result.Image.fill(Qt::white);
    TCancelMonitor monitor(cancel);
    try {
        if (snapshot.Raster && snapshot.ColorTable.size() == std::size_t(kCellValueCount)) {
            snapshot.Raster->File().CheckUnchanged(TRasterFile::TReport::Once);
            TPaintRequest request =
                PaintRequestOf(*snapshot.Raster, snapshot.View, snapshot.ColorTable.data());
            request.BeforeRow = snapshot.BeforeRow;
            AdviseSampledRows(request);
            if (PaintRasterInBands(request, result.Image, bands, &monitor) == TPaintResult::Stopped) {
                result.Outcome = TRenderOutcome::Cancelled;
                return result;
            }
        }
        if (tell && !snapshot.Overlays.empty() && !cancel.load())
            tell(kLoadingShapesText);
        if (!cancel.load() && DrawShapeLayers(result.Image, snapshot.Overlays, snapshot.View, &monitor) ==
                                  TOverlayResult::Stopped)
            result.Outcome = TRenderOutcome::Cancelled;
        if (cancel.load())
            result.Outcome = TRenderOutcome::Cancelled;
    } catch (...) {
        result.Outcome = TRenderOutcome::Failed;
        result.Error = std::current_exception();
    }
    result.Image.setDevicePixelRatio(snapshot.DevicePixelRatio);
    return result;
}

QFuture<TRenderResult> StartRenderMap(TRenderSnapshot snapshot, TCancelFlag cancel, int bands) {
    auto promise = std::make_shared<QPromise<TRenderResult>>();
    QFuture<TRenderResult> future = promise->future();
    promise->setProgressRange(0, 2);
    promise->start();
    QThreadPool::globalInstance()->start([promise, snapshot = std::move(snapshot), cancel, bands] {
        // One text per phase: the future's throttling of progress reports never drops it.
        int phase = 0;
        auto tell = [&promise, &phase](const QString& status) {
            promise->setProgressValueAndText(++phase, status);
        };
        promise->addResult(RenderMap(snapshot, *cancel, bands, tell));
        promise->finish();
    });
    return future;
}
