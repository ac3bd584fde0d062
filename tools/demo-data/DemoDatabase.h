#pragma once
// Writes the attribute database of the demo data set (SQLite): soil mapping units, their component
// soils and layers, the field metadata, the coded domains and the catalogue of map themes.

#include "DemoWorld.h"

#include <QString>

namespace Demo {

struct TFieldDefinition {
    const char* Name;
    const char* Type; // column type: INTEGER, NUMERIC or TEXT
    const char* Domain;
    const char* Unit;
    const char* Description;
};

inline constexpr int kSmuFieldCount = 23;
inline constexpr int kLayerFieldCount = 47;
const TFieldDefinition* SmuFields();   // kSmuFieldCount entries, in column order
const TFieldDefinition* LayerFields(); // kLayerFieldCount entries, in column order

// Writes a new database at path (an existing file is replaced); throws std::runtime_error.
void WriteDatabase(const QString& path, const TDemoWorld& world);

} // namespace Demo
