#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
        TRegistry registry(TSettingsStore::Global());
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
    TRegistry registry(TSettingsStore::Global());
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
    TRegistry registry(TSettingsStore::Global());
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
        TRegistry registry(TSettingsStore::Global());
        ASSERT_TRUE(registry.OpenKey("k", TKeyAccess::OpenExisting));
        EXPECT_TRUE(registry.DeleteValue("I")); // names match without case
        EXPECT_TRUE(registry.DeleteValue("f")); // a value of another type goes too
        EXPECT_FALSE(registry.DeleteValue("i"));
        EXPECT_FALSE(registry.DeleteValue("sub")) << "a key is no value";
        EXPECT_FALSE(registry.ValueExists("i"));
        EXPECT_EQ(registry.ReadString("T"), "x") << "the values after a removed one are still found";
    }
    const QJsonObject key = ReadJson(env.SettingsFile())["k"].toObject();
    EXPECT_EQ(key.keys(), (QStringList{"sub", "t"}));
    EXPECT_EQ(key["sub"].toObject()["i"].toInt(), 4);

    TRegistry closed(TSettingsStore::Global());
    EXPECT_THROW(closed.DeleteValue("t"), TSettingsError);
    // A settings error is one of the program's errors.
    EXPECT_THROW(closed.ReadInteger("t"), TAMOError);
}

TEST(Registry, DamagedFileReadsAsEmptyAndIsKeptAsideAtTheNextSave) {
    TScopedEnvironment env;
    WriteFile(env.SettingsFile(), "{ not json");
    TSettingsStore::Global().Reload();
    TRegistry registry(TSettingsStore::Global());
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
    TSettingsStore& store = TSettingsStore::Global();
    EXPECT_EQ(ReadPathSetting(store, "Shape Files"), "");
    WritePathSetting(store, "Shape Files", "/data/shapes/");
    EXPECT_EQ(ReadPathSetting(store, "shape files"), "/data/shapes/");
}

TEST(Registry, EveryDamagedFileIsKeptUnderANumberedName) {
    TScopedEnvironment env;
    const QByteArray damaged[] = {"{ not json", "[1, 2]", "\xff\xfe garbage"};
    for (const QByteArray& content : damaged) {
        WriteFile(env.SettingsFile(), content);
        TSettingsStore::Global().Reload();
        EXPECT_EQ(TSettingsStore::Global().FileState(), TStoreFile::Damaged);
        TRegistry registry(TSettingsStore::Global());
        registry.OpenKey("\\software\\x", TKeyAccess::CreateIfMissing);
        registry.WriteInteger("v", 1);
    }
    const QString kept[] = {env.SettingsFile() + ".bad", env.SettingsFile() + ".2.bad",
                            env.SettingsFile() + ".3.bad"};
    for (int i = 0; i < 3; ++i) {
        QFile file(kept[i]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << kept[i].toStdString();
        EXPECT_EQ(file.readAll(), damaged[i]);
    }
    EXPECT_EQ(ReadJson(env.SettingsFile())["software"].toObject()["x"].toObject()["v"].toInt(), 1);
}

// Running as root reads any file whatever its permissions, so a folder in the file's place stands
// in for a file that cannot be read; a file without read permission is tried as well when the
// test does not run as root.
TEST(Registry, AnUnreadableFileIsLeftInPlaceAndNeverWrittenOver) {
    enum class TKind { Folder, NoPermission };
    for (const TKind kind : {TKind::Folder, TKind::NoPermission}) {
        if (kind == TKind::NoPermission && ::geteuid() == 0)
            continue;
        TScopedEnvironment env;
        const QString path = env.SettingsFile();
        if (kind == TKind::Folder) {
            ASSERT_TRUE(QDir().mkpath(path + "/inside"));
        } else {
            WriteFile(path, R"({"software": {"x": {"v": 7}}})");
            QFile::setPermissions(path, QFileDevice::WriteOwner);
        }
        TSettingsStore::Global().Reload();
        EXPECT_EQ(TSettingsStore::Global().FileState(), TStoreFile::Unreadable);
        TPreferences prefs;
        LoadPreferences(prefs);
        EXPECT_EQ(prefs.SQL, "TAMO2_SMU_ID = 3482") << "defaults";
        SavePreferences(prefs);
        {
            TSettingsBatch batch(TSettingsStore::Global());
            TRegistry registry(TSettingsStore::Global());
            registry.OpenKey("\\software\\x", TKeyAccess::CreateIfMissing);
            registry.WriteInteger("v", 1);
        }
        EXPECT_FALSE(QFileInfo::exists(path + ".bad"));
        if (kind == TKind::Folder) {
            EXPECT_TRUE(QFileInfo(path + "/inside").isDir());
        } else {
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            EXPECT_EQ(ReadJson(path)["software"].toObject()["x"].toObject()["v"].toInt(), 7);
        }
    }
}

TEST(Registry, ASessionAndABatchWriteTheFileOnceAtTheirEnd) {
    TScopedEnvironment env;
    const QString path = env.SettingsFile();
    {
        TRegistry registry(TSettingsStore::Global());
        registry.OpenKey("\\software\\a", TKeyAccess::CreateIfMissing);
        registry.WriteInteger("v", 1);
        registry.OpenKey("\\software\\b", TKeyAccess::CreateIfMissing);
        registry.WriteInteger("v", 2);
        EXPECT_FALSE(QFileInfo::exists(path)) << "written while the session runs";
    }
    ASSERT_TRUE(QFileInfo::exists(path));
    QFile::remove(path);
    {
        TSettingsBatch batch(TSettingsStore::Global());
        TPreferences prefs;
        SetDefaultPreferences(prefs);
        SavePreferences(prefs);
        WriteDefaultToolbarLayout(TSettingsStore::Global());
        EXPECT_FALSE(QFileInfo::exists(path)) << "written before the batch ends";
    }
    const QJsonObject root = ReadJson(path)["software"].toObject()["TAMO"].toObject()["v2.00"].toObject();
    EXPECT_TRUE(root.contains("Preferences"));
    EXPECT_TRUE(root.contains("Toolbars"));
}

// Hostile settings paths: each ends on the defaults with the notice the user is shown once at
// start, and none blocks the start.
TEST(Registry, ASettingsPathThatIsNoUsableFileMeansDefaultsAndANotice) {
    enum class TExpect { Read, SetAside, LeftAlone };
    struct TCase {
        const char* Name;
        std::function<void(const QString& path, const QString& folder)> Make;
        TExpect Expect;
    };
    const TCase cases[] = {
        {"damaged", [](const QString& path, const QString&) { WriteFile(path, "{ not json"); },
         TExpect::SetAside},
        {"named pipe",
         [](const QString& path, const QString&) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         },
         TExpect::SetAside},
        {"dangling link",
         [](const QString& path, const QString& folder) {
             ASSERT_TRUE(QFile::link(folder + "nowhere.json", path));
         },
         TExpect::SetAside},
        {"link to a named pipe",
         [](const QString& path, const QString& folder) {
             ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "pipe").constData(), 0600), 0);
             ASSERT_TRUE(QFile::link(folder + "pipe", path));
         },
         TExpect::SetAside},
        {"folder", [](const QString& path, const QString&) { ASSERT_TRUE(QDir().mkpath(path)); },
         TExpect::LeftAlone},
        {"link to a good file",
         [](const QString& path, const QString& folder) {
             WriteFile(folder + "real.json", R"({"software": {"TAMO": {"v2.00": {"Preferences": {}}}}})");
             ASSERT_TRUE(QFile::link(folder + "real.json", path));
         },
         TExpect::Read},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TScopedEnvironment env;
        const QString path = env.SettingsFile();
        QDir().mkpath(QFileInfo(path).absolutePath());
        test.Make(path, env.Folder());
        TSettingsStore::Global().Reload();
        TPreferences prefs;
        LoadPreferences(prefs);
        EXPECT_EQ(prefs.SQL, "TAMO2_SMU_ID = 3482") << "defaults";
        const auto notice = SettingsFileNotice(TSettingsStore::Global());
        switch (test.Expect) {
        case TExpect::Read:
            EXPECT_EQ(TSettingsStore::Global().FileState(), TStoreFile::Read);
            EXPECT_FALSE(notice);
            break;
        case TExpect::SetAside:
            ASSERT_TRUE(notice);
            EXPECT_EQ(*notice, "The settings file \"" + path +
                                   "\" could not be used (it is damaged or is not a file), so the default "
                                   "settings are in use. The old file was kept as \"" +
                                   path + ".bad\".");
            EXPECT_TRUE(QFileInfo(path + ".bad").isSymLink() || QFileInfo::exists(path + ".bad"));
            // The next save writes a good file in its place.
            SavePreferences(prefs);
            EXPECT_TRUE(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
            EXPECT_EQ(ReadJson(path)["software"]
                          .toObject()["TAMO"]
                          .toObject()["v2.00"]
                          .toObject()["Preferences"]
                          .toObject()["SQL"]
                          .toString(),
                      "TAMO2_SMU_ID = 3482");
            break;
        case TExpect::LeftAlone:
            ASSERT_TRUE(notice);
            EXPECT_TRUE(notice->contains("cannot be read")) << notice->toStdString();
            SavePreferences(prefs);
            EXPECT_TRUE(QFileInfo(path).isDir());
            break;
        }
    }
}
