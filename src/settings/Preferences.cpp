#include "settings/Preferences.h"

#include "common/DataLocations.h"
#include "common/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

TPreferences& Preferences() {
    static TPreferences prefs;
    return prefs;
}

TProgramState& ProgramState() {
    static TProgramState state;
    return state;
}

QString CacheFolder(const TPreferences& prefs) {
    const QString folder = prefs.DATA_CACHE;
    return WithSlash(folder.isEmpty() ? CurrentDataLocations().CacheFolder
                                      : QDir::fromNativeSeparators(folder));
}

QSize DefaultScreenSize() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return screen->size();
    return {1024, 768};
}

QString BuildConnectionString(const QString& databasePath) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + databasePath + ";Persist Security Info=False";
}

void SetDefaultPreferences(TPreferences& prefs, QSize screenSize) {
    const TDataLocations locations = CurrentDataLocations();
    // Top and left are swapped against width and height on purpose: these values are only
    // written, and stored files of earlier runs hold them this way.
    prefs.MainTop = screenSize.width() / 4;
    prefs.MainLeft = screenSize.height() / 4;
    prefs.MainWidth = screenSize.width() / 2;
    prefs.MainHeight = screenSize.height() / 2;
    prefs.WindowState = 2;
    prefs.GeneralStayOnTop = false;
    prefs.ToolTips = true;
    prefs.StatusBar = true;
    prefs.SynchronizeWindows = false;
    prefs.PersistentView = true;
    prefs.DomainView = true;
    prefs.NewWindow = true;
    prefs.SELECT_COLOR = 255;
    prefs.SQL = "TAMO2_SMU_ID = 3482";
    prefs.DATA_CACHE = locations.CacheFolder;
    prefs.DATA_WORLD_MAP = locations.DataFolder + "Country.shp";
    // The demo data set ships its attribute database as SQLite.
    prefs.ATTRIB_MDB = AttributeDatabaseIn(locations.DataFolder);
    prefs.RASTER = prefs.DATA_CACHE + "TAMO2.bil";
    prefs.DeleteRaster = false;
    prefs.SQLLayers = false;

    const QString cache = prefs.DATA_CACHE;
    if (!cache.isEmpty() && !QDir(cache).exists())
        QDir().mkpath(cache);
}

void LoadPreferences(TPreferences& prefs, TSettingsStore& store) {
    SetDefaultPreferences(prefs);
    TRegistry registry(store);
    if (registry.OpenKey(kPreferencesKey, TKeyAccess::OpenExisting)) {
        // A missing value or one of another type ends the reading here; what was read stays.
        const auto readText = [&](const QString& name) {
            const TValueType type = registry.ValueType(name);
            if (type == TValueType::None)
                return QString();
            return registry.ReadString(name);
        };
        try {
            prefs.GeneralStayOnTop = registry.ReadBool("GeneralStayOnTop");
            prefs.ToolTips = registry.ReadBool("ToolTips");
            prefs.StatusBar = registry.ReadBool("StatusBar");
            prefs.SynchronizeWindows = registry.ReadBool("SynchronizeWindows");
            prefs.PersistentView = registry.ReadBool("PersistentView");
            prefs.NewWindow = registry.ReadBool("NewWindow");
            prefs.DomainView = true;
            prefs.DeleteRaster = registry.ReadBool("DeleteRaster");
            prefs.DATA_CACHE = readText("DATA_CACHE");
            prefs.DATA_WORLD_MAP = readText("DATA_WORLD_MAP");
            prefs.RASTER = readText("RASTER");
            prefs.ATTRIB_MDB = readText("ATTRIB_MDB");
            prefs.SELECT_COLOR = registry.ReadInteger("SELECT_COLOR");
            prefs.SQL = readText("SQL");
            prefs.SQLLayers = registry.ReadBool("SQL_LAYERS");
        } catch (const TSettingsError&) {
        }
    }
    registry.CloseKey();
    if (!registry.KeyExists(kToolbarsKey))
        WriteDefaultToolbarLayout(store);
}

void SavePreferences(const TPreferences& prefs, TSettingsStore& store) {
    TRegistry registry(store);
    if (!registry.OpenKey(kPreferencesKey, TKeyAccess::CreateIfMissing))
        return;
    registry.WriteInteger("MainTop", prefs.MainTop);
    registry.WriteInteger("MainLeft", prefs.MainLeft);
    registry.WriteInteger("MainWidth", prefs.MainWidth);
    registry.WriteInteger("MainHeight", prefs.MainHeight);
    registry.WriteInteger("WindowState", prefs.WindowState);
    registry.WriteBool("GeneralStayOnTop", prefs.GeneralStayOnTop);
    registry.WriteBool("ToolTips", prefs.ToolTips);
    registry.WriteBool("StatusBar", prefs.StatusBar);
    registry.WriteBool("SynchronizeWindows", prefs.SynchronizeWindows);
    registry.WriteBool("PersistentView", prefs.PersistentView);
    registry.WriteBool("DomainView", prefs.DomainView);
    registry.WriteBool("NewWindow", prefs.NewWindow);
    registry.WriteBool("DeleteRaster", prefs.DeleteRaster);
    registry.WriteString("DATA_CACHE", prefs.DATA_CACHE);
    registry.WriteString("DATA_WORLD_MAP", prefs.DATA_WORLD_MAP);
    registry.WriteString("RASTER", prefs.RASTER);
    registry.WriteString("ATTRIB_MDB", prefs.ATTRIB_MDB);
    registry.WriteInteger("SELECT_COLOR", prefs.SELECT_COLOR);
    registry.WriteString("SQL", prefs.SQL);
    registry.WriteBool("SQL_LAYERS", prefs.SQLLayers);
}

void LoadPreferences(TPreferences& prefs) {
    LoadPreferences(prefs, TSettingsStore::Global());
}
void SavePreferences(const TPreferences& prefs) {
    SavePreferences(prefs, TSettingsStore::Global());
}

QString ReadPathSetting(TSettingsStore& store, const QString& name) {
    TRegistry registry(store);
    if (!registry.OpenKey(kPathsKey, TKeyAccess::CreateIfMissing))
        return {};
    return registry.ValueType(name) == TValueType::Text ? registry.ReadString(name) : QString();
}

void WritePathSetting(TSettingsStore& store, const QString& name, const QString& value) {
    TRegistry registry(store);
    if (registry.OpenKey(kPathsKey, TKeyAccess::CreateIfMissing))
        registry.WriteString(name, value);
}

void WriteDefaultToolbarLayout(TSettingsStore& store) {
    struct TToolWindowDefault {
        const char* Bar;
        const char* ClientHeight;
        const char* ClientWidth;
        const char* DockPos;
        const char* FloatLeft;
        const char* FloatTop;
    };
    struct TToolbarDefault {
        const char* Bar;
        const char* DockPos;
        const char* DockRow;
    };
    const TToolWindowDefault toolWindows[] = {{"TBToolQEVData", "273", "291", "239", "5", "238"},
                                              {"TBToolDataPoint", "225", "249", "0", "336", "101"}};
    const TToolbarDefault toolbars[] = {
        {"TBMainToolbar", "-1", "0"}, {"TBDataToolbar", "0", "1"}, {"TBViewToolbar", "248", "0"}};
    const QString root = QString(kToolbarsKey) + "\\";

    TRegistry registry(store);
    for (const auto& bar : toolWindows) {
        registry.OpenKey(root + bar.Bar, TKeyAccess::CreateIfMissing);
        registry.WriteString("ClientHeight", bar.ClientHeight);
        registry.WriteString("ClientWidth", bar.ClientWidth);
        registry.WriteString("DockedTo", "+");
        registry.WriteString("DockPos", bar.DockPos);
        registry.WriteString("DockRow", "0");
        registry.WriteString("FloatLeft", bar.FloatLeft);
        registry.WriteString("FloatTop", bar.FloatTop);
        registry.WriteString("LastDock", "TBLeft");
        registry.WriteString("Rev", "2000");
        registry.WriteString("Visible", "0");
    }
    for (const auto& bar : toolbars) {
        registry.OpenKey(root + bar.Bar, TKeyAccess::CreateIfMissing);
        registry.WriteString("DockedTo", "TBtop");
        registry.WriteString("DockPos", bar.DockPos);
        registry.WriteString("DockRow", bar.DockRow);
        registry.WriteString("FloatLeft", "0");
        registry.WriteString("FloatRightX", "0");
        registry.WriteString("FloatTop", "0");
        registry.WriteString("LastDock", "TBTop");
        registry.WriteString("Rev", "2000");
        registry.WriteString("Visible", "1");
    }
}
