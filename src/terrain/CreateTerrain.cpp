#include "cells/Log.h"
#include "terrain/Corridors.h"
#include "terrain/Erosion.h"
#include "terrain/TerrainCreation.h"
#include "terrain/TerrainText.h"

#include <stdexcept>

namespace Zalvo {

namespace Detail {

namespace {

void LogTerrain(unsigned level, const char* title, const Terrain& terrain) {
    LogMessage(level, [&](std::ostream& out) {
        out << title << std::endl;
        WriteTerrain(out, terrain) << std::endl;
    });
}

}  // namespace

Terrain CreateInitialTerrain(const PlateInterface& plate, const ImpassableFunction& isImpassable) {
    const std::int32_t rows = plate.GetPixelRowCount();
    const std::int32_t columns = plate.GetPixelColumnCount();
    const bool buildable = rows >= 0 && columns >= 0 && rows <= kMaxPlateSide && columns <= kMaxPlateSide &&
                           std::int64_t{rows} * columns <= kMaxPlatePixels;
    if (!buildable) throw std::length_error("vector too long");

    Terrain terrain(static_cast<std::size_t>(columns), std::vector<std::uint8_t>(static_cast<std::size_t>(rows), 0));
    for (std::int32_t y = 0; y < rows; ++y) {
        for (std::int32_t x = 0; x < columns; ++x) {
            const Pixel pixel{x, y};
            if (plate.IsPixelOccupied(pixel))
                terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] =
                    isImpassable(pixel) ? Heights::Impassable : Heights::Crossable;
        }
    }
    return terrain;
}

}  // namespace Detail

Terrain CreateTerrain(const PlateInterface& plate, const ImpassableFunction& isImpassable,
                      const std::set<Pixel>& corridorSeeds, MilliPoints minimumDistance,
                      MilliPoints preferredDistance) {
    Terrain terrain = Detail::CreateInitialTerrain(plate, isImpassable);
    Detail::LogTerrain(LogLevels::Steps, "Initial terrain:", terrain);
    if (terrain.empty()) return terrain;

    const std::vector<std::uint8_t> profile =
        Detail::CreateErosionProfile(minimumDistance, preferredDistance, plate.GetResolution());
    Detail::LogMessage(LogLevels::Steps, [&](std::ostream& out) {
        out << "Erosion profile: " << Detail::ProfileToText(profile) << std::endl;
    });
    Detail::ErodeTerrain(terrain, profile);
    Detail::LogTerrain(LogLevels::Steps, "Eroded terrain:", terrain);
    Detail::CarveCorridors(terrain, corridorSeeds, profile);
    Detail::LogTerrain(LogLevels::Result, "Final terrain:", terrain);
    return terrain;
}

}  // namespace Zalvo
