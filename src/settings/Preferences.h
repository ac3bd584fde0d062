#pragma once
// The preferences record shared by the whole program, its defaults, and how it is read from and
// written to the settings store. Settings errors are never shown: reading stops silently.

#include <QSize>
#include <QString>

class TSettingsStore;

struct TPreferences {
    int MainTop = 0;
    int MainLeft = 0;
    int MainWidth = 0;
    int MainHeight = 0;
    int WindowState = 2;
    bool GeneralStayOnTop = false;
    bool ToolTips = true;
    bool StatusBar = true;
    bool SynchronizeWindows = false;
    bool PersistentView = true;
    bool DomainView = true;
    bool NewWindow = true;
    int SELECT_COLOR = 255;
    QString SQL;
    QString DATA_CACHE;
    QString DATA_WORLD_MAP;
    QString ATTRIB_MDB;
    QString RASTER;
    bool DeleteRaster = false;
    // The table the SQL condition was written for: the layer table (the first depth layer of the
    // dominant soil) rather than the SMU table. Stored as SQL_LAYERS after SQL.
    bool SQLLayers = false;

    bool operator==(const TPreferences&) const = default;
};

inline constexpr const char* kSettingsRoot = "\\software\\TAMO\\v2.00";
inline constexpr const char* kPreferencesKey = "\\software\\TAMO\\v2.00\\Preferences";
inline constexpr const char* kPathsKey = "\\software\\TAMO\\v2.00\\Paths";
inline constexpr const char* kToolbarsKey = "\\software\\TAMO\\v2.00\\Toolbars";
inline constexpr const char* kFormsKey = "\\software\\TAMO\\v2.00\\Forms";

// The one record of this program run: the frame's. Code below the frame gets what it needs of it
// as an argument.
TPreferences& Preferences();

// The cache folder of the preferences with a trailing "/": the default cache folder
// (common/DataLocations) when DATA_CACHE is not set. Extracted rasters, imported databases and histograms
// live there.
QString CacheFolder(const TPreferences& prefs);

// The screen size the window defaults are computed from (the primary screen; 1024 x 768 without one).
QSize DefaultScreenSize();

void SetDefaultPreferences(TPreferences& prefs, QSize screenSize = DefaultScreenSize());
void LoadPreferences(TPreferences& prefs, TSettingsStore& store);
void SavePreferences(const TPreferences& prefs, TSettingsStore& store);
void LoadPreferences(TPreferences& prefs);
void SavePreferences(const TPreferences& prefs);

// The folders the file dialogs last used, under Paths\<name>.
QString ReadPathSetting(TSettingsStore& store, const QString& name);
void WritePathSetting(TSettingsStore& store, const QString& name, const QString& value);

// The docking layout of the five bars that a first start uses.
void WriteDefaultToolbarLayout(TSettingsStore& store);

// "Provider=...;Data Source=" + path + ";Persist Security Info=False"
QString BuildConnectionString(const QString& databasePath);

// Program-wide texts that live as long as the run: the frame's.
struct TProgramState {
    QString ConnectionString;
    QString LastRasterPath; // the raster map windows last opened or extracted
};
TProgramState& ProgramState();
