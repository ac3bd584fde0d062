#include "db/PropertyIndex.h"

#include "db/DataAccess.h"
#include "db/TAMO.h"

#include <optional>

namespace {

// A measured value, or none for the missing value.
std::optional<double> Measured(const TDataSet& query, int column) {
    const std::optional<double> value = query.AsNumber(column);
    if (!value || *value == kMissingValue || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

// The SMU id of the row, or -1 for one the raster cannot hold.
int SmuIdOf(const TDataSet& query) {
    const std::optional<double> id = query.AsNumber(0);
    if (!id || *id < 0 || *id > TPropertyIndex::kMaxSmuId || *id != std::floor(*id))
        return -1;
    return static_cast<int>(*id);
}

void ReadUnitValues(TDataSet& query, const QString& field, TPropertyIndex& index) {
    query.Open("SELECT TAMO2_SMU_ID, " + SqlIdentifier(field) + " FROM TAMO2_SMU");
    for (; !query.Eof(); query.Next()) {
        const int id = SmuIdOf(query);
        if (id < 0)
            continue;
        if (const std::optional<double> value = Measured(query, 1))
            index.SetValue(id, *value);
    }
}

void ReadLayerValues(TDataSet& query, const QString& field, const QString& layer,
                     TPropertyCombination combination, TPropertyIndex& index) {
    query.Open("SELECT TAMO2_SMU_ID, SEQUENCE, SHARE, " + SqlIdentifier(field) +
                   " FROM TAMO2_LAYERS WHERE LAYER = ?",
               {layer});
    if (combination == TPropertyCombination::Dominant) {
        for (; !query.Eof(); query.Next()) {
            const int id = SmuIdOf(query);
            if (id < 0 || query.AsNumber(1) != 1.0 || TPropertyIndex::HasValue(index.ValueOf(id)))
                continue;
            if (const std::optional<double> value = Measured(query, 3))
                index.SetValue(id, *value);
        }
        return;
    }
    // Sums of share x value and of the shares, over the components that have both.
    std::vector<double> sums(TPropertyIndex::kMaxSmuId + 1, 0.0);
    std::vector<double> weights(TPropertyIndex::kMaxSmuId + 1, 0.0);
    for (; !query.Eof(); query.Next()) {
        const int id = SmuIdOf(query);
        if (id < 0)
            continue;
        const std::optional<double> share = Measured(query, 2);
        if (!share || *share <= 0)
            continue;
        if (const std::optional<double> value = Measured(query, 3)) {
            sums[std::size_t(id)] += *share * *value;
            weights[std::size_t(id)] += *share;
        }
    }
    for (int id = 0; id <= TPropertyIndex::kMaxSmuId; ++id)
        if (weights[std::size_t(id)] > 0)
            index.SetValue(id, sums[std::size_t(id)] / weights[std::size_t(id)]);
}

} // namespace

bool TPropertyDefinition::operator==(const TPropertyDefinition& other) const {
    if (Level != other.Level || Field.compare(other.Field, Qt::CaseInsensitive) != 0)
        return false;
    return Level == TPropertyLevel::Unit || (Layer == other.Layer && Combination == other.Combination);
}

QString CombinationName(TPropertyCombination combination) {
    return combination == TPropertyCombination::Dominant ? "Dominant component" : "Share-weighted mean";
}

QString PropertyCaption(const TPropertyAttribute& attribute, const TPropertyDefinition& definition) {
    if (attribute.Level == TPropertyLevel::Unit)
        return attribute.Description;
    return attribute.Description + ", " + definition.Layer + ", " +
           CombinationName(definition.Combination).toLower();
}

TPropertyIndex TPropertyIndex::Build(const TTAMO& tamo, const TPropertyCatalogue& catalogue,
                                     const TPropertyDefinition& definition) {
    const TPropertyAttribute* attribute = catalogue.FindAttribute(definition.Level, definition.Field);
    if (!attribute)
        throw TAMOError(
            QString("The attribute database has no numeric %1 attribute \"%2\".")
                .arg(definition.Level == TPropertyLevel::Unit ? "unit" : "layer", definition.Field));
    TPropertyIndex index;
    index.m_values.reserve(kMaxSmuId + 1);
    TDataSet query(tamo.ConnectionString());
    if (definition.Level == TPropertyLevel::Unit) {
        ReadUnitValues(query, attribute->Field, index);
    } else {
        if (!catalogue.FindDepthLayer(definition.Layer))
            throw TAMOError(
                QString("The attribute database has no depth layer \"%1\".").arg(definition.Layer));
        ReadLayerValues(query, attribute->Field, definition.Layer, definition.Combination, index);
    }
    query.Close();
    if (attribute->SoilProperty)
        for (int id : catalogue.NonSoilUnits())
            index.SetValue(id, std::numeric_limits<double>::quiet_NaN());
    index.Finish();
    return index;
}

void TPropertyIndex::SetValue(int smuId, double value) {
    if (smuId < 0 || smuId > kMaxSmuId)
        return;
    if (smuId >= static_cast<int>(m_values.size())) {
        if (!HasValue(value))
            return;
        m_values.resize(std::size_t(smuId) + 1, std::numeric_limits<double>::quiet_NaN());
    }
    m_values[std::size_t(smuId)] = value;
}

void TPropertyIndex::Finish() {
    m_unitsWithValue = 0;
    m_minimum = m_maximum = std::numeric_limits<double>::quiet_NaN();
    for (double value : m_values) {
        if (!HasValue(value))
            continue;
        if (m_unitsWithValue++ == 0) {
            m_minimum = m_maximum = value;
        } else {
            m_minimum = std::min(m_minimum, value);
            m_maximum = std::max(m_maximum, value);
        }
    }
}
