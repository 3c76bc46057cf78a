#include "rooms/Model.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace Zalvo::Detail {

namespace {

// A box in 64 bits, so that growing it by one never overflows.
struct WideBox {
    std::int64_t minColumn;
    std::int64_t maxColumn;
    std::int64_t maxRow;
    std::int64_t minRow;
};

WideBox Widen(const Box& box) { return {box.minColumn, box.maxColumn, box.maxRow, box.minRow}; }

bool InWideBox(std::int64_t x, std::int64_t y, const WideBox& box) {
    return box.minColumn <= x && x <= box.maxColumn && box.minRow <= y && y <= box.maxRow;
}

bool OnWideBoxEdge(std::int64_t x, std::int64_t y, const WideBox& box) {
    const bool inRows = box.minRow <= y && y <= box.maxRow;
    const bool inColumns = box.minColumn <= x && x <= box.maxColumn;
    return (inRows && (x == box.minColumn || x == box.maxColumn)) ||
           (inColumns && (y == box.maxRow || y == box.minRow));
}

const Pixel& FirstPixel(const NoRoom& room) {
    if (room.pixels.empty()) throw std::invalid_argument("wiggle room: a NoRoom has no pixels");
    return room.pixels.front();
}

const Pixel& LastPixel(const NoRoom& room) {
    if (room.pixels.empty()) throw std::invalid_argument("wiggle room: a NoRoom has no pixels");
    return room.pixels.back();
}

// Where a horizontal line at `row` meets the vertical line of `vertical`: one
// row beyond the band at most. `row` > maxRow implies maxRow + 1 fits, and
// likewise below.
Pixel MeetVertical(std::int32_t row, const VerticalRoom& vertical) {
    std::int32_t meet = row;
    if (row > vertical.maxRow)
        meet = vertical.maxRow + 1;
    else if (row < vertical.minRow)
        meet = vertical.minRow - 1;
    return {vertical.column, meet};
}

// Where the vertical line at `column` meets the horizontal line of
// `horizontal`: one column beyond its ends at most.
Pixel MeetHorizontal(std::int32_t column, const HorizontalRoom& horizontal) {
    std::int32_t meet = column;
    if (column < horizontal.minColumn)
        meet = horizontal.minColumn - 1;
    else if (column > horizontal.maxColumn)
        meet = horizontal.maxColumn + 1;
    return {meet, horizontal.row};
}

const WiggleRoom* Predecessor(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    return index == 0 ? nullptr : &rooms[index - 1];
}

const WiggleRoom* Successor(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    return index + 1 < rooms.size() ? &rooms[index + 1] : nullptr;
}

// The pixel where a VerticalRoom meets `neighbour` on one side, or none when
// that side has no HorizontalRoom or NoRoom. `atEntry` picks which end of a
// NoRoom faces the vertical line.
std::optional<Pixel> VerticalMeetsNeighbour(const VerticalRoom& vertical, const WiggleRoom* neighbour, bool atEntry) {
    if (neighbour == nullptr) return std::nullopt;
    if (const auto* horizontal = std::get_if<HorizontalRoom>(neighbour))
        return MeetHorizontal(vertical.column, *horizontal);
    if (const auto* noRoom = std::get_if<NoRoom>(neighbour)) return atEntry ? LastPixel(*noRoom) : FirstPixel(*noRoom);
    return std::nullopt;
}

// A vertical side without a horizontal or fixed neighbour copies the other
// side, so the room draws no jog; with neither, the line stands mid-band.
Pixel VerticalEnd(const std::vector<WiggleRoom>& rooms, std::size_t index, bool entry) {
    const auto& vertical = std::get<VerticalRoom>(rooms[index]);
    const WiggleRoom* before = Predecessor(rooms, index);
    const WiggleRoom* after = Successor(rooms, index);
    const auto own =
        entry ? VerticalMeetsNeighbour(vertical, before, true) : VerticalMeetsNeighbour(vertical, after, false);
    if (own) return *own;
    const auto other =
        entry ? VerticalMeetsNeighbour(vertical, after, false) : VerticalMeetsNeighbour(vertical, before, true);
    if (other) return *other;
    const auto middle = (std::int64_t{vertical.minRow} + vertical.maxRow) / 2;
    return {vertical.column, static_cast<std::int32_t>(middle)};
}

std::int32_t Saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

bool CornerTouches(const Box& from, const Box& to) {
    const Pixel corners[] = {{from.minColumn, from.maxRow},
                             {from.maxColumn, from.maxRow},
                             {from.minColumn, from.minRow},
                             {from.maxColumn, from.minRow}};
    return std::any_of(std::begin(corners), std::end(corners),
                       [&to](const Pixel& corner) { return TouchesBox(corner, to); });
}

}  // namespace

Box BoxOf(const HorizontalRoom& room) { return {room.minColumn, room.maxColumn, room.maxRow, room.minRow}; }

Box BoxOf(const VerticalRoom& room) { return {room.minColumn, room.maxColumn, room.maxRow, room.minRow}; }

std::optional<Box> RoomBox(const WiggleRoom& room) {
    if (const auto* horizontal = std::get_if<HorizontalRoom>(&room)) return BoxOf(*horizontal);
    if (const auto* vertical = std::get_if<VerticalRoom>(&room)) return BoxOf(*vertical);
    return std::nullopt;
}

std::int32_t ClampToRange(std::int64_t value, std::int32_t low, std::int32_t high) {
    if (value < low) return low;
    if (value > high) return high;
    return static_cast<std::int32_t>(value);
}

Pixel ClampToBox(const Pixel& pixel, const Box& box) {
    return {ClampToRange(pixel.x, box.minColumn, box.maxColumn), ClampToRange(pixel.y, box.minRow, box.maxRow)};
}

namespace {

// The pixel where room `index` is entered (`entry`) or left. A horizontal
// side meets the neighbour on that side: the column of a vertical line, or
// the nearer end pixel of a fixed piece; else the room's own end column.
Pixel RoomEndPixel(const std::vector<WiggleRoom>& rooms, std::size_t index, bool entry) {
    const WiggleRoom& room = rooms.at(index);
    if (const auto* noRoom = std::get_if<NoRoom>(&room)) return entry ? FirstPixel(*noRoom) : LastPixel(*noRoom);
    if (std::holds_alternative<VerticalRoom>(room)) return VerticalEnd(rooms, index, entry);
    const auto& horizontal = std::get<HorizontalRoom>(room);
    const WiggleRoom* neighbour = entry ? Predecessor(rooms, index) : Successor(rooms, index);
    if (neighbour != nullptr) {
        if (const auto* vertical = std::get_if<VerticalRoom>(neighbour)) return MeetVertical(horizontal.row, *vertical);
        if (const auto* noRoom = std::get_if<NoRoom>(neighbour))
            return entry ? LastPixel(*noRoom) : FirstPixel(*noRoom);
    }
    return {entry ? horizontal.minColumn : horizontal.maxColumn, horizontal.row};
}

}  // namespace

Pixel RoomEntryPixel(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    return RoomEndPixel(rooms, index, true);
}

Pixel RoomExitPixel(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    return RoomEndPixel(rooms, index, false);
}

std::int32_t RoomLength(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    const Pixel entry = RoomEntryPixel(rooms, index);
    const Pixel exit = RoomExitPixel(rooms, index);
    const std::int64_t across = Distance(exit.x, entry.x);
    const std::int64_t along = Distance(exit.y, entry.y);
    switch (rooms[index].index()) {
        case 0: return Saturate(across);
        case 1: return Saturate(along);
        default: return Saturate(std::max(across, along));
    }
}

bool InBox(const Pixel& pixel, const Box& box) { return InWideBox(pixel.x, pixel.y, Widen(box)); }

bool OnBoxEdge(const Pixel& pixel, const Box& box) { return OnWideBoxEdge(pixel.x, pixel.y, Widen(box)); }

bool OnBoxRing(const Pixel& pixel, const Box& box) {
    WideBox grown = Widen(box);
    grown.minColumn -= 1;
    grown.maxColumn += 1;
    grown.maxRow += 1;
    grown.minRow -= 1;
    return OnWideBoxEdge(pixel.x, pixel.y, grown);
}

bool BoxesTouch(const Box& a, const Box& b) { return CornerTouches(a, b) || CornerTouches(b, a); }

bool TouchesRoom(const Box& box, const WiggleRoom& room) {
    if (const auto roomBox = RoomBox(room)) return BoxesTouch(box, *roomBox);
    const auto& noRoom = std::get<NoRoom>(room);
    return TouchesBox(FirstPixel(noRoom), box) || TouchesBox(LastPixel(noRoom), box);
}

std::int64_t BoxWidth(const Box& box) { return std::int64_t{box.maxColumn} - box.minColumn + 1; }

std::int64_t BoxHeight(const Box& box) { return std::int64_t{box.maxRow} - box.minRow + 1; }

std::int32_t Middle(std::int32_t a, std::int32_t b) { return static_cast<std::int32_t>((std::int64_t{a} + b) / 2); }

bool TouchesBox(const Pixel& pixel, const Box& box) { return InBox(pixel, box) || OnBoxRing(pixel, box); }

bool BandsMeet(const Box& a, const Box& b) {
    return std::int64_t{std::min(a.maxRow, b.maxRow)} + 1 >= std::max(a.minRow, b.minRow);
}

}  // namespace Zalvo::Detail
