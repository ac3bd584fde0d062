#pragma once
// Writes the SMU raster of the demo world straight into a zip archive (one deflated member), row by
// row, so that the 1.87 GB grid is never held in memory; optionally draws a small preview picture.

#include "DemoWorld.h"
#include "LandMask.h"

#include <QImage>
#include <QString>
#include <functional>

namespace Demo {

struct TRasterStats {
    std::uint64_t Bytes = 0;
    std::uint64_t LandCells = 0;
};

// Writes archivePath with the member memberName; an existing archive is replaced. previewWidth 0
// makes no preview. onProgress, when given, hears the share written (0 to 1) at every percent.
// Throws std::runtime_error.
TRasterStats WriteRasterArchive(const QString& archivePath, const QString& memberName,
                                const TDemoWorld& world, const TLandMask& land, int compressionLevel,
                                QImage* preview, int previewWidth,
                                const std::function<void(double done)>& onProgress = {});

} // namespace Demo
