#pragma once
// The open map windows as they are kept from one run to the next: for each, what it shows (a
// catalogue theme, or a soil property), its classes with their colours, labels and visibility,
// its overlays, its view and its place in the frame. Kept in the settings store under
// \software\TAMO\v2.00\Maps.

#include "db/PropertyIndex.h"
#include "raster/ViewGeometry.h"
#include "themes/ClassFields.h"
#include "themes/ESRIShapeFile.h"

#include <QRect>
#include <QString>
#include <vector>

class TSettingsStore;

struct TStoredMap {
    enum class TKind { Theme, Property };
    TKind Kind = TKind::Theme;
    // A theme: its name and its position in the catalogue; the name as the window showed it.
    QString ThemeName;
    int ThemeIndex = 0;
    // A property map.
    TPropertyDefinition Property;
    QString Caption; // the map's title, named in a message when it cannot come back

    TClassFields Classes;
    bool RasterVisible = true;
    std::vector<TESRIShapeFile> Overlays;
    TViewRect View;
    QRect Geometry; // the child window's normal geometry in the frame's area
    bool Maximized = false;
};

// The maps in the frame's window order; `active` the position of the active one (-1: none).
struct TMapSession {
    std::vector<TStoredMap> Maps;
    int Active = -1;
};

// Replaces what the store keeps with `session`.
void SaveMapSession(const TMapSession& session, TSettingsStore& store);
// What the store keeps; an empty session when it keeps nothing. A map whose record is damaged
// (a value missing or of another type) is left out.
TMapSession LoadMapSession(TSettingsStore& store);
