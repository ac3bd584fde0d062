#include "TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {
const QStringList kAllValues = {
    "MainTop",      "MainLeft",   "MainWidth",          "MainHeight",     "WindowState", "GeneralStayOnTop",
    "ToolTips",     "StatusBar",  "SynchronizeWindows", "PersistentView", "DomainView",  "NewWindow",
    "DeleteRaster", "DATA_CACHE", "DATA_WORLD_MAP",     "RASTER",         "ATTRIB_MDB",  "SELECT_COLOR",
    "SQL",          "SQL_LAYERS"};

// A stored Preferences key holding every value with non-default contents.
void StoreAllValues() {
    TRegistry registry(TSettingsStore::Global());
    registry.OpenKey(kPreferencesKey, TKeyAccess::CreateIfMissing);
    registry.WriteBool("GeneralStayOnTop", true);
    registry.WriteBool("ToolTips", false);
    registry.WriteBool("StatusBar", false);
    registry.WriteBool("SynchronizeWindows", true);
    registry.WriteBool("PersistentView", false);
    registry.WriteBool("NewWindow", false);
    registry.WriteBool("DomainView", false);
    registry.WriteBool("DeleteRaster", true);
    registry.WriteString("DATA_CACHE", "/c/");
    registry.WriteString("DATA_WORLD_MAP", "/w.shp");
    registry.WriteString("RASTER", "/r.bil");
    registry.WriteString("ATTRIB_MDB", "/a.mdb");
    registry.WriteInteger("SELECT_COLOR", 7);
    registry.WriteString("SQL", "x = 1");
}

void Remove(const QString& name) {
    TRegistry registry(TSettingsStore::Global());
    ASSERT_TRUE(registry.OpenKey(kPreferencesKey, TKeyAccess::OpenExisting));
    ASSERT_TRUE(registry.DeleteValue(name)) << name.toStdString();
}
} // namespace

TEST(Preferences, EmptyStoreGivesDefaultsAndCreatesTheCacheFolder) {
    TScopedEnvironment env;
    TPreferences prefs;
    LoadPreferences(prefs);
    EXPECT_EQ(prefs.DATA_CACHE, env.Folder() + "Cache/");
    EXPECT_TRUE(QDir(prefs.DATA_CACHE).exists());
    EXPECT_EQ(prefs.DATA_WORLD_MAP, env.Folder() + "Data/Country.shp");
    EXPECT_EQ(prefs.ATTRIB_MDB, env.Folder() + "Data/TAMO2.mdb");
    EXPECT_EQ(prefs.RASTER, env.Folder() + "Cache/TAMO2.bil");
    EXPECT_EQ(prefs.SQL, "TAMO2_SMU_ID = 3482");
    EXPECT_EQ(prefs.SELECT_COLOR, 255);
    EXPECT_TRUE(prefs.ToolTips && prefs.StatusBar && prefs.PersistentView && prefs.NewWindow &&
                prefs.DomainView);
    EXPECT_FALSE(prefs.GeneralStayOnTop || prefs.SynchronizeWindows || prefs.DeleteRaster);
    EXPECT_EQ(prefs.WindowState, 2);
}

TEST(Preferences, DemoSqliteDatabaseIsTheDefaultOnlyWithoutAnAccessFile) {
    TScopedEnvironment env;
    QDir().mkpath(env.Folder() + "Data");
    QFile(env.Folder() + "Data/TAMO2.sqlite").open(QIODevice::WriteOnly);
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    EXPECT_EQ(prefs.ATTRIB_MDB, env.Folder() + "Data/TAMO2.sqlite");
    QFile(env.Folder() + "Data/TAMO2.mdb").open(QIODevice::WriteOnly);
    SetDefaultPreferences(prefs);
    EXPECT_EQ(prefs.ATTRIB_MDB, env.Folder() + "Data/TAMO2.mdb");
}

TEST(Preferences, AnInstalledProgramTakesItsDataAndCacheFromTheXdgFolders) {
    TScopedEnvironment env;
    QDir(env.Folder()).rmdir("Data"); // installed: nothing beside the program
    QDir().mkpath(env.DataHome() + "TAMO");
    QFile(env.DataHome() + "TAMO/TAMO2.sqlite").open(QIODevice::WriteOnly);

    TPreferences prefs;
    SetDefaultPreferences(prefs);
    EXPECT_EQ(prefs.ATTRIB_MDB, env.DataHome() + "TAMO/TAMO2.sqlite");
    EXPECT_EQ(prefs.DATA_WORLD_MAP, env.DataHome() + "TAMO/Country.shp");
    EXPECT_EQ(prefs.DATA_CACHE, env.CacheHome() + "TAMO/");
    EXPECT_TRUE(QDir(prefs.DATA_CACHE).exists());
    EXPECT_FALSE(QFileInfo::exists(env.Folder() + "Cache"));
}

// Each row: what the store lacks or holds wrongly, and what the record then reads.
struct TReadCase {
    const char* Name;
    std::function<void()> Prepare;
    std::function<void(const TPreferences&, const QString& folder)> Check;
};

void PrintTo(const TReadCase& readCase, std::ostream* out) {
    *out << readCase.Name;
}

class PreferencesReading : public ::testing::TestWithParam<TReadCase> {};

TEST_P(PreferencesReading, FollowsTheStopRules) {
    TScopedEnvironment env;
    StoreAllValues();
    GetParam().Prepare();
    TPreferences prefs;
    LoadPreferences(prefs);
    GetParam().Check(prefs, env.Folder());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreferencesReading,
    ::testing::Values(TReadCase{"AllStored", [] {},
                                [](const TPreferences& p, const QString&) {
                                    EXPECT_TRUE(p.GeneralStayOnTop);
                                    EXPECT_FALSE(p.ToolTips);
                                    EXPECT_FALSE(p.NewWindow);
                                    EXPECT_TRUE(p.DeleteRaster);
                                    EXPECT_EQ(p.DATA_CACHE, "/c/");
                                    EXPECT_EQ(p.ATTRIB_MDB, "/a.mdb");
                                    EXPECT_EQ(p.SELECT_COLOR, 7);
                                    EXPECT_EQ(p.SQL, "x = 1");
                                }},
                      TReadCase{"ToolTipsMissing", [] { Remove("ToolTips"); },
                                [](const TPreferences& p, const QString& folder) {
                                    EXPECT_TRUE(p.GeneralStayOnTop); // read before the gap
                                    EXPECT_TRUE(p.ToolTips);         // defaults from here on
                                    EXPECT_TRUE(p.StatusBar);
                                    EXPECT_FALSE(p.DeleteRaster);
                                    EXPECT_EQ(p.DATA_CACHE, folder + "Cache/");
                                    EXPECT_EQ(p.ATTRIB_MDB, folder + "Data/TAMO2.mdb");
                                    EXPECT_EQ(p.SELECT_COLOR, 255);
                                }},
                      TReadCase{"DataCacheMissing", [] { Remove("DATA_CACHE"); },
                                [](const TPreferences& p, const QString&) {
                                    EXPECT_EQ(p.DATA_CACHE, ""); // a missing text reads empty
                                    EXPECT_EQ(p.RASTER, "/r.bil");
                                    EXPECT_EQ(p.SQL, "x = 1");
                                }},
                      TReadCase{"BooleanStoredAsText",
                                [] {
                                    TRegistry r(TSettingsStore::Global());
                                    r.OpenKey(kPreferencesKey, TKeyAccess::OpenExisting);
                                    r.WriteString("PersistentView", "1");
                                },
                                [](const TPreferences& p, const QString&) {
                                    EXPECT_TRUE(p.SynchronizeWindows);
                                    EXPECT_TRUE(p.PersistentView);
                                    EXPECT_TRUE(p.NewWindow);
                                    EXPECT_EQ(p.SQL, "TAMO2_SMU_ID = 3482");
                                }},
                      TReadCase{"TextStoredAsInteger",
                                [] {
                                    TRegistry r(TSettingsStore::Global());
                                    r.OpenKey(kPreferencesKey, TKeyAccess::OpenExisting);
                                    r.WriteInteger("RASTER", 5);
                                },
                                [](const TPreferences& p, const QString& folder) {
                                    EXPECT_EQ(p.DATA_WORLD_MAP, "/w.shp");
                                    EXPECT_EQ(p.RASTER, folder + "Cache/TAMO2.bil");
                                    EXPECT_EQ(p.ATTRIB_MDB, folder + "Data/TAMO2.mdb");
                                    EXPECT_EQ(p.SELECT_COLOR, 255);
                                }},
                      TReadCase{"DomainViewStoredOff", [] {},
                                [](const TPreferences& p, const QString&) { EXPECT_TRUE(p.DomainView); }}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Preferences, SaveWritesAllTwentyValuesThatLoadReadsBack) {
    TScopedEnvironment env;
    TPreferences prefs;
    LoadPreferences(prefs);
    prefs.SQL = "TAMO2_SMU_ID < 10";
    prefs.SELECT_COLOR = static_cast<int>(0xFFFF0000);
    prefs.SQLLayers = true;
    SavePreferences(prefs);
    TRegistry registry(TSettingsStore::Global());
    ASSERT_TRUE(registry.OpenKey(kPreferencesKey, TKeyAccess::OpenExisting));
    QStringList names = registry.ValueNames();
    EXPECT_EQ(names.size(), 20);
    for (const QString& name : kAllValues)
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
    EXPECT_EQ(registry.ValueType("DomainView"), TValueType::Integer);
    EXPECT_EQ(registry.ValueType("SQL"), TValueType::Text);
    registry.CloseKey();
    TSettingsStore::Global().Reload();
    TPreferences again;
    LoadPreferences(again);
    EXPECT_EQ(again.SQL, "TAMO2_SMU_ID < 10");
    EXPECT_EQ(again.SELECT_COLOR, static_cast<int>(0xFFFF0000));
    EXPECT_TRUE(again.SQLLayers);
}

TEST(Preferences, DefaultToolbarLayoutIsWrittenOnlyWhenAbsent) {
    TScopedEnvironment env;
    TPreferences prefs;
    LoadPreferences(prefs);
    TRegistry registry(TSettingsStore::Global());
    ASSERT_TRUE(registry.OpenKey(QString(kToolbarsKey) + "\\TBDataToolbar", TKeyAccess::OpenExisting));
    // A row of its own below Main and View: with its classification controls the three do not
    // fit in one row of a small screen.
    EXPECT_EQ(registry.ReadString("DockPos"), "0");
    EXPECT_EQ(registry.ReadString("DockRow"), "1");
    EXPECT_EQ(registry.ReadString("DockedTo"), "TBtop");
    ASSERT_TRUE(registry.OpenKey(QString(kToolbarsKey) + "\\TBToolQEVData", TKeyAccess::OpenExisting));
    EXPECT_EQ(registry.ReadString("Visible"), "0");
    EXPECT_EQ(registry.ReadString("ClientWidth"), "291");
    EXPECT_EQ(registry.ReadString("LastDock"), "TBLeft");
    EXPECT_EQ(registry.SubKeyNames().size(), 0);

    registry.OpenKey(QString(kToolbarsKey) + "\\TBDataToolbar", TKeyAccess::OpenExisting);
    registry.WriteString("DockPos", "500");
    registry.CloseKey();
    LoadPreferences(prefs);
    registry.OpenKey(QString(kToolbarsKey) + "\\TBDataToolbar", TKeyAccess::OpenExisting);
    EXPECT_EQ(registry.ReadString("DockPos"), "500");
}

TEST(Preferences, TheTestEnvironmentPutsBackThePreferencesItsTestChanged) {
    const TPreferences before = Preferences();
    const QString connectionBefore = ProgramState().ConnectionString;
    {
        TScopedEnvironment env;
        Preferences().SQL = "changed by a test";
        Preferences().DATA_CACHE = env.Folder() + "Cache/";
        ProgramState().ConnectionString = "Data Source=" + env.Folder() + "x.sqlite";
    }
    EXPECT_TRUE(Preferences() == before);
    EXPECT_EQ(ProgramState().ConnectionString, connectionBefore);
}
