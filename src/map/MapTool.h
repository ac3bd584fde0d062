#pragma once
// The mouse tools and view commands of a map window, numbered as the frame's commands select them.

#include <cstdint>

enum TMapTool : std::uint8_t {
    mtNoAction = 0,
    mtZoomRectangle = 1,
    mtZoomIn = 2,
    mtPan = 3,
    mtZoomOut = 4,
    mtSmuOverview = 5,
    mtSmuTable = 6,
    mtRedraw = 7,
    mtViewAll = 8,
};
