#pragma once
// The share in its unit of each unit's dominant soil (its first component), from the layer table.

#include <QString>
#include <map>

// SMU id -> the SHARE (percent) of its SEQUENCE 1 rows, read from the database the connection text
// names (an Access file's copy in `cacheFolder`). Empty when the database has no such field;
// units whose share is missing or no number are left out.
std::map<int, double> DominantShares(const QString& connectionString, const QString& cacheFolder);
