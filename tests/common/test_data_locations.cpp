#include "TestSupport.h"
#include "common/DataLocations.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A program folder and a home folder on a temporary folder; the XDG variables start unset.
class DataLocationsTest : public ::testing::Test {
protected:
    DataLocationsTest() {
        QDir(Root()).mkpath("bin");
        QDir(Root()).mkpath("home");
        Input.ProgramFolder = Root() + "bin/";
        Input.Home = Root() + "home";
        Input.CanWrite = CurrentDataLocationInput().CanWrite;
    }
    QString Root() const { return m_root.path() + "/"; }
    void MakeFile(const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    }

    TDataLocationInput Input;

private:
    QTemporaryDir m_root;
};
} // namespace

TEST_F(DataLocationsTest, AProgramFolderWithDataAndAWritableCacheKeepsBoth) {
    QDir(Root()).mkpath("bin/Data");
    Input.XdgDataHome = Root() + "xdg-data";
    for (const bool cacheExists : {false, true}) {
        if (cacheExists)
            QDir(Root()).mkpath("bin/Cache");
        const TDataLocations locations = FindDataLocations(Input);
        EXPECT_TRUE(locations.BesideProgram);
        EXPECT_EQ(locations.DataFolders, QStringList{Root() + "bin/Data/"});
        EXPECT_EQ(locations.DataFolder, Root() + "bin/Data/");
        EXPECT_EQ(locations.CacheFolder, Root() + "bin/Cache/");
        // Data made by the user goes to the user's folder even so.
        EXPECT_EQ(locations.UserDataFolder, Root() + "xdg-data/TAMO/");
    }
}

TEST_F(DataLocationsTest, AnInstalledOrReadOnlyProgramFolderUsesTheXdgFolders) {
    Input.XdgDataHome = Root() + "xdg-data";
    Input.XdgDataDirs = Root() + "site:" + Root() + "vendor/";
    Input.XdgCacheHome = Root() + "xdg-cache/";
    const QStringList xdgData = {Root() + "xdg-data/TAMO/", Root() + "site/tamo/", Root() + "vendor/tamo/"};

    struct {
        const char* Case;
        std::function<void()> Arrange;
    } cases[] = {
        {"no Data/ beside the program", [] {}},
        {"Cache/ not writable",
         [&] {
             QDir(Root()).mkpath("bin/Data");
             Input.CanWrite = [&](const QString& folder) { return !folder.startsWith(Root() + "bin/"); };
         }},
        {"a file named Cache",
         [&] {
             Input.CanWrite = CurrentDataLocationInput().CanWrite;
             MakeFile(Root() + "bin/Cache");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        c.Arrange();
        const TDataLocations locations = FindDataLocations(Input);
        EXPECT_FALSE(locations.BesideProgram);
        EXPECT_EQ(locations.DataFolders, xdgData);
        EXPECT_EQ(locations.DataFolder, Root() + "xdg-data/TAMO/");
        EXPECT_EQ(locations.CacheFolder, Root() + "xdg-cache/TAMO/");
    }
}

TEST_F(DataLocationsTest, UnsetEmptyOrRelativeXdgVariablesTakeTheirDefaults) {
    const QString home = Root() + "home/";
    const QString userData = home + ".local/share/TAMO/";
    // Unset: every default. Relative: each relative entry is dropped; an absolute one stays.
    Input.XdgDataHome = Input.XdgCacheHome = Input.XdgDataDirs = "";
    TDataLocations locations = FindDataLocations(Input);
    EXPECT_EQ(locations.DataFolders, QStringList({userData, "/usr/local/share/tamo/", "/usr/share/tamo/"}));
    EXPECT_EQ(locations.UserDataFolder, userData);
    EXPECT_EQ(locations.CacheFolder, home + ".cache/TAMO/");

    Input.XdgDataHome = Input.XdgCacheHome = "relative/folder";
    Input.XdgDataDirs = "relative/folder:/opt/share";
    locations = FindDataLocations(Input);
    EXPECT_EQ(locations.DataFolders, QStringList({userData, "/opt/share/tamo/"}));
    EXPECT_EQ(locations.CacheFolder, home + ".cache/TAMO/");
}

TEST_F(DataLocationsTest, TheDataFolderIsTheFirstHoldingAnAttributeDatabase) {
    Input.XdgDataHome = Root() + "xdg-data";
    Input.XdgDataDirs = Root() + "site:" + Root() + "vendor";
    MakeFile(Root() + "xdg-data/TAMO/Country.shp"); // outlines alone are no data set
    MakeFile(Root() + "vendor/tamo/TAMO2.mdb");
    EXPECT_EQ(FindDataLocations(Input).DataFolder, Root() + "vendor/tamo/");
    MakeFile(Root() + "site/tamo/TAMO2.sqlite");
    EXPECT_EQ(FindDataLocations(Input).DataFolder, Root() + "site/tamo/");
}
