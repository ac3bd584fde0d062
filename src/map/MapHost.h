#pragma once
// What a map window needs of the main frame that holds it: the status text, the frame's legend
// controls, the database's SMU lookup, the readout, synchronisation, the SMU windows and the
// preferences a map follows. The frame implements this interface and hands it to every map window
// it creates; tests use a fake.

#include "themes/ColorRampRecord.h"

#include <QRgb>
#include <QString>

class TMapExplorerForm;
class TSmuLookup;

// The preferences a map window follows. The frame answers them at each use: the user may change
// them while windows are open.
struct TMapSettings {
    QString CacheFolder;             // extracted rasters and histograms, with a trailing "/"
    QString RasterFile;              // the raster last used, tried before the theme's own file
    QString WorldMap;                // the shapefile of the world outline every new legend shows
    bool PersistentView = true;      // a zoom or pan tool stays chosen after it was used
    bool SynchronizeWindows = false; // the other windows follow a window's view
};

class TMapHost {
public:
    virtual ~TMapHost() = default;

    // First status-bar panel. Progress texts go here and are cleared with an empty text. The text
    // must become visible at once (repaint the panel), since it is shown before long work that
    // processes no events.
    virtual void ShowStatusText(const QString& text) = 0;

    // Show a legend's method (0..4) and class count in the frame's classification controls.
    virtual void SetClassificationControls(int method, int classCount) = 0;
    // Select an item of the colour-ramp box without applying it.
    virtual void SetColorRampIndex(int index) = 0;

    // The SMU-to-soil index and the query selection; null while the database is not loaded.
    virtual const TSmuLookup* SmuLookup() const = 0;
    // The colour of the SMUs of the active query selection (the SELECT_COLOR setting).
    virtual QRgb SelectionColor() const = 0;

    // The pointer moved over a map showing a theme: raster column and row under it, and the
    // longitude and latitude of that cell (not clamped).
    virtual void ShowDataPoint(int col, int row, double lon, double lat) = 0;
    // No map lies under the pointer any more (it left the map): the readout is emptied, so that
    // it never shows values of a place the pointer is not at.
    virtual void ClearDataPoint() {}

    // Give every other map window the view of `source` (normally the active window): GetView of
    // the source, then SetViewAndDraw on the others, from the last child window to the first.
    virtual void SynchronizeViews(TMapExplorerForm& source) = 0;

    // A record of the frame's colour-ramp table (a new window copies ramp 0).
    virtual TRampRecord ColorRamp(int index) const = 0;

    // The SMU click tools: open (creating it once) the compact overview window or the details
    // window for the SMU id of the clicked cell. The details window answers whether it could show
    // the unit.
    virtual void ShowSmuOverview(int smuId) = 0;
    virtual bool ShowSmuTable(int smuId) = 0;

    // A theme's raster was found (or extracted) at `file`: the frame keeps it as the raster in
    // use, which the data location dialog shows and the end of the program may delete.
    virtual void RasterInUse(const QString& file) = 0;

    virtual TMapSettings MapSettings() const = 0;
};
