// The demo data set, made small: the files, tables, fields and content rules that the viewer's
// windows rely on, the raster in its archive, the outlines, and the generator's determinism.
#include "SqliteFile.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <shapefil.h>
#include <zip.h>

namespace {

constexpr int kSmallCols = 1440, kSmallRows = 720;

struct TRun {
    int ExitCode = -1;
    QString Output;
};

TRun RunGenerator(const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(TAMO_DEMO_GENERATOR, args);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

QByteArray FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

class DemoData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Folder = new QTemporaryDir;
        const TRun run =
            RunGenerator({"--small", "--preview", Folder->path() + "/preview.png", Folder->path()});
        ASSERT_EQ(run.ExitCode, 0) << run.Output.toStdString();
        Database = new TSqliteFile(Folder->path() + "/TAMO2.sqlite", TSqliteFile::TMode::ReadOnly);
        ASSERT_TRUE(Database->Ok()) << Database->Error().toStdString();
    }
    static void TearDownTestSuite() {
        delete Database;
        Database = nullptr;
        delete Folder;
        Folder = nullptr;
    }

    static QString Path(const QString& name) { return Folder->path() + "/" + name; }

    // Runs the query and returns every row as texts, the way the viewer reads values.
    static std::vector<QStringList> Rows(const QString& sql) {
        auto rows = Database->Rows(sql);
        EXPECT_TRUE(Database->Ok()) << sql.toStdString() << ": " << Database->Error().toStdString();
        return rows;
    }
    static QString Scalar(const QString& sql) {
        const auto rows = Rows(sql);
        return rows.empty() || rows[0].isEmpty() ? QString() : rows[0][0];
    }
    static QStringList Columns(const QString& table) {
        return Database->Columns("select * from " + table + " limit 1");
    }
    struct TMeta {
        QString Field, Domain, Unit, Description;
    };
    static std::vector<TMeta> Metadata(const QString& table) {
        std::vector<TMeta> meta;
        for (const QStringList& row :
             Rows("SELECT Field, Domain, Unit, Description from  " + table + " order by ID"))
            meta.push_back({row[0], row[1], row[2], row[3]});
        return meta;
    }
    static std::vector<std::uint16_t> Raster() {
        int error = 0;
        zip_t* archive = zip_open(Path("TAMO2.zip").toLocal8Bit().constData(), ZIP_RDONLY, &error);
        EXPECT_NE(archive, nullptr);
        if (!archive)
            return {};
        std::vector<std::uint16_t> cells(static_cast<std::size_t>(kSmallCols) * kSmallRows);
        zip_file_t* member = zip_fopen(archive, "TAMO2.bil", 0);
        EXPECT_NE(member, nullptr);
        if (member) {
            std::vector<unsigned char> bytes(cells.size() * 2 + 1);
            const zip_int64_t n = zip_fread(member, bytes.data(), bytes.size());
            EXPECT_EQ(n, static_cast<zip_int64_t>(cells.size() * 2));
            for (std::size_t i = 0; i < cells.size(); ++i)
                cells[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
            zip_fclose(member);
        }
        zip_close(archive);
        return cells;
    }

    static QTemporaryDir* Folder;
    static TSqliteFile* Database;
};

QTemporaryDir* DemoData::Folder = nullptr;
TSqliteFile* DemoData::Database = nullptr;

TEST_F(DemoData, WritesTheFilesOfTheDataSet) {
    for (const char* name :
         {"TAMO2.sqlite", "TAMO2.zip", "Country.shp", "Country.shx", "Country.dbf", "preview.png"})
        EXPECT_TRUE(QFile::exists(Path(name))) << name;
    EXPECT_FALSE(QFile::exists(Path("TAMO2.sqlite.part")));
}

TEST_F(DemoData, TablesHoldTheFieldsAtThePositionsTheWindowsRead) {
    const QStringList smu = Columns("TAMO2_SMU");
    ASSERT_EQ(smu.size(), 23);
    EXPECT_EQ(smu[0], "TAMO2_SMU_ID");
    EXPECT_EQ(smu[1].toUpper(), "MU_GLOBAL");
    EXPECT_EQ(smu[9].toUpper(), "WRB2_CODE");
    const QStringList layers = Columns("TAMO2_LAYERS");
    ASSERT_EQ(layers.size(), 47);
    EXPECT_EQ(layers[0], "TAMO2_SMU_ID");
    EXPECT_EQ(layers[5], "SEQUENCE");
    EXPECT_EQ(layers[22], "LAYER");
    EXPECT_FALSE(layers.contains("D1", Qt::CaseInsensitive)); // the query window writes LAYER="D1"

    const auto smuMeta = Metadata("TAMO2_SMU_METADATA");
    ASSERT_EQ(smuMeta.size(), 23u);
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(smuMeta[i].Field, smu[i]) << "SMU column " << i;
    const auto layerMeta = Metadata("TAMO2_LAYERS_METADATA");
    ASSERT_EQ(layerMeta.size(), 47u);
    for (int i = 0; i < 47; ++i) {
        EXPECT_TRUE(layers.contains(layerMeta[i].Field.trimmed())) << layerMeta[i].Field.toStdString();
        EXPECT_FALSE(layerMeta[i].Description.trimmed().isEmpty()) << i;
    }
    // Coded attributes carry the unit "CLASS" (so that their labels show no unit) and the others none.
    for (const auto* meta : {&smuMeta, &layerMeta})
        for (const TMeta& m : *meta)
            EXPECT_EQ(!m.Domain.isEmpty(), m.Unit == "CLASS") << m.Field.toStdString();
    // The rows the details table labels by position.
    EXPECT_EQ(layerMeta[6].Unit, "%");
    for (int k : {13, 14, 15, 19, 20, 21, 29})
        EXPECT_FALSE(layerMeta[k].Domain.isEmpty()) << k;
    for (int k : {16, 17, 18, 23, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 46})
        EXPECT_TRUE(layerMeta[k].Domain.isEmpty()) << k;
}

TEST_F(DemoData, EveryNamedDomainExistsAndDecodesEveryStoredCode) {
    int checked = 0;
    for (const QString& table : {QString("TAMO2_SMU"), QString("TAMO2_LAYERS")})
        for (const TMeta& m : Metadata(table + "_METADATA")) {
            if (m.Domain.trimmed().isEmpty())
                continue;
            const QStringList domainColumns = Columns(m.Domain);
            ASSERT_TRUE(domainColumns.contains("Code") && domainColumns.contains("Value"))
                << m.Domain.toStdString();
            EXPECT_FALSE(Rows("SELECT * from " + m.Domain + " order by Code").empty())
                << m.Domain.toStdString();
            const QString missing =
                Scalar("select count(*) from " + table + " where " + m.Field + " <> '' and " + m.Field +
                       " not in (select Code from " + m.Domain + ")");
            EXPECT_EQ(missing, "0") << table.toStdString() << "." << m.Field.toStdString() << " in "
                                    << m.Domain.toStdString();
            ++checked;
        }
    EXPECT_GT(checked, 25);
    // The data-point readout decodes the WRB2_CODE of an SMU through the domain of SMU column 9.
    EXPECT_EQ(Scalar("select Value from D_WRB2_CODE where Code = 2901"), "Eutric Cambisols");
    QStringList additional;
    for (const auto& row : Rows("select Value from D_ADD_PROP"))
        additional << row[0];
    EXPECT_TRUE(additional.contains("GELIC") && additional.contains("VERTIC"));
}

TEST_F(DemoData, UnitsAndTheirComponentsAreConsistent) {
    const int units = Scalar("select count(*) from TAMO2_SMU").toInt();
    EXPECT_GT(units, 800);
    EXPECT_EQ(Scalar("select count(*) from TAMO2_SMU where MU_GLOBAL <> TAMO2_SMU_ID"), "0");
    EXPECT_EQ(Scalar("select count(distinct TAMO2_SMU_ID) from TAMO2_SMU"), QString::number(units));
    // Seven layers per component, one to five components, shares summing to 100.
    EXPECT_EQ(Scalar("select count(*) from (select TAMO2_SMU_ID, SEQUENCE, count(*) n from TAMO2_LAYERS "
                     "group by TAMO2_SMU_ID, SEQUENCE having n <> 7)"),
              "0");
    EXPECT_EQ(Scalar("select count(*) from (select TAMO2_SMU_ID, count(distinct SEQUENCE) c, max(SEQUENCE) m "
                     "from TAMO2_LAYERS group by TAMO2_SMU_ID having c < 1 or c > 5 or m <> c)"),
              "0");
    EXPECT_EQ(
        Scalar("select count(*) from (select TAMO2_SMU_ID, sum(SHARE) s from TAMO2_LAYERS where LAYER = 'D1' "
               "group by TAMO2_SMU_ID having s <> 100)"),
        "0");
    EXPECT_EQ(Scalar("select count(distinct TAMO2_SMU_ID) from TAMO2_LAYERS"), QString::number(units));
    // The dominant soil of the unit is its first component, also the largest.
    EXPECT_EQ(
        Scalar("select count(*) from TAMO2_SMU s join TAMO2_LAYERS l on l.TAMO2_SMU_ID = s.TAMO2_SMU_ID "
               "and l.SEQUENCE = 1 and l.LAYER = 'D1' where l.WRB2_CODE <> s.WRB2_CODE or l.WRB2 <> s.WRB2 "
               "or l.SHARE <> s.SHARE_DOMINANT"),
        "0");
    EXPECT_EQ(
        Scalar(
            "select count(*) from TAMO2_LAYERS a join TAMO2_LAYERS b on a.TAMO2_SMU_ID = b.TAMO2_SMU_ID "
            "and b.SEQUENCE = a.SEQUENCE + 1 and a.LAYER = 'D1' and b.LAYER = 'D1' where b.SHARE > a.SHARE"),
        "0");
    // Layers D1 to D7 with increasing depths.
    EXPECT_EQ(Scalar("select group_concat(LAYER || ':' || TOP_DEPTH || '-' || BOTTOM_DEPTH, ' ') from "
                     "(select distinct LAYER, TOP_DEPTH, BOTTOM_DEPTH from TAMO2_LAYERS order by LAYER)"),
              "D1:0-20 D2:20-40 D3:40-60 D4:60-80 D5:80-100 D6:100-150 D7:150-200");
}

TEST_F(DemoData, ValuesArePlausibleAndGapsShowAsMissing) {
    EXPECT_EQ(Scalar("select count(*) from TAMO2_LAYERS where SAND <> -9 and SAND + SILT + CLAY <> 100"),
              "0");
    EXPECT_EQ(
        Scalar("select count(*) from TAMO2_LAYERS where SAND <> -9 and (SAND < 0 or SILT < 0 or CLAY < 0)"),
        "0");
    EXPECT_EQ(Scalar("select count(*) from TAMO2_LAYERS where PH_H2O <> -9 and (PH_H2O < 3 or PH_H2O > 11)"),
              "0");
    EXPECT_EQ(Scalar("select count(*) from TAMO2_LAYERS where BULK <> -9 and (BULK < 0.1 or BULK > 2)"), "0");
    EXPECT_EQ(
        Scalar("select count(*) from TAMO2_LAYERS where BASE_SAT <> -9 and (BASE_SAT < 0 or BASE_SAT > 100)"),
        "0");
    // A missing number reads as the whole number -9 (shown as "N.A"), a missing code as empty text ("-").
    EXPECT_EQ(Scalar("select ESP from TAMO2_LAYERS where ESP = -9 limit 1"), "-9");
    EXPECT_EQ(Scalar("select CEC_CLAY from TAMO2_LAYERS where CEC_CLAY = -9 limit 1"), "-9");
    EXPECT_NE(Scalar("select count(*) from TAMO2_LAYERS where WRB2_NAME = ''"), "0");
    EXPECT_NE(Scalar("select count(*) from TAMO2_LAYERS where PHASE = ''"), "0");
    // Values the details table shows with one decimal are stored with their decimals.
    EXPECT_NE(Scalar("select count(*) from TAMO2_LAYERS where ORG_CARBON <> round(ORG_CARBON)"), "0");
    // Permafrost and swelling clays both occur, so that both property rows can read "Yes".
    EXPECT_NE(Scalar("select count(*) from TAMO2_LAYERS where ADD_PROP = 1"), "0");
    EXPECT_NE(Scalar("select count(*) from TAMO2_LAYERS where ADD_PROP = 2"), "0");
}

TEST_F(DemoData, TheQueriesOfTheViewerRun) {
    const QString id = Scalar("select min(TAMO2_SMU_ID) from TAMO2_SMU where ISSOIL = 1");
    EXPECT_EQ(Rows("SELECT * from  TAMO2_LAYERS_METADATA order by ID").size(), 47u);
    EXPECT_EQ(Rows("SELECT * from  TAMO2_SMU_METADATA order by ID").size(), 23u);
    EXPECT_EQ(Rows("SELECT TAMO2_SMU_ID, WRB2_Code FROM TAMO2_SMU").size(),
              static_cast<size_t>(Scalar("select count(*) from TAMO2_SMU").toInt()));
    EXPECT_EQ(Rows("SELECT * FROM TAMO2_SMU WHERE TAMO2_SMU_ID =" + id).size(), 1u);
    EXPECT_GE(
        Rows("SELECT * FROM TAMO2_LAYERS WHERE TAMO2_SMU_ID =" + id + " order by SEQUENCE, LAYER").size(),
        7u);
    EXPECT_EQ(Rows("select * from TAMO2_SMU where  mu_global = " + id).size(), 1u);
    // Codes compare without regard to case; the layer restriction quotes D1 in double quotes.
    const QString code = Scalar("select WRB2 from TAMO2_SMU where TAMO2_SMU_ID = " + id);
    EXPECT_FALSE(Rows("select * from TAMO2_LAYERS where WRB2 = '" + code.toLower() +
                      "' and LAYER=\"D1\" and SEQUENCE=1")
                     .empty());
    EXPECT_EQ(Rows("Select distinct ID_Class from WRB_Class").size(), 2u);
    EXPECT_EQ(Rows("Select * from WRB_Library order by ID_QevLibrary").size(), 1u);
    EXPECT_EQ(Rows("Select * from WRB_Layer where ID_QevLibrary=1").size(), 2u);
}

TEST_F(DemoData, TheFirstThemeIsTheDominantSoilMapOfTheArchive) {
    EXPECT_EQ(Scalar("select FileName from WRB_Library"), "TAMO2.zip");
    const auto themes =
        Rows("select FileName, Units, Bytes, ZeroIsValue, ID_Class_Type, ID_Class, Multiplier "
             "from WRB_Layer where ID_QevLibrary=1");
    ASSERT_EQ(themes.size(), 2u);
    EXPECT_EQ(themes[0], (QStringList{"TAMO2.bil", "", "2", "0", "4", "1", "1"}));
    EXPECT_EQ(themes[1][0], "TAMO2.bil");
    EXPECT_NE(themes[1][5], themes[0][5]);
}

TEST_F(DemoData, ClassSetDividersGiveEachSoilGroupItsOwnClass) {
    for (const QString& set : {QString("1"), QString("2")}) {
        const auto classes =
            Rows("Select Divider, Label, Red, Green, Blue from WRB_Class where ID_Class = " + set +
                 " order by Classnumber");
        ASSERT_FALSE(classes.empty());
        ASSERT_LE(classes.size(), 40u);
        std::vector<double> dividers;
        for (const auto& c : classes) {
            dividers.push_back(c[0].toDouble());
            EXPECT_FALSE(c[1].isEmpty());
            for (int i = 2; i < 5; ++i)
                EXPECT_TRUE(c[i].toInt() >= 0 && c[i].toInt() <= 255);
        }
        EXPECT_TRUE(std::is_sorted(dividers.begin(), dividers.end()));
        // Classify every code as the legend does: the first class whose divider is not below it.
        std::map<int, std::set<std::size_t>> classesOfGroup;
        std::map<std::size_t, std::set<int>> groupsOfClass;
        for (const auto& row : Rows("select Code from D_WRB2_CODE")) {
            const int code = row[0].toInt();
            std::size_t k = 0;
            while (k < dividers.size() && code > dividers[k])
                ++k;
            ASSERT_LT(k, dividers.size())
                << "code " << code << " lies above every divider of set " << set.toStdString();
            classesOfGroup[code / 100].insert(k);
            groupsOfClass[k].insert(code / 100);
        }
        for (const auto& [group, classSet] : classesOfGroup)
            EXPECT_EQ(classSet.size(), 1u) << "group " << group << " is split over classes";
        if (set == "1") {
            EXPECT_EQ(classesOfGroup.size(), classes.size()); // one class per soil group
            for (const auto& [k, groups] : groupsOfClass)
                EXPECT_EQ(groups.size(), 1u);
            EXPECT_EQ(classes[28][1], "Cambisols");
        }
    }
    EXPECT_EQ(Scalar("select count(*) from TAMO2_SMU where WRB2_CODE not in (select Code from D_WRB2_CODE)"),
              "0");
}

TEST_F(DemoData, RasterCellsAreSmuIdsOfLandNorthRowFirst) {
    int error = 0;
    zip_t* archive = zip_open(Path("TAMO2.zip").toLocal8Bit().constData(), ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(zip_get_num_entries(archive, 0), 1);
    zip_stat_t st;
    ASSERT_EQ(zip_stat(archive, "TAMO2.bil", 0, &st), 0);
    EXPECT_EQ(st.size, static_cast<zip_uint64_t>(kSmallCols) * kSmallRows * 2);
    EXPECT_EQ(st.comp_method, ZIP_CM_DEFLATE);
    zip_close(archive);

    const std::vector<std::uint16_t> cells = Raster();
    ASSERT_EQ(cells.size(), static_cast<std::size_t>(kSmallCols) * kSmallRows);
    std::set<int> ids;
    std::size_t land = 0;
    for (std::uint16_t v : cells)
        if (v) {
            ids.insert(v);
            ++land;
        }
    EXPECT_EQ(ids.count(65535), 0u);
    std::set<int> known;
    for (const auto& row : Rows("select TAMO2_SMU_ID from TAMO2_SMU"))
        known.insert(row[0].toInt());
    for (int id : ids)
        ASSERT_TRUE(known.count(id)) << "cell value " << id << " has no row in TAMO2_SMU";
    EXPECT_GT(ids.size(), known.size() * 9 / 10);
    const double landShare = static_cast<double>(land) / cells.size();
    EXPECT_GT(landShare, 0.25);
    EXPECT_LT(landShare, 0.40);
    auto cell = [&](double lat, double lon) {
        const int row = static_cast<int>((90 - lat) / 180 * kSmallRows);
        const int col = static_cast<int>((lon + 180) / 360 * kSmallCols);
        return cells[static_cast<std::size_t>(row) * kSmallCols + col];
    };
    EXPECT_NE(cell(0.5, 20), 0);   // Congo basin
    EXPECT_NE(cell(-80, 0), 0);    // Antarctica, in the south
    EXPECT_NE(cell(48.5, 2.5), 0); // Paris
    EXPECT_EQ(cell(0, -150), 0);   // Pacific
    EXPECT_EQ(cell(87, 0), 0);     // Arctic Ocean, in the north
    EXPECT_EQ(cell(-40, -30), 0);  // South Atlantic
    // The dominant soils follow climate.
    auto dominant = [&](double lat, double lon) {
        return Scalar(QString("select WRB2_RSG from TAMO2_SMU where TAMO2_SMU_ID = %1").arg(cell(lat, lon)));
    };
    EXPECT_EQ(dominant(-80, 60), "GG"); // Antarctic ice
    EXPECT_EQ(dominant(75, -40), "GG"); // Greenland ice sheet
}

TEST_F(DemoData, CountryOutlinesArePolygonsWithAnIntegerThirdAttribute) {
    SHPHandle shp = SHPOpen(Path("Country.shp").toLocal8Bit().constData(), "rb");
    ASSERT_NE(shp, nullptr);
    int count = 0, type = 0;
    double minBound[4], maxBound[4];
    SHPGetInfo(shp, &count, &type, minBound, maxBound);
    EXPECT_EQ(type, SHPT_POLYGON);
    EXPECT_GT(count, 200);
    EXPECT_GE(minBound[0], -180.0);
    EXPECT_LE(maxBound[0], 180.0);
    int longJumps = 0;
    for (int i = 0; i < count; ++i) {
        SHPObject* object = SHPReadObject(shp, i);
        ASSERT_NE(object, nullptr);
        for (int part = 0; part < object->nParts; ++part) {
            const int end = part + 1 < object->nParts ? object->panPartStart[part + 1] : object->nVertices;
            for (int v = object->panPartStart[part] + 1; v < end; ++v)
                // An edge across the whole map is a ring not cut at the date line; only the edge
                // that closes Antarctica along the South Pole may run so.
                if (std::fabs(object->padfX[v] - object->padfX[v - 1]) > 180 &&
                    !(object->padfY[v] <= -89.999 && object->padfY[v - 1] <= -89.999))
                    ++longJumps;
        }
        SHPDestroyObject(object);
    }
    EXPECT_EQ(longJumps, 0);
    SHPClose(shp);
    DBFHandle dbf = DBFOpen(Path("Country.dbf").toLocal8Bit().constData(), "rb");
    ASSERT_NE(dbf, nullptr);
    EXPECT_GE(DBFGetFieldCount(dbf), 3);
    EXPECT_EQ(DBFGetFieldInfo(dbf, 2, nullptr, nullptr, nullptr), FTInteger);
    EXPECT_EQ(DBFGetRecordCount(dbf), count);
    DBFClose(dbf);
}

TEST(DemoDataGenerator, SameOptionsGiveTheSameBytesAndProgressRisesTo100) {
    QTemporaryDir first, second;
    ASSERT_EQ(RunGenerator({"--small", first.path()}).ExitCode, 0);
    const TRun reporting = RunGenerator({"--small", "--progress", second.path()});
    ASSERT_EQ(reporting.ExitCode, 0);
    for (const char* name : {"TAMO2.sqlite", "TAMO2.zip", "Country.shp"}) {
        const QByteArray a = FileHash(first.path() + "/" + name);
        EXPECT_FALSE(a.isEmpty()) << name;
        EXPECT_EQ(a, FileHash(second.path() + "/" + name)) << name;
    }
    QList<int> percents;
    for (const QString& line : reporting.Output.split('\n'))
        if (line.startsWith("progress "))
            percents << line.mid(9).toInt();
    ASSERT_GE(percents.size(), 3);
    EXPECT_TRUE(std::adjacent_find(percents.begin(), percents.end(), std::greater_equal<int>()) ==
                percents.end());
    EXPECT_EQ(percents.last(), 100);
}

TEST(DemoDataGenerator, AnswersHelpAndVersion) {
    ExpectTheStandardCommandLine(TAMO_DEMO_GENERATOR, "tamo-make-demo-data");
}

TEST(DemoDataGenerator, ReplacesAnOldDataSetInPlace) {
    QTemporaryDir folder;
    QFile old(folder.path() + "/TAMO2.sqlite");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("not a database");
    old.close();
    ASSERT_EQ(RunGenerator({"--small", "--units", "300", folder.path()}).ExitCode, 0);
    TSqliteFile db(folder.path() + "/TAMO2.sqlite", TSqliteFile::TMode::ReadOnly);
    bool isNumber = false;
    const int units = db.Scalar("select count(*) from TAMO2_SMU").toInt(&isNumber);
    ASSERT_TRUE(isNumber) << db.Error().toStdString();
    EXPECT_GT(units, 150);
    EXPECT_LT(units, 600);
}

TEST(DemoDataGenerator, RejectsBadArgumentsAndMissingOutlines) {
    QTemporaryDir folder;
    EXPECT_EQ(RunGenerator({}).ExitCode, 2);
    EXPECT_EQ(RunGenerator({"--cols", "abc", folder.path()}).ExitCode, 2);
    EXPECT_EQ(RunGenerator({"--bogus", folder.path()}).ExitCode, 2);
    const TRun run = RunGenerator({"--small", "--outlines", folder.path() + "/none.shp", folder.path()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Output.contains("Country.shp") || run.Output.contains("none.shp"))
        << run.Output.toStdString();
    EXPECT_FALSE(QFile::exists(folder.path() + "/TAMO2.zip"));
}

} // namespace
