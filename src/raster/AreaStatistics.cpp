#include "raster/AreaStatistics.h"

#include <QLocale>
#include <algorithm>

QString AreaText(double km2) {
    const QLocale english(QLocale::English);
    if (km2 >= 1e6)
        return english.toString(km2 / 1e6, 'f', 2) + " million km²";
    return english.toString(km2, 'f', km2 < 10 ? 2 : 0) + " km²";
}

TAreaStatistics SummariseTally(const TCellTally& tally, const TCellClasses& classes,
                               const std::vector<int>* selection) {
    TAreaStatistics result;
    const int classCount = classes.Count();
    result.Classes.resize(static_cast<std::size_t>(classCount));
    for (int i = 0; i < classCount; ++i) {
        TAreaRow& row = result.Classes[static_cast<std::size_t>(i)];
        row.Key = row.Class = i + 1;
        row.Name = classes.Names[i];
        row.Color = i < int(classes.Colors.size()) ? classes.Colors[static_cast<std::size_t>(i)] : 0;
    }
    const int values = static_cast<int>(std::min(tally.Cells.size(), classes.ClassOf.size()));
    for (int v = 0; v < values; ++v) {
        const std::uint64_t cells = tally.Cells[static_cast<std::size_t>(v)];
        const int cls = classes.ClassOf[static_cast<std::size_t>(v)];
        if (cells == 0 || cls < 0 || cls >= classCount)
            continue;
        const double area = tally.Area[static_cast<std::size_t>(v)];
        result.LandCells += cells;
        result.LandKm2 += area;
        if (selection && !std::binary_search(selection->begin(), selection->end(), v))
            continue;
        TAreaRow& classRow = result.Classes[static_cast<std::size_t>(cls)];
        classRow.Cells += cells;
        classRow.AreaKm2 += area;
        result.CountedCells += cells;
        result.CountedKm2 += area;
        result.Units.push_back({v, cls + 1, classRow.Name, classRow.Color, cells, area, 0});
    }
    const auto share = [&](TAreaRow& row) {
        row.SharePercent = result.LandKm2 > 0 ? 100.0 * row.AreaKm2 / result.LandKm2 : 0;
    };
    std::for_each(result.Classes.begin(), result.Classes.end(), share);
    std::for_each(result.Units.begin(), result.Units.end(), share);
    return result;
}
