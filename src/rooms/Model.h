// The room model shared by every stage that makes, adjusts or walks rooms:
// boxes, the entry and exit pixels of a room, its length, the box predicates,
// and the sizes by which those stages judge a room.
#pragma once

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

// A room under this many pixels along the line is short: not worth a line of
// its own, so refinement folds it into its neighbours and the row adjustment
// pins a short horizontal room between its fixed neighbours' rows.
inline constexpr std::int32_t kShortRoomLength = 20;

// A piece under this many pixels cannot hold its corners apart from its
// neighbour's: such a vertical line takes its neighbour's column, and such a
// horizontal room merges into its neighbour's row.
inline constexpr std::int32_t kTinyPieceLength = 5;

// A room whose extent across the line is under this share of its
// neighbour's is dwarfed by it and follows it, whatever its own length.
inline constexpr double kDwarfedShare = 0.2;

// The first four fields of a HorizontalRoom, a VerticalRoom or a stretch.
struct Box {
    std::int32_t minColumn = 0;
    std::int32_t maxColumn = 0;
    std::int32_t maxRow = 0;
    std::int32_t minRow = 0;

    friend bool operator==(const Box&, const Box&) = default;
};

Box BoxOf(const HorizontalRoom& room);
Box BoxOf(const VerticalRoom& room);
// The box of a HorizontalRoom or VerticalRoom; none for a NoRoom.
std::optional<Box> RoomBox(const WiggleRoom& room);

// Width and height of a box, in 64 bits so that boxes spanning extreme rows
// cannot overflow.
std::int64_t BoxWidth(const Box& box);
std::int64_t BoxHeight(const Box& box);

// (a + b) / 2 truncated toward zero, without overflowing the sum.
std::int32_t Middle(std::int32_t a, std::int32_t b);

// |a - b|, for coordinates of 32 bits or differences of them.
inline std::int64_t Distance(std::int64_t a, std::int64_t b) { return a < b ? b - a : a - b; }

// True when the pixel lies in the box or on the ring of cells around it.
bool TouchesBox(const Pixel& pixel, const Box& box);

// Bands that overlap or lie directly on top of each other.
bool BandsMeet(const Box& a, const Box& b);

// `value` limited to low .. high: below low gives low, else above high gives
// high. Defined for low > high too, and always returns a 32-bit value, so
// results of 64-bit arithmetic can be brought back into a box.
std::int32_t ClampToRange(std::int64_t value, std::int32_t low, std::int32_t high);

// `pixel` limited to the box's columns, then rows. Defined for inverted boxes
// too: below the low bound gives the low bound, else above the high bound
// gives the high bound.
Pixel ClampToBox(const Pixel& pixel, const Box& box);

// Entry and exit pixels of room `index`, read from the room and its direct
// neighbours. A side of a VerticalRoom whose neighbour is missing or is another
// VerticalRoom takes the pixel of its other side (entry equals exit, the room
// adds no jog); with no HorizontalRoom or NoRoom on either side both are
// (column, (minRow + maxRow) / 2), the middle truncated toward zero and free
// of overflow. Throws std::invalid_argument for a NoRoom without pixels that
// would be read, std::out_of_range for an index past the end.
Pixel RoomEntryPixel(const std::vector<WiggleRoom>& rooms, std::size_t index);
Pixel RoomExitPixel(const std::vector<WiggleRoom>& rooms, std::size_t index);
// |exit.x - entry.x| for a HorizontalRoom, |exit.y - entry.y| for a
// VerticalRoom, the larger of both for a NoRoom. Measured in 64 bits; a length
// beyond INT32_MAX (ends at opposite extremes) saturates to INT32_MAX. Throws
// as the entry and exit pixels do.
std::int32_t RoomLength(const std::vector<WiggleRoom>& rooms, std::size_t index);

// Box predicates, compared in 64 bits so boxes at the 32-bit limits behave.
// An inverted box (min > max) contains nothing.
bool InBox(const Pixel& pixel, const Box& box);
// On the border cells of the box.
bool OnBoxEdge(const Pixel& pixel, const Box& box);
// On the ring of cells just outside the box (the box grown by one, which may
// reach one beyond the 32-bit range without wrapping).
bool OnBoxRing(const Pixel& pixel, const Box& box);
// A corner of either box lies in the other or on its ring.
bool BoxesTouch(const Box& a, const Box& b);
// BoxesTouch with a room's box; for a NoRoom, its first or last pixel lies in
// the box or on its ring. Throws std::invalid_argument for a NoRoom without
// pixels.
bool TouchesRoom(const Box& box, const WiggleRoom& room);

}  // namespace Zalvo::Detail
