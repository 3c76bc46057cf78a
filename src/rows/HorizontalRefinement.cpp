#include "rows/HorizontalRefinement.h"

#include "cells/Cells.h"
#include "rooms/Model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>

namespace Zalvo::Detail {

namespace {

// The upper end wins when the ends cross. An end is returned only when
// `value` lies beyond it, so an upper end above INT32_MAX or a lower end
// below INT32_MIN is never returned; callers narrow the result after ruling
// out the other two cases.
std::int64_t ClampUpperFirst(std::int32_t value, std::int64_t upper, std::int64_t lower) {
    if (value > upper) return upper;
    if (value < lower) return lower;
    return value;
}

std::int64_t MiddleColumn(const Box& box) { return (std::int64_t{box.minColumn} + box.maxColumn) / 2; }

// The corner margin towards one vertical neighbour, measured from the
// vertical line to the edge of its column range that faces `room`.
std::int32_t CornerMarginTowards(const HorizontalRoom& room, const VerticalRoom& vertical, Side side,
                                 std::int32_t radius) {
    const std::int64_t own = MiddleColumn(BoxOf(room));
    const std::int64_t other = MiddleColumn(BoxOf(vertical));
    const std::int64_t toLower = std::int64_t{vertical.column} - vertical.minColumn;
    const std::int64_t toUpper = std::int64_t{vertical.maxColumn} - vertical.column;
    // With equal middles a preceding line is measured to its upper edge and a
    // following one to its lower edge.
    const bool facesLower = side == Side::Before ? other > own : other >= own;
    return CornerMargin(radius, facesLower ? toLower : toUpper);
}

const Pixel& FacingPixelOf(const NoRoom& room, Side side) {
    if (room.pixels.empty())
        throw std::invalid_argument("row adjustment: a NoRoom next to a horizontal room has no pixels");
    // A NoRoom before the room faces it with its last pixel, one after with
    // its first.
    return side == Side::Before ? room.pixels.back() : room.pixels.front();
}

std::int64_t DistanceFromBand(std::int32_t row, const VerticalRoom& vertical) {
    if (vertical.minRow <= row && row <= vertical.maxRow) return 0;
    const std::int32_t edge = row > vertical.maxRow ? vertical.maxRow : vertical.minRow;
    return std::abs(std::int64_t{row} - edge);
}

std::int64_t VerticalNeighbourDistance(const std::vector<WiggleRoom>& rooms, std::size_t index, std::int32_t row) {
    std::int64_t sum = 0;
    for (const Side side : {Side::Before, Side::After}) {
        if (const VerticalRoom* vertical = VerticalNeighbour(rooms, index, side))
            sum += DistanceFromBand(row, *vertical);
    }
    return sum;
}

// One HorizontalRoom while short rooms are merged. Merging widens the column
// range and narrows the band here only; the rooms keep their own.
struct MergeRecord {
    std::size_t roomIndex = 0;
    std::int32_t row = 0;
    std::int32_t minColumn = 0;
    std::int32_t maxColumn = 0;
    std::int32_t maxRow = 0;
    std::int32_t minRow = 0;
    bool fixed = false;
    // RoomLength of the room. The entry and exit columns of a HorizontalRoom
    // never depend on any row, so rows chosen during merging cannot change it.
    std::int32_t length = 0;
};

Box BoxOf(const MergeRecord& record) { return {record.minColumn, record.maxColumn, record.maxRow, record.minRow}; }

std::int64_t WidthOf(const MergeRecord& record) { return BoxWidth(BoxOf(record)); }

MergeRecord PinBetweenFixedNeighbours(std::vector<WiggleRoom>& rooms, std::size_t index, std::int32_t preferredWidth) {
    auto& room = std::get<HorizontalRoom>(rooms[index]);
    const std::int32_t length = RoomLength(rooms, index);
    const auto pinned =
        length < kShortRoomLength ? RowBetweenFixedNeighbours(rooms, index, preferredWidth) : std::nullopt;
    const bool fixed = pinned && room.minRow <= *pinned && *pinned <= room.maxRow;
    if (fixed) room.row = *pinned;
    return {index, room.row, room.minColumn, room.maxColumn, room.maxRow, room.minRow, fixed, length};
}

bool CanMergeInto(const std::vector<WiggleRoom>& rooms, const MergeRecord& into, const MergeRecord& other) {
    const bool isShort = kDwarfedShare * static_cast<double>(WidthOf(into)) > static_cast<double>(WidthOf(other)) ||
                         other.length < kTinyPieceLength;
    const bool columnsAdjoin =
        std::int64_t{std::min(into.maxColumn, other.maxColumn)} + 1 >= std::max(into.minColumn, other.minColumn);
    const bool rowInBand = other.minRow <= into.row && into.row <= other.maxRow;
    // When every vertical neighbour holds the new row, its distance sum is 0
    // and never exceeds the old one; otherwise the sums decide.
    const bool neighboursAccept = VerticalNeighbourDistance(rooms, other.roomIndex, into.row) <=
                                  VerticalNeighbourDistance(rooms, other.roomIndex, other.row);
    return isShort && columnsAdjoin && rowInBand && neighboursAccept;
}

void MergeInto(MergeRecord& into, MergeRecord& other) {
    other.fixed = true;
    other.row = into.row;
    into.minColumn = other.minColumn = std::min(into.minColumn, other.minColumn);
    into.maxColumn = other.maxColumn = std::max(into.maxColumn, other.maxColumn);
    into.maxRow = other.maxRow = std::min(into.maxRow, other.maxRow);
    into.minRow = other.minRow = std::max(into.minRow, other.minRow);
}

// The records next to `position` in sequence order, widest first (read now,
// before either is examined); equal widths keep the earlier first.
std::vector<std::size_t> NeighboursWidestFirst(const std::vector<MergeRecord>& records, std::size_t position) {
    std::vector<std::size_t> neighbours;
    if (position > 0) neighbours.push_back(position - 1);
    if (position + 1 < records.size()) neighbours.push_back(position + 1);
    if (neighbours.size() == 2 && WidthOf(records[neighbours[1]]) > WidthOf(records[neighbours[0]]))
        std::swap(neighbours[0], neighbours[1]);
    return neighbours;
}

}  // namespace

std::int32_t BaseMargin(std::int32_t existingClearance, std::int32_t wantedClearance, std::int32_t lineWidth) {
    const std::int64_t value = (std::int64_t{lineWidth} + 1) / 2 - existingClearance + wantedClearance;
    return CheckedInt32(value, "row adjustment",
                        "baseMargin ((lineWidth + 1) / 2 - existingClearance + wantedClearance) does not fit a 32-bit "
                        "integer");
}

std::int32_t PreferredWidth(std::int32_t existingClearance, std::int32_t wantedClearance, std::int32_t lineWidth) {
    const std::int64_t doubled = 2 * (std::int64_t{wantedClearance} - existingClearance);
    return CheckedInt32(std::max<std::int64_t>(doubled, lineWidth), "row adjustment",
                        "preferredWidth (2 x (wantedClearance - existingClearance)) does not fit a 32-bit integer");
}

RowParameters DeriveRowParameters(std::int32_t existingClearance, std::int32_t wantedClearance,
                                  std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth) {
    return {BaseMargin(existingClearance, wantedClearance, lineWidth),
            PreferredWidth(existingClearance, wantedClearance, lineWidth), cornerRadius, minimumWidth};
}

std::int32_t CornerMargin(std::int32_t radius, std::int64_t offset) {
    // Both operands stay far below 2^53, so the doubles are exact before squaring.
    const double r = static_cast<double>(radius);
    const double rest = static_cast<double>(std::int64_t{radius} - offset);
    const double q = r * r - rest * rest;
    if (q < 0) return std::numeric_limits<std::int32_t>::min();
    // sqrt(q) <= |radius|, so the margin lies between radius - |radius| and radius.
    const std::int64_t margin = std::int64_t{radius} - static_cast<std::int64_t>(std::round(std::sqrt(q)));
    return static_cast<std::int32_t>(std::max(margin, kInt32Min));
}

const WiggleRoom* RoomBeside(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side, std::size_t distance) {
    if (side == Side::Before) return distance <= index ? &rooms[index - distance] : nullptr;
    return distance < rooms.size() - index ? &rooms[index + distance] : nullptr;
}

const VerticalRoom* VerticalNeighbour(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side) {
    const WiggleRoom* room = RoomBeside(rooms, index, side, 1);
    return room == nullptr ? nullptr : std::get_if<VerticalRoom>(room);
}

std::int32_t HorizontalRoomMargin(const std::vector<WiggleRoom>& rooms, std::size_t index,
                                  const RowParameters& parameters) {
    const auto& room = std::get<HorizontalRoom>(rooms[index]);
    std::int32_t margin = parameters.baseMargin;
    for (const Side side : {Side::Before, Side::After}) {
        if (const VerticalRoom* vertical = VerticalNeighbour(rooms, index, side))
            margin = std::max(margin, CornerMarginTowards(room, *vertical, side, parameters.cornerRadius));
    }
    return margin;
}

UsableBand UsableBandOf(const HorizontalRoom& room, std::int32_t margin) {
    return {std::int64_t{room.maxRow} - margin, std::int64_t{room.minRow} + margin};
}

std::int32_t MiddleRow(const HorizontalRoom& room) { return Middle(room.maxRow, room.minRow); }

std::int32_t RowInUsableBand(const HorizontalRoom& room, const UsableBand& band, std::optional<std::int32_t> target) {
    if (!band.IsOpen() || !target) return MiddleRow(room);
    // An open band with a margin m >= 0 lies within minRow .. maxRow; with
    // m < 0 its upper end is above maxRow and its lower end below minRow, so
    // neither can leave the 32-bit range on the side from which it is returned.
    return static_cast<std::int32_t>(ClampUpperFirst(*target, band.upper, band.lower));
}

std::int32_t WidthClass(const HorizontalRoom& room, std::int32_t row, std::int32_t preferredWidth,
                        std::int32_t minimumWidth) {
    const std::int64_t down = std::int64_t{row} - room.minRow;
    const std::int64_t up = std::int64_t{room.maxRow} - row;
    const auto leaves = [down, up](std::int32_t width) { return down >= width / 2 && up >= width / 2; };
    if (leaves(preferredWidth)) return preferredWidth;
    if (leaves(minimumWidth)) return minimumWidth;
    return 0;
}

std::vector<WiggleRoom> ResolveCornerConflicts(std::vector<WiggleRoom> rooms, std::int32_t minimumWidth,
                                               std::int32_t preferredWidth) {
    for (std::size_t index = 0; index < rooms.size(); ++index) {
        auto* room = std::get_if<HorizontalRoom>(&rooms[index]);
        if (room == nullptr) continue;
        const std::int32_t row = room->row;
        std::int32_t top = room->maxRow;
        std::int32_t bottom = room->minRow;
        bool conflict = false;
        for (const Side side : {Side::Before, Side::After}) {
            const VerticalRoom* vertical = VerticalNeighbour(rooms, index, side);
            if (vertical == nullptr) continue;
            const Pixel corner{vertical->column, row};
            conflict = conflict || (!InBox(corner, BoxOf(*vertical)) && !InBox(corner, BoxOf(*room)));
            top = std::min(top, vertical->maxRow);
            bottom = std::max(bottom, vertical->minRow);
        }
        if (!conflict || top < bottom) continue;
        const std::int32_t candidate = row <= bottom ? bottom : (row >= top ? top : row);
        if (WidthClass(*room, candidate, preferredWidth, minimumWidth) >=
            WidthClass(*room, row, preferredWidth, minimumWidth))
            room->row = candidate;
    }
    return rooms;
}

std::optional<Pixel> FacingFixedPixel(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side) {
    const WiggleRoom* next = RoomBeside(rooms, index, side, 1);
    if (next == nullptr) return std::nullopt;
    if (const auto* noRoom = std::get_if<NoRoom>(next)) return FacingPixelOf(*noRoom, side);
    const WiggleRoom* beyond = RoomBeside(rooms, index, side, 2);
    if (beyond == nullptr || std::holds_alternative<HorizontalRoom>(*next)) return std::nullopt;
    if (const auto* noRoom = std::get_if<NoRoom>(beyond)) return FacingPixelOf(*noRoom, side);
    return std::nullopt;
}

std::optional<std::int32_t> RowBetweenFixedNeighbours(const std::vector<WiggleRoom>& rooms, std::size_t index,
                                                      std::int32_t preferredWidth) {
    const auto& room = std::get<HorizontalRoom>(rooms[index]);
    if (BoxHeight(BoxOf(room)) < preferredWidth) return std::nullopt;
    const std::int32_t half = preferredWidth / 2;
    const std::int64_t upper = std::int64_t{room.maxRow} - half;
    const std::int64_t lower = std::int64_t{room.minRow} + half;
    // With half >= 1 the band height check keeps both ends within the 32-bit
    // range; with half <= 0 the upper end lies at or above maxRow and the
    // lower end at or below minRow. Either way a clamped row fits.
    const auto sideRow = [&](Side side) -> std::optional<std::int64_t> {
        const auto pixel = FacingFixedPixel(rooms, index, side);
        if (!pixel) return std::nullopt;
        const std::int32_t y = pixel->y;
        // Only an inverted band can have a row beyond both of its ends; such a
        // side gives nothing rather than an arbitrary end.
        if (y > room.maxRow && y < room.minRow && upper < lower) return std::nullopt;
        return ClampUpperFirst(y, upper, lower);
    };
    const auto before = sideRow(Side::Before);
    const auto after = sideRow(Side::After);
    if (before && after) return static_cast<std::int32_t>((*before + *after) / 2);
    if (before) return static_cast<std::int32_t>(*before);
    if (after) return static_cast<std::int32_t>(*after);
    return std::nullopt;
}

std::vector<WiggleRoom> MergeShortHorizontalRooms(std::vector<WiggleRoom> rooms, std::int32_t preferredWidth) {
    std::vector<MergeRecord> records;
    for (std::size_t index = 0; index < rooms.size(); ++index) {
        if (std::holds_alternative<HorizontalRoom>(rooms[index]))
            records.push_back(PinBetweenFixedNeighbours(rooms, index, preferredWidth));
    }

    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&records](std::size_t a, std::size_t b) {
        return BoxHeight(BoxOf(records[a])) < BoxHeight(BoxOf(records[b]));
    });

    for (const std::size_t position : order) {
        for (const std::size_t neighbour : NeighboursWidestFirst(records, position)) {
            MergeRecord& other = records[neighbour];
            if (!other.fixed && CanMergeInto(rooms, records[position], other)) MergeInto(records[position], other);
        }
    }

    for (const MergeRecord& record : records) std::get<HorizontalRoom>(rooms[record.roomIndex]).row = record.row;
    return rooms;
}

std::vector<WiggleRoom> RefineHorizontalRooms(std::vector<WiggleRoom> rooms, const RowParameters& parameters) {
    rooms = ResolveCornerConflicts(std::move(rooms), parameters.minimumWidth, parameters.preferredWidth);
    return MergeShortHorizontalRooms(std::move(rooms), parameters.preferredWidth);
}

}  // namespace Zalvo::Detail
