#pragma once
// Hand-drawn geography behind the demo climate: mountain ranges, plateaus, wet and dry regions,
// rivers and the places where particular soils are known to dominate. Coordinates in degrees.

#include <vector>

namespace Demo {

struct TBlob {
    double Lat, Lon;             // centre
    double RadiusLat, RadiusLon; // degrees
    double Strength;
};

struct TRange {
    std::vector<std::pair<double, double>> Line; // (lat, lon)
    double WidthKm;
    double HeightM;
};

struct TPlace {
    double Lat, Lon;
    int SoilClass;
};

// Sum of Strength * exp(-(d/r)^2) over the blobs.
double BlobField(const std::vector<TBlob>& blobs, double lat, double lon);
// Distance in km from the point to the nearest polyline.
double DistanceToLinesKm(const std::vector<TRange>& lines, double lat, double lon,
                         double* heightOut = nullptr);

const std::vector<TRange>& MountainRanges();
const std::vector<TBlob>& Plateaus();   // Strength = elevation in m
const std::vector<TBlob>& DryRegions(); // negative moisture
const std::vector<TBlob>& WetRegions();
const std::vector<TRange>& Rivers();
const std::vector<TBlob>& SandyRegions();
const std::vector<TBlob>& IceFields(); // Strength = share of glacier
// Regions where a class is favoured; Strength = weight added.
struct TClassRegion {
    int SoilClass;
    TBlob Blob;
};
const std::vector<TClassRegion>& ClassRegions();
// Salt flats, large lakes and cities: the unit that holds the place becomes that class.
const std::vector<TPlace>& ForcedPlaces();

} // namespace Demo
