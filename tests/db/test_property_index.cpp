#include "TamoFixture.h"
#include "TestSupport.h"
#include "common/TAMOError.h"
#include "db/PropertyIndex.h"
#include "db/TAMO.h"

#include <gtest/gtest.h>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// A soil database small enough to work out by hand. Units:
//  1  two components (60 % pH 5.0, 40 % pH 7.0 in D1); only the first reaches D2 (pH 6.0)
//  2  dominant component missing (-9), the second (30 %) has pH 8.0
//  3  one component whose pH is NULL
//  4  a glacier (ISSOIL 0) whose rows carry numbers anyway
//  5  no layer rows at all
//  6  one component's pH is a text that is no number, the other's 6.4; a third has no share
//  70000 beyond the ids a 16-bit raster holds
void WritePropertyDatabase(const QString& path) {
    ExecSql(
        path,
        {"CREATE TABLE TAMO2_SMU (TAMO2_SMU_ID INTEGER, ISSOIL INTEGER, PH_TOP NUMERIC, "
         "ELEVATION INTEGER, NAME TEXT)",
         "CREATE TABLE TAMO2_LAYERS (TAMO2_SMU_ID INTEGER, SEQUENCE INTEGER, SHARE INTEGER, LAYER TEXT, "
         "PH_H2O NUMERIC, TEXTURE INTEGER, WRB2_NAME TEXT, ORG_CARBON REAL)",
         "CREATE TABLE TAMO2_SMU_METADATA (ID INTEGER, Field TEXT, Domain TEXT, Unit TEXT, Description "
         "TEXT)",
         "CREATE TABLE TAMO2_LAYERS_METADATA (ID INTEGER, Field TEXT, Domain TEXT, Unit TEXT, "
         "Description TEXT)",
         "INSERT INTO TAMO2_SMU_METADATA VALUES (1, 'TAMO2_SMU_ID', '', '', 'Identifier'), "
         "(2, 'ISSOIL', 'D_ISSOIL', 'CLASS', 'Soil or non-soil unit'), "
         "(3, 'PH_TOP', '', '-log(H+)', 'pH of the topsoil'), (4, 'ELEVATION', '', 'm', 'Elevation'), "
         "(5, 'NAME', '', '', 'Name')",
         "INSERT INTO TAMO2_LAYERS_METADATA VALUES (1, 'TAMO2_SMU_ID', '', '', 'Unit'), "
         "(2, 'SEQUENCE', '', '', 'Component'), (3, 'SHARE', '', '%', 'Share'), "
         "(4, 'LAYER', 'D_LAYER', 'CLASS', 'Depth layer'), (5, 'PH_H2O', '', '-log(H+)', ' pH in water '), "
         "(6, 'TEXTURE', 'D_TEXTURE', 'CLASS', 'Texture'), (7, 'WRB2_NAME', '', '', 'Soil name'), "
         "(8, 'ORG_CARBON', '', '', 'Organic carbon')",
         "CREATE TABLE D_ISSOIL (Code INTEGER, Value TEXT)",
         "INSERT INTO D_ISSOIL VALUES (0, 'Non-soil'), (1, 'Soil')",
         "CREATE TABLE D_TEXTURE (Code INTEGER, Value TEXT)", "INSERT INTO D_TEXTURE VALUES (1, 'Coarse')",
         "CREATE TABLE D_LAYER (Code TEXT, Value TEXT)",
         "INSERT INTO D_LAYER VALUES ('D1', 'Depth layer 0-20 cm'), ('D2', 'Depth layer 20 - 40 cm'), "
         "('D3', 'Subsoil')",
         "INSERT INTO TAMO2_SMU VALUES (1, 1, 5.5, 120, 'a'), (2, 1, -9, 80, 'b'), (3, 1, NULL, 10, 'c'), "
         "(4, 0, 7.1, 2500, 'ice'), (5, 1, 6.2, -9, 'e'), (6, 1, '6.8', 30, 'f'), (70000, 1, 4.0, 1, 'g')",
         "INSERT INTO TAMO2_LAYERS VALUES "
         "(1, 2, 40, 'D1', 7.0, 1, 'x', 1), (1, 1, 60, 'D1', 5.0, 1, 'x', 2), (1, 1, 60, 'D2', 6.0, 1, 'x', "
         "1), "
         "(2, 1, 70, 'D1', -9, 1, 'x', -9), (2, 2, 30, 'D1', 8.0, 1, 'x', 0.5), "
         "(3, 1, 100, 'D1', NULL, 1, 'x', NULL), "
         "(4, 1, 100, 'D1', 7.5, 1, 'x', 0), "
         "(6, 1, 50, 'D1', 'abc', 1, 'x', 1), (6, 2, 30, 'D1', 6.4, 1, 'x', 1), "
         "(6, 3, -9, 'D1', 9.9, 1, 'x', 1), "
         "(70000, 1, 100, 'D1', 4.0, 1, 'x', 1)"});
}

class PropertyIndexTest : public ::testing::Test {
protected:
    PropertyIndexTest() {
        WritePropertyDatabase(m_folder.path() + "/TAMO2.sqlite");
        tamo = std::make_unique<TTAMO>(BuildConnectionString(m_folder.path() + "/TAMO2.sqlite"));
        catalogue = TPropertyCatalogue(*tamo);
    }

    QTemporaryDir m_folder;
    std::unique_ptr<TTAMO> tamo;
    TPropertyCatalogue catalogue;
};

} // namespace

TEST_F(PropertyIndexTest, CatalogueListsTheNumericAttributesWithTheirLayersAndNonSoilUnits) {
    QStringList titles;
    for (const TPropertyAttribute& attribute : catalogue.Attributes())
        titles << QString(attribute.Level == TPropertyLevel::Unit ? "unit " : "layer ") + attribute.Title();
    // Keys, the share, coded and text fields are no property.
    EXPECT_EQ(titles, QStringList({"unit pH of the topsoil (-log(H+))", "unit Elevation (m)",
                                   "layer pH in water (-log(H+))", "layer Organic carbon"}));
    EXPECT_TRUE(catalogue.FindAttribute(TPropertyLevel::Unit, "PH_TOP")->SoilProperty);
    EXPECT_FALSE(catalogue.FindAttribute(TPropertyLevel::Unit, "elevation")->SoilProperty);
    EXPECT_EQ(catalogue.FindAttribute(TPropertyLevel::Layer, "PH_H2O")->Position, 4);
    EXPECT_EQ(catalogue.FindAttribute(TPropertyLevel::Unit, "PH_H2O"), nullptr);

    QStringList layers;
    for (const TDepthLayer& layer : catalogue.DepthLayers())
        layers << layer.Title();
    EXPECT_EQ(layers, QStringList({"D1 0-20 cm", "D2 20-40 cm", "D3 Subsoil"}));
    EXPECT_EQ(catalogue.NonSoilUnits(), std::vector<int>{4});
}

TEST_F(PropertyIndexTest, ValuesOfEachCombinationSkipMissingValuesAndNonSoilUnits) {
    using C = TPropertyCombination;
    const struct {
        TPropertyDefinition Definition;
        std::vector<double> Expected; // units 1 .. 6
    } cases[] = {
        {{TPropertyLevel::Layer, "PH_H2O", "D1", C::Dominant}, {5.0, kNone, kNone, kNone, kNone, kNone}},
        {{TPropertyLevel::Layer, "PH_H2O", "D1", C::ShareWeightedMean},
         {0.6 * 5.0 + 0.4 * 7.0, 8.0, kNone, kNone, kNone, 6.4}},
        {{TPropertyLevel::Layer, "PH_H2O", "D2", C::ShareWeightedMean},
         {6.0, kNone, kNone, kNone, kNone, kNone}},
        {{TPropertyLevel::Layer, "ORG_CARBON", "D1", C::ShareWeightedMean},
         {0.6 * 2 + 0.4 * 1, 0.5, kNone, kNone, kNone, 1.0}},
        {{TPropertyLevel::Unit, "PH_TOP"}, {5.5, kNone, kNone, kNone, 6.2, 6.8}},
        // The elevation describes the place: a glacier has one too.
        {{TPropertyLevel::Unit, "ELEVATION"}, {120, 80, 10, 2500, kNone, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Definition.Field.toStdString() + " " + c.Definition.Layer.toStdString() + " " +
                     CombinationName(c.Definition.Combination).toStdString());
        const TPropertyIndex index = TPropertyIndex::Build(*tamo, catalogue, c.Definition);
        int withValue = 0;
        for (int id = 1; id <= 6; ++id) {
            const double expected = c.Expected[std::size_t(id - 1)];
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(index.ValueOf(id))) << "unit " << id << ": " << index.ValueOf(id);
            } else {
                EXPECT_DOUBLE_EQ(index.ValueOf(id), expected) << "unit " << id;
                ++withValue;
            }
        }
        EXPECT_EQ(index.UnitsWithValue(), withValue) << "units beyond the 16-bit ids are not kept";
        EXPECT_TRUE(std::isnan(index.ValueOf(0)));
        EXPECT_TRUE(std::isnan(index.ValueOf(70000)));
    }
}

TEST_F(PropertyIndexTest, RangeAndCaption) {
    const TPropertyDefinition definition{TPropertyLevel::Layer, "PH_H2O", "D1",
                                         TPropertyCombination::ShareWeightedMean};
    const TPropertyIndex index = TPropertyIndex::Build(*tamo, catalogue, definition);
    EXPECT_DOUBLE_EQ(index.Minimum(), 5.8);
    EXPECT_DOUBLE_EQ(index.Maximum(), 8.0);
    const TPropertyAttribute& ph = *catalogue.FindAttribute(TPropertyLevel::Layer, "PH_H2O");
    EXPECT_EQ(PropertyCaption(ph, definition), "pH in water, D1, share-weighted mean");
    EXPECT_EQ(PropertyCaption(*catalogue.FindAttribute(TPropertyLevel::Unit, "PH_TOP"),
                              {TPropertyLevel::Unit, "PH_TOP"}),
              "pH of the topsoil");
}

TEST_F(PropertyIndexTest, AnAttributeOrLayerTheDatabaseLacksIsNamedInTheError) {
    const TPropertyDefinition wrong[] = {
        {TPropertyLevel::Layer, "NAME", "D1", TPropertyCombination::Dominant},
        {TPropertyLevel::Layer, "TEXTURE", "D1", TPropertyCombination::Dominant},
        {TPropertyLevel::Layer, "PH_H2O", "D9", TPropertyCombination::Dominant},
    };
    for (const TPropertyDefinition& definition : wrong) {
        try {
            TPropertyIndex::Build(*tamo, catalogue, definition);
            ADD_FAILURE() << "no error for " << definition.Field.toStdString();
        } catch (const TAMOError& error) {
            const QString name = definition.Layer == "D9" ? "D9" : definition.Field;
            EXPECT_TRUE(error.Message().contains('"' + name + '"')) << error.Message().toStdString();
        }
    }
}
