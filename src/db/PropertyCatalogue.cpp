#include "db/PropertyCatalogue.h"

#include "db/DataAccess.h"
#include "db/TAMO.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {

// Numbers that identify or order rows, or weigh the components, rather than measure anything.
bool IsKeyField(const QString& field) {
    static const QSet<QString> keys{"TAMO2_SMU_ID", "MU_GLOBAL", "LAYER_ID", "SEQUENCE", "SHARE"};
    return keys.contains(field.toUpper());
}

// Unit-level numbers that describe the mapping unit as a place, which a glacier or a lake has too.
bool DescribesThePlace(const QString& field) {
    static const QSet<QString> fields{"AREA", "ELEVATION", "COMPONENTS"};
    return fields.contains(field.toUpper());
}

// SQLite's affinity rules for a declared column type: numbers are stored as numbers in a column
// of INTEGER, REAL or NUMERIC affinity.
bool HasNumericAffinity(const QString& declaredType) {
    const QString type = declaredType.toUpper();
    if (type.contains("INT"))
        return true;
    if (type.contains("CHAR") || type.contains("CLOB") || type.contains("TEXT"))
        return false;
    if (type.contains("BLOB") || type.trimmed().isEmpty())
        return false;
    return true;
}

// Upper-cased names of the numeric columns of a table.
QSet<QString> NumericColumns(const QString& connectionString, const QString& table) {
    TDataSet query(connectionString);
    query.Open("SELECT name, type FROM pragma_table_info(?)", {table});
    QSet<QString> names;
    for (; !query.Eof(); query.Next())
        if (HasNumericAffinity(query.AsString(1)))
            names.insert(query.AsString(0).toUpper());
    return names;
}

template <int N>
void AddAttributes(std::vector<TPropertyAttribute>& attributes, const TFieldMetaData<N>& meta,
                   TPropertyLevel level, const QSet<QString>& numeric) {
    for (int i = 0; i < N; ++i) {
        const QString field = meta.FieldNames[i].trimmed();
        if (field.isEmpty() || IsKeyField(field) || meta.DomainLists[i] || !numeric.contains(field.toUpper()))
            continue;
        TPropertyAttribute attribute;
        attribute.Level = level;
        attribute.Position = i;
        attribute.Field = field;
        attribute.Description = meta.Descriptions[i].trimmed();
        if (attribute.Description.isEmpty())
            attribute.Description = field;
        attribute.Unit = meta.Units[i].trimmed();
        attribute.SoilProperty = level == TPropertyLevel::Layer || !DescribesThePlace(field);
        attributes.push_back(attribute);
    }
}

// "Depth layer 0-20 cm" gives "0-20 cm"; a text without a depth range is taken whole.
QString DepthRangeOf(const QString& text) {
    static const QRegularExpression range(R"((\d+(?:\.\d+)?)\s*-\s*(\d+(?:\.\d+)?)\s*cm\b)");
    const QRegularExpressionMatch match = range.match(text);
    if (match.hasMatch())
        return match.captured(1) + "-" + match.captured(2) + " cm";
    return text.trimmed();
}

int FieldPosition(const TMetaData& meta, const QString& name) {
    for (int i = 0; i < kLayerFieldCount; ++i)
        if (meta.FieldNames[i].trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

std::vector<TDepthLayer> LoadDepthLayers(const TTAMO& tamo) {
    std::vector<TDepthLayer> layers;
    const int position = FieldPosition(tamo.LayerMeta(), "LAYER");
    const TIntStrList* domain = position >= 0 ? tamo.LayerMeta().DomainLists[position].get() : nullptr;
    if (domain) {
        for (int i = 0; i < domain->Count(); ++i) {
            TIntStrItem item;
            domain->Get(i, item);
            if (!item.Code.isEmpty())
                layers.push_back({item.Code, DepthRangeOf(item.Value)});
        }
        return layers;
    }
    TDataSet query(tamo.ConnectionString());
    query.Open("SELECT DISTINCT LAYER FROM TAMO2_LAYERS WHERE LAYER IS NOT NULL ORDER BY LAYER");
    for (; !query.Eof(); query.Next())
        if (const QString code = query.AsString(0).trimmed(); !code.isEmpty())
            layers.push_back({code, QString()});
    return layers;
}

std::vector<int> LoadNonSoilUnits(const TTAMO& tamo) {
    std::vector<int> units;
    bool marked = false;
    for (const QString& field : tamo.SmuMeta().FieldNames)
        marked = marked || field.trimmed().compare("ISSOIL", Qt::CaseInsensitive) == 0;
    if (!marked)
        return units;
    TDataSet query(tamo.ConnectionString());
    query.Open("SELECT TAMO2_SMU_ID FROM TAMO2_SMU WHERE ISSOIL = 0");
    for (; !query.Eof(); query.Next())
        units.push_back(query.AsInteger(0));
    std::sort(units.begin(), units.end());
    return units;
}

} // namespace

QString TPropertyAttribute::Title() const {
    return Unit.isEmpty() ? Description : Description + " (" + Unit + ")";
}

QString TDepthLayer::Title() const {
    return Range.isEmpty() ? Code : Code + " " + Range;
}

TPropertyCatalogue::TPropertyCatalogue(const TTAMO& tamo) {
    AddAttributes(m_attributes, tamo.SmuMeta(), TPropertyLevel::Unit,
                  NumericColumns(tamo.ConnectionString(), "TAMO2_SMU"));
    AddAttributes(m_attributes, tamo.LayerMeta(), TPropertyLevel::Layer,
                  NumericColumns(tamo.ConnectionString(), "TAMO2_LAYERS"));
    m_layers = LoadDepthLayers(tamo);
    m_nonSoilUnits = LoadNonSoilUnits(tamo);
}

TPropertyCatalogue::TPropertyCatalogue(std::vector<TPropertyAttribute> attributes,
                                       std::vector<TDepthLayer> layers, std::vector<int> nonSoilUnits)
    : m_attributes(std::move(attributes)), m_layers(std::move(layers)),
      m_nonSoilUnits(std::move(nonSoilUnits)) {
    std::sort(m_nonSoilUnits.begin(), m_nonSoilUnits.end());
}

bool TPropertyCatalogue::IsNonSoil(int smuId) const {
    return std::binary_search(m_nonSoilUnits.begin(), m_nonSoilUnits.end(), smuId);
}

const TPropertyAttribute* TPropertyCatalogue::FindAttribute(TPropertyLevel level,
                                                            const QString& field) const {
    for (const TPropertyAttribute& attribute : m_attributes)
        if (attribute.Level == level && attribute.Field.compare(field, Qt::CaseInsensitive) == 0)
            return &attribute;
    return nullptr;
}

const TDepthLayer* TPropertyCatalogue::FindDepthLayer(const QString& code) const {
    for (const TDepthLayer& layer : m_layers)
        if (layer.Code == code)
            return &layer;
    return nullptr;
}
