// The first step of terrain creation: the plate's content as heights.
#pragma once

#include "cells/Cells.h"

#include <zalvo/zalvo.h>

#include <cstdint>

namespace Zalvo::Detail {

// The largest plate the library builds: 2^24 pixels a side (some 177 m at
// 2400 pixels per inch) and 2^31 - 1 pixels in all. Anything larger describes
// no real plate: building it would exhaust the host's memory and asking for
// its pixels would not end. No margin wider than a side can change a cell,
// so distances are bounded by the same side.
inline constexpr std::int32_t kMaxPlateSide = std::int32_t{1} << 24;
inline constexpr std::int64_t kMaxPlatePixels = kInt32Max;

// Asks the plate for its row count, then its column count (once each), then
// IsPixelOccupied row by row, and `isImpassable` right after each occupied
// pixel. Free pixels are 0, occupied ones 255 when impassable, else 253.
//
// Throws std::length_error("vector too long") for a negative count or a
// plate beyond the limits above, before any pixel is asked for; std::bad_function_call for an empty `isImpassable`
// at the first occupied pixel; whatever the plate or `isImpassable` throws.
Terrain CreateInitialTerrain(const PlateInterface& plate, const ImpassableFunction& isImpassable);

}  // namespace Zalvo::Detail
