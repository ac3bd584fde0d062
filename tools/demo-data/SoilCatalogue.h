#pragma once
// The soil classification of the demo data: the reference soil groups of WRB 2022 and the non-soil
// units, their qualifiers, codes, customary map colours, their correlation to the 1990 legend (OXU 1990)
// and the typical properties from which component soils and their layers are made.

#include <QString>
#include <array>
#include <vector>

namespace Demo {

// Map classes in code order; the integer WRB2_CODE of a soil unit is class * 100 + qualifier number,
// so that the codes of one class form one range.
enum TSoilClass : int {
    HS = 1,
    AT,
    TC,
    CR,
    LP,
    SN,
    VR,
    SC,
    GL,
    AN,
    PZ,
    PT,
    NT,
    FR,
    PL,
    ST,
    CH,
    KS,
    PH,
    UM,
    DU,
    GY,
    CL,
    RT,
    AC,
    LX,
    AL,
    LV,
    CM,
    FL,
    AR,
    RG,
    GG,
    WR,
    RK,
    DS,
    SF,
    kClassCount = SF // classes are numbered 1 .. kClassCount
};

struct TClassInfo {
    const char* Code; // two letters
    const char* Name; // plural group name, "Cambisols"
    int Red, Green, Blue;
    int Region; // broad soil region (1 .. kRegionCount)
    bool IsSoil;
};

struct TQualifier {
    const char* Code; // two letters, lower case
    const char* Name; // "Eutric"
};

struct TRegionInfo {
    const char* Name;
    int LastClass; // the regions cover consecutive classes
    int Red, Green, Blue;
};

inline constexpr int kRegionCount = 10;

const TClassInfo& ClassInfo(int soilClass);
const TRegionInfo& RegionInfo(int region); // 1 .. kRegionCount
// Qualifiers that the class takes, in code order (qualifier number = index + 1).
const std::vector<TQualifier>& Qualifiers(int soilClass);

// One soil unit: class and qualifier (qualifier number from 1; non-soil units have only 1).
struct TSoilUnit {
    int Class = CM;
    int Qualifier = 1;
    int WrbCode() const { return Class * 100 + Qualifier; }
    QString WrbText() const;   // "CMeu", or the class code of a non-soil unit
    QString WrbName() const;   // "Eutric Cambisols"
    QString Oxu90Code() const; // "CMe"
    QString Oxu90Name() const; // "Eutric Cambisols"
};

// Every (code, name) pair of each legend, for the domain tables.
std::vector<TSoilUnit> AllSoilUnits();
std::vector<std::pair<QString, QString>> AllOxu90Units();

// Typical properties of a class; the generator varies them per component and layer.
struct TProfileType {
    double Sand, Clay;     // topsoil, % weight
    double ClayGain;       // subsoil clay as a multiple of topsoil clay
    double OrgCarbon;      // topsoil, % weight
    double CarbonDepth;    // e-folding depth of organic carbon, cm
    double PhTop, PhGain;  // topsoil pH and change to 200 cm
    double BaseSat;        // %
    double ClayActivity;   // CEC of the clay fraction, cmol(+)/kg clay
    double Lime, LimeGain; // CaCO3 equivalent topsoil and its gain with depth, %
    double Gypsum;         // % weight in the subsoil
    double Salinity;       // EC, dS/m
    double Sodium;         // exchangeable sodium, % of CEC
    double Coarse;         // coarse fragments, % volume
    double Depth;          // depth to rock or a root barrier, cm
    int Drainage;          // class 1 (excessive) .. 7 (very poor)
};

const TProfileType& ProfileType(int soilClass);

} // namespace Demo
