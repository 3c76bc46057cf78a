// The wiggle-room model shared by every step of the wiggle-room subsystem:
// boxes, the entry and exit pixels of a room, its length, and the box
// predicates.
#pragma once

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

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

// `pixel` limited to the box's columns, then rows. Defined for inverted boxes
// too: below the low bound gives the low bound, else above the high bound
// gives the high bound.
Pixel ClampToBox(const Pixel& pixel, const Box& box);

// Entry and exit pixels of room `index`, read from the room and its direct
// neighbours. Throws std::invalid_argument for a NoRoom without pixels that
// would be read.
Pixel RoomEntryPixel(const std::vector<WiggleRoom>& rooms, std::size_t index);
Pixel RoomExitPixel(const std::vector<WiggleRoom>& rooms, std::size_t index);
std::int32_t RoomLength(const std::vector<WiggleRoom>& rooms, std::size_t index);

bool InBox(const Pixel& pixel, const Box& box);
bool OnBoxEdge(const Pixel& pixel, const Box& box);
bool OnBoxRing(const Pixel& pixel, const Box& box);
bool BoxesTouch(const Box& a, const Box& b);
bool TouchesRoom(const Box& box, const WiggleRoom& room);

}  // namespace Zalvo::Detail
