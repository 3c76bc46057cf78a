// The refinement shared by both row adjustments: the margin a horizontal line
// keeps from the edges of its band, the usable band that results, and the two
// steps that run after a first choice of rows (corner conflicts, then merging
// of short horizontal rooms). Only the `row` of HorizontalRoom elements is
// ever written.
//
// Rows and columns come from the host unchecked, so every sum or difference
// of two of them is formed in 64 bits; where a result is narrowed back to 32
// bits, the comment there says why it fits.
#pragma once

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

// The integers both row adjustments work with, derived once per call.
struct RowParameters {
    std::int32_t baseMargin = 0;
    std::int32_t preferredWidth = 0;
    std::int32_t cornerRadius = 0;
    std::int32_t minimumWidth = 0;
};

// (lineWidth + 1) / 2 - existingClearance + wantedClearance, truncating.
// Throws std::invalid_argument when the value does not fit 32 bits.
std::int32_t BaseMargin(std::int32_t existingClearance, std::int32_t wantedClearance, std::int32_t lineWidth);

// The larger of 2 x (wantedClearance - existingClearance) and lineWidth.
// Throws std::invalid_argument when the value does not fit 32 bits.
std::int32_t PreferredWidth(std::int32_t existingClearance, std::int32_t wantedClearance, std::int32_t lineWidth);

// Validates and derives everything at once, before any room is touched.
RowParameters DeriveRowParameters(std::int32_t existingClearance, std::int32_t wantedClearance,
                                  std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// How far a horizontal line must stay from a band edge so that the rounded
// corner it makes with a vertical line `offset` columns from the edge of that
// line's range fits: radius - round(sqrt(radius^2 - (radius - offset)^2)).
// Returns INT32_MIN (a value that never raises a margin) when the root is
// imaginary, and also when a negative radius below -2^30 would give a value
// under INT32_MIN. The offset is 64-bit because it is a difference of columns.
std::int32_t CornerMargin(std::int32_t radius, std::int64_t offset);

enum class Side { Before, After };

// The room `distance` places before or after `index`; null past either end.
const WiggleRoom* RoomBeside(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side, std::size_t distance);

// The room right before or right after `index` if it is a VerticalRoom (a
// vertical neighbour), else null.
const VerticalRoom* VerticalNeighbour(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side);

// The margin of the HorizontalRoom at `index`: baseMargin, raised by the
// corner margin towards each vertical neighbour.
std::int32_t HorizontalRoomMargin(const std::vector<WiggleRoom>& rooms, std::size_t index,
                                  const RowParameters& parameters);

// The rows minRow + margin (lower) to maxRow - margin (upper) of a room.
struct UsableBand {
    std::int64_t upper = 0;
    std::int64_t lower = 0;

    bool IsOpen() const { return upper > lower; }
};

UsableBand UsableBandOf(const HorizontalRoom& room, std::int32_t margin);

// (maxRow + minRow) / 2, truncating toward zero.
std::int32_t MiddleRow(const HorizontalRoom& room);

// `target` clamped into an open usable band, upper end tested first; the
// middle row when the band is not open or there is no target.
std::int32_t RowInUsableBand(const HorizontalRoom& room, const UsableBand& band, std::optional<std::int32_t> target);

// preferredWidth when `row` leaves half of it on both sides inside the room's
// band, else minimumWidth when half of that fits, else 0. The classes are
// compared as plain numbers by the caller, whichever width is larger.
std::int32_t WidthClass(const HorizontalRoom& room, std::int32_t row, std::int32_t preferredWidth,
                        std::int32_t minimumWidth);

// Moves a horizontal line whose corner with a vertical neighbour would lie
// outside both rooms into the band both share, unless that narrows its
// width class.
std::vector<WiggleRoom> ResolveCornerConflicts(std::vector<WiggleRoom> rooms, std::int32_t minimumWidth,
                                               std::int32_t preferredWidth);

// The pixel of a NoRoom that faces the room at `index` from `side`: the
// NoRoom right next to it, or the one beyond a single room that is not a
// HorizontalRoom. Throws std::invalid_argument when that NoRoom has no pixels.
std::optional<Pixel> FacingFixedPixel(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side);

// A row for the HorizontalRoom at `index` between the NoRooms around it, each
// side's row kept preferredWidth / 2 inside the band; none when the band is
// lower than preferredWidth or no NoRoom faces the room.
std::optional<std::int32_t> RowBetweenFixedNeighbours(const std::vector<WiggleRoom>& rooms, std::size_t index,
                                                      std::int32_t preferredWidth);

// Pins short rooms between NoRooms, then lets horizontal rooms (smallest band
// first) pull a short, adjoining neighbour onto their own row.
std::vector<WiggleRoom> MergeShortHorizontalRooms(std::vector<WiggleRoom> rooms, std::int32_t preferredWidth);

// ResolveCornerConflicts, then MergeShortHorizontalRooms.
std::vector<WiggleRoom> RefineHorizontalRooms(std::vector<WiggleRoom> rooms, const RowParameters& parameters);

}  // namespace Zalvo::Detail
