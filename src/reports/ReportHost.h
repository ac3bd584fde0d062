#pragma once
// What the report and query windows need of the frame that holds them: the attribute database,
// the preferences and the map windows. With no map window open the map requests do nothing.

#include <memory>

class TRasterSource;
class TTAMO;
struct TPreferences;
class TWorldAreas;

class TReportHost {
public:
    virtual ~TReportHost() = default;
    // The program's one database object (loaded before any map window, and so before these
    // windows, can exist).
    virtual TTAMO& Database() = 0;
    // The preferences the windows read and change: DomainView, SELECT_COLOR, SQL, SQLLayers.
    virtual TPreferences& Preferences() = 0;
    // The selection of units changed: every map window draws it anew.
    virtual void SelectionChanged() = 0;
    // Removes the click marker of the SMU tools from the active map window.
    virtual void EraseClickMarker() = 0;
    // The world's table of unit areas, and the raster of the active map whose units it counts:
    // how a selection's area is told. Null without them.
    virtual TWorldAreas* WorldAreas() { return nullptr; }
    virtual std::shared_ptr<const TRasterSource> ActiveRaster() { return nullptr; }
};
