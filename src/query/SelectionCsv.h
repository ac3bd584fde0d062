#pragma once
// The selected soil mapping units as a CSV file: for each, its id, the code and name of its
// dominant soil, the share of that soil in the unit and the unit's area on the world map in km²
// (a heading line, texts in double quotes, numbers bare with a point, CR LF, UTF-8).

#include "raster/CellTally.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class TTAMO;

struct TSelectedUnit {
    int Id = 0;
    QString Code; // the WRB2 code of the dominant soil; empty when the index has none
    QString Name; // the code decoded
    std::optional<double> SharePercent;
    double AreaKm2 = 0;
};

// The units `ids` as the database and the world's table of unit areas describe them.
std::vector<TSelectedUnit> DescribeUnits(const TTAMO& database, const std::vector<int>& ids,
                                         const TCellTally& areas);

QByteArray SelectionCsvText(const std::vector<TSelectedUnit>& units);

// The total area of the units `ids` in the world's table.
double AreaOfUnits(const TCellTally& areas, const std::vector<int>& ids);
