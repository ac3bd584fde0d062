#include "TamoFixture.h"
#include "common/TAMOError.h"
#include "db/TAMO.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

class Tamo : public ::testing::Test {
protected:
    TSoilDatabase database;
    TTAMO tamo{database.ConnectionString()};
};

} // namespace

TEST_F(Tamo, CreateLoadsMetadataInIdOrderWithTheirDomains) {
    const TSMUMetaData& smu = tamo.SmuMeta();
    const QStringList smuFields = FixtureSmuFields();
    for (int i = 0; i < kSmuFieldCount; ++i)
        EXPECT_EQ(smu.FieldNames[i], smuFields[i]);
    EXPECT_EQ(smu.Units[3], " u4");
    EXPECT_EQ(smu.Descriptions[3], " SMU field 4");
    ASSERT_TRUE(smu.DomainLists[9]);
    EXPECT_EQ(smu.DomainLists[9]->Count(), 3);
    EXPECT_FALSE(smu.DomainLists[10]) << "a blank domain name names no table in the SMU metadata";
    EXPECT_FALSE(smu.DomainLists[0]);

    const TMetaData& layers = tamo.LayerMeta();
    EXPECT_EQ(layers.FieldNames[0], "SEQUENCE");
    EXPECT_EQ(layers.FieldNames[46], "A46");
    EXPECT_EQ(layers.Units[46], " cm");
    ASSERT_TRUE(layers.DomainLists[2]);
    TIntStrItem item;
    layers.DomainLists[2]->Get(0, item);
    EXPECT_EQ(item.Code, "1") << "integer codes read as text, in Code order";
    EXPECT_EQ(item.Value, "Coarse");
    EXPECT_FALSE(tamo.SelectionActive());
}

// Domain tables are named by metadata cells: the name is used as a name, whatever it holds.
TEST(TamoCreate, DomainTablesAreNamedNotPasted) {
    TSoilDatabase database;
    ExecSql(database.Path(),
            {"CREATE TABLE \"Texture Codes\" (Code INTEGER, Value TEXT)",
             "INSERT INTO \"Texture Codes\" VALUES (1, 'Coarse')",
             "UPDATE TAMO2_LAYERS_METADATA SET Domain = 'Texture Codes' WHERE Field = 'TEXTURE'",
             "UPDATE TAMO2_SMU_METADATA SET Domain = ' D_WRB ' WHERE Field = 'WRB'"});
    {
        TTAMO tamo(database.ConnectionString());
        ASSERT_TRUE(tamo.LayerMeta().DomainLists[2]);
        EXPECT_EQ(tamo.LayerMeta().DomainLists[2]->Count(), 1);
        ASSERT_TRUE(tamo.SmuMeta().DomainLists[9]) << "blanks around a name are no part of it";
        EXPECT_EQ(tamo.SmuMeta().DomainLists[9]->Count(), 3);
    }
    ExecSql(database.Path(), {"UPDATE TAMO2_LAYERS_METADATA SET Domain = 'D_TEXTURE order by Code; --' "
                              "WHERE Field = 'TEXTURE'"});
    try {
        TTAMO tamo(database.ConnectionString());
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("no such table: D_TEXTURE order by Code; --")) << error.what();
    }
}

TEST_F(Tamo, EveryIndexHasAGenerationOfItsOwn) {
    const std::uint64_t created = tamo.IndexGeneration();
    EXPECT_TRUE(tamo.BuildWrbIndex());
    const std::uint64_t built = tamo.IndexGeneration();
    EXPECT_NE(built, created);
    EXPECT_TRUE(tamo.BuildWrbIndex());
    EXPECT_NE(tamo.IndexGeneration(), built);
    TTAMO other(database.ConnectionString());
    EXPECT_NE(other.IndexGeneration(), tamo.IndexGeneration());
}

TEST_F(Tamo, WrbIndexAnswersNoCodeForAbsentIds) {
    EXPECT_TRUE(tamo.BuildWrbIndex());
    EXPECT_EQ(tamo.WrbIndex().Count(), 4);
    const std::pair<int, int> cases[] = {{10, 100},
                                         {11, 110},
                                         {20, 200},
                                         {40, 400},
                                         {0, TSmuLookup::kNoWrbCode},  // below every key
                                         {15, TSmuLookup::kNoWrbCode}, // between keys
                                         {30, TSmuLookup::kNoWrbCode},
                                         {65535, TSmuLookup::kNoWrbCode}}; // above every key
    for (const auto& [id, code] : cases)
        EXPECT_EQ(tamo.WrbCodeOf(id), code) << "id " << id;
}

TEST_F(Tamo, FetchLayersOrdersRecordsAndHandlesIdZeroAndMissingUnits) {
    ASSERT_TRUE(tamo.FetchLayers(10));
    ASSERT_EQ(tamo.Layers().size(), 3u);
    QStringList order;
    for (const T_SU_Record& record : tamo.Layers()) {
        EXPECT_EQ(record.Count, 3);
        order << record.Values[0] + "." + record.Values[1];
    }
    EXPECT_EQ(order, (QStringList{"1.1", "1.2", "2.1"}));

    ASSERT_TRUE(tamo.FetchLayers(0));
    ASSERT_EQ(tamo.Layers().size(), 1u);
    EXPECT_EQ(tamo.Layers()[0].Count, 1);
    for (const QString& value : tamo.Layers()[0].Values)
        EXPECT_EQ(value, "-");

    EXPECT_FALSE(tamo.FetchLayers(30));
    EXPECT_TRUE(tamo.Layers().empty());
}

TEST_F(Tamo, FetchSmuKeepsThePreviousUnitWhenThereIsNoRow) {
    EXPECT_TRUE(tamo.FetchSmu(10));
    EXPECT_EQ(tamo.SmuValues()[0], "10");
    EXPECT_EQ(tamo.SmuValues()[2], "Unit 10");
    EXPECT_TRUE(tamo.FetchSmu(30));
    EXPECT_EQ(tamo.SmuValues()[2], "Unit 10");
}

TEST_F(Tamo, SmuFieldTexts) {
    ASSERT_TRUE(tamo.FetchSmu(10));
    using N = TNumberFormat;
    EXPECT_EQ(tamo.SmuFieldText(4, TDecode::Yes, N::No), "-"); // "-"
    EXPECT_EQ(tamo.SmuFieldText(5, TDecode::Yes, N::No), "-"); // empty
    EXPECT_EQ(tamo.SmuFieldText(6, TDecode::Yes, N::No), "-"); // blanks
    EXPECT_EQ(tamo.SmuFieldText(7, TDecode::Yes, N::No), "-"); // NULL
    EXPECT_EQ(tamo.SmuFieldText(9, TDecode::Yes, N::No), "Acrisols");
    EXPECT_EQ(tamo.SmuFieldText(9, TDecode::No, N::No), "AC");
    EXPECT_EQ(tamo.SmuFieldText(3, TDecode::Yes, N::Yes), "12.35");
    EXPECT_EQ(tamo.SmuFieldText(3, TDecode::Yes, N::No), "12.346");
    EXPECT_THROW(tamo.SmuFieldText(2, TDecode::No, N::Yes), TAMOError); // "Unit 10" is no number
    EXPECT_THROW(tamo.SmuFieldText(23, TDecode::No, N::No), TAMOError);

    ASSERT_TRUE(tamo.FetchSmu(11));
    EXPECT_EQ(tamo.SmuFieldText(9, TDecode::Yes, N::No), "xxxx") << "the untrimmed code is not in the table";
    ASSERT_TRUE(tamo.FetchSmu(40));
    EXPECT_EQ(tamo.SmuFieldText(9, TDecode::Yes, N::No), "Fluvisols") << "codes are trimmed when loaded";
    ASSERT_TRUE(tamo.FetchSmu(20));
    EXPECT_EQ(tamo.SmuFieldText(9, TDecode::Yes, N::No), "xxxx");

    EXPECT_EQ(TTAMO::DecodeDomain(tamo.SmuMeta().DomainLists[9].get(), "  "), "");
    EXPECT_EQ(TTAMO::DecodeDomain(tamo.SmuMeta().DomainLists[9].get(), "ac"), "lower case");
}

TEST_F(Tamo, LayerFieldTexts) {
    ASSERT_TRUE(tamo.FetchLayers(10));
    // Records in order: (1,1) texture 9, pH 7, OC 0.5, A5 3; (1,2) 2, -9, -2.47, ""; (2,1) 1, 6.5, 1.04,
    // blanks.
    struct TCase {
        int Attribute;
        int Record;
        TLayerKind Kind;
        TDecode Decode;
        const char* Expected;
    };
    const TCase cases[] = {
        {2, 1, TLayerKind::AsText, TDecode::Yes, "xxxx"},
        {2, 2, TLayerKind::AsText, TDecode::Yes, "Medium"},
        {2, 3, TLayerKind::AsText, TDecode::Yes, "Coarse"},
        {2, 3, TLayerKind::Decimals1, TDecode::No, "1.0"},
        {3, 2, TLayerKind::Decimals1, TDecode::No, "N.A"}, // a negative whole number
        {3, 2, TLayerKind::AsText, TDecode::No, "N.A"},
        {4, 2, TLayerKind::Decimals1, TDecode::No, "-2.5"}, // a negative fraction is a number
        {4, 2, TLayerKind::Decimals2, TDecode::No, "-2.47"},
        {4, 2, TLayerKind::Decimals0, TDecode::No, "-2"},
        {3, 3, TLayerKind::Decimals2, TDecode::No, "6.50"},
        {4, 3, TLayerKind::Decimals0, TDecode::No, "1"},
        {4, 3, TLayerKind::Decimals2, TDecode::No, "1.04"},
        {5, 1, TLayerKind::AsText, TDecode::No, "3"},
        {5, 2, TLayerKind::AsText, TDecode::No, "-"},    // empty
        {5, 3, TLayerKind::Decimals1, TDecode::No, "-"}, // blanks
        {6, 1, TLayerKind::Decimals1, TDecode::No, "-"}, // "-"
        {7, 1, TLayerKind::AsText, TDecode::No, "abc"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(tamo.LayerFieldText(c.Attribute, c.Record, c.Kind, c.Decode), c.Expected)
            << "attribute " << c.Attribute << " record " << c.Record;
    EXPECT_THROW(tamo.LayerFieldText(7, 1, TLayerKind::Decimals1, TDecode::No), TAMOError);
    EXPECT_THROW(tamo.LayerFieldText(3, 4, TLayerKind::AsText, TDecode::No), TAMOError);

    ASSERT_TRUE(tamo.FetchLayers(20));
    EXPECT_EQ(tamo.LayerFieldText(4, 1, TLayerKind::Decimals1, TDecode::No), "0.0") << "no \"-0.0\"";
}

// Missing values (-9) come as integers from SQLite and may come as whole reals ("-9.0") from a
// source that keeps every number as a real.
TEST_F(Tamo, AWholeNumberBelowZeroShowsNotAvailableInEitherForm) {
    const struct {
        const char* Stored;
        TLayerKind Kind;
        const char* Expected;
    } cases[] = {
        {"-9", TLayerKind::Decimals1, "N.A"},     {"-9.0", TLayerKind::Decimals1, "N.A"},
        {"-9.00", TLayerKind::Decimals0, "N.A"},  {" -9.0 ", TLayerKind::AsText, "N.A"},
        {"-9.5", TLayerKind::Decimals1, "-9.5"},  {"-9.05", TLayerKind::Decimals2, "-9.05"},
        {"-0.0", TLayerKind::Decimals1, "0.0"},   {"-9.", TLayerKind::Decimals0, "-9"},
        {"9.0", TLayerKind::Decimals0, "9"},      {"-9.0x", TLayerKind::AsText, "-9.0x"},
        {"-1e3", TLayerKind::Decimals0, "-1000"}, {"--9.0", TLayerKind::AsText, "--9.0"},
    };
    T_SU_Record record;
    for (const auto& c : cases) {
        record.Values[3] = c.Stored;
        EXPECT_EQ(tamo.LayerFieldText(record, 3, c.Kind, TDecode::No), c.Expected) << "stored " << c.Stored;
    }
}

TEST_F(Tamo, SelectSmusKeepsASortedActiveSelection) {
    int count = -1;
    EXPECT_TRUE(tamo.SelectSmus("TAMO2_SMU", "WRB2_Code >= 110", count));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(tamo.SelectionActive());
    EXPECT_EQ(std::vector<int>(tamo.Selection().begin(), tamo.Selection().end()),
              (std::vector<int>{11, 20, 40}));
    EXPECT_TRUE(tamo.IsSelected(20));
    EXPECT_FALSE(tamo.IsSelected(10));
    tamo.SetSelectionActive(false);
    EXPECT_FALSE(tamo.IsSelected(20));

    // The layer table in the query window's layer mode: one id per matching row.
    EXPECT_TRUE(tamo.SelectSmus("TAMO2_LAYERS", "SEQUENCE = '1'", count));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(tamo.IsSelected(10));
    EXPECT_TRUE(tamo.IsSelected(20));

    EXPECT_TRUE(tamo.SelectSmus("TAMO2_SMU", "TAMO2_SMU_ID = 3482", count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(tamo.SelectionActive());
    EXPECT_EQ(tamo.Selection().Count(), 0);
}

TEST_F(Tamo, SelectSmusErrorsCarryTheDatabaseMessageAndChangeNothing) {
    int count = 0;
    ASSERT_TRUE(tamo.SelectSmus("TAMO2_SMU", "WRB2_Code = 100", count));
    tamo.SetSelectionActive(false);
    try {
        tamo.SelectSmus("TAMO2_SMU", "WRB2_Code = = 1", count);
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("syntax error")) << error.what();
    }
    EXPECT_FALSE(tamo.SelectionActive()) << "the flag keeps its value";
    // The ids of the last query that ran stay: a rejected condition takes nothing off the map.
    EXPECT_EQ(tamo.Selection().Count(), 1);

    // The table is a name, never SQL.
    try {
        tamo.SelectSmus("TAMO2_SMU where 1=1 --", "1=1", count);
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("no such table: TAMO2_SMU where 1=1 --")) << error.what();
    }
    EXPECT_THROW(tamo.SelectSmus("TAMO2_SMU", "1=1; drop table TAMO2_SMU", count), TAMOError);
    EXPECT_THROW(tamo.SelectSmus("TAMO2_SMU", "1=1; delete from TAMO2_SMU", count), TAMOError);
    EXPECT_EQ(ScalarSql(database.Path(), "select count(*) from TAMO2_SMU"), "4");
    EXPECT_TRUE(tamo.BuildWrbIndex());
    EXPECT_EQ(tamo.WrbCodeOf(40), 400);
}

TEST(TamoCreate, MissingTablesStopCreateWithTheDatabaseMessage) {
    QTemporaryDir folder;
    const QString path = folder.path() + "/empty.sqlite";
    ExecSql(path, {"CREATE TABLE Other (a)"});
    try {
        TTAMO tamo(BuildConnectionString(path));
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().startsWith("The attribute database \"" + path + "\"")) << error.what();
        EXPECT_TRUE(error.Message().endsWith(": no such table: TAMO2_LAYERS_METADATA")) << error.what();
    }
}
