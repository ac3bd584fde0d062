#include "DemoWorld.h"

namespace Demo {

TDemoWorld::TDemoWorld(const TWorldOptions& options, const TLandMask& land)
    : m_options(options), m_regions(options, land) {}

TDemoWorld::~TDemoWorld() = default;

void TDemoWorld::Build(const std::function<void(double done)>& onProgress) {
    // Placing the units on the land takes most of the time.
    const auto report = [&](double done) {
        if (onProgress)
            onProgress(done);
    };
    m_regions.BuildCoarseLand();
    report(0.05);
    m_climate = std::make_unique<TClimate>(m_regions.CoarseLand(), m_regions.CoarseCols(),
                                           m_regions.CoarseRows(), m_options.Seed);
    report(0.1);
    m_regions.PlaceSeeds(*m_climate);
    report(0.15);
    m_regions.AssignRegions([&](double done) { report(0.15 + 0.75 * done); });
    report(0.9);
    m_soils = AssignSoils(m_regions, *m_climate, m_options.Seed);
    report(1.0);
}

} // namespace Demo
