#pragma once
// What the SMU overview shows: for one layer record of a unit, its 47 attributes spread over four
// two-column grids (field name, value). Keeps its own copy of the unit's layer records.

#include "db/TAMO.h"

#include <QString>
#include <vector>

// The four grids of the overview, in the order of their pages.
enum TOverviewGrid : int { ogGeneral1 = 0, ogGeneral2 = 1, ogProperties1 = 2, ogProperties2 = 3 };

class TSoilOverviewContent {
public:
    static constexpr int kGridCount = 4;

    // Rows (below the heading row 0) of each grid, and the attribute its row 1 shows.
    struct TGridBinding {
        int RowCount;       // grid rows including the heading row
        int BoundRows;      // rows 1..BoundRows show attributes; the rest stay empty
        int FirstAttribute; // attribute of row 1
    };
    static const TGridBinding& Binding(int grid);
    // The attribute that row `row` of a grid shows, -1 for the heading row and unbound rows.
    static int AttributeAt(int grid, int row);

    TSoilOverviewContent() = default;
    explicit TSoilOverviewContent(const TTAMO& database);

    int RecordCount() const { return static_cast<int>(m_layers.size()); }
    // Column 0: the field name of the row's attribute (the layer metadata), empty when unbound.
    static QString FieldName(const TTAMO& database, int grid, int row);
    // Column 1 for layer record `record` (from 1): the value with no decimals, or its text.
    QString Value(int grid, int row, int record, TDecode decode) const;

private:
    const TTAMO* m_database = nullptr;
    std::vector<T_SU_Record> m_layers;
};
