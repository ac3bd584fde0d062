#pragma once
// One shape overlay of a map window's legend: a shapefile drawn as outlines over the raster.

#include <QRgb>
#include <QString>

// The shapefile shape types an overlay draws, by their numbers in the file.
enum TShapeType : int { stPoint = 1, stPolyLine = 3, stPolygon = 5 };

struct TESRIShapeFile {
    TESRIShapeFile(const QString& fileName, int shapeType, QRgb color)
        : ShapeFileName(fileName), Color(color), ShapeType(shapeType) {}

    QString ShapeFileName; // full path of the .shp file
    QRgb Color = 0;        // red, green and blue as in 0x00RRGGBB; the alpha byte is ignored
    int ShapeType = 0;     // a TShapeType as read from the file; other types are listed but not drawn
    bool Visible = false;
};
