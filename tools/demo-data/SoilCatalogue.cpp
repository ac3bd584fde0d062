#include "SoilCatalogue.h"

#include <map>
#include <set>

namespace Demo {

namespace {

// Colours follow the customary colours of world soil maps for each group.
const TClassInfo kClasses[kClassCount + 1] = {
    {"", "", 255, 255, 255, 0, false},
    {"HS", "Histosols", 111, 76, 49, 1, true},
    {"AT", "Anthrosols", 207, 150, 17, 2, true},
    {"TC", "Technosols", 144, 0, 150, 2, true},
    {"CR", "Cryosols", 84, 66, 140, 3, true},
    {"LP", "Leptosols", 200, 200, 200, 3, true},
    {"SN", "Solonetz", 242, 170, 255, 3, true},
    {"VR", "Vertisols", 192, 80, 156, 3, true},
    {"SC", "Solonchaks", 255, 0, 255, 3, true},
    {"GL", "Gleysols", 128, 130, 203, 4, true},
    {"AN", "Andosols", 254, 0, 0, 4, true},
    {"PZ", "Podzols", 12, 217, 0, 4, true},
    {"PT", "Plinthosols", 111, 15, 0, 4, true},
    {"NT", "Nitisols", 247, 83, 0, 4, true},
    {"FR", "Ferralsols", 255, 135, 33, 4, true},
    {"PL", "Planosols", 247, 123, 58, 5, true},
    {"ST", "Stagnosols", 64, 192, 233, 5, true},
    {"CH", "Chernozems", 148, 82, 30, 6, true},
    {"KS", "Kastanozems", 202, 147, 101, 6, true},
    {"PH", "Phaeozems", 186, 104, 94, 6, true},
    {"UM", "Umbrisols", 96, 128, 128, 6, true},
    {"DU", "Durisols", 239, 228, 190, 7, true},
    {"GY", "Gypsisols", 254, 246, 164, 7, true},
    {"CL", "Calcisols", 255, 238, 0, 7, true},
    {"RT", "Retisols", 255, 197, 244, 8, true},
    {"AC", "Acrisols", 247, 152, 4, 8, true},
    {"LX", "Lixisols", 255, 190, 190, 8, true},
    {"AL", "Alisols", 255, 245, 110, 8, true},
    {"LV", "Luvisols", 250, 132, 132, 8, true},
    {"CM", "Cambisols", 254, 190, 0, 9, true},
    {"FL", "Fluvisols", 0, 160, 230, 9, true},
    {"AR", "Arenosols", 245, 212, 161, 9, true},
    {"RG", "Regosols", 255, 225, 175, 9, true},
    {"GG", "Glaciers and permanent snow", 225, 240, 250, 10, false},
    {"WR", "Inland water bodies", 0, 90, 200, 10, false},
    {"RK", "Rock outcrops", 120, 120, 120, 10, false},
    {"DS", "Dunes and shifting sands", 250, 240, 200, 10, false},
    {"SF", "Salt flats", 235, 235, 235, 10, false},
};

const TRegionInfo kRegions[kRegionCount + 1] = {
    {"", 0, 0, 0, 0},
    {"Organic soils", HS, 111, 76, 49},
    {"Soils shaped by human activity", TC, 170, 80, 120},
    {"Soils with limitations to root growth", SC, 150, 150, 190},
    {"Soils distinguished by iron and aluminium chemistry", FR, 240, 110, 30},
    {"Soils with stagnating water", ST, 90, 170, 220},
    {"Soils with organic matter accumulation in the mineral topsoil", UM, 150, 95, 55},
    {"Soils with accumulation of lime, gypsum or silica", CL, 250, 230, 90},
    {"Soils with clay-enriched subsoil", LV, 245, 150, 140},
    {"Soils with little or no profile development", RG, 250, 205, 120},
    {"Non-soil areas", SF, 200, 220, 235},
};

const std::map<int, std::vector<TQualifier>>& QualifierTable() {
    static const std::map<int, std::vector<TQualifier>> table = {
        {HS, {{"fi", "Fibric"}, {"hm", "Hemic"}, {"sa", "Sapric"}, {"fo", "Folic"}}},
        {AT, {{"hg", "Hydragric"}, {"ir", "Irragric"}, {"ht", "Hortic"}}},
        {TC, {{"ub", "Urbic"}, {"sp", "Spolic"}, {"ha", "Haplic"}}},
        {CR, {{"tu", "Turbic"}, {"hi", "Histic"}, {"ra", "Reductaquic"}, {"le", "Leptic"}, {"ha", "Haplic"}}},
        {LP,
         {{"li", "Lithic"},
          {"rz", "Rendzic"},
          {"sk", "Skeletic"},
          {"eu", "Eutric"},
          {"dy", "Dystric"},
          {"um", "Umbric"}}},
        {SN, {{"ha", "Haplic"}, {"mo", "Mollic"}, {"cc", "Calcic"}, {"st", "Stagnic"}, {"sz", "Salic"}}},
        {VR, {{"pe", "Pellic"}, {"cr", "Chromic"}, {"cc", "Calcic"}, {"mz", "Mazic"}, {"ha", "Haplic"}}},
        {SC, {{"ha", "Haplic"}, {"gl", "Gleyic"}, {"so", "Sodic"}, {"cc", "Calcic"}, {"gy", "Gypsic"}}},
        {GL,
         {{"eu", "Eutric"},
          {"dy", "Dystric"},
          {"hi", "Histic"},
          {"um", "Umbric"},
          {"ca", "Calcaric"},
          {"sz", "Salic"}}},
        {AN, {{"vi", "Vitric"}, {"aa", "Aluandic"}, {"sn", "Silandic"}, {"um", "Umbric"}, {"mo", "Mollic"}}},
        {PZ, {{"ha", "Haplic"}, {"ab", "Albic"}, {"rs", "Rustic"}, {"cb", "Carbic"}, {"gl", "Gleyic"}}},
        {PT, {{"ha", "Haplic"}, {"pt", "Petric"}, {"xa", "Xanthic"}, {"gl", "Gleyic"}}},
        {NT, {{"ha", "Haplic"}, {"ro", "Rhodic"}, {"eu", "Eutric"}, {"dy", "Dystric"}, {"hu", "Humic"}}},
        {FR, {{"ha", "Haplic"}, {"xa", "Xanthic"}, {"ro", "Rhodic"}, {"hu", "Humic"}, {"pl", "Plinthic"}}},
        {PL, {{"eu", "Eutric"}, {"dy", "Dystric"}, {"so", "Sodic"}, {"mo", "Mollic"}}},
        {ST, {{"ha", "Haplic"}, {"eu", "Eutric"}, {"dy", "Dystric"}, {"lv", "Luvic"}, {"rt", "Retic"}}},
        {CH, {{"ha", "Haplic"}, {"cc", "Calcic"}, {"vm", "Vermic"}, {"lv", "Luvic"}, {"ch", "Chernic"}}},
        {KS, {{"ha", "Haplic"}, {"cc", "Calcic"}, {"lv", "Luvic"}, {"gy", "Gypsic"}, {"so", "Sodic"}}},
        {PH, {{"ha", "Haplic"}, {"lv", "Luvic"}, {"gl", "Gleyic"}, {"vr", "Vertic"}, {"so", "Sodic"}}},
        {UM, {{"ha", "Haplic"}, {"le", "Leptic"}, {"sk", "Skeletic"}, {"gl", "Gleyic"}}},
        {DU, {{"pd", "Petroduric"}, {"ha", "Haplic"}, {"cc", "Calcic"}, {"yo", "Yermic"}}},
        {GY, {{"ha", "Haplic"}, {"pg", "Petrogypsic"}, {"cc", "Calcic"}, {"ao", "Aridic"}, {"yo", "Yermic"}}},
        {CL,
         {{"ha", "Haplic"},
          {"lv", "Luvic"},
          {"pc", "Petrocalcic"},
          {"ao", "Aridic"},
          {"yo", "Yermic"},
          {"sk", "Skeletic"}}},
        {RT, {{"ab", "Albic"}, {"st", "Stagnic"}, {"gl", "Gleyic"}, {"dy", "Dystric"}, {"eu", "Eutric"}}},
        {AC,
         {{"ha", "Haplic"},
          {"fr", "Ferric"},
          {"pl", "Plinthic"},
          {"xa", "Xanthic"},
          {"ro", "Rhodic"},
          {"um", "Umbric"},
          {"gl", "Gleyic"}}},
        {LX,
         {{"ha", "Haplic"},
          {"fr", "Ferric"},
          {"ro", "Rhodic"},
          {"cr", "Chromic"},
          {"pl", "Plinthic"},
          {"ar", "Arenic"}}},
        {AL, {{"ha", "Haplic"}, {"fr", "Ferric"}, {"um", "Umbric"}, {"st", "Stagnic"}, {"gl", "Gleyic"}}},
        {LV,
         {{"ha", "Haplic"},
          {"cr", "Chromic"},
          {"cc", "Calcic"},
          {"ab", "Albic"},
          {"st", "Stagnic"},
          {"vr", "Vertic"},
          {"ro", "Rhodic"}}},
        {CM,
         {{"eu", "Eutric"},
          {"dy", "Dystric"},
          {"ca", "Calcaric"},
          {"cr", "Chromic"},
          {"vr", "Vertic"},
          {"gl", "Gleyic"},
          {"fl", "Ferralic"},
          {"hu", "Humic"},
          {"le", "Leptic"},
          {"tu", "Turbic"}}},
        {FL,
         {{"ha", "Haplic"},
          {"eu", "Eutric"},
          {"dy", "Dystric"},
          {"ca", "Calcaric"},
          {"sz", "Salic"},
          {"ti", "Thionic"},
          {"gl", "Gleyic"}}},
        {AR,
         {{"ha", "Haplic"},
          {"ru", "Rubic"},
          {"pr", "Protic"},
          {"ao", "Aridic"},
          {"fl", "Ferralic"},
          {"ab", "Albic"}}},
        {RG,
         {{"ha", "Haplic"},
          {"eu", "Eutric"},
          {"dy", "Dystric"},
          {"ca", "Calcaric"},
          {"ao", "Aridic"},
          {"sk", "Skeletic"},
          {"le", "Leptic"}}},
    };
    return table;
}

// 1990 legend: the group a class correlates to, and the subunit letter of a qualifier.
QString Oxu90Group(int soilClass, const QString& qualifier) {
    switch (soilClass) {
    case TC:
        return "AT";
    case CR:
        if (qualifier == "hi")
            return "HS";
        if (qualifier == "tu" || qualifier == "ra")
            return "GL";
        if (qualifier == "le")
            return "LP";
        return "CM";
    case ST:
        return "PL";
    case UM:
        if (qualifier == "le")
            return "LP";
        if (qualifier == "sk")
            return "RG";
        if (qualifier == "gl")
            return "GL";
        return "CM";
    case DU:
        return "CL";
    case RT:
        return "PD";
    default:
        return ClassInfo(soilClass).Code;
    }
}

QChar Oxu90Letter(int soilClass, const QString& q) {
    if (soilClass == CR)
        return 'i';
    if (soilClass == UM)
        return 'u';
    if (soilClass == DU)
        return 'p';
    if (soilClass == HS)
        return q == "fi" ? 'f' : q == "fo" ? 'l' : 's';
    if (soilClass == AT || soilClass == TC)
        return q == "ht" ? 'f' : (q == "ub" || q == "sp") ? 'u' : 'c';
    if (soilClass == VR)
        return q == "cc" ? 'k' : 'e';
    static const std::map<QString, QChar> letters = {
        {"ha", 'h'}, {"eu", 'e'}, {"dy", 'd'}, {"ca", 'c'}, {"cc", 'k'}, {"cr", 'x'}, {"gl", 'g'},
        {"vr", 'v'}, {"um", 'u'}, {"mo", 'm'}, {"li", 'q'}, {"rz", 'k'}, {"ro", 'r'}, {"xa", 'o'},
        {"fl", 'o'}, {"sz", 'z'}, {"so", 'n'}, {"gy", 'y'}, {"ab", 'a'}, {"fr", 'f'}, {"pl", 'p'},
        {"pt", 'p'}, {"st", 'j'}, {"lv", 'l'}, {"hu", 'u'}, {"vi", 'z'}, {"aa", 'u'}, {"ti", 't'},
        {"pc", 'p'}, {"pg", 'p'}, {"rs", 'c'}, {"cb", 'c'}, {"ch", 'h'}, {"vm", 'h'}, {"ru", 'h'},
        {"pr", 'h'}, {"ao", 'h'}, {"sk", 'h'}, {"le", 'h'}, {"yo", 'h'}, {"pd", 'p'}, {"hi", 'h'},
        {"sn", 'h'}, {"mz", 'e'}, {"pe", 'e'}, {"tu", 'h'}, {"rt", 'd'}, {"ar", 'h'},
    };
    const auto it = letters.find(q);
    return it == letters.end() ? QChar('h') : it->second;
}

QString Oxu90GroupName(const QString& group) {
    static const std::map<QString, QString> names = {
        {"FL", "Fluvisols"},   {"GL", "Gleysols"},      {"RG", "Regosols"},   {"LP", "Leptosols"},
        {"AR", "Arenosols"},   {"AN", "Andosols"},      {"VR", "Vertisols"},  {"CM", "Cambisols"},
        {"CL", "Calcisols"},   {"GY", "Gypsisols"},     {"SN", "Solonetz"},   {"SC", "Solonchaks"},
        {"KS", "Kastanozems"}, {"CH", "Chernozems"},    {"PH", "Phaeozems"},  {"LV", "Luvisols"},
        {"PL", "Planosols"},   {"PD", "Podzoluvisols"}, {"PZ", "Podzols"},    {"LX", "Lixisols"},
        {"AC", "Acrisols"},    {"AL", "Alisols"},       {"NT", "Nitisols"},   {"FR", "Ferralsols"},
        {"PT", "Plinthosols"}, {"HS", "Histosols"},     {"AT", "Anthrosols"},
    };
    return names.at(group);
}

QString Oxu90Adjective(const QString& group, QChar letter) {
    if (group == "HS")
        return letter == 'f' ? "Fibric" : letter == 'l' ? "Folic" : letter == 'i' ? "Gelic" : "Terric";
    if (group == "AT")
        return letter == 'f' ? "Fimic" : letter == 'u' ? "Urbic" : "Cumulic";
    if (group == "LP" && letter == 'k')
        return "Rendzic";
    if (group == "CM" && letter == 'u')
        return "Humic";
    if (group == "CL" && letter == 'p')
        return "Petric";
    if (group == "PZ" && letter == 'c')
        return "Cambic";
    if (group == "FR" && letter == 'o')
        return "Xanthic";
    static const std::map<QChar, QString> adjectives = {
        {'h', "Haplic"},  {'e', "Eutric"},  {'d', "Dystric"},  {'c', "Calcaric"}, {'k', "Calcic"},
        {'x', "Chromic"}, {'g', "Gleyic"},  {'v', "Vertic"},   {'u', "Umbric"},   {'m', "Mollic"},
        {'q', "Lithic"},  {'r', "Rhodic"},  {'o', "Ferralic"}, {'i', "Gelic"},    {'z', "Salic"},
        {'n', "Sodic"},   {'y', "Gypsic"},  {'a', "Albic"},    {'f', "Ferric"},   {'p', "Plinthic"},
        {'l', "Luvic"},   {'j', "Stagnic"}, {'t', "Thionic"},
    };
    return adjectives.at(letter);
}

// Typical profiles. Values are central figures; the generator spreads them.
const TProfileType kProfiles[kClassCount + 1] = {
    // sand clay gain  OC   depth  pH  dpH  BS  act  lime gain gyps  EC   ESP coarse depth drain
    {40, 20, 1.0, 1.0, 40, 6.5, 0.0, 60, 40, 0, 0, 0, 0.2, 1, 10, 200, 3},
    {30, 20, 1.0, 35, 200, 4.8, 0.3, 30, 40, 0, 0, 0, 0.3, 1, 0, 200, 7},     // HS
    {35, 28, 1.1, 1.6, 50, 6.3, 0.5, 75, 40, 2, 2, 0, 0.4, 2, 3, 200, 5},     // AT
    {45, 18, 1.0, 2.5, 40, 7.5, 0.2, 90, 40, 5, 2, 0, 0.8, 3, 35, 150, 2},    // TC
    {40, 18, 1.0, 4.0, 35, 5.8, 0.6, 65, 45, 0, 0, 0, 0.2, 1, 20, 200, 6},    // CR
    {45, 18, 1.0, 2.5, 15, 6.6, 0.0, 70, 45, 5, 0, 0, 0.3, 1, 60, 25, 1},     // LP
    {35, 30, 1.7, 0.9, 35, 7.8, 1.4, 100, 45, 2, 6, 0.5, 4.0, 28, 3, 200, 5}, // SN
    {15, 52, 1.05, 1.1, 60, 7.4, 0.6, 95, 62, 3, 4, 0, 0.6, 3, 2, 200, 5},    // VR
    {35, 28, 1.0, 0.6, 30, 8.2, 0.2, 100, 40, 8, 4, 3, 22.0, 14, 3, 200, 6},  // SC
    {30, 30, 1.1, 2.4, 45, 5.9, 0.6, 65, 40, 0, 0, 0, 0.4, 2, 2, 200, 7},     // GL
    {40, 18, 1.0, 6.0, 70, 5.6, 0.4, 45, 60, 0, 0, 0, 0.2, 1, 10, 200, 3},    // AN
    {78, 6, 1.2, 2.8, 25, 4.3, 0.9, 15, 35, 0, 0, 0, 0.1, 1, 8, 200, 3},      // PZ
    {45, 28, 1.4, 1.1, 40, 5.0, 0.2, 25, 14, 0, 0, 0, 0.1, 1, 20, 200, 5},    // PT
    {18, 50, 1.15, 1.9, 70, 5.6, 0.2, 45, 22, 0, 0, 0, 0.1, 1, 2, 200, 3},    // NT
    {25, 48, 1.15, 1.6, 70, 4.9, 0.3, 20, 9, 0, 0, 0, 0.05, 1, 3, 200, 3},    // FR
    {55, 15, 2.3, 0.9, 30, 6.2, 0.8, 60, 35, 0, 0, 0, 0.5, 6, 4, 200, 6},     // PL
    {30, 22, 1.4, 1.6, 35, 5.6, 0.8, 55, 40, 0, 0, 0, 0.2, 1, 5, 200, 5},     // ST
    {22, 28, 1.1, 3.0, 90, 7.0, 0.9, 95, 55, 0, 8, 0, 0.4, 1, 2, 200, 3},     // CH
    {30, 24, 1.1, 1.6, 60, 7.6, 0.8, 98, 50, 2, 10, 0.3, 0.6, 3, 4, 200, 3},  // KS
    {25, 27, 1.2, 2.5, 70, 6.3, 0.6, 80, 50, 0, 0, 0, 0.2, 1, 3, 200, 3},     // PH
    {40, 20, 1.0, 4.5, 50, 5.0, 0.5, 25, 40, 0, 0, 0, 0.1, 1, 25, 120, 3},    // UM
    {55, 15, 1.3, 0.4, 25, 7.9, 0.3, 100, 40, 4, 6, 0.5, 1.5, 4, 25, 60, 2},  // DU
    {40, 18, 1.1, 0.3, 25, 7.8, 0.1, 100, 35, 6, 4, 30, 4.0, 4, 12, 200, 2},  // GY
    {40, 22, 1.2, 0.5, 30, 8.1, 0.3, 100, 40, 12, 18, 1, 1.2, 3, 12, 200, 2}, // CL
    {40, 14, 1.6, 1.5, 30, 5.3, 0.6, 45, 35, 0, 0, 0, 0.1, 1, 2, 200, 4},     // RT
    {50, 20, 1.7, 1.2, 40, 4.8, 0.1, 22, 18, 0, 0, 0, 0.1, 1, 5, 200, 3},     // AC
    {60, 14, 1.8, 0.7, 30, 6.1, 0.0, 65, 16, 0, 0, 0, 0.1, 1, 8, 200, 3},     // LX
    {35, 25, 1.6, 1.6, 40, 4.6, 0.1, 25, 40, 0, 0, 0, 0.1, 1, 5, 200, 4},     // AL
    {35, 20, 1.6, 1.3, 35, 6.4, 0.5, 75, 38, 0, 2, 0, 0.2, 1, 6, 200, 3},     // LV
    {40, 22, 1.1, 1.5, 40, 6.3, 0.4, 65, 45, 1, 3, 0, 0.2, 1, 12, 200, 3},    // CM
    {30, 26, 1.0, 1.3, 120, 7.0, 0.1, 80, 45, 3, 0, 0, 0.8, 3, 2, 200, 6},    // FL
    {88, 4, 1.0, 0.3, 30, 6.4, 0.2, 50, 30, 0, 1, 0, 0.1, 1, 2, 200, 1},      // AR
    {55, 14, 1.0, 0.6, 30, 7.2, 0.3, 80, 40, 3, 3, 0, 0.3, 2, 20, 200, 2},    // RG
    {40, 20, 1.0, 0.0, 40, 7.0, 0.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7},           // GG
    {40, 20, 1.0, 0.0, 40, 7.0, 0.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7},           // WR
    {40, 20, 1.0, 0.0, 40, 7.0, 0.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},           // RK
    {95, 2, 1.0, 0.1, 40, 7.8, 0.0, 100, 20, 3, 0, 0, 0.3, 1, 0, 0, 1},       // DS
    {40, 20, 1.0, 0.0, 40, 8.5, 0.0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7},           // SF
};

} // namespace

const TClassInfo& ClassInfo(int soilClass) {
    return kClasses[soilClass];
}
const TRegionInfo& RegionInfo(int region) {
    return kRegions[region];
}

const std::vector<TQualifier>& Qualifiers(int soilClass) {
    static const std::vector<TQualifier> none = {{"", ""}};
    const auto& table = QualifierTable();
    const auto it = table.find(soilClass);
    return it == table.end() ? none : it->second;
}

const TProfileType& ProfileType(int soilClass) {
    return kProfiles[soilClass];
}

QString TSoilUnit::WrbText() const {
    const TClassInfo& info = ClassInfo(Class);
    if (!info.IsSoil)
        return info.Code;
    return QString(info.Code) + Qualifiers(Class).at(Qualifier - 1).Code;
}

QString TSoilUnit::WrbName() const {
    const TClassInfo& info = ClassInfo(Class);
    if (!info.IsSoil)
        return info.Name;
    return QString(Qualifiers(Class).at(Qualifier - 1).Name) + " " + info.Name;
}

QString TSoilUnit::Oxu90Code() const {
    const TClassInfo& info = ClassInfo(Class);
    if (!info.IsSoil)
        return info.Code;
    const QString q = Qualifiers(Class).at(Qualifier - 1).Code;
    return Oxu90Group(Class, q) + Oxu90Letter(Class, q);
}

QString TSoilUnit::Oxu90Name() const {
    const TClassInfo& info = ClassInfo(Class);
    if (!info.IsSoil)
        return info.Name;
    const QString code = Oxu90Code();
    const QString group = code.left(2);
    return Oxu90Adjective(group, code.at(2)) + " " + Oxu90GroupName(group);
}

std::vector<TSoilUnit> AllSoilUnits() {
    std::vector<TSoilUnit> units;
    for (int c = 1; c <= kClassCount; ++c)
        for (int q = 1; q <= static_cast<int>(Qualifiers(c).size()); ++q)
            units.push_back({c, q});
    return units;
}

std::vector<std::pair<QString, QString>> AllOxu90Units() {
    std::map<QString, QString> byCode;
    for (const TSoilUnit& unit : AllSoilUnits())
        byCode.emplace(unit.Oxu90Code(), unit.Oxu90Name());
    return {byCode.begin(), byCode.end()};
}

} // namespace Demo
