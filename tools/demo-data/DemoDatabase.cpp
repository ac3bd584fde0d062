#include "DemoDatabase.h"

#include <QFile>
#include <cmath>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace Demo {

namespace {

const TFieldDefinition kSmuFields[kSmuFieldCount] = {
    {"TAMO2_SMU_ID", "INTEGER", "", "", "Identifier of the soil mapping unit"},
    {"MU_GLOBAL", "INTEGER", "", "", "Global number of the mapping unit"},
    {"SOURCE", "INTEGER", "D_SOURCE", "CLASS", "Source map of the unit"},
    {"REGION", "INTEGER", "D_REGION", "CLASS", "Continent or region"},
    {"COVERAGE", "INTEGER", "D_COVERAGE", "CLASS", "Coverage and reliability of the source data"},
    {"AREA", "INTEGER", "", "km2", "Area of the mapping unit"},
    {"ISSOIL", "INTEGER", "D_ISSOIL", "CLASS", "Soil or non-soil unit"},
    {"WRB2", "TEXT", "D_WRB2", "CLASS", "Dominant soil unit (WRB 2022)"},
    {"WRB2_RSG", "TEXT", "D_WRB2_RSG", "CLASS", "Reference soil group of the dominant soil (WRB 2022)"},
    {"WRB2_CODE", "INTEGER", "D_WRB2_CODE", "CLASS", "Numeric code of the dominant soil unit (WRB 2022)"},
    {"OXU90", "TEXT", "D_OXU90", "CLASS", "Dominant soil unit (OXU 1990 legend)"},
    {"COMPONENTS", "INTEGER", "", "", "Number of component soils"},
    {"SHARE_DOMINANT", "INTEGER", "", "%", "Share of the dominant soil in the unit"},
    {"PHASE", "INTEGER", "D_PHASE", "CLASS", "Phase of the dominant soil"},
    {"DRAINAGE", "INTEGER", "D_DRAINAGE", "CLASS", "Drainage class of the dominant soil"},
    {"ROOT_DEPTH", "INTEGER", "D_ROOT_DEPTH", "CLASS", "Rooting depth class of the dominant soil"},
    {"AWC", "INTEGER", "", "mm", "Available water capacity of the dominant soil profile"},
    {"TEXTURE_TOP", "INTEGER", "D_TEXTURE", "CLASS",
     "Texture class of the topsoil of the dominant soil (USDA)"},
    {"PH_TOP", "NUMERIC", "", "-log(H+)", "pH (H2O) of the topsoil of the dominant soil"},
    {"SLOPE", "INTEGER", "D_SLOPE", "CLASS", "Dominant slope class"},
    {"ELEVATION", "INTEGER", "", "m", "Mean elevation above sea level"},
    {"CLIMATE", "INTEGER", "D_CLIMATE", "CLASS", "Climate zone"},
    {"LAND_COVER", "INTEGER", "D_LAND_COVER", "CLASS", "Dominant land cover"},
};

const TFieldDefinition kLayerFields[kLayerFieldCount] = {
    {"TAMO2_SMU_ID", "INTEGER", "", "", "Soil mapping unit"},
    {"LAYER_ID", "INTEGER", "", "", "Identifier of the layer record"},
    {"SOURCE", "INTEGER", "D_SOURCE", "CLASS", "Source map"},
    {"REGION", "INTEGER", "D_REGION", "CLASS", "Continent or region"},
    {"PROFILES", "INTEGER", "", "profiles", "Reference profiles behind the estimates"},
    {"SEQUENCE", "INTEGER", "", "", "Component soil"},
    {"SHARE", "INTEGER", "", "%", "Share in the mapping unit"},
    {"WRB2_CODE", "INTEGER", "D_WRB2_CODE", "CLASS", "Soil unit (WRB 2022)"},
    {"WRB2", "TEXT", "D_WRB2", "CLASS", "Soil unit code (WRB 2022)"},
    {"WRB2_NAME", "TEXT", "", "", "Soil name with supplementary qualifiers (WRB 2022)"},
    {"WRB_OXU90", "TEXT", "D_WRB2", "CLASS", "Soil unit correlated from the OXU 1990 legend (WRB 2022)"},
    {"PHASE", "INTEGER", "D_PHASE", "CLASS", "Phase"},
    {"OXU90", "TEXT", "D_OXU90", "CLASS", "Soil unit code (OXU 1990)"},
    {"DRAINAGE", "INTEGER", "D_DRAINAGE", "CLASS", "Drainage class"},
    {"ROOT_DEPTH", "INTEGER", "D_ROOT_DEPTH", "CLASS", "Rooting depth class"},
    {"AWC_CLASS", "INTEGER", "D_AWC_CLASS", "CLASS", "Available water capacity class"},
    {"ROOTABLE_DEPTH", "INTEGER", "", "cm", "Rootable depth"},
    {"AWC", "INTEGER", "", "mm", "Available water capacity of the profile"},
    {"OC_STOCK", "INTEGER", "", "t/ha", "Organic carbon stock 0-100 cm"},
    {"IMPERMEABLE", "INTEGER", "D_IMPERMEABLE", "CLASS", "Depth to an impermeable layer"},
    {"WATER_REGIME", "INTEGER", "D_WATER_REGIME", "CLASS", "Soil water regime"},
    {"ADD_PROP", "INTEGER", "D_ADD_PROP", "CLASS", "Additional diagnostic property"},
    {"LAYER", "TEXT", "D_LAYER", "CLASS", "Depth layer"},
    {"TOP_DEPTH", "INTEGER", "", "cm", "Upper depth of the layer"},
    {"BOTTOM_DEPTH", "INTEGER", "", "cm", "Lower depth of the layer"},
    {"COARSE", "NUMERIC", "", "% vol.", "Coarse fragments (> 2 mm)"},
    {"SAND", "NUMERIC", "", "% wt.", "Sand (0.05-2 mm)"},
    {"SILT", "NUMERIC", "", "% wt.", "Silt (0.002-0.05 mm)"},
    {"CLAY", "NUMERIC", "", "% wt.", "Clay (< 0.002 mm)"},
    {"TEXTURE", "INTEGER", "D_TEXTURE", "CLASS", "Texture class (USDA)"},
    {"TEXTURE_GROUP", "INTEGER", "D_TEXTURE_GROUP", "CLASS", "Texture group"},
    {"BULK", "NUMERIC", "", "g/cm3", "Bulk density"},
    {"ORG_CARBON", "NUMERIC", "", "% wt.", "Organic carbon"},
    {"PH_H2O", "NUMERIC", "", "-log(H+)", "pH in water"},
    {"TOTAL_N", "NUMERIC", "", "g/kg", "Total nitrogen"},
    {"CN_RATIO", "NUMERIC", "", "", "C/N ratio"},
    {"CEC", "NUMERIC", "", "cmol(+)/kg", "Cation exchange capacity of the soil"},
    {"CEC_CLAY", "NUMERIC", "", "cmol(+)/kg", "Cation exchange capacity of the clay"},
    {"ECEC", "NUMERIC", "", "cmol(+)/kg", "Effective cation exchange capacity"},
    {"TEB", "NUMERIC", "", "cmol(+)/kg", "Total exchangeable bases"},
    {"BASE_SAT", "NUMERIC", "", "%", "Base saturation"},
    {"AL_SAT", "NUMERIC", "", "%", "Aluminium saturation of the ECEC"},
    {"ESP", "NUMERIC", "", "%", "Exchangeable sodium percentage"},
    {"CACO3", "NUMERIC", "", "% wt.", "Calcium carbonate equivalent"},
    {"GYPSUM", "NUMERIC", "", "% wt.", "Gypsum"},
    {"EC", "NUMERIC", "", "dS/m", "Electrical conductivity of the saturation extract"},
    {"AWC_VOL", "NUMERIC", "", "% vol.", "Available water capacity of the layer"},
};

using TDomain = std::vector<std::pair<QString, QString>>;

TDomain Numbered(std::initializer_list<const char*> values, int first = 1) {
    TDomain d;
    int code = first;
    for (const char* v : values)
        d.emplace_back(QString::number(code++), v);
    return d;
}

std::vector<std::pair<QString, TDomain>> Domains() {
    std::vector<std::pair<QString, TDomain>> domains;
    domains.emplace_back("D_SOURCE",
                         Numbered({"National soil map, 1:250 000 or larger", "National soil map, 1:1 000 000",
                                   "Regional soil map, 1:1 000 000 to 1:5 000 000",
                                   "Continental soil map, 1:5 000 000", "Generalised world soil map"}));
    domains.emplace_back("D_REGION", Numbered({"Africa", "Asia", "Europe", "North and Central America",
                                               "South America", "Oceania", "Antarctica"}));
    domains.emplace_back(
        "D_COVERAGE",
        Numbered({"Full coverage, detailed survey", "Full coverage, reconnaissance survey",
                  "Partial coverage, completed by interpolation", "Generalised from small-scale maps"}));
    domains.emplace_back("D_ISSOIL", Numbered({"Non-soil area", "Soil"}, 0));
    TDomain wrb, wrbCode, rsg;
    for (const TSoilUnit& unit : AllSoilUnits()) {
        wrb.emplace_back(unit.WrbText(), unit.WrbName());
        wrbCode.emplace_back(QString::number(unit.WrbCode()), unit.WrbName());
    }
    for (int c = 1; c <= kClassCount; ++c)
        rsg.emplace_back(ClassInfo(c).Code, ClassInfo(c).Name);
    domains.emplace_back("D_WRB2", wrb);
    domains.emplace_back("D_WRB2_CODE", wrbCode);
    domains.emplace_back("D_WRB2_RSG", rsg);
    domains.emplace_back("D_OXU90", AllOxu90Units());
    domains.emplace_back("D_PHASE",
                         Numbered({"No phase", "Stony", "Lithic", "Petric", "Petrocalcic", "Saline", "Sodic",
                                   "Duripan", "Fragipan", "Phreatic", "Inundic", "Rudic"},
                                  0));
    domains.emplace_back("D_DRAINAGE",
                         Numbered({"Excessively drained", "Somewhat excessively drained", "Well drained",
                                   "Moderately well drained", "Imperfectly drained", "Poorly drained",
                                   "Very poorly drained"}));
    domains.emplace_back("D_ROOT_DEPTH", Numbered({"Very shallow (< 25 cm)", "Shallow (25-50 cm)",
                                                   "Moderately deep (50-100 cm)", "Deep (100-150 cm)",
                                                   "Very deep (> 150 cm)"}));
    domains.emplace_back("D_AWC_CLASS", Numbered({"150 mm or more", "125-150 mm", "100-125 mm", "75-100 mm",
                                                  "50-75 mm", "15-50 mm", "Less than 15 mm"}));
    domains.emplace_back(
        "D_IMPERMEABLE",
        Numbered({"No impermeable layer within 150 cm", "Impermeable layer between 80 and 150 cm",
                  "Impermeable layer between 40 and 80 cm", "Impermeable layer within 40 cm"}));
    domains.emplace_back(
        "D_WATER_REGIME",
        Numbered({"Not wet within 80 cm for more than 3 months",
                  "Wet within 80 cm for 3 to 6 months, not wet within 40 cm for over a month",
                  "Wet within 80 cm for over 6 months, not wet within 40 cm for over 11 months",
                  "Wet within 40 cm for over 11 months"}));
    domains.emplace_back("D_ADD_PROP", Numbered({"NONE", "GELIC", "VERTIC", "STAGNIC", "PETRIC"}, 0));
    TDomain layers;
    for (int k = 0; k < kLayerCount; ++k)
        layers.emplace_back(QString("D%1").arg(k + 1),
                            QString("Depth layer %1-%2 cm").arg(kLayerTop[k]).arg(kLayerBottom[k]));
    domains.emplace_back("D_LAYER", layers);
    domains.emplace_back("D_TEXTURE", Numbered({"Clay", "Silty clay", "Sandy clay", "Clay loam",
                                                "Silty clay loam", "Sandy clay loam", "Loam", "Silt loam",
                                                "Sandy loam", "Silt", "Loamy sand", "Sand"}));
    domains.emplace_back("D_TEXTURE_GROUP",
                         Numbered({"Coarse", "Medium", "Medium fine", "Fine", "Very fine"}));
    domains.emplace_back("D_SLOPE",
                         Numbered({"Level (0-2 %)", "Gently undulating (2-8 %)", "Rolling (8-15 %)",
                                   "Hilly (15-30 %)", "Steep (30-60 %)", "Very steep (> 60 %)"}));
    domains.emplace_back("D_CLIMATE", Numbered({"Tropical humid", "Tropical seasonally dry", "Arid",
                                                "Semi-arid", "Mediterranean", "Temperate oceanic",
                                                "Temperate continental", "Boreal", "Polar and alpine"}));
    domains.emplace_back("D_LAND_COVER", Numbered({"Cropland", "Grassland", "Forest", "Shrubland", "Wetland",
                                                   "Bare land", "Snow and ice", "Water", "Built-up"}));
    return domains;
}

class TDatabase {
public:
    explicit TDatabase(const QString& path) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("Cannot create the database " + path.toStdString());
    }
    ~TDatabase() { sqlite3_close(m_db); }
    void Exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "unknown error";
            sqlite3_free(message);
            throw std::runtime_error("SQLite: " + text + " in " + sql);
        }
    }
    sqlite3* Handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// One prepared insert whose values are bound in column order.
class TInsert {
public:
    TInsert(TDatabase& db, const std::string& table, int columns) : m_db(db) {
        std::string sql = "INSERT INTO " + table + " VALUES (";
        for (int i = 0; i < columns; ++i)
            sql += i ? ",?" : "?";
        sql += ")";
        if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db.Handle()));
    }
    ~TInsert() { sqlite3_finalize(m_statement); }
    TInsert& Int(long long v) {
        sqlite3_bind_int64(m_statement, ++m_column, v);
        return *this;
    }
    // Whole numbers are stored as integers, so that a missing -9 reads back as "-9".
    TInsert& Number(double v) {
        if (std::floor(v) == v && std::fabs(v) < 1e15)
            return Int(static_cast<long long>(v));
        sqlite3_bind_double(m_statement, ++m_column, v);
        return *this;
    }
    TInsert& Text(const QString& v) {
        const QByteArray utf8 = v.toUtf8();
        sqlite3_bind_text(m_statement, ++m_column, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        return *this;
    }
    // A coded value; an unknown code (below 0) is stored as empty text.
    TInsert& Code(int v) { return v < 0 ? Text("") : Int(v); }
    void Run() {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(m_db.Handle()));
        sqlite3_reset(m_statement);
        m_column = 0;
    }

private:
    TDatabase& m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_column = 0;
};

std::string ColumnList(const TFieldDefinition* fields, int count) {
    std::string sql;
    for (int i = 0; i < count; ++i) {
        sql += i ? ", " : "";
        sql += std::string(fields[i].Name) + " " + fields[i].Type;
        if (std::string(fields[i].Type) == "TEXT")
            sql += " COLLATE NOCASE"; // users compare codes in queries without minding case
    }
    return sql;
}

void WriteMetadata(TDatabase& db, const std::string& table, const TFieldDefinition* fields, int count) {
    db.Exec("CREATE TABLE " + table +
            " (ID INTEGER PRIMARY KEY, Field TEXT COLLATE NOCASE, Domain TEXT, Unit TEXT, Description TEXT)");
    TInsert insert(db, table, 5);
    for (int i = 0; i < count; ++i)
        insert.Int(i + 1)
            .Text(fields[i].Name)
            .Text(fields[i].Domain)
            .Text(fields[i].Unit)
            .Text(fields[i].Description)
            .Run();
}

QString SupplementaryName(const TComponent& comp) {
    const TSoilUnit& soil = comp.Soil;
    if (!ClassInfo(soil.Class).IsSoil)
        return soil.WrbName();
    QStringList extra;
    const TLayerValues& top = comp.Layers[0];
    if (top.TextureGroup == 1)
        extra << "Arenic";
    else if (top.TextureGroup >= 4)
        extra << "Clayic";
    else if (top.Silt >= 50)
        extra << "Siltic";
    else if (top.TextureGroup > 0)
        extra << "Loamic";
    if (top.OrgCarbon >= 2 && soil.Class != HS)
        extra << "Humic";
    else if (top.OrgCarbon >= 0 && top.OrgCarbon < 0.6)
        extra << "Ochric";
    if (top.Coarse >= 40)
        extra << "Skeletic";
    return extra.isEmpty() ? soil.WrbName() : soil.WrbName() + " (" + extra.join(", ") + ")";
}

void WriteUnits(TDatabase& db, const TDemoWorld& world) {
    db.Exec("CREATE TABLE TAMO2_SMU (" + ColumnList(kSmuFields, kSmuFieldCount) + ")");
    db.Exec("CREATE TABLE TAMO2_LAYERS (" + ColumnList(kLayerFields, kLayerFieldCount) + ")");
    TInsert smu(db, "TAMO2_SMU", kSmuFieldCount);
    TInsert layer(db, "TAMO2_LAYERS", kLayerFieldCount);
    long long layerId = 0;
    for (const TMapUnit& unit : world.Units()) {
        const TComponent& dom = unit.Components.front();
        const TClassInfo& info = ClassInfo(dom.Soil.Class);
        smu.Int(unit.Id)
            .Int(unit.Id)
            .Code(unit.Source)
            .Code(unit.Region)
            .Code(unit.Coverage)
            .Int(unit.AreaKm2);
        smu.Int(info.IsSoil ? 1 : 0).Text(dom.Soil.WrbText()).Text(info.Code).Int(dom.Soil.WrbCode());
        smu.Text(dom.Soil.Oxu90Code()).Int(static_cast<long long>(unit.Components.size())).Int(dom.Share);
        smu.Code(dom.Phase).Code(dom.Drainage).Code(dom.RootDepthClass).Number(dom.Awc);
        smu.Code(dom.Layers[0].Texture > 0 ? dom.Layers[0].Texture : -1).Number(dom.Layers[0].Ph);
        smu.Code(unit.Slope).Int(static_cast<long long>(std::lround(unit.Site.Elevation)));
        smu.Code(unit.Climate).Code(unit.LandCover).Run();

        int sequence = 0;
        for (const TComponent& comp : unit.Components) {
            ++sequence;
            for (int k = 0; k < kLayerCount; ++k) {
                const TLayerValues& L = comp.Layers[k];
                layer.Int(unit.Id).Int(++layerId).Code(unit.Source).Code(unit.Region).Int(comp.Profiles);
                layer.Int(sequence).Int(comp.Share).Int(comp.Soil.WrbCode()).Text(comp.Soil.WrbText());
                layer.Text(comp.NameKnown ? SupplementaryName(comp) : QString());
                layer.Text(comp.CorrelatedSoil.WrbText()).Code(comp.Phase).Text(comp.Soil.Oxu90Code());
                layer.Code(comp.Drainage).Code(comp.RootDepthClass).Code(comp.AwcClass);
                layer.Number(comp.RootableDepth).Number(comp.Awc).Number(comp.CarbonStock);
                layer.Code(comp.Impermeable).Code(comp.WaterRegime).Code(comp.AddProp);
                layer.Text(QString("D%1").arg(k + 1)).Int(kLayerTop[k]).Int(kLayerBottom[k]);
                layer.Number(L.Coarse).Number(L.Sand).Number(L.Silt).Number(L.Clay);
                layer.Code(L.Texture > 0 ? L.Texture : -1).Code(L.TextureGroup > 0 ? L.TextureGroup : -1);
                layer.Number(L.Bulk).Number(L.OrgCarbon).Number(L.Ph).Number(L.TotalN).Number(L.CnRatio);
                layer.Number(L.Cec).Number(L.CecClay).Number(L.Ecec).Number(L.Bases).Number(L.BaseSat);
                layer.Number(L.AlSat).Number(L.Esp).Number(L.Lime).Number(L.Gypsum).Number(L.Ec).Number(
                    L.Awc);
                layer.Run();
            }
        }
    }
}

void WriteThemes(TDatabase& db) {
    db.Exec("CREATE TABLE WRB_Library (ID_QevLibrary INTEGER PRIMARY KEY, QevLibrary TEXT, FileName TEXT)");
    db.Exec("CREATE TABLE WRB_Layer (ID_Layer INTEGER PRIMARY KEY, ID_QevLibrary INTEGER, LayerName TEXT, "
            "FileName TEXT, Units TEXT, Bytes INTEGER, Multiplier INTEGER, ZeroIsValue INTEGER, "
            "ID_Class_Type INTEGER, ID_Class INTEGER)");
    db.Exec("CREATE TABLE WRB_Class (ID INTEGER PRIMARY KEY, ID_Class INTEGER, ClassNumber INTEGER, "
            "Divider REAL, Label TEXT, Red INTEGER, Green INTEGER, Blue INTEGER)");
    TInsert library(db, "WRB_Library", 3);
    library.Int(1).Text("TAMO Soil Database v2.0").Text("TAMO2.zip").Run();
    TInsert theme(db, "WRB_Layer", 10);
    theme.Int(1)
        .Int(1)
        .Text("Reference Soil Groups (WRB 2022)")
        .Text("TAMO2.bil")
        .Text("")
        .Int(2)
        .Int(1)
        .Int(0);
    theme.Int(4).Int(1).Run();
    theme.Int(2).Int(1).Text("Soil Regions (WRB 2022)").Text("TAMO2.bil").Text("").Int(2).Int(1).Int(0);
    theme.Int(4).Int(2).Run();

    // Class sets over WRB2_CODE: a class holds every code of its range (its divider is the upper bound).
    TInsert classes(db, "WRB_Class", 8);
    int id = 0;
    for (int c = 1; c <= kClassCount; ++c) {
        const TClassInfo& info = ClassInfo(c);
        classes.Int(++id).Int(1).Int(c).Number(c * 100 + 99).Text(info.Name);
        classes.Int(info.Red).Int(info.Green).Int(info.Blue).Run();
    }
    for (int r = 1; r <= kRegionCount; ++r) {
        const TRegionInfo& info = RegionInfo(r);
        classes.Int(++id).Int(2).Int(r).Number(info.LastClass * 100 + 99).Text(info.Name);
        classes.Int(info.Red).Int(info.Green).Int(info.Blue).Run();
    }
}

void WriteDomains(TDatabase& db) {
    for (const auto& [name, values] : Domains()) {
        bool numeric = true;
        for (const auto& [code, value] : values) {
            bool ok = false;
            code.toInt(&ok);
            numeric = numeric && ok;
        }
        db.Exec("CREATE TABLE " + name.toStdString() + " (Code " + (numeric ? "INTEGER" : "TEXT") +
                " PRIMARY KEY, Value TEXT)");
        TInsert insert(db, name.toStdString(), 2);
        for (const auto& [code, value] : values) {
            if (numeric)
                insert.Int(code.toInt());
            else
                insert.Text(code);
            insert.Text(value).Run();
        }
    }
}

} // namespace

const TFieldDefinition* SmuFields() {
    return kSmuFields;
}
const TFieldDefinition* LayerFields() {
    return kLayerFields;
}

void WriteDatabase(const QString& path, const TDemoWorld& world) {
    const QString part = path + ".part";
    QFile::remove(part);
    {
        TDatabase db(part);
        db.Exec("PRAGMA journal_mode=OFF");
        db.Exec("PRAGMA synchronous=OFF");
        db.Exec("BEGIN");
        WriteMetadata(db, "TAMO2_SMU_METADATA", kSmuFields, kSmuFieldCount);
        WriteMetadata(db, "TAMO2_LAYERS_METADATA", kLayerFields, kLayerFieldCount);
        WriteDomains(db);
        WriteThemes(db);
        WriteUnits(db, world);
        db.Exec("CREATE INDEX SMU_ID ON TAMO2_SMU (TAMO2_SMU_ID)");
        db.Exec("CREATE INDEX SMU_MU_GLOBAL ON TAMO2_SMU (MU_GLOBAL)");
        db.Exec("CREATE INDEX LAYERS_SMU_ID ON TAMO2_LAYERS (TAMO2_SMU_ID)");
        db.Exec("CREATE INDEX CLASS_ID ON WRB_Class (ID_Class)");
        db.Exec("CREATE INDEX LAYER_LIBRARY ON WRB_Layer (ID_QevLibrary)");
        db.Exec("COMMIT");
        db.Exec("ANALYZE");
    }
    QFile::remove(path);
    if (!QFile::rename(part, path))
        throw std::runtime_error("Cannot move the database into place at " + path.toStdString());
}

} // namespace Demo
