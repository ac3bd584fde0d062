#pragma once
// Stand-ins for the frame and the attribute database in map and legend tests, and small rasters.

#include "db/SmuLookup.h"
#include "map/MapExplorerForm.h"
#include "map/MapHost.h"
#include "raster/RasterFile.h"
#include "raster/RasterGrid.h"
#include "raster/RasterSource.h"
#include "themes/LegendHost.h"

#include <QFile>
#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class TFakeLookup : public TSmuLookup {
public:
    std::map<int, int> Codes; // SMU id -> WRB2 code
    std::set<int> Selected;
    int WrbCodeOf(int smuId) const override {
        const auto it = Codes.find(smuId);
        return it == Codes.end() ? kNoWrbCode : it->second;
    }
    bool IsSelected(int smuId) const override { return Selected.count(smuId) > 0; }
    // Tells the users of the lookup that Codes changed after they read it.
    void CodesChanged() { IndexChanged(); }
};

// The host of a legend model in tests: the lookup, a selection colour, the histogram of a raster
// the test opens, and the notices the model gave.
class TFakeLegendHost : public TLegendHost {
public:
    TFakeLookup Lookup;
    bool HasLookup = true;
    QRgb SelectColor = 0x00ABCDEF;
    std::shared_ptr<const TRasterSource> Raster;      // the histogram's raster; none: no histogram
    QString CacheFolder;                              // where the histogram is kept
    QStringList Progress;                             // "N %" texts while the histogram is made
    std::vector<std::pair<int, int>> Classifications; // (method, class count) of each notice
    int Resets = 0;

    const TSmuLookup* SmuLookup() const override { return HasLookup ? &Lookup : nullptr; }
    QRgb SelectionColor() const override { return SelectColor; }
    std::optional<TCellHistogram> CellHistogram() override {
        if (!Raster)
            return std::nullopt;
        return Raster->Histogram(CacheFolder,
                                 [this](int percent) { Progress << QString("%1 %").arg(percent); });
    }
    void ClassificationChanged(int method, int classCount) override {
        Classifications.push_back({method, classCount});
    }
    void LegendReset() override { ++Resets; }
};

struct TDataPoint {
    int Col, Row;
    double Lon, Lat;
};

class TFakeHost : public TMapHost {
public:
    TFakeLookup Lookup;
    bool HasLookup = true;
    QStringList StatusTexts;
    std::vector<TDataPoint> DataPoints;
    std::vector<std::pair<int, int>> ClassificationControls;
    std::vector<int> RampIndexes;
    std::vector<int> Overviews;
    std::vector<int> Tables;
    QList<TMapExplorerForm*> Maps; // in child-window order, for synchronisation
    int Synchronizations = 0;
    std::function<void(const QString&)> OnStatusText;

    void ShowStatusText(const QString& text) override {
        StatusTexts << text;
        if (OnStatusText)
            OnStatusText(text);
    }
    void ShowDataPoint(int col, int row, double lon, double lat) override {
        DataPoints.push_back({col, row, lon, lat});
    }
    int DataPointClears = 0;
    void ClearDataPoint() override { ++DataPointClears; }
    void SynchronizeViews(TMapExplorerForm& source) override {
        ++Synchronizations;
        const TViewRect view = source.GetView();
        for (auto it = Maps.rbegin(); it != Maps.rend(); ++it)
            if (*it != &source)
                (*it)->SetViewAndDraw(view.Col0, view.Col1, view.Row0, view.Row1);
    }
    void SetClassificationControls(int method, int classCount) override {
        ClassificationControls.push_back({method, classCount});
    }
    void SetColorRampIndex(int index) override { RampIndexes.push_back(index); }
    // A distinct ramp whose colour k is 0xFF000000 + k, so that tests can tell which entry a class took.
    TRampRecord ColorRamp(int) const override {
        TRampRecord ramp{};
        ramp[0] = 1;
        for (int k = 0; k < 76; ++k)
            ramp[kRampFirstColor + k] = static_cast<std::int32_t>(0xFF000000u + static_cast<unsigned>(k));
        return ramp;
    }
    const TSmuLookup* SmuLookup() const override { return HasLookup ? &Lookup : nullptr; }
    QRgb SelectColor = 0x000000FF; // blue, as held in the settings
    QRgb SelectionColor() const override { return SelectColor; }
    void ShowSmuOverview(int smuId) override { Overviews.push_back(smuId); }
    bool ShowSmuTable(int smuId) override {
        Tables.push_back(smuId);
        return true;
    }
    QStringList RastersInUse;
    void RasterInUse(const QString& file) override { RastersInUse << file; }
    TMapSettings Settings;
    TMapSettings MapSettings() const override { return Settings; }
};

// Writes the header that gives the grid of the raster at `rasterPath` (cols x rows, `bytes` per cell).
inline void WriteRasterHeader(const QString& rasterPath, int cols, int rows, int bytes) {
    QFile file(RasterHeaderPath(rasterPath));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    file.write(QString("BYTEORDER I\nLAYOUT BIL\nNROWS %1\nNCOLS %2\nNBANDS 1\nNBITS %3\n")
                   .arg(rows)
                   .arg(cols)
                   .arg(8 * bytes)
                   .toLatin1());
}

// Whether WriteRaster also writes the header that gives the file's grid.
enum class TRasterHeader { None, Beside };

// Writes a raster of cols x rows cells, value(col, row) each, `bytes` per cell, little-endian.
inline void WriteRaster(const QString& path, int cols, int rows, int bytes,
                        const std::function<std::uint32_t(int col, int row)>& value,
                        TRasterHeader header = TRasterHeader::None) {
    QByteArray data;
    data.reserve(cols * rows * bytes);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const std::uint32_t v = value(c, r);
            for (int b = 0; b < bytes; ++b)
                data.append(static_cast<char>((v >> (8 * b)) & 0xFF));
        }
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(data);
    file.close();
    if (header == TRasterHeader::Beside)
        WriteRasterHeader(path, cols, rows, bytes);
}

// A zip archive without members (its end record only): a cached raster is trusted beside it, and
// nothing can be extracted from it.
inline void WriteEmptyArchive(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
}
