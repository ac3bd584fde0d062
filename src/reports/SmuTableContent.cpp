#include "reports/SmuTableContent.h"

namespace {

enum class TRowKind { ComponentNumber, Value, Gelic, Vertic, Separator };
enum class TDecodeRule { Domains, Never };

// One row of the table: where its label and its values come from.
struct TRowSpec {
    TRowKind Kind = TRowKind::Value;
    int LabelAttribute = -1; // -1: the fixed label
    const char* FixedLabel = "";
    int ValueAttribute = -1;
    TLayerKind Format = TLayerKind::AsText;
    TDecodeRule Decode = TDecodeRule::Domains;
    int Layer = 0; // 0 for D1 (and the general rows), up to 6 for D7
};

TRowSpec Attribute(int label, int value, TLayerKind format, TDecodeRule decode) {
    return {TRowKind::Value, label, "", value, format, decode, 0};
}

TRowSpec Named(const char* label, int value, TLayerKind format, TDecodeRule decode) {
    return {TRowKind::Value, -1, label, value, format, decode, 0};
}

TRowSpec GeneralRow(int row) {
    using enum TLayerKind;
    constexpr TDecodeRule domains = TDecodeRule::Domains;
    constexpr TDecodeRule never = TDecodeRule::Never;
    switch (row) {
    case 0:
        return {TRowKind::ComponentNumber, 5, "", -1, AsText, never, 0};
    case 1:
        return Attribute(6, 6, Decimals0, domains);
    case 2:
        return Attribute(0, 0, AsText, domains);
    case 3:
        return Attribute(7, 8, AsText, domains);
    case 4:
        return Attribute(9, 9, AsText, never);
    case 5:
        return Named("Soil Unit Name (WRB correlat.OXU90)", 10, AsText, domains);
    case 6:
        return Attribute(12, 12, AsText, never);
    case 7:
        return Named("Soil Unit Name (OXU 1990)", 12, AsText, domains);
    case 8:
    case 9:
    case 10:
        return Attribute(row + 5, row + 5, Decimals0, domains);
    case 11:
    case 12:
    case 13:
        return Attribute(row + 5, row + 5, Decimals0, never);
    case 14:
    case 15:
        return Attribute(row + 5, row + 5, Decimals0, domains);
    case 16:
        return {TRowKind::Gelic, -1, "Gelic Properties", 21, Decimals0, domains, 0};
    default:
        return {TRowKind::Vertic, -1, "Vertic Properties", 21, Decimals0, domains, 0};
    }
}

TRowSpec RowSpec(int row) {
    if (row < TSmuTableContent::kFirstSeparatorRow)
        return GeneralRow(row);
    const int layer = (row - TSmuTableContent::kFirstSeparatorRow) / TSmuTableContent::kRowsPerLayer;
    const int offset = (row - TSmuTableContent::kFirstSeparatorRow) % TSmuTableContent::kRowsPerLayer;
    TRowSpec layerRow;
    layerRow.Layer = layer;
    if (offset == 0) {
        layerRow.Kind = TRowKind::Separator;
    } else if (offset <= 7) { // attributes 23 to 29
        layerRow.LabelAttribute = layerRow.ValueAttribute = 22 + offset;
        layerRow.Format = TLayerKind::Decimals0;
    } else if (offset <= 12) { // attributes 31 to 35, one decimal
        layerRow.LabelAttribute = layerRow.ValueAttribute = 23 + offset;
        layerRow.Format = TLayerKind::Decimals1;
    } else { // attributes 36 to 46
        layerRow.LabelAttribute = layerRow.ValueAttribute = 23 + offset;
        layerRow.Format = TLayerKind::Decimals0;
    }
    return layerRow;
}

bool IsNumberText(const QString& text) {
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

} // namespace

QString LayerCellText(const TTAMO& database, const T_SU_Record& record, int attribute, TLayerKind kind,
                      TDecode decode) {
    if (kind == TLayerKind::AsText)
        return database.LayerFieldText(record, attribute, kind, decode);
    // "-", "N.A", a decoded text and a text that is no number are shown as they are.
    const QString text = database.LayerFieldText(record, attribute, TLayerKind::AsText, decode);
    if (!IsNumberText(text))
        return text;
    return database.LayerFieldText(record, attribute, kind, decode);
}

QString AttributeLabel(const TTAMO& database, int attribute) {
    const QString description = database.LayerMeta().Descriptions[attribute].trimmed();
    const QString unit = database.LayerMeta().Units[attribute].trimmed();
    if (unit.isEmpty() || unit.toUpper() == "CLASS")
        return description;
    return description + " (" + unit + ")";
}

TSmuTableContent::TSmuTableContent(const TTAMO& database, int smuId)
    : m_database(&database), m_smuId(smuId), m_layers(database.Layers()) {
    // The database keeps the previous unit's row when a unit has none (the sea, id 0): its facts
    // must not be shown as this unit's.
    const auto& names = database.SmuMeta().FieldNames;
    for (int i = 0; i < kSmuFieldCount; ++i) {
        if (names[i].trimmed().compare("TAMO2_SMU_ID", Qt::CaseInsensitive) != 0)
            continue;
        if (database.SmuValues()[i].trimmed() != QString::number(smuId))
            return;
        break;
    }
    m_smuValues = database.SmuValues();
}

bool TSmuTableContent::IsSeparatorRow(int row) {
    return SeparatorLayer(row) > 0;
}

int TSmuTableContent::SeparatorLayer(int row) {
    if (row < kFirstSeparatorRow || row >= kRowCount)
        return 0;
    if ((row - kFirstSeparatorRow) % kRowsPerLayer != 0)
        return 0;
    return (row - kFirstSeparatorRow) / kRowsPerLayer + 1;
}

QString TSmuTableContent::Cell(int row, int column, TDecode decode) const {
    if (Empty() || row < 0 || row >= kRowCount || column < 0 || column > ComponentCount())
        return {};
    return column == 0 ? Label(row) : Value(row, column, decode);
}

QString TSmuTableContent::Label(int row) const {
    const TRowSpec layerRow = RowSpec(row);
    switch (layerRow.Kind) {
    case TRowKind::Separator:
        return {};
    case TRowKind::ComponentNumber:
        return m_database->LayerMeta().Descriptions[layerRow.LabelAttribute].trimmed();
    default:
        return layerRow.LabelAttribute >= 0 ? AttributeLabel(*m_database, layerRow.LabelAttribute)
                                        : QString(layerRow.FixedLabel);
    }
}

const T_SU_Record& TSmuTableContent::Record(int component, int layer) const {
    return m_layers[static_cast<std::size_t>(kLayerCount * (component - 1) + layer)];
}

QString TSmuTableContent::Value(int row, int component, TDecode decode) const {
    const TRowSpec layerRow = RowSpec(row);
    const TDecode rowDecode = layerRow.Decode == TDecodeRule::Domains ? decode : TDecode::No;
    switch (layerRow.Kind) {
    case TRowKind::Separator:
        return {};
    case TRowKind::ComponentNumber:
        return QString::number(component);
    case TRowKind::Gelic:
    case TRowKind::Vertic: {
        // Judged on the decoded property, so that the answer does not depend on whether codes or
        // texts are shown.
        const QString property =
            LayerCellText(*m_database, Record(component, 0), layerRow.ValueAttribute, layerRow.Format, TDecode::Yes)
                .toUpper();
        return property == (layerRow.Kind == TRowKind::Gelic ? "GELIC" : "VERTIC") ? "Yes" : "-";
    }
    case TRowKind::Value:
        break;
    }
    return LayerCellText(*m_database, Record(component, layerRow.Layer), layerRow.ValueAttribute, layerRow.Format,
                         rowDecode);
}

QString TSmuTableContent::HeaderValue(TSmuHeaderField field, TDecode decode) const {
    if (Empty())
        return {};
    const auto text = [&](int column, TDecode how) {
        return m_database->SmuFieldText(m_smuValues, column, how, TNumberFormat::No);
    };
    switch (field) {
    case TSmuHeaderField::Coverage:
        return text(4, decode);
    case TSmuHeaderField::SoilMappingUnit:
        return text(1, decode);
    case TSmuHeaderField::DominantWrb:
        return text(7, decode) + " (" + text(7, TDecode::No) + ")";
    case TSmuHeaderField::DominantOxu:
        return text(10, decode) + " (" + text(10, TDecode::No) + ")";
    }
    return {};
}

std::vector<QStringList> TSmuTableContent::Rows(TDecode decode) const {
    std::vector<QStringList> rows;
    if (Empty())
        return rows;
    rows.reserve(kRowCount);
    for (int row = 0; row < kRowCount; ++row) {
        QStringList cells;
        cells.reserve(ColumnCount());
        cells << Label(row);
        for (int column = 1; column <= ComponentCount(); ++column)
            cells << Value(row, column, decode);
        rows.push_back(std::move(cells));
    }
    return rows;
}
