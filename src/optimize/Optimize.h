// Steps of the rigid path shift: the dense line that the shifts are tested
// and priced on, the free-shift scan, and the shifted copy of a path.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <vector>

namespace Zalvo::Detail {

// The 8-connected line through every point of `path` in order: each segment
// gives its start and the rounded pixels between (slope accumulated as a
// double, halves rounded away from zero), never its end; the last point comes
// last. Far-apart points are measured in 64 bits. Throws
// std::length_error("vector too long") when the line would hold more than
// INT32_MAX pixels, or when bridging the gaps would add more than 2^26 pixels
// to the path's own, before allocating anything.
std::vector<Pixel> CalculateDensePixelPath(const std::vector<Pixel>& path);

// Row direction of a shift: toward higher or toward lower row numbers.
enum class ShiftDirection : std::int32_t { Up = 1, Down = -1 };

// The number k of consecutive shifts 1, 2, ... (each below the row count) in
// `direction` that put no pixel of `dense` on a cell of 253 or above (rows
// wrapped), as the limit k - clearance; 0 when shift 1 is blocked or the grid
// has fewer than two rows. Computed in 64 bits: it exceeds 32 bits when the
// clearance is very negative. `rowCount` is the grid's first-column length.
std::int64_t ScanShiftLimit(const std::vector<Pixel>& dense, const Terrain& terrain, std::int32_t rowCount,
                            std::int32_t clearance, ShiftDirection direction);

// `path` with `offset` added to every row. Throws std::invalid_argument when a
// row would leave the 32-bit range.
std::vector<Pixel> ShiftPixelPath(const std::vector<Pixel>& path, std::int32_t offset);

}  // namespace Zalvo::Detail
