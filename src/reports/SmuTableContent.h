#pragma once
// What the SMU details table shows, cell by cell, for one soil mapping unit: the label column, one
// column per component soil, the general rows and the seven depth layers with their separator
// rows, and the four header facts. It keeps its own copy of the unit's rows, so that it can be
// rendered again (Domains on or off, a CSV export) after the database object has moved on to
// another unit.

#include "db/TAMO.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// The four facts above the grid.
enum class TSmuHeaderField { Coverage, SoilMappingUnit, DominantWrb, DominantOxu };

// A layer value as the reports show it: formatted by `kind` when it is a number, else its text
// (a text field asked for with a number format would otherwise fail the whole report).
QString LayerCellText(const TTAMO& database, const T_SU_Record& record, int attribute, TLayerKind kind,
                      TDecode decode);

// The label of layer attribute k: its description, and its unit in brackets unless it is a coded
// ("CLASS") attribute or has none.
QString AttributeLabel(const TTAMO& database, int attribute);

class TSmuTableContent {
public:
    static constexpr int kRowCount = 186;
    static constexpr int kLayerCount = 7;
    static constexpr int kFirstSeparatorRow = 18;
    static constexpr int kRowsPerLayer = 24;

    // A table without a unit: the label column is empty and there are no components.
    TSmuTableContent() = default;
    // Copies the unit that `database` holds now (its layer records and SMU row). An SMU row that
    // belongs to another unit (the unit has none of its own) is not shown.
    TSmuTableContent(const TTAMO& database, int smuId);

    bool Empty() const { return m_database == nullptr; }
    int SmuId() const { return m_smuId; }
    // N: whole groups of seven layer records; a remainder is not shown.
    int ComponentCount() const { return static_cast<int>(m_layers.size()) / kLayerCount; }
    int ColumnCount() const { return ComponentCount() + 1; }

    static bool IsSeparatorRow(int row);
    // The depth layer (1 to 7) a separator row stands for, 0 for any other row.
    static int SeparatorLayer(int row);

    // Column 0 gives the row label; a separator row has no cell text.
    QString Cell(int row, int column, TDecode decode) const;
    QString HeaderValue(TSmuHeaderField field, TDecode decode) const;
    // Every cell, row by row (kRowCount rows of ColumnCount cells).
    std::vector<QStringList> Rows(TDecode decode) const;

private:
    QString Label(int row) const;
    QString Value(int row, int component, TDecode decode) const;
    const T_SU_Record& Record(int component, int layer) const;

    const TTAMO* m_database = nullptr;
    int m_smuId = 0;
    std::vector<T_SU_Record> m_layers;
    std::array<QString, kSmuFieldCount> m_smuValues;
};
