#pragma once
// Area statistics of a map: per legend class and per soil mapping unit, the cells, the area in
// km² and the share of the land area, summed from a tally of the cells.

#include "raster/CellClasses.h"
#include "raster/CellTally.h"

#include <QRgb>
#include <QString>
#include <cstdint>
#include <vector>

struct TAreaRow {
    int Key = 0;    // the class number (from 1) or the SMU id
    int Class = 0;  // the class number; for a unit the class it falls in
    QString Name;   // the class name; for a unit the name of its class
    QRgb Color = 0; // the class colour
    std::uint64_t Cells = 0;
    double AreaKm2 = 0;
    double SharePercent = 0; // of LandKm2
};

struct TAreaStatistics {
    std::vector<TAreaRow> Classes; // every class of the legend, in legend order, also those without cells
    std::vector<TAreaRow> Units;   // every unit with cells and a class, by id
    // The land of the tally (its cells that have a class): the reference of the shares.
    std::uint64_t LandCells = 0;
    double LandKm2 = 0;
    // The sums of the rows (the selected units' land when a selection restricts them).
    std::uint64_t CountedCells = 0;
    double CountedKm2 = 0;
};

// An area as the windows write it: "2.31 million km²" from a million on, else whole km² with
// thousands separators ("12,345 km²"), and two decimals below 10 km² ("0.85 km²").
QString AreaText(double km2);

// Sums `tally` by class and by unit. `selection` (sorted SMU ids; null for all) restricts the rows
// to those units while the shares stay shares of the whole tally's land.
TAreaStatistics SummariseTally(const TCellTally& tally, const TCellClasses& classes,
                               const std::vector<int>* selection = nullptr);
