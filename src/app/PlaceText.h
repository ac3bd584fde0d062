#pragma once
// Reading a place the user types: a latitude and a longitude in decimal degrees ("-3.47, 29.9")
// or in degrees, minutes and seconds with their hemispheres ("3°28'S 29°54'E").

#include <QString>

struct TPlace {
    bool Ok = false;
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees, east positive
    QString Error;        // what was wrong, for the user, when not Ok
};

// Two coordinates separated by a comma, a semicolon or blanks. Without N, S, E or W the latitude
// comes first and a minus sign means south or west; with them the order is free. Degrees may carry
// "°", minutes "'" and seconds "\"" (the typographic primes too). The decimal separator is ".".
TPlace ParsePlace(const QString& text);
