// What the SMU details table and the overview show, as data, and the CSV text of the export.
#include "ReportFixture.h"
#include "TestSupport.h"
#include "common/TAMOError.h"
#include "reports/SmuCsv.h"
#include "reports/SmuTableContent.h"
#include "reports/SoilOverviewContent.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class SmuTableContentTest : public ::testing::Test {
protected:
    TSmuTableContent Show(int unit) {
        EXPECT_TRUE(db.Tamo->FetchLayers(unit));
        db.Tamo->FetchSmu(unit);
        return TSmuTableContent(*db.Tamo, unit);
    }
    TScopedEnvironment env;
    TReportDatabase db;
};

TEST_F(SmuTableContentTest, ComponentColumnsAreWholeGroupsOfSevenRecords) {
    EXPECT_EQ(Show(1).ColumnCount(), 4); // 21 records
    EXPECT_EQ(Show(2).ColumnCount(), 4); // 22 records: the 22nd is not shown
    EXPECT_EQ(Show(3).ColumnCount(), 2);
    const TSmuTableContent sea = Show(0); // one record of "-"
    EXPECT_EQ(sea.ComponentCount(), 0);
    EXPECT_EQ(sea.Rows(TDecode::Yes).size(), 186u);
    EXPECT_EQ(sea.Rows(TDecode::Yes)[0].size(), 1);
    EXPECT_EQ(sea.Cell(1, 1, TDecode::Yes), "");
}

TEST_F(SmuTableContentTest, CellsFollowTheRowTable) {
    const TSmuTableContent unit = Show(1);
    struct TCase {
        int Row, Column;
        TDecode Decode;
        QString Expected;
    };
    const TCase cases[] = {
        // Labels: description with the unit in brackets, none for CLASS in any case or a blank unit.
        {0, 0, TDecode::Yes, "Sequence"},
        {1, 0, TDecode::Yes, "Share in the mapping unit (%)"},
        {2, 0, TDecode::Yes, "Soil mapping unit"},
        {3, 0, TDecode::Yes, "Soil unit (WRB 2022)"},
        {5, 0, TDecode::Yes, "Soil Unit Name (WRB correlat.OXU90)"},
        {7, 0, TDecode::Yes, "Soil Unit Name (OXU 1990)"},
        {11, 0, TDecode::Yes, ""},
        {16, 0, TDecode::Yes, "Gelic Properties"},
        {17, 0, TDecode::Yes, "Vertic Properties"},
        {18, 0, TDecode::Yes, ""},
        {19, 0, TDecode::Yes, "Upper depth (cm)"},
        {25, 0, TDecode::Yes, "Texture class (USDA)"},
        {26, 0, TDecode::Yes, "Bulk density (g/cm3)"},
        {31, 0, TDecode::Yes, "Attribute 36 (u36)"},
        {185, 0, TDecode::No, "Attribute 46 (u46)"},
        // Values: the component number, then the attributes of the table, decoded or not.
        {0, 3, TDecode::Yes, "3"},
        {1, 1, TDecode::Yes, "60"},
        {1, 3, TDecode::No, "10"},
        {2, 2, TDecode::Yes, "1"},
        {3, 1, TDecode::Yes, "Eutric Cambisols (WRB)"}, // attribute 8, not 7
        {3, 1, TDecode::No, "CMeu"},
        {4, 1, TDecode::Yes, "Eutric Cambisols"},
        {5, 2, TDecode::Yes, "Haplic Cambisols"},
        {5, 2, TDecode::No, "CMha"},
        {6, 1, TDecode::Yes, "CMe"}, // never decoded
        {7, 1, TDecode::Yes, "Eutric Cambisols (1990)"},
        {8, 1, TDecode::Yes, "Moderately well drained"},
        {8, 1, TDecode::No, "3"},
        {12, 2, TDecode::Yes, "-"}, // NULL
        {13, 1, TDecode::Yes, "81"},
        // Gelic and Vertic judged on the decoded property, whether Domains is on or off.
        {16, 1, TDecode::Yes, "Yes"},
        {16, 2, TDecode::Yes, "-"},
        {16, 1, TDecode::No, "Yes"},
        {17, 2, TDecode::Yes, "Yes"},
        {17, 2, TDecode::No, "Yes"},
        {17, 3, TDecode::Yes, "-"},
        // Separators have no cells; depth layers take their own record.
        {18, 1, TDecode::Yes, ""},
        {162, 2, TDecode::Yes, ""},
        {19, 3, TDecode::Yes, "3"},
        {19 + 24 * 6, 2, TDecode::Yes, "122"},
        {25, 1, TDecode::Yes, "Loam"},
        {25, 1, TDecode::No, "5"},
        {26, 1, TDecode::Yes, "1.3"},
        {30, 1, TDecode::Yes, "N.A"},
        {185, 3, TDecode::Yes, "56"},
        {0, 4, TDecode::Yes, ""}, // no such component
    };
    for (const TCase& c : cases)
        EXPECT_EQ(unit.Cell(c.Row, c.Column, c.Decode), c.Expected)
            << "row " << c.Row << ", column " << c.Column;
}

TEST_F(SmuTableContentTest, ATextUnderANumberFormatShowsAsText) {
    EXPECT_EQ(Show(3).Cell(11, 1, TDecode::Yes), "n.d.");
}

TEST_F(SmuTableContentTest, SeparatorRowsNameTheirLayer) {
    EXPECT_EQ(TSmuTableContent::SeparatorLayer(18), 1);
    EXPECT_EQ(TSmuTableContent::SeparatorLayer(42), 2);
    EXPECT_EQ(TSmuTableContent::SeparatorLayer(162), 7);
    for (int row : {0, 17, 19, 41, 185, 186})
        EXPECT_EQ(TSmuTableContent::SeparatorLayer(row), 0) << row;
}

TEST_F(SmuTableContentTest, HeaderFactsDecodedAndRaw) {
    const TSmuTableContent unit = Show(1);
    EXPECT_EQ(unit.HeaderValue(TSmuHeaderField::Coverage, TDecode::Yes), "Good");
    EXPECT_EQ(unit.HeaderValue(TSmuHeaderField::Coverage, TDecode::No), "1");
    EXPECT_EQ(unit.HeaderValue(TSmuHeaderField::SoilMappingUnit, TDecode::Yes), "1");
    EXPECT_EQ(unit.HeaderValue(TSmuHeaderField::DominantWrb, TDecode::Yes), "Eutric Cambisols (WRB) (CMeu)");
    EXPECT_EQ(unit.HeaderValue(TSmuHeaderField::DominantWrb, TDecode::No), "CMeu (CMeu)");
    EXPECT_EQ(unit.HeaderValue(TSmuHeaderField::DominantOxu, TDecode::Yes), "Eutric Cambisols (1990) (CMe)");
    // The sea has no SMU row: the previous unit's facts are not shown as its own.
    const TSmuTableContent sea = Show(0);
    EXPECT_EQ(sea.HeaderValue(TSmuHeaderField::Coverage, TDecode::Yes), "-");
    EXPECT_EQ(sea.HeaderValue(TSmuHeaderField::DominantWrb, TDecode::Yes), "- (-)");
}

TEST_F(SmuTableContentTest, KeepsItsUnitWhenTheDatabaseMovesOn) {
    const TSmuTableContent unit = Show(1);
    ASSERT_FALSE(db.Tamo->FetchLayers(4)); // no layer rows: the database's records are gone
    EXPECT_EQ(unit.Cell(17, 2, TDecode::No), "Yes");
    EXPECT_EQ(unit.Cell(1, 1, TDecode::No), "60");
}

TEST(SmuCsv, CellsAreBareOnlyWhenWholeNumbers) {
    const std::pair<QString, QString> cases[] = {
        {"12", "12"},
        {"-12", "-12"},
        {"+3", "+3"},
        {"0", "0"},
        {"12.5", "\"12.5\""},
        {"-", "\"-\""},
        {"N.A", "\"N.A\""},
        {"", "\"\""},
        {" 12", "\" 12\""},
        {"1e3", "\"1e3\""},
        {"99999999999", "\"99999999999\""},
        {"a \"b\" c", "\"a \"\"b\"\" c\""},
        {"\"", "\"\"\"\""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CsvCell(text), expected) << text.toStdString();
    EXPECT_EQ(CsvLine({"a", "1", ""}), "\"a\",1,\"\"");
}

TEST(SmuCsv, FileNameKeepsCsvAndReplacesOtherExtensions) {
    const std::pair<QString, QString> cases[] = {
        {"/d/unit.csv", "/d/unit.csv"}, {"/d/unit.CsV", "/d/unit.CsV"}, {"/d/unit", "/d/unit.CSV"},
        {"/d/unit.txt", "/d/unit.CSV"}, {"/d/a.b.txt", "/d/a.b.CSV"},   {"/d.x/unit", "/d.x/unit.CSV"},
    };
    for (const auto& [chosen, expected] : cases)
        EXPECT_EQ(SmuCsvFileName(chosen), expected) << chosen.toStdString();
}

TEST_F(SmuTableContentTest, ExportMatchesTheExpectedFileByteForByte) {
    const TSmuTableContent unit = Show(3);
    const QByteArray text = SmuCsvText(unit, TDecode::Yes,
                                       {"Coverage:", "Soil Mapping Unit (SMU):",
                                        "Dominant Soil Unit (WRB 2022):", "Dominant Soil Unit (OXU 1990):"});
    QFile expected(QString(TAMO_TESTDATA_DIR) + "/reports/smu3_domains.csv");
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    const QByteArray wanted = expected.readAll();
    EXPECT_EQ(text, wanted);
    // Spot checks of what the file is made to show.
    EXPECT_TRUE(text.startsWith("\"Coverage:\",\"Good\"\r\n"));
    EXPECT_TRUE(text.contains("\r\n\"Soil name (WRB 2022)\",\"Haplic \"\"Cambisols\"\"\"\r\n"));
    EXPECT_TRUE(text.contains("\r\n\"Attribute 26 (u26)\",12\r\n"));
    EXPECT_TRUE(text.contains("\r\n\"Bulk density (g/cm3)\",\"12.5\"\r\n"));
    EXPECT_TRUE(text.contains("\r\n\"\",\"n.d.\"\r\n")); // the row without a label
    EXPECT_TRUE(text.contains("\r\nDepth Layer D1\r\n"));
    EXPECT_TRUE(text.endsWith("\r\n\"Attribute 46 (u46)\",56\r\n"));
    EXPECT_EQ(text.count("\r\n"), 4 + 186);
}

TEST_F(SmuTableContentTest, ExportOfTheSeaHasOneCellALine) {
    const QByteArray text = SmuCsvText(Show(0), TDecode::Yes, {"a", "b", "c", "d"});
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 4 + 186 + 1);
    for (int layer = 1; layer <= 7; ++layer)
        EXPECT_EQ(lines[4 + 18 + 24 * (layer - 1)], "Depth Layer D" + QByteArray::number(layer) + "\r");
    EXPECT_EQ(lines[4 + 1], "\"Share in the mapping unit (%)\"\r");
}

TEST(SmuCsv, WritingReplacesWholeOrFailsWithTheReason) {
    QTemporaryDir folder;
    const QString path = folder.path() + "/unit.CSV";
    WriteFileReplacing(path, "a long first content\r\n");
    WriteFileReplacing(path, "short\r\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "short\r\n");
    // A folder that is a file: nothing can be created there.
    const QString blocked = folder.path() + "/unit.CSV/inner.CSV";
    try {
        WriteFileReplacing(blocked, "x");
        ADD_FAILURE() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("inner.CSV")) << error.Message().toStdString();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(SmuTableContentTest, OverviewBindsFourGridsAndLeavesRowsBeyondTheRecordEmpty) {
    ASSERT_TRUE(db.Tamo->FetchLayers(1));
    const TSoilOverviewContent overview(*db.Tamo);
    EXPECT_EQ(overview.RecordCount(), 21);
    EXPECT_EQ(TSoilOverviewContent::FieldName(*db.Tamo, ogGeneral1, 1), "TAMO2_SMU_ID");
    EXPECT_EQ(TSoilOverviewContent::FieldName(*db.Tamo, ogGeneral2, 14), "COARSE");
    EXPECT_EQ(TSoilOverviewContent::FieldName(*db.Tamo, ogProperties1, 16), "AL_SAT");
    EXPECT_EQ(TSoilOverviewContent::FieldName(*db.Tamo, ogProperties2, 5), "AWC_VOL");
    for (int row = 6; row <= 16; ++row) {
        EXPECT_EQ(TSoilOverviewContent::FieldName(*db.Tamo, ogProperties2, row), "");
        EXPECT_EQ(overview.Value(ogProperties2, row, 1, TDecode::Yes), "");
    }
    // Record 8 is the first layer of the second component; every value without decimals.
    EXPECT_EQ(overview.Value(ogGeneral1, 6, 8, TDecode::Yes), "2");                    // SEQUENCE
    EXPECT_EQ(overview.Value(ogGeneral2, 11, 8, TDecode::Yes), "Depth layer 0-20 cm"); // LAYER
    EXPECT_EQ(overview.Value(ogGeneral2, 11, 8, TDecode::No), "D1");
    EXPECT_EQ(overview.Value(ogGeneral1, 10, 1, TDecode::No), "Eutric Cambisols"); // a text stays a text
    EXPECT_EQ(overview.Value(ogProperties1, 6, 1, TDecode::No), "1");              // BULK 1.3
}

} // namespace
