#include "TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {
QJsonObject ReadJson(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}
} // namespace

TEST(Registry, KeepsTypesAndNestsKeysInTheFile) {
    TScopedEnvironment env;
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("\\software\\TAMO\\v2.00\\Preferences", TKeyAccess::CreateIfMissing));
        registry.WriteInteger("SELECT_COLOR", -16776961);
        registry.WriteString("SQL", "TAMO2_SMU_ID = 1");
        registry.WriteBool("ToolTips", true);
    }
    const QJsonObject prefs = ReadJson(env.SettingsFile())["software"]
                                  .toObject()["TAMO"]
                                  .toObject()["v2.00"]
                                  .toObject()["Preferences"]
                                  .toObject();
    EXPECT_EQ(prefs["SELECT_COLOR"].toInt(), -16776961);
    EXPECT_TRUE(prefs["SQL"].isString());
    EXPECT_EQ(prefs["ToolTips"].toInt(), 1);
}

TEST(Registry, MatchesKeyAndValueNamesWithoutCase) {
    TScopedEnvironment env;
    TRegistry registry;
    registry.OpenKey("\\Software\\TAMO\\V2.00\\Paths", TKeyAccess::CreateIfMissing);
    registry.WriteString("Shape Files", "/a");
    EXPECT_TRUE(registry.KeyExists("\\software\\tamo\\v2.00\\paths"));
    ASSERT_TRUE(registry.OpenKey("software/tamo/v2.00/PATHS", TKeyAccess::OpenExisting));
    EXPECT_EQ(registry.ReadString("SHAPE FILES"), "/a");
    registry.WriteString("shape files", "/b"); // same value, not a second one
    EXPECT_EQ(registry.ValueNames(), QStringList{"Shape Files"});
    EXPECT_EQ(registry.ReadString("Shape Files"), "/b");
}

TEST(Registry, ReadsOfMissingOrOtherTypedValuesThrow) {
    TScopedEnvironment env;
    WriteFile(env.SettingsFile(), R"({"k": {"i": 3, "t": "x", "f": 1.5, "b": true}})");
    TSettingsStore::Global().Reload();
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("k", TKeyAccess::OpenExisting));
    EXPECT_EQ(registry.ReadInteger("i"), 3);
    EXPECT_THROW(registry.ReadString("i"), TSettingsError);
    EXPECT_THROW(registry.ReadInteger("t"), TSettingsError);
    EXPECT_THROW(registry.ReadInteger("f"), TSettingsError);
    EXPECT_THROW(registry.ReadInteger("b"), TSettingsError);
    EXPECT_THROW(registry.ReadInteger("missing"), TSettingsError);
    EXPECT_FALSE(registry.OpenKey("nothing", TKeyAccess::OpenExisting));
}

TEST(Registry, DeleteValueRemovesOneValueOfAnyTypeFromTheFile) {
    TScopedEnvironment env;
    WriteFile(env.SettingsFile(), R"({"k": {"i": 3, "t": "x", "f": 1.5, "sub": {"i": 4}}})");
    TSettingsStore::Global().Reload();
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("k", TKeyAccess::OpenExisting));
        EXPECT_TRUE(registry.DeleteValue("I")); // names match without case
        EXPECT_TRUE(registry.DeleteValue("f")); // a value of another type goes too
        EXPECT_FALSE(registry.DeleteValue("i"));
        EXPECT_FALSE(registry.DeleteValue("sub")) << "a key is no value";
        EXPECT_FALSE(registry.ValueExists("i"));
    }
    const QJsonObject key = ReadJson(env.SettingsFile())["k"].toObject();
    EXPECT_EQ(key.keys(), (QStringList{"sub", "t"}));
    EXPECT_EQ(key["sub"].toObject()["i"].toInt(), 4);

    TRegistry closed;
    EXPECT_THROW(closed.DeleteValue("t"), TSettingsError);
    // A settings error is one of the program's errors.
    EXPECT_THROW(closed.ReadInteger("t"), TAMOError);
}

TEST(Registry, DamagedFileReadsAsEmptyAndIsKeptAsideAtTheNextSave) {
    TScopedEnvironment env;
    WriteFile(env.SettingsFile(), "{ not json");
    TSettingsStore::Global().Reload();
    TRegistry registry;
    EXPECT_FALSE(registry.KeyExists("\\software"));
    registry.OpenKey("\\software\\x", TKeyAccess::CreateIfMissing);
    registry.WriteInteger("v", 1);
    registry.CloseKey();
    QFile bad(env.SettingsFile() + ".bad");
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), "{ not json");
    EXPECT_EQ(ReadJson(env.SettingsFile())["software"].toObject()["x"].toObject()["v"].toInt(), 1);
}

TEST(Registry, PathSettingsReadEmptyWhenMissing) {
    TScopedEnvironment env;
    EXPECT_EQ(ReadPathSetting("Shape Files"), "");
    WritePathSetting("Shape Files", "/data/shapes/");
    EXPECT_EQ(ReadPathSetting("shape files"), "/data/shapes/");
}
