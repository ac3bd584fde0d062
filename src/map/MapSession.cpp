#include "map/MapSession.h"

#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QStringList>
#include <algorithm>

namespace {

const QString kMapsKey = QString(kSettingsRoot) + "\\Maps";

QString MapKey(int number) {
    return kMapsKey + "\\Map" + QString::number(number);
}

QString LevelName(TPropertyLevel level) {
    return level == TPropertyLevel::Unit ? "Unit" : "Layer";
}

QString CombinationKey(TPropertyCombination combination) {
    return combination == TPropertyCombination::Dominant ? "Dominant" : "ShareWeightedMean";
}

// Numbers kept as texts: a bound in full precision, colours in hexadecimal.
QString JoinBounds(const TClassFields& classes) {
    QStringList bounds;
    for (int i = 0; i < classes.Count(); ++i)
        bounds << QString::number(classes.Breaks[i], 'g', 17);
    return bounds.join(' ');
}

QString JoinColors(const TClassFields& classes) {
    QStringList colors;
    for (int i = 0; i < classes.Count(); ++i)
        colors << QString::number(classes.ClassColors[i], 16);
    return colors.join(' ');
}

QString JoinVisible(const TClassFields& classes) {
    QString visible;
    for (int i = 0; i < classes.Count(); ++i)
        visible += classes.Visible[i] ? '1' : '0';
    return visible;
}

void WriteMap(TRegistry& registry, const TStoredMap& map) {
    const bool property = map.Kind == TStoredMap::TKind::Property;
    registry.WriteString("Kind", property ? "Property" : "Theme");
    registry.WriteString("Caption", map.Caption);
    if (property) {
        registry.WriteString("Level", LevelName(map.Property.Level));
        registry.WriteString("Field", map.Property.Field);
        registry.WriteString("Layer", map.Property.Layer);
        registry.WriteString("Combination", CombinationKey(map.Property.Combination));
    } else {
        registry.WriteString("Theme", map.ThemeName);
        registry.WriteInteger("ThemeIndex", map.ThemeIndex);
    }
    const TClassFields& classes = map.Classes;
    registry.WriteInteger("Method", classes.Method);
    registry.WriteInteger("NumClasses", classes.Count());
    registry.WriteInteger("Decimals", classes.Decimals);
    registry.WriteString("Breaks", JoinBounds(classes));
    registry.WriteString("Colors", JoinColors(classes));
    registry.WriteString("Visible", JoinVisible(classes));
    for (int i = 0; i < classes.Count(); ++i)
        registry.WriteString(QString("Label%1").arg(i + 1), classes.ClassLabels[i]);
    registry.WriteBool("RasterVisible", map.RasterVisible);
    registry.WriteInteger("Overlays", static_cast<int>(map.Overlays.size()));
    for (int i = 0; i < static_cast<int>(map.Overlays.size()); ++i) {
        const TESRIShapeFile& overlay = map.Overlays[i];
        const QString n = QString::number(i + 1);
        registry.WriteString("Overlay" + n, overlay.ShapeFileName);
        registry.WriteInteger("OverlayType" + n, overlay.ShapeType);
        registry.WriteInteger("OverlayColor" + n, static_cast<int>(overlay.Color & 0xFFFFFF));
        registry.WriteBool("OverlayVisible" + n, overlay.Visible);
    }
    registry.WriteInteger("Col0", map.View.Col0);
    registry.WriteInteger("Col1", map.View.Col1);
    registry.WriteInteger("Row0", map.View.Row0);
    registry.WriteInteger("Row1", map.View.Row1);
    registry.WriteInteger("Left", map.Geometry.left());
    registry.WriteInteger("Top", map.Geometry.top());
    registry.WriteInteger("Width", map.Geometry.width());
    registry.WriteInteger("Height", map.Geometry.height());
    registry.WriteBool("Maximized", map.Maximized);
}

// Raises TSettingsError for a value missing or of another type.
TStoredMap ReadMap(TRegistry& registry) {
    TStoredMap map;
    map.Caption = registry.ReadString("Caption");
    const QString kind = registry.ReadString("Kind");
    if (kind == "Property") {
        map.Kind = TStoredMap::TKind::Property;
        map.Property.Level =
            registry.ReadString("Level") == "Unit" ? TPropertyLevel::Unit : TPropertyLevel::Layer;
        map.Property.Field = registry.ReadString("Field");
        map.Property.Layer = registry.ReadString("Layer");
        map.Property.Combination = registry.ReadString("Combination") == "Dominant"
                                       ? TPropertyCombination::Dominant
                                       : TPropertyCombination::ShareWeightedMean;
    } else if (kind == "Theme") {
        map.ThemeName = registry.ReadString("Theme");
        map.ThemeIndex = registry.ReadInteger("ThemeIndex");
    } else {
        throw TSettingsError("unknown kind of map: " + kind);
    }
    TClassFields& classes = map.Classes;
    classes.Method = static_cast<std::uint8_t>(std::clamp(registry.ReadInteger("Method"), 0, int(cmManual)));
    classes.NumClasses = std::clamp(registry.ReadInteger("NumClasses"), 0, kMaxClasses);
    classes.Decimals = std::clamp(registry.ReadInteger("Decimals"), 0, 20);
    const QStringList bounds = registry.ReadString("Breaks").split(' ', Qt::SkipEmptyParts);
    const QStringList colors = registry.ReadString("Colors").split(' ', Qt::SkipEmptyParts);
    const QString visible = registry.ReadString("Visible");
    if (bounds.size() != classes.NumClasses || colors.size() != classes.NumClasses ||
        visible.size() != classes.NumClasses)
        throw TSettingsError("the classes of a map are damaged");
    for (int i = 0; i < classes.NumClasses; ++i) {
        bool boundRead = false;
        bool colorRead = false;
        classes.Breaks[i] = bounds[i].toDouble(&boundRead);
        classes.ClassColors[i] = colors[i].toUInt(&colorRead, 16);
        if (!boundRead || !colorRead)
            throw TSettingsError("the classes of a map are damaged");
        classes.Visible[i] = visible[i] == '1';
        classes.ClassLabels[i] = registry.ReadString(QString("Label%1").arg(i + 1));
    }
    map.RasterVisible = registry.ReadBool("RasterVisible");
    const int overlays = registry.ReadInteger("Overlays");
    for (int i = 1; i <= overlays; ++i) {
        const QString n = QString::number(i);
        TESRIShapeFile overlay(registry.ReadString("Overlay" + n), registry.ReadInteger("OverlayType" + n),
                               static_cast<QRgb>(registry.ReadInteger("OverlayColor" + n)) & 0xFFFFFF);
        overlay.Visible = registry.ReadBool("OverlayVisible" + n);
        map.Overlays.push_back(overlay);
    }
    map.View = {registry.ReadInteger("Col0"), registry.ReadInteger("Col1"), registry.ReadInteger("Row0"),
                registry.ReadInteger("Row1")};
    map.Geometry = QRect(registry.ReadInteger("Left"), registry.ReadInteger("Top"),
                         registry.ReadInteger("Width"), registry.ReadInteger("Height"));
    map.Maximized = registry.ReadBool("Maximized");
    return map;
}

} // namespace

void SaveMapSession(const TMapSession& session, TSettingsStore& store) {
    TSettingsBatch batch(store);
    store.DeleteKey(kMapsKey);
    TRegistry registry(store);
    if (!registry.OpenKey(kMapsKey, TKeyAccess::CreateIfMissing))
        return;
    registry.WriteInteger("Count", static_cast<int>(session.Maps.size()));
    registry.WriteInteger("Active", session.Active);
    for (int i = 0; i < static_cast<int>(session.Maps.size()); ++i) {
        if (registry.OpenKey(MapKey(i + 1), TKeyAccess::CreateIfMissing))
            WriteMap(registry, session.Maps[i]);
    }
}

TMapSession LoadMapSession(TSettingsStore& store) {
    TMapSession session;
    TRegistry registry(store);
    int count = 0;
    try {
        if (!registry.OpenKey(kMapsKey, TKeyAccess::OpenExisting))
            return session;
        count = registry.ReadInteger("Count");
        session.Active = registry.ReadInteger("Active");
    } catch (const TSettingsError&) {
        return {};
    }
    int active = -1;
    for (int i = 0; i < count; ++i) {
        try {
            if (!registry.OpenKey(MapKey(i + 1), TKeyAccess::OpenExisting))
                continue;
            TStoredMap map = ReadMap(registry);
            if (i == session.Active)
                active = static_cast<int>(session.Maps.size());
            session.Maps.push_back(std::move(map));
        } catch (const TSettingsError&) {
            // A damaged record costs that map only.
        }
    }
    session.Active = active;
    return session;
}
