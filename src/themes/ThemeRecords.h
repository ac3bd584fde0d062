#pragma once
// The records of the theme catalogue: libraries, themes (raster layers) and pre-defined class sets.
// The theme library owns them; legend models and map windows refer to them.

#include "raster/RasterLocator.h"

#include <QString>
#include <array>
#include <cstdint>

struct TQEV_library {
    int ID_QevLibrary = 0;
    QString QevLibrary;
    QString Path; // folder of the attribute database + the row's FileName
};

inline constexpr int kMaxClasses = 40;

struct TQEV_Class {
    int ID_Class = 0;
    int ClassCount = 0;
    std::array<double, kMaxClasses> Dividers{}; // upper bound of each class
    std::array<QString, kMaxClasses> Labels;
    std::array<std::uint32_t, kMaxClasses> Colors{}; // 0x00BBGGRR
};

struct TQEV_Layer {
    const TQEV_library* Library = nullptr;
    QString FileName;
    QString LayerName;
    QString Units;
    int Bytes = 2;
    bool ZeroIsValue = false;
    int Multiplier = 1;
    std::uint8_t DefaultMethod = 0; // ID_Class_Type - 1
    const TQEV_Class* ClassSet = nullptr;
};

// Where the raster of `theme` is found: its file name, the archive of its library, its cell size
// (and its name for the messages).
inline TRasterRequest RasterRequestOf(const TQEV_Layer& theme) {
    TRasterRequest request;
    request.FileName = theme.FileName;
    request.ArchivePath = theme.Library ? theme.Library->Path : QString();
    request.Bytes = theme.Bytes;
    request.ThemeName = theme.LayerName;
    return request;
}
