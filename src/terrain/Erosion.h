// Erosion: the blocked margin and the cost ramp that surround content.
//
// An erosion profile holds one height per pixel of distance from content, the
// nearest first: a hard part of 255 (its last entry 254 when the minimum
// distance is not a whole number of pixels), then a ramp falling from 251.
// Eroding grows rings around the content, one per entry, each ring taking the
// height of its entry. Distances are counted in eight-neighbour steps on the
// cylinder: rows wrap, columns end at the first and last column.
#pragma once

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace Zalvo::Detail {

// The profile for the two distances at `resolution` pixels per inch. Pixel
// lengths are millipoints / 1000 * resolution / 72 in this order; the hard
// length is the ceiling of the minimum's, the total length the preferred's
// rounded half away from zero, and at least the hard length.
//
// Throws std::length_error("vector too long") when either length, still a
// double, is negative (hard pixels <= -1, preferred pixels <= -0.5), NaN or
// beyond kMaxPlateSide pixels (converting a negative, NaN or huge double to an
// unsigned count is undefined, and no plate is wider than that side).
std::vector<std::uint8_t> CreateErosionProfile(MilliPoints minimumDistance, MilliPoints preferredDistance,
                                               double resolution);

// Applies the profile to a rectangular `terrain`, entry by entry, with the
// result of growing one ring per entry:
//  - a hard entry (254, 255) first turns every cell below 253 next to a cell
//    of 253 or more into 253, then every cell below 254 next to a cell of 254
//    or more into the entry;
//  - any other entry turns every cell of 0 next to a non-zero cell into the
//    entry (so an entry of 0 changes nothing).
// Each ring is found on the terrain as the previous ring left it.
//
// A run of entries of one kind is applied at once from one distance
// computation, so the cost is a few passes over the grid per run, whatever
// the number of entries in it.
void ErodeTerrain(Terrain& terrain, const std::vector<std::uint8_t>& profile);

// Told the final distances of column x, while column x of the terrain may
// still be changed: the sweep has read it by then.
template <class Distance>
using FinishColumn = std::function<void(std::size_t x, const Distance* column)>;

// Fills `distances` (column by column: index x * rows + y) with the number of
// eight-neighbour steps from each cell of the rectangular `terrain` to the
// nearest cell of height `threshold` or more, rows wrapping and columns not;
// distances of `cap` (at least 1) or more read `cap`. `finish` is told each
// column as soon as its distances are final, from the last column to the
// first, so erosion raises a column while it is still in cache. Defined for
// std::uint8_t, std::uint16_t and std::uint32_t.
template <class Distance>
void SweepCylinderDistances(const Terrain& terrain, std::uint8_t threshold, Distance cap,
                            std::vector<Distance>& distances, const FinishColumn<Distance>& finish);

}  // namespace Zalvo::Detail
