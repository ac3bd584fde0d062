// The attribute database at the size of the demo data set: start-up load (theme library, TTAMO,
// SMU index), showing one unit, the two kinds of query, and the per-cell lookups of the map.
// Reads TAMO_DEMO_DATA (a folder holding TAMO2.sqlite or TAMO2.mdb imported beforehand); without
// it a generated database of the same size is used (30,000 SMUs, 1 to 5 components of 7 layers).

#include "db/AttributeImport.h"
#include "db/DataAccess.h"
#include "db/TAMO_content.h"
#include "settings/Preferences.h"
#include "themes/QEVlibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kGeneratedUnits = 30000;

void Exec(QSqlQuery& query, const QString& sql) {
    if (!query.exec(sql)) {
        std::fprintf(stderr, "bench_database: %s: %s\n", qPrintable(sql),
                     qPrintable(query.lastError().text()));
        std::exit(1);
    }
}

// The generated database: same tables and fields as the real one, values spread by formulas.
void Generate(const QString& path) {
    const QString part = path + ".part";
    QFile::remove(part);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-generate");
        db.setDatabaseName(part);
        if (!db.open())
            std::exit(1);
        QSqlQuery q(db);
        Exec(q, "PRAGMA journal_mode = OFF");
        Exec(q, "PRAGMA synchronous = OFF");
        Exec(q, "BEGIN");
        QStringList smuColumns{"TAMO2_SMU_ID INTEGER", "WRB2_Code INTEGER", "WRB2 TEXT COLLATE NOCASE"};
        QStringList smuValues{"i * 2", "100 + (i * 7919) % 300",
                              "substr('ACALANATCMCLFLGLLPRGVR', 1 + 2 * (i % 11), 2)"};
        for (int c = 3; c < 23; ++c) {
            smuColumns << QString("S%1 REAL").arg(c);
            smuValues << QString("((i * %1) % 1000) / 10.0").arg(c * 37 + 11);
        }
        Exec(q, "CREATE TABLE TAMO2_SMU (" + smuColumns.join(", ") + ")");
        Exec(q, QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                        "INSERT INTO TAMO2_SMU SELECT %2 FROM n")
                    .arg(kGeneratedUnits)
                    .arg(smuValues.join(", ")));

        QStringList layerFields{"SEQUENCE", "LAYER", "TEXTURE", "PH", "OC"};
        QStringList layerColumns{
            "TAMO2_SMU_ID INTEGER",        "SEQUENCE INTEGER", "LAYER TEXT COLLATE NOCASE",
            "TEXTURE TEXT COLLATE NOCASE", "PH REAL",          "OC REAL"};
        QStringList layerValues{"u.TAMO2_SMU_ID",
                                "c.k",
                                "'D' || l.k",
                                "1 + (u.TAMO2_SMU_ID + l.k) % 3",
                                "4 + ((u.TAMO2_SMU_ID * 13 + c.k * 7 + l.k) % 50) / 10.0",
                                "((u.TAMO2_SMU_ID * 3 + l.k) % 400) / 100.0"};
        for (int a = 5; a < 47; ++a) {
            layerFields << QString("A%1").arg(a);
            layerColumns << QString("A%1 REAL").arg(a);
            layerValues << QString("((u.TAMO2_SMU_ID * %1 + c.k * 5 + l.k) % 1000) / 10.0").arg(a * 17 + 3);
        }
        Exec(q, "CREATE TABLE TAMO2_LAYERS (" + layerColumns.join(", ") + ")");
        Exec(q, "CREATE TABLE k5 (k INTEGER)");
        Exec(q, "INSERT INTO k5 VALUES (1), (2), (3), (4), (5)");
        Exec(q, "CREATE TABLE k7 (k INTEGER)");
        Exec(q, "INSERT INTO k7 VALUES (1), (2), (3), (4), (5), (6), (7)");
        Exec(q, "INSERT INTO TAMO2_LAYERS SELECT " + layerValues.join(", ") +
                    " FROM TAMO2_SMU u JOIN k5 c ON c.k <= 1 + (u.TAMO2_SMU_ID * 31) % 5 JOIN k7 l "
                    "ORDER BY u.TAMO2_SMU_ID, c.k, l.k");

        for (const QString table : {"TAMO2_SMU_METADATA", "TAMO2_LAYERS_METADATA"})
            Exec(q,
                 QString("CREATE TABLE %1 (ID INTEGER, Field TEXT, Domain TEXT, Unit TEXT, Description TEXT)")
                     .arg(table));
        for (int i = 0; i < 23; ++i) {
            const QString field = QString(smuColumns[i]).section(' ', 0, 0);
            Exec(q, QString("INSERT INTO TAMO2_SMU_METADATA VALUES (%1, '%2', '%3', '', 'SMU field %1')")
                        .arg(i + 1)
                        .arg(field, field == "WRB2" ? "D_WRB2" : ""));
        }
        for (int i = 0; i < 47; ++i)
            Exec(q, QString("INSERT INTO TAMO2_LAYERS_METADATA VALUES (%1, '%2', '%3', 'cm', 'Attribute %1')")
                        .arg(i + 1)
                        .arg(layerFields[i], layerFields[i] == "TEXTURE" ? "D_TEXTURE" : ""));
        Exec(q, "CREATE TABLE D_WRB2 (Code TEXT COLLATE NOCASE, Value TEXT COLLATE NOCASE)");
        Exec(q,
             "INSERT INTO D_WRB2 VALUES "
             "('AC','Acrisols'),('AL','Alisols'),('AN','Andosols'),('AT','Anthrosols'),"
             "('CM','Cambisols'),('CL','Calcisols'),('FL','Fluvisols'),('GL','Gleysols'),('LP','Leptosols'),"
             "('RG','Regosols'),('VR','Vertisols')");
        Exec(q, "CREATE TABLE D_TEXTURE (Code TEXT COLLATE NOCASE, Value TEXT COLLATE NOCASE)");
        Exec(q, "INSERT INTO D_TEXTURE VALUES ('1','Coarse'),('2','Medium'),('3','Fine')");

        Exec(q, "CREATE TABLE WRB_Class (ID_Class INTEGER, ClassNumber INTEGER, Divider REAL, Label TEXT, "
                "Red INTEGER, Green INTEGER, Blue INTEGER)");
        Exec(q, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30) "
                "INSERT INTO WRB_Class SELECT 1 + i % 3, i, i * 10, 'Class ' || i, i * 8, 255 - i * 8, i * 3 "
                "FROM n");
        Exec(q, "CREATE TABLE WRB_Library (ID_QevLibrary INTEGER, QevLibrary TEXT, FileName TEXT)");
        Exec(q, "INSERT INTO WRB_Library VALUES (1, 'Soil units', 'TAMO2.bil'), (2, 'Soil properties', '')");
        Exec(q, "CREATE TABLE WRB_Layer (ID_QevLibrary INTEGER, LayerName TEXT, FileName TEXT, Units TEXT, "
                "Bytes INTEGER, Multiplier INTEGER, ZeroIsValue INTEGER, ID_Class_Type INTEGER, ID_Class "
                "INTEGER)");
        Exec(
            q,
            "INSERT INTO WRB_Layer VALUES (1, 'Dominant soil', 'TAMO2.bil', '', 2, 1, 0, 4, 1), "
            "(2, 'Topsoil pH', 'TAMO2.bil', 'pH', 2, 1, 0, 1, 2), (2, 'Organic carbon', 'TAMO2.bil', '%', 2, "
            "1, 0, 2, 3)");
        // The indexes that the import adds on the key columns.
        Exec(q, "CREATE INDEX ix_smu ON TAMO2_SMU (TAMO2_SMU_ID)");
        Exec(q, "CREATE INDEX ix_layers ON TAMO2_LAYERS (TAMO2_SMU_ID)");
        Exec(q, "CREATE INDEX ix_class ON WRB_Class (ID_Class)");
        Exec(q, "CREATE INDEX ix_layer ON WRB_Layer (ID_QevLibrary)");
        Exec(q, "COMMIT");
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-generate");
    QFile::remove(path);
    QFile::rename(part, path);
}

// The connection text of the benchmark database, made once per run.
const QString& Connection() {
    static const QString connection = [] {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "tamo-bench";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
        const QString demo = qEnvironmentVariable("TAMO_DEMO_DATA");
        if (!demo.isEmpty()) {
            for (const QString name : {"TAMO2.sqlite", "TAMO2.mdb", "Data/TAMO2.sqlite", "Data/TAMO2.mdb"}) {
                const QString path = QDir(demo).filePath(name);
                if (QFileInfo::exists(path)) {
                    if (DetectDatabaseKind(path) == TDatabaseKind::Access) {
                        Preferences().DATA_CACHE = QDir::tempPath() + "/tamo-bench-cache/";
                        TImportOptions options;
                        options.ImporterProgram = QCoreApplication::applicationDirPath() + "/tamo-mdb-import";
                        ImportAttributeDatabase(BuildConnectionString(path), options);
                    }
                    return BuildConnectionString(path);
                }
            }
            std::fprintf(stderr, "bench_database: no TAMO2.sqlite or TAMO2.mdb in %s\n", qPrintable(demo));
            std::exit(1);
        }
        const QString path = QDir::tempPath() + "/tamo-bench-attributes-v1.sqlite";
        if (!QFileInfo::exists(path))
            Generate(path);
        return BuildConnectionString(path);
    }();
    return connection;
}

TTAMO& SharedTamo() {
    static std::unique_ptr<TTAMO> tamo = [] {
        auto created = std::make_unique<TTAMO>(Connection());
        created->BuildWrbIndex();
        return created;
    }();
    return *tamo;
}

void BM_StartupLoad(benchmark::State& state) {
    const QString& connection = Connection();
    for (auto _ : state) {
        TQEVLibraryManager library(connection);
        TTAMO tamo(connection);
        tamo.BuildWrbIndex();
        benchmark::DoNotOptimize(tamo.WrbIndex().Count());
    }
}
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond);

void BM_ShowUnit(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    const TIntIntList& index = tamo.WrbIndex();
    int next = 0;
    for (auto _ : state) {
        const QString id = QString::number(index.Get(next).Key);
        next = (next + 7919) % index.Count();
        if (!tamo.FetchLayers(id) || !tamo.FetchSmu(id))
            state.SkipWithError("unit without records");
        benchmark::DoNotOptimize(tamo.SmuValues()[0]);
    }
}
BENCHMARK(BM_ShowUnit)->Unit(benchmark::kMillisecond);

void BM_SelectSmusSmu(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    int count = 0;
    for (auto _ : state)
        tamo.SelectSmus("TAMO2_SMU", "WRB2_Code >= 150 and WRB2_Code < 250", count);
    state.counters["rows"] = count;
}
BENCHMARK(BM_SelectSmusSmu)->Unit(benchmark::kMillisecond);

void BM_SelectSmusLayers(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    int count = 0;
    // The query window's layer mode: the user's condition and its fixed restriction.
    for (auto _ : state)
        tamo.SelectSmus("TAMO2_LAYERS", "PH > 6 and LAYER=\"D1\" and SEQUENCE=1", count);
    state.counters["rows"] = count;
}
BENCHMARK(BM_SelectSmusLayers)->Unit(benchmark::kMillisecond);

void BM_WrbCodeOf(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    const int highest = tamo.WrbIndex().Get(tamo.WrbIndex().Count() - 1).Key;
    unsigned id = 1;
    for (auto _ : state) {
        id = (id * 1103515245u + 12345u) & 0x7FFFFFFF;
        benchmark::DoNotOptimize(tamo.WrbCodeOf(static_cast<int>(id % (highest + 2))));
    }
}
BENCHMARK(BM_WrbCodeOf);

void BM_IsSelected(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    int count = 0;
    tamo.SelectSmus("TAMO2_SMU", "WRB2_Code >= 150 and WRB2_Code < 250", count);
    const int highest = tamo.WrbIndex().Get(tamo.WrbIndex().Count() - 1).Key;
    unsigned id = 1;
    for (auto _ : state) {
        id = (id * 1103515245u + 12345u) & 0x7FFFFFFF;
        benchmark::DoNotOptimize(tamo.IsSelected(static_cast<int>(id % (highest + 2))));
    }
    tamo.SetSelectionActive(false);
}
BENCHMARK(BM_IsSelected);

} // namespace
