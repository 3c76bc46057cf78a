// The first step of terrain creation: the plate's content as heights.
#pragma once

#include <zalvo/zalvo.h>

namespace Zalvo::Detail {

// Asks the plate for its row count, then its column count (once each), then
// IsPixelOccupied row by row, and `isImpassable` right after each occupied
// pixel. Free pixels are 0, occupied ones 255 when impassable, else 253.
//
// Throws std::length_error("vector too long") for a negative count, before
// any pixel is asked for; std::bad_function_call for an empty `isImpassable`
// at the first occupied pixel; whatever the plate or `isImpassable` throws.
Terrain CreateInitialTerrain(const PlateInterface& plate, const ImpassableFunction& isImpassable);

}  // namespace Zalvo::Detail
