#pragma once
// The area each legend class covers in the view, written into the tool tips of the legend's class
// nodes once the statistics of that view are known.

#include "raster/AreaStatistics.h"

class QTreeWidget;

// Appends to each class node's tool tip its area and share of the land of the view; the classes
// of `statistics` are those of the legend, in its order.
void ShowClassAreaTips(QTreeWidget& tree, const TAreaStatistics& statistics);
