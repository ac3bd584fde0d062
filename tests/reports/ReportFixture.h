#pragma once
// A small attribute database with the field layout of the real one, for the report and query
// windows: units 1 (three components, 21 layer records), 2 (22 records), 3 (one component with
// awkward values) and 4 (an SMU row without layer rows), and a host that counts map requests.

#include "../db/TamoFixture.h"
#include "db/TAMO.h"
#include "reports/ReportHost.h"

#include <QStringList>
#include <memory>

inline const QStringList& FixtureLayerNames() {
    static const QStringList names{
        "TAMO2_SMU_ID",  "LAYER_ID",    "SOURCE",       "REGION",    "PROFILES",       "SEQUENCE",
        "SHARE",         "WRB2_CODE",   "WRB2",         "WRB2_NAME", "WRB_OXU90",      "PHASE",
        "OXU90",         "DRAINAGE",    "ROOT_DEPTH",   "AWC_CLASS", "ROOTABLE_DEPTH", "AWC",
        "OC_STOCK",      "IMPERMEABLE", "WATER_REGIME", "ADD_PROP",  "LAYER",          "TOP_DEPTH",
        "BOTTOM_DEPTH",  "COARSE",      "SAND",         "SILT",      "CLAY",           "TEXTURE",
        "TEXTURE_GROUP", "BULK",        "ORG_CARBON",   "PH_H2O",    "TOTAL_N",        "CN_RATIO",
        "CEC",           "CEC_CLAY",    "ECEC",         "TEB",       "BASE_SAT",       "AL_SAT",
        "ESP",           "CACO3",       "GYPSUM",       "EC",        "AWC_VOL"};
    return names;
}

inline const QStringList& FixtureSmuNames() {
    static const QStringList names{"TAMO2_SMU_ID", "MU_GLOBAL",  "SOURCE",         "REGION",   "COVERAGE",
                                   "AREA",         "ISSOIL",     "WRB2",           "WRB2_RSG", "WRB2_CODE",
                                   "OXU90",        "COMPONENTS", "SHARE_DOMINANT", "PHASE",    "DRAINAGE",
                                   "ROOT_DEPTH",   "AWC",        "TEXTURE_TOP",    "PH_TOP",   "SLOPE",
                                   "ELEVATION",    "CLIMATE",    "LAND_COVER"};
    return names;
}

inline QString Quoted(const QString& text) {
    QString escaped = text;
    escaped.replace("'", "''");
    return "'" + escaped + "'";
}

// One layer record as SQL values: unit, component (SEQUENCE), depth layer 1..7.
inline QString LayerValues(int unit, int component, int layer) {
    QStringList v;
    const bool odd = unit == 3;
    v << QString::number(unit) << QString::number(unit * 1000 + component * 10 + layer) << "1"
      << "2"
      << "5" << QString::number(component)
      << QString::number(component == 1 ? 60 : (component == 2 ? 30 : 10)) << "2901" << Quoted("CMeu")
      << Quoted(odd ? "Haplic \"Cambisols\"" : "Eutric Cambisols") << Quoted("CMha") << "0" << Quoted("CMe")
      << "3"
      << "4"
      << "2" << (odd ? Quoted("n.d.") : "100") << (component == 2 ? "NULL" : "120") << "80.6"
      << "1"
      << "2" << QString::number(component == 1 ? 1 : (component == 2 ? 2 : 0))
      << Quoted(QString("D%1").arg(layer)) << QString::number((layer - 1) * 20 + component)
      << QString::number(layer * 20) << "5" << (odd ? "12" : "40") << "30"
      << "30"
      << "5"
      << "2" << (odd ? "12.5" : "1.3") << "0.84"
      << "6.5"
      << "1.2"
      << "-9";
    for (int i = 36; i < 47; ++i)
        v << QString::number(10 + i);
    return v.join(", ");
}

inline void WriteReportTables(const QString& path) {
    QStringList sql;
    const QStringList& layerNames = FixtureLayerNames();
    const QStringList& smuNames = FixtureSmuNames();
    QStringList layerColumns;
    for (const QString& name : layerNames)
        layerColumns << name + " NUMERIC";
    sql << "CREATE TABLE TAMO2_LAYERS (" + layerColumns.join(", ") + ")";
    QStringList smuColumns;
    for (const QString& name : smuNames)
        smuColumns << name + " NUMERIC";
    sql << "CREATE TABLE TAMO2_SMU (" + smuColumns.join(", ") + ")";
    for (const QString table : {"TAMO2_SMU_METADATA", "TAMO2_LAYERS_METADATA"})
        sql << QString("CREATE TABLE %1 (ID INTEGER, Field TEXT, Domain TEXT, Unit TEXT, Description TEXT)")
                   .arg(table);

    // Layer metadata: descriptions and units chosen for the label rules.
    const auto layerMeta = [](int i) -> std::array<QString, 3> { // domain, unit, description
        switch (i) {
        case 0:
            return {"", "", "Soil mapping unit"};
        case 5:
            return {"", "", "Sequence"};
        case 6:
            return {"", "%", "Share in the mapping unit"};
        case 7:
            return {"", "class", "Soil unit (WRB 2022)"};
        case 8:
            return {"D_WRB2", "CLASS", "Soil unit code (WRB 2022)"};
        case 9:
            return {"", "", "Soil name (WRB 2022)"};
        case 10:
            return {"D_WRB2", "CLASS", "Correlated soil unit"};
        case 12:
            return {"D_OXU90", "CLASS", "Soil unit code (OXU 1990)"};
        case 13:
            return {"D_DRAINAGE", "CLASS", "Drainage class"};
        case 16:
            return {"", "", ""}; // no description: an empty label
        case 21:
            return {"D_ADD_PROP", "CLASS", "Additional property"};
        case 22:
            return {"D_LAYER", "CLASS", "Depth layer"};
        case 23:
            return {"", " cm ", "  Upper depth  "};
        case 29:
            return {"D_TEXTURE", "CLASS", "Texture class (USDA)"};
        case 31:
            return {"", "g/cm3", "Bulk density"};
        default:
            return {"", "u" + QString::number(i), "Attribute " + QString::number(i)};
        }
    };
    for (int i = 0; i < layerNames.size(); ++i) {
        const auto meta = layerMeta(i);
        sql << QString("INSERT INTO TAMO2_LAYERS_METADATA VALUES (%1, %2, %3, %4, %5)")
                   .arg(i + 1)
                   .arg(Quoted(layerNames[i]), Quoted(meta[0]), Quoted(meta[1]), Quoted(meta[2]));
    }
    for (int i = 0; i < smuNames.size(); ++i) {
        const QString domain = i == 4 ? "D_COVERAGE" : (i == 7 ? "D_WRB2" : (i == 10 ? "D_OXU90" : ""));
        sql << QString("INSERT INTO TAMO2_SMU_METADATA VALUES (%1, %2, %3, 'CLASS', 'SMU field %1')")
                   .arg(i + 1)
                   .arg(Quoted(smuNames[i]), Quoted(domain));
    }
    sql << "CREATE TABLE D_WRB2 (Code TEXT, Value TEXT)"
        << "INSERT INTO D_WRB2 VALUES ('CMeu', 'Eutric Cambisols (WRB)'), ('CMha', 'Haplic Cambisols')"
        << "CREATE TABLE D_OXU90 (Code TEXT, Value TEXT)"
        << "INSERT INTO D_OXU90 VALUES ('CMe', 'Eutric Cambisols (1990)')"
        << "CREATE TABLE D_COVERAGE (Code INTEGER, Value TEXT)"
        << "INSERT INTO D_COVERAGE VALUES (1, 'Good'), (2, 'Fair')"
        << "CREATE TABLE D_DRAINAGE (Code INTEGER, Value TEXT)"
        << "INSERT INTO D_DRAINAGE VALUES (3, 'Moderately well drained')"
        << "CREATE TABLE D_ADD_PROP (Code INTEGER, Value TEXT)"
        << "INSERT INTO D_ADD_PROP VALUES (0, 'NONE'), (1, 'GELIC'), (2, 'Vertic')"
        << "CREATE TABLE D_LAYER (Code TEXT, Value TEXT)"
        << "INSERT INTO D_LAYER VALUES ('D1', 'Depth layer 0-20 cm'), ('D2', 'Depth layer 20-40 cm')"
        << "CREATE TABLE D_TEXTURE (Code INTEGER, Value TEXT)"
        << "INSERT INTO D_TEXTURE VALUES (5, 'Loam')";

    const auto smuRow = [](int unit, int coverage, const QString& wrb) {
        QStringList v{QString::number(unit),
                      QString::number(unit),
                      "1",
                      "2",
                      QString::number(coverage),
                      "1500",
                      "1",
                      Quoted(wrb),
                      Quoted("CM"),
                      "2901",
                      Quoted("CMe")};
        for (int i = 11; i < 23; ++i)
            v << QString::number(i);
        return "INSERT INTO TAMO2_SMU VALUES (" + v.join(", ") + ")";
    };
    sql << smuRow(1, 1, "CMeu") << smuRow(2, 2, "CMeu") << smuRow(3, 1, "CMha") << smuRow(4, 2, "CMeu");
    // Written in scrambled order: the program orders them by SEQUENCE, LAYER.
    for (int component = 3; component >= 1; --component)
        for (int layer = 7; layer >= 1; --layer) {
            sql << "INSERT INTO TAMO2_LAYERS VALUES (" + LayerValues(1, component, layer) + ")";
            sql << "INSERT INTO TAMO2_LAYERS VALUES (" + LayerValues(2, component, layer) + ")";
        }
    sql << "INSERT INTO TAMO2_LAYERS VALUES (" + LayerValues(2, 4, 1) + ")";
    for (int layer = 1; layer <= 7; ++layer)
        sql << "INSERT INTO TAMO2_LAYERS VALUES (" + LayerValues(3, 1, layer) + ")";
    ExecSql(path, sql);
}

// The fixture database in a temporary folder, with a TTAMO on it.
class TReportDatabase {
public:
    TReportDatabase() {
        WriteReportTables(Path());
        Tamo = std::make_unique<TTAMO>(BuildConnectionString(Path()));
    }
    QString Path() const { return m_folder.path() + "/TAMO2.sqlite"; }
    QString Folder() const { return m_folder.path() + "/"; }
    std::unique_ptr<TTAMO> Tamo;

private:
    QTemporaryDir m_folder;
};

// Stands in for the frame: the database, preferences of its own (the program's record is never
// touched), and counts of what was asked of the map.
class TFakeReportHost : public TReportHost {
public:
    explicit TFakeReportHost(TTAMO& database) : m_database(database) {}
    TTAMO& Database() override { return m_database; }
    TPreferences& Preferences() override { return Prefs; }
    TPreferences Prefs;
    void SelectionChanged() override { ++Redraws; }
    void EraseClickMarker() override { ++MarkerErases; }
    int Redraws = 0;
    int MarkerErases = 0;

private:
    TTAMO& m_database;
};
