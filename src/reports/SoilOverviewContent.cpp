#include "reports/SoilOverviewContent.h"

#include "reports/SmuTableContent.h"

namespace {
// PR_StringGrid2 has 16 data rows but only five attributes remain (42 to 46): the other rows are
// left empty rather than read past the end of the record.
constexpr TSoilOverviewContent::TGridBinding kBindings[TSoilOverviewContent::kGridCount] = {
    {16, 12, 0}, {16, 14, 12}, {17, 16, 26}, {17, 5, 42}};
} // namespace

const TSoilOverviewContent::TGridBinding& TSoilOverviewContent::Binding(int grid) {
    return kBindings[grid];
}

int TSoilOverviewContent::AttributeAt(int grid, int row) {
    if (grid < 0 || grid >= kGridCount)
        return -1;
    const TGridBinding& binding = kBindings[grid];
    if (row < 1 || row > binding.BoundRows)
        return -1;
    return binding.FirstAttribute + row - 1;
}

TSoilOverviewContent::TSoilOverviewContent(const TTAMO& database)
    : m_database(&database), m_layers(database.Layers()) {}

QString TSoilOverviewContent::FieldName(const TTAMO& database, int grid, int row) {
    const int attribute = AttributeAt(grid, row);
    return attribute < 0 ? QString() : database.LayerMeta().FieldNames[attribute].trimmed();
}

QString TSoilOverviewContent::Value(int grid, int row, int record, TDecode decode) const {
    const int attribute = AttributeAt(grid, row);
    if (attribute < 0 || !m_database || record < 1 || record > RecordCount())
        return {};
    return LayerCellText(*m_database, m_layers[static_cast<std::size_t>(record - 1)], attribute,
                         TLayerKind::Decimals0, decode);
}
