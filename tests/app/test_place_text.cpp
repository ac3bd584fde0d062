// Reading the places the user types into Go To.
#include "TestSupport.h"
#include "app/PlaceText.h"

#include <gtest/gtest.h>

TEST(PlaceText, ReadsDecimalDegreesAndDegreesMinutesSeconds) {
    const struct {
        const char* Text;
        double Latitude, Longitude;
    } cases[] = {
        {"-3.47, 29.9", -3.47, 29.9}, // latitude first without hemispheres
        {"-3.47 29.9", -3.47, 29.9},
        {" \u22123.47 ;29.9 ", -3.47, 29.9},
        {"3°28'S 29°54'E", -(3 + 28 / 60.0), 29.9},
        {"29°54'E, 3°28'S", -(3 + 28 / 60.0), 29.9}, // hemispheres make the order free
        {"3°28'12\"S 29°54\u2032e", -(3 + 28 / 60.0 + 12 / 3600.0), 29.9},
        {"3 28 S 29 54 E", -(3 + 28 / 60.0), 29.9},
        {"S3 28 E29 54", -(3 + 28 / 60.0), 29.9},
        {"3.5N 20.25W", 3.5, -20.25},
        {"-0°30', 0", -0.5, 0},
        {"-90, 180", -90, 180},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const TPlace place = ParsePlace(QString::fromUtf8(c.Text));
        ASSERT_TRUE(place.Ok) << place.Error.toStdString();
        EXPECT_NEAR(place.Latitude, c.Latitude, 1e-9);
        EXPECT_NEAR(place.Longitude, c.Longitude, 1e-9);
    }
}

TEST(PlaceText, SaysWhatIsWrong) {
    const struct {
        const char* Text;
        const char* Error;
    } cases[] = {
        {"  ", "Type a place: a latitude and a longitude"},
        {"-3.47, 29.9 km", "\"k\" cannot be read in a place"},
        {"12.5", "one value found"},
        {"1, 2, 3", "3 values found"},
        {"95, 10", "The latitude 95° lies beyond the poles"},
        {"10, -190.5", "The longitude -190.5° lies beyond 180°"},
        {"3°75'S 29E", "\"75'\" is too large"},
        {"3S 4N", "Both values are latitudes"},
        {"3E 4W", "Both values are longitudes"},
        {"-3S 29E", "\"-3\" has both a minus sign and a hemisphere (S)"},
        {"3\" 28', 4", "\"3\"\" is out of place"},
        {"3°-28'S 29E", "Only the degrees may carry a sign"},
        {"3.5°28'S 29E", "Only the last of degrees, minutes and seconds may have decimals"},
        {"° 3, 4", "\"°\" must follow a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const TPlace place = ParsePlace(QString::fromUtf8(c.Text));
        EXPECT_FALSE(place.Ok);
        EXPECT_TRUE(place.Error.contains(QString::fromUtf8(c.Error))) << place.Error.toStdString();
    }
}
