#include "db/DominantShares.h"

#include "db/DataAccess.h"

std::map<int, double> DominantShares(const QString& connectionString, const QString& cacheFolder) {
    std::map<int, double> shares;
    TDataSet data(connectionString, cacheFolder);
    try {
        data.Open("SELECT TAMO2_SMU_ID, SHARE FROM TAMO2_LAYERS WHERE SEQUENCE = 1");
    } catch (const TDatabaseError&) {
        // A database without the field: no shares to tell.
        return shares;
    }
    const int id = data.FieldIndex("TAMO2_SMU_ID");
    const int share = data.FieldIndex("SHARE");
    for (; !data.Eof(); data.Next())
        if (const std::optional<double> value = data.AsNumber(share); value && *value >= 0)
            shares.emplace(data.AsInteger(id), *value);
    return shares;
}
