#include "DemoWorld.h"

namespace Demo {

TDemoWorld::TDemoWorld(const TWorldOptions& options, const TLandMask& land)
    : m_options(options), m_regions(options, land) {}

TDemoWorld::~TDemoWorld() = default;

void TDemoWorld::Build() {
    m_regions.BuildCoarseLand();
    m_climate = std::make_unique<TClimate>(m_regions.CoarseLand(), m_regions.CoarseCols(),
                                           m_regions.CoarseRows(), m_options.Seed);
    m_regions.PlaceSeeds(*m_climate);
    m_regions.AssignRegions();
    m_soils = AssignSoils(m_regions, *m_climate, m_options.Seed);
}

} // namespace Demo
