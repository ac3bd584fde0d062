#include "../db/TamoFixture.h"
#include "common/TAMOError.h"
#include "themes/QEVLibraryManager.h"

#include <QIcon>
#include <QStandardItemModel>
#include <gtest/gtest.h>

namespace {

// A catalogue: two class sets (rows out of order, a colour component above 255), three
// libraries (one without themes), and themes covering the catalogue's rules.
void WriteCatalogue(const QString& path) {
    ExecSql(path, {"CREATE TABLE WRB_Class (ID_Class INTEGER, ClassNumber INTEGER, Divider REAL, Label TEXT, "
                   "Red INTEGER, "
                   "Green INTEGER, Blue INTEGER)",
                   "INSERT INTO WRB_Class VALUES (1, 2, 20.5, 'twenty', 0, 255, 0)",
                   "INSERT INTO WRB_Class VALUES (1, 1, 10, 'ten', 300, 1, 2)",
                   "INSERT INTO WRB_Class VALUES (1, 3, 30, 'thirty', 0, 0, 255)",
                   "INSERT INTO WRB_Class VALUES (5, 1, 1, 'one', 1, 2, 3)",
                   "CREATE TABLE WRB_Library (ID_QevLibrary INTEGER, QevLibrary TEXT, FileName TEXT)",
                   "INSERT INTO WRB_Library VALUES (2, 'Soil properties', 'props.bil')",
                   "INSERT INTO WRB_Library VALUES (1, 'Soil units', 'TAMO2.bil')",
                   "INSERT INTO WRB_Library VALUES (3, 'Empty library', '')",
                   "CREATE TABLE WRB_Layer (ID_QevLibrary INTEGER, LayerName TEXT, FileName TEXT, Units "
                   "TEXT, Bytes INTEGER, "
                   "Multiplier INTEGER, ZeroIsValue INTEGER, ID_Class_Type INTEGER, ID_Class INTEGER)",
                   "INSERT INTO WRB_Layer VALUES (1, 'Dominant soil', 'TAMO2.bil', '', 2, 1, 0, 4, 1)",
                   "INSERT INTO WRB_Layer VALUES (2, 'Topsoil pH', 'ph.bil', 'pH', 1, 10, 1, 1, 0)",
                   "INSERT INTO WRB_Layer VALUES (1, 'Unknown set', 'TAMO2.bil', '', 4, 1, 0, 2, 7)",
                   "INSERT INTO WRB_Layer VALUES (2, 'Not delivered', '', '%', 2, 1, 0, 3, 5)"});
}

class Library : public ::testing::Test {
protected:
    void SetUp() override {
        WriteCatalogue(Path());
        library = std::make_unique<TQEVLibraryManager>(BuildConnectionString(Path()));
    }
    QString Path() const { return m_folder.path() + "/TAMO2.sqlite"; }
    QTemporaryDir m_folder;
    std::unique_ptr<TQEVLibraryManager> library;
};

} // namespace

TEST_F(Library, LoadsClassSetsInClassNumberOrder) {
    ASSERT_EQ(library->ClassSets().size(), 2u);
    const TQEV_Class& set = *library->ClassSets()[0];
    EXPECT_EQ(set.ID_Class, 1);
    EXPECT_EQ(set.ClassCount, 3);
    EXPECT_EQ(set.Labels[0], "ten");
    EXPECT_EQ(set.Labels[2], "thirty");
    EXPECT_DOUBLE_EQ(set.Dividers[1], 20.5);
    EXPECT_EQ(set.Colors[0], 0x0002012Cu) << "0x00BBGGRR of the low bytes (300 -> 44)";
    EXPECT_EQ(set.Colors[1], 0x0000FF00u);
    EXPECT_EQ(set.Colors[2], 0x00FF0000u);
}

TEST_F(Library, LoadsLibrariesAndThemesWithTheirRules) {
    ASSERT_EQ(library->Libraries().size(), 3u);
    EXPECT_EQ(library->Libraries()[0]->QevLibrary, "Soil units");
    EXPECT_EQ(library->Libraries()[0]->Path, m_folder.path() + "/TAMO2.bil");
    EXPECT_EQ(library->Libraries()[1]->ID_QevLibrary, 2);

    ASSERT_EQ(library->Themes().size(), 4u);
    const auto& themes = library->Themes();
    const TQEV_Layer& dominant = *themes[0];
    EXPECT_EQ(library->FirstTheme(), &dominant);
    EXPECT_EQ(dominant.LayerName, "Dominant soil");
    EXPECT_EQ(dominant.Library, library->Libraries()[0].get());
    EXPECT_EQ(dominant.DefaultMethod, 3) << "ID_Class_Type 4 is Pre-defined";
    EXPECT_EQ(dominant.ClassSet, library->ClassSets()[0].get());
    EXPECT_EQ(themes[1]->LayerName, "Unknown set");
    EXPECT_EQ(themes[1]->ClassSet, nullptr) << "an ID_Class without class set";
    EXPECT_EQ(themes[1]->Bytes, 4);

    const TQEV_Layer& ph = *themes[2];
    EXPECT_EQ(ph.LayerName, "Topsoil pH");
    EXPECT_EQ(ph.DefaultMethod, 0) << "ID_Class_Type 1 is Equal interval";
    EXPECT_EQ(ph.ClassSet, nullptr) << "ID_Class 0";
    EXPECT_TRUE(ph.ZeroIsValue);
    EXPECT_EQ(ph.Multiplier, 10);
    EXPECT_EQ(ph.Units, "pH");
    EXPECT_EQ(themes[3]->ClassSet, library->ClassSets()[1].get());
}

TEST_F(Library, FillsTheTreeAndTellsTheSelectedTheme) {
    QStandardItemModel tree;
    tree.appendRow(new QStandardItem("left over"));
    library->FillTree(tree);
    ASSERT_EQ(tree.rowCount(), 3);
    EXPECT_EQ(tree.item(0)->text(), "Soil units");
    EXPECT_EQ(tree.item(1)->text(), "Soil properties");
    EXPECT_EQ(tree.item(2)->text(), "Empty library");
    EXPECT_EQ(tree.item(2)->rowCount(), 0) << "a library without themes has no children";
    ASSERT_EQ(tree.item(0)->rowCount(), 2);
    EXPECT_EQ(tree.item(0)->child(0)->text(), "Dominant soil");
    EXPECT_EQ(tree.item(0)->child(1)->text(), "Unknown set");

    const TQEV_Layer* theme = nullptr;
    EXPECT_FALSE(library->SelectedTheme(tree.index(0, 0), theme)) << "a library node";
    EXPECT_EQ(theme, nullptr);
    EXPECT_FALSE(library->SelectedTheme(QModelIndex(), theme));

    const QModelIndex ph = tree.index(0, 0, tree.index(1, 0));
    EXPECT_TRUE(library->SelectedTheme(ph, theme));
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(theme->LayerName, "Topsoil pH");

    const QModelIndex notDelivered = tree.index(1, 0, tree.index(1, 0));
    EXPECT_FALSE(library->SelectedTheme(notDelivered, theme)) << "an empty FileName cannot be opened";
    EXPECT_EQ(theme->LayerName, "Not delivered");
}

TEST(LibraryCreate, MissingCatalogueTablesStopLoadingWithTheDatabaseMessage) {
    QTemporaryDir folder;
    const QString path = folder.path() + "/other.sqlite";
    ExecSql(path, {"CREATE TABLE WRB_Class (ID_Class INTEGER)"});
    try {
        TQEVLibraryManager library(BuildConnectionString(path));
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_EQ(error.Message(),
                  "The attribute database \"" + path +
                      "\" lacks a table or field that is asked for: no such table: WRB_Library");
    }
}
