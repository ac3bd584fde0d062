#pragma once
// Where each soil mapping unit lies on the raster: the smallest window of cells holding every cell
// of each cell value, found in one pass over the whole file.

#include "raster/CellTally.h"
#include "raster/JobControl.h"

#include <optional>
#include <vector>

// kCellValueCount windows, by cell value; an empty window for a value the raster does not hold.
using TUnitExtents = std::vector<TCellWindow>;

// One pass over `source` on all cores. Values of 4-byte cells outside 0..65535 are left out, and so
// are the cells beyond the end of a short file. Nothing when cancelled; raises the raster's read
// error when the file lost bytes while it was read.
std::optional<TUnitExtents> ScanUnitExtents(const TTallySource& source, const TJobControl& control = {});

// The window holding the cells of all `ids` (ids outside 0..65535 are skipped); empty when none of
// them is on the raster.
TCellWindow ExtentOfUnits(const TUnitExtents& extents, const std::vector<int>& ids);
