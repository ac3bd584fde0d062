#include "MapFakes.h"
#include "TestSupport.h"
#include "common/TAMOError.h"
#include "raster/RasterExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

namespace {

// Cells of a world grid (1/120 degree) in its first four rows; the rest of the grid lies beyond
// the end of the file.
constexpr int kRows = 4;
std::uint32_t StoredCell(int col, int row) {
    static constexpr std::uint32_t kValues[] = {0, 1, 2, 3, 65535};
    return kValues[(col / 5 + row) % 5];
}

TCellClasses Legend() {
    TCellClasses classes;
    classes.Title = "Soils";
    classes.Names = {"Alpha soils", "Beta soils", "Gamma soils"};
    classes.Colors = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    classes.ClassOf.assign(kCellValueCount, kNoClass);
    classes.Values.assign(kCellValueCount, NAN);
    for (int v = 1; v <= 3; ++v) {
        classes.ClassOf[v] = static_cast<std::int16_t>(v - 1);
        if (v < 3)
            classes.Values[v] = v + 0.5f;
    }
    return classes;
}

std::unique_ptr<GDALDataset> OpenExport(const QString& path) {
    GDALAllRegister();
    return std::unique_ptr<GDALDataset>(
        GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY));
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class RasterExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteRaster(Dir.filePath("TAMO2.bil"), kWorldCols, kRows, 2, StoredCell);
        Raster = TRasterFile::Open(Dir.filePath("TAMO2.bil"));
        ASSERT_TRUE(QDir().mkpath(Out()));
    }
    QString Out() const { return Dir.filePath("out"); }
    TExportRequest Request(TExportLayer layer, TExportFormat format, TExportLegend legend,
                           const QString& name) {
        TExportRequest request;
        request.Source = {Raster.get(), 2, kWorldCols, kWorldRows};
        request.Window = Window;
        request.Layer = layer;
        request.Format = format;
        request.Legend = legend;
        request.Classes = Legend();
        request.Path = QDir(Out()).filePath(name);
        return request;
    }
    // The value an export holds for a source cell.
    static double Expected(TExportLayer layer, std::uint32_t cell) {
        const TCellClasses legend = Legend();
        switch (layer) {
        case TExportLayer::Units:
            return cell == 65535 ? 0 : cell;
        case TExportLayer::Classes:
            return legend.ClassOf[cell] + 1;
        case TExportLayer::Values:
            return std::isnan(legend.Values[cell]) ? kNoDataPropertyValue : legend.Values[cell];
        }
        return -1;
    }

    QTemporaryDir Dir;
    std::unique_ptr<TRasterFile> Raster;
    // 64 x 4 cells from column 100 of row 1; the last row lies beyond the end of the file.
    TCellWindow Window{100, 1, 164, 5};
};

TEST_F(RasterExportTest, EveryFormatReadsBackWithItsGridValuesAndLegend) {
    struct TCase {
        TExportLayer Layer;
        TExportFormat Format;
        TExportLegend Legend;
        const char* Name;
        QStringList Files; // besides nothing else
        bool ColorTable;
    };
    const TCase cases[] = {
        {TExportLayer::Units, TExportFormat::GTiff, TExportLegend::No, "ids.tif", {"ids.tif"}, false},
        {TExportLayer::Classes,
         TExportFormat::GTiff,
         TExportLegend::Yes,
         "classes.tif",
         {"classes.tif", "classes.tif.aux.xml"},
         true},
        {TExportLayer::Values, TExportFormat::GTiff, TExportLegend::Yes, "values.tif", {"values.tif"}, false},
        {TExportLayer::Units,
         TExportFormat::EHdr,
         TExportLegend::No,
         "ids.bil",
         {"ids.bil", "ids.bil.aux.xml", "ids.blw", "ids.hdr", "ids.prj"},
         false},
        {TExportLayer::Classes,
         TExportFormat::EHdr,
         TExportLegend::Yes,
         "classes.bil",
         {"classes.bil", "classes.bil.aux.xml", "classes.blw", "classes.clr", "classes.hdr", "classes.prj"},
         true},
        {TExportLayer::Units,
         TExportFormat::RST,
         TExportLegend::No,
         "ids.rst",
         {"ids.rdc", "ids.rst", "ids.rst.aux.xml"},
         false},
        {TExportLayer::Classes,
         TExportFormat::RST,
         TExportLegend::Yes,
         "classes.rst",
         {"classes.rdc", "classes.rst", "classes.rst.aux.xml", "classes.smp"},
         true},
        {TExportLayer::Units,
         TExportFormat::AAIGrid,
         TExportLegend::No,
         "ids.asc",
         {"ids.asc", "ids.asc.aux.xml", "ids.prj"},
         false},
        {TExportLayer::Values,
         TExportFormat::AAIGrid,
         TExportLegend::No,
         "values.asc",
         {"values.asc", "values.asc.aux.xml", "values.prj"},
         false},
    };
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QDir(Out()).removeRecursively();
        QDir().mkpath(Out());
        ASSERT_EQ(ExportRaster(Request(c.Layer, c.Format, c.Legend, c.Name)), TExportOutcome::Written);
        EXPECT_EQ(FilesIn(Out()), c.Files);

        const auto data = OpenExport(QDir(Out()).filePath(c.Name));
        ASSERT_TRUE(data);
        ASSERT_EQ(data->GetRasterXSize(), 64);
        ASSERT_EQ(data->GetRasterYSize(), 4);
        double t[6];
        ASSERT_EQ(data->GetGeoTransform(t), CE_None);
        const double expected[6] = {-180.0 + 100.0 / 120, 1.0 / 120, 0, 90.0 - 1.0 / 120, 0, -1.0 / 120};
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(t[i], expected[i], 1e-12) << "geotransform " << i;
        const OGRSpatialReference* srs = data->GetSpatialRef();
        ASSERT_TRUE(srs);
        const char* ignoreAxes[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
        EXPECT_TRUE(srs->IsSame(&wgs84, ignoreAxes)) << srs->GetName();

        GDALRasterBand* band = data->GetRasterBand(1);
        int hasNoData = 0;
        const double noData = band->GetNoDataValue(&hasNoData);
        EXPECT_TRUE(hasNoData);
        EXPECT_EQ(noData, c.Layer == TExportLayer::Values ? kNoDataPropertyValue : 0.0);
        std::vector<double> cells(64 * 4);
        ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 64, 4, cells.data(), 64, 4, GDT_Float64, 0, 0), CE_None);
        for (int r = 0; r < 4; ++r)
            for (int col = 0; col < 64; ++col) {
                const int row = Window.Row0 + r;
                const double want = row < kRows
                                        ? Expected(c.Layer, StoredCell(Window.Col0 + col, row))
                                        : (c.Layer == TExportLayer::Values ? kNoDataPropertyValue : 0);
                ASSERT_FLOAT_EQ(cells[static_cast<std::size_t>(r * 64 + col)], want) << col << "," << r;
            }

        const GDALColorTable* colors = band->GetColorTable();
        ASSERT_EQ(colors != nullptr, c.ColorTable);
        if (colors) {
            const TCellClasses legend = Legend();
            for (int i = 0; i < 3; ++i) {
                const GDALColorEntry* e = colors->GetColorEntry(i + 1);
                ASSERT_TRUE(e);
                EXPECT_EQ(qRgb(e->c1, e->c2, e->c3), legend.Colors[static_cast<std::size_t>(i)]) << i;
            }
        }
        if (c.ColorTable && c.Format == TExportFormat::GTiff) {
            char** names = band->GetCategoryNames();
            ASSERT_TRUE(names);
            EXPECT_STREQ(names[1], "Alpha soils");
            EXPECT_STREQ(names[3], "Gamma soils");
        }
    }
}

TEST_F(RasterExportTest, SmuIdsWithTheLegendCarryEachUnitsClassColour) {
    ASSERT_EQ(ExportRaster(Request(TExportLayer::Units, TExportFormat::GTiff, TExportLegend::Yes, "ids.tif")),
              TExportOutcome::Written);
    const auto data = OpenExport(QDir(Out()).filePath("ids.tif"));
    ASSERT_TRUE(data);
    const GDALColorTable* colors = data->GetRasterBand(1)->GetColorTable();
    ASSERT_TRUE(colors);
    EXPECT_EQ(colors->GetColorEntryCount(), 65536);
    EXPECT_EQ(colors->GetColorEntry(2)->c2, 255);
    EXPECT_EQ(colors->GetColorEntry(3)->c3, 255);
    EXPECT_EQ(colors->GetColorEntry(0)->c4, 0) << "no data is transparent";
}

TEST_F(RasterExportTest, ACancelledOrFailedExportLeavesNoFileAndKeepsTheEarlierOne) {
    // An earlier export of the same name, with a colour file the next one does not write.
    ASSERT_EQ(
        ExportRaster(Request(TExportLayer::Classes, TExportFormat::EHdr, TExportLegend::Yes, "map.bil")),
        TExportOutcome::Written);
    const QStringList earlier = FilesIn(Out());
    QFile bil(QDir(Out()).filePath("map.bil"));
    ASSERT_TRUE(bil.open(QIODevice::ReadOnly));
    const QByteArray earlierBytes = bil.readAll();
    bil.close();

    std::atomic<bool> cancel{false};
    TJobControl control;
    control.Cancel = &cancel;
    control.Progress = [&](int) { cancel = true; };
    EXPECT_EQ(ExportRaster(Request(TExportLayer::Units, TExportFormat::EHdr, TExportLegend::No, "map.bil"),
                           control),
              TExportOutcome::Cancelled);
    EXPECT_EQ(FilesIn(Out()), earlier);

    // No room on the disk: the message names the file, nothing is left.
    SetExportSpaceProbe([](const QString&) { return 100LL; });
    try {
        ExportRaster(Request(TExportLayer::Units, TExportFormat::EHdr, TExportLegend::No, "full.bil"));
        ADD_FAILURE() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_EQ(QString(error.what()), "The disk is full: the file \"" +
                                             QDir::toNativeSeparators(QDir(Out()).filePath("full.bil")) +
                                             "\" cannot be written.");
    }
    SetExportSpaceProbe(nullptr);
    EXPECT_EQ(FilesIn(Out()), earlier);

    // A folder that does not exist.
    TExportRequest missing = Request(TExportLayer::Units, TExportFormat::GTiff, TExportLegend::No, "x.tif");
    missing.Path = Dir.filePath("none/x.tif");
    EXPECT_THROW(ExportRaster(missing), TAMOError);

    ASSERT_TRUE(bil.open(QIODevice::ReadOnly));
    EXPECT_EQ(bil.readAll(), earlierBytes);
    bil.close();

    // The new export replaces the earlier one whole: its colour file goes with it.
    ASSERT_EQ(ExportRaster(Request(TExportLayer::Units, TExportFormat::EHdr, TExportLegend::No, "map.bil")),
              TExportOutcome::Written);
    EXPECT_EQ(FilesIn(Out()), (QStringList{"map.bil", "map.bil.aux.xml", "map.blw", "map.hdr", "map.prj"}));
}

TEST(RasterExportNames, FormatsAndTheirFiles) {
    EXPECT_EQ(FormatFromName("gtiff"), TExportFormat::GTiff);
    EXPECT_EQ(FormatFromName("AAIGrid"), TExportFormat::AAIGrid);
    EXPECT_FALSE(FormatFromName("PNG"));
    EXPECT_EQ(WithFormatExtension("/a/world", TExportFormat::RST), "/a/world.rst");
    EXPECT_EQ(WithFormatExtension("/a/world.img", TExportFormat::RST), "/a/world.img");
    EXPECT_EQ(ExportMembers("/a/w.bil", TExportFormat::EHdr),
              (QStringList{"/a/w.bil", "/a/w.hdr", "/a/w.blw", "/a/w.clr", "/a/w.prj", "/a/w.stx",
                           "/a/w.bil.aux.xml"}));
}
