// The named colour table of the colour picker's palette.
#include "classify/ColorNameLibrary.h"

#include <QSet>
#include <QString>
#include <gtest/gtest.h>

namespace {

int IndexOf(const char* name) {
    for (int i = 0; i < kNamedColorCount; ++i)
        if (QString(ColorNameNames[i]) == name)
            return i;
    return -1;
}

} // namespace

TEST(ColorNameLibrary, HoldsFourHundredFiftyFiveDistinctNamesInPaletteOrder) {
    QSet<QString> names;
    for (const char* name : ColorNameNames)
        names.insert(QString(name).toLower());
    EXPECT_EQ(names.size(), kNamedColorCount);
    // Rows of 25: the first and last entries of a few rows.
    const std::pair<int, const char*> order[] = {
        {0, "Black"},
        {24, "RosyBrown3"},
        {25, "RosyBrown2"},
        {195, "LtGoldenrodYellow"},
        {255, "MedSpringGreen"},
        {350, "GhostWhite"},
        {375, "BlueViolet"},
        {400, "DarkGoldenrod4"},
        {449, "Pink"},
        {450, "LightPink"},
        {454, "LightPink1"},
    };
    for (const auto& [index, name] : order)
        EXPECT_STREQ(ColorNameNames[index], name) << "entry " << index;
}

TEST(ColorNameLibrary, ValuesAreTheWindowSystemColoursOfTheirNamesWithThreeExceptions) {
    struct TCase {
        const char* Name;
        int Red, Green, Blue;
    };
    const TCase cases[] = {
        {"Black", 0, 0, 0},
        {"White", 255, 255, 255},
        {"Red", 255, 0, 0},
        {"Grey11", 28, 28, 28},
        {"Gray81", 207, 207, 207},
        {"Tomato", 255, 99, 71},
        {"CornflowerBlue", 100, 149, 237},
        {"NavyBlue", 0, 0, 128},
        {"DarkSeaGreen4", 105, 139, 105},
        {"Burlywood3", 205, 170, 125},
        {"LightPink1", 255, 174, 185},
        // The short names stand for LightGoldenrodYellow and MediumSpringGreen.
        {"LtGoldenrodYellow", 250, 250, 210},
        {"MedSpringGreen", 0, 250, 154},
        // Not the database's (139, 101, 8): this entry sits among the purples.
        {"DarkGoldenrod4", 139, 101, 139},
    };
    for (const TCase& c : cases) {
        const int index = IndexOf(c.Name);
        ASSERT_GE(index, 0) << c.Name;
        EXPECT_EQ(ColorNameValues[index], ColorRefOf(c.Red, c.Green, c.Blue)) << c.Name;
    }
    // The window system's order: red in the lowest byte.
    EXPECT_EQ(ColorNameValues[IndexOf("Blue")], 0xFF0000u);
}

TEST(ColorNameLibrary, ConversionsBetweenWindowAndLegendColours) {
    EXPECT_EQ(ToColorRef(0x80123456u), 0x563412u);
    EXPECT_EQ(ToOpaqueRgb(0x563412u), 0xFF123456u);
}
