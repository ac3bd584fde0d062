#pragma once
// What a map window needs of the main frame that holds it. The frame implements this interface
// and hands it to every map window it creates; tests use a fake.

#include "themes/ColorRampRecord.h"
#include "themes/LegendHost.h"

#include <QString>

class TMapExplorerForm;

class TMapHost : public TLegendHost {
public:
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
};
