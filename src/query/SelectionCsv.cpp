#include "query/SelectionCsv.h"

#include "db/DominantShares.h"
#include "db/TAMO.h"
#include "reports/SmuCsv.h"

namespace {
// The SMU column whose domain decodes the dominant soil's code, as the readout decodes it.
constexpr int kDominantSoilColumn = 9;

double AreaOf(const TCellTally& areas, int id) {
    return id >= 0 && id < int(areas.Area.size()) ? areas.Area[static_cast<std::size_t>(id)] : 0.0;
}
} // namespace

std::vector<TSelectedUnit> DescribeUnits(const TTAMO& database, const std::vector<int>& ids,
                                         const TCellTally& areas) {
    const std::map<int, double> shares = DominantShares(database.ConnectionString(), database.CacheFolder());
    const TIntStrList* names = database.SmuMeta().DomainLists[kDominantSoilColumn].get();
    std::vector<TSelectedUnit> units;
    units.reserve(ids.size());
    for (const int id : ids) {
        TSelectedUnit unit;
        unit.Id = id;
        const int code = database.WrbCodeOf(id);
        if (code != TSmuLookup::kNoWrbCode) {
            unit.Code = QString::number(code);
            unit.Name = TTAMO::DecodeDomain(names, unit.Code);
        }
        if (const auto share = shares.find(id); share != shares.end())
            unit.SharePercent = share->second;
        unit.AreaKm2 = AreaOf(areas, id);
        units.push_back(std::move(unit));
    }
    return units;
}

QByteArray SelectionCsvText(const std::vector<TSelectedUnit>& units) {
    QString text =
        CsvLine({"SMU", "Dominant soil code", "Dominant soil", "Share of dominant soil (%)", "Area (km²)"}) +
        "\r\n";
    for (const TSelectedUnit& unit : units) {
        text += QString::number(unit.Id) + "," + (unit.Code.isEmpty() ? QString() : unit.Code) + "," +
                CsvCell(unit.Name) + "," +
                (unit.SharePercent ? QString::number(*unit.SharePercent, 'g', 15) : QString()) + "," +
                QString::number(unit.AreaKm2, 'f', 3) + "\r\n";
    }
    return text.toUtf8();
}

double AreaOfUnits(const TCellTally& areas, const std::vector<int>& ids) {
    double total = 0;
    for (const int id : ids)
        total += AreaOf(areas, id);
    return total;
}
