#include "wiggle/VerticalLines.h"

#include "wiggle/Stretches.h"

#include <algorithm>
#include <numeric>

namespace Zalvo::Detail {

namespace {

const NoRoom* PieceAt(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    if (index >= rooms.size()) return nullptr;
    const auto* piece = std::get_if<NoRoom>(&rooms[index]);
    return piece != nullptr && !piece->pixels.empty() ? piece : nullptr;
}

bool IsVertical(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    return index < rooms.size() && std::holds_alternative<VerticalRoom>(rooms[index]);
}

// The NoRoom next to `index` on one side, or one room further when the room
// in between is not vertical.
const NoRoom* NearPiece(const std::vector<WiggleRoom>& rooms, std::size_t index, bool left) {
    if (left ? index == 0 : index + 1 >= rooms.size()) return nullptr;
    const std::size_t next = left ? index - 1 : index + 1;
    if (std::holds_alternative<NoRoom>(rooms[next])) return PieceAt(rooms, next);
    if (IsVertical(rooms, next) || (left && next == 0)) return nullptr;
    return PieceAt(rooms, left ? next - 1 : next + 1);
}

struct LineRecord {
    std::size_t index;
    std::int32_t column;
    Box box;
    bool fixed;
};

std::vector<LineRecord> FixPreferredLines(std::vector<WiggleRoom>& rooms, std::int32_t window) {
    std::vector<LineRecord> records;
    for (std::size_t k = 0; k < rooms.size(); ++k) {
        auto* vertical = std::get_if<VerticalRoom>(&rooms[k]);
        if (vertical == nullptr) continue;
        LineRecord record{k, vertical->column, BoxOf(*vertical), false};
        const auto preferred = PreferredColumn(rooms, k, window);
        if (preferred && vertical->minColumn <= *preferred && *preferred <= vertical->maxColumn) {
            vertical->column = *preferred;
            record.column = *preferred;
            record.fixed = true;
        }
        records.push_back(record);
    }
    return records;
}

std::int64_t DistanceToColumns(std::int32_t column, const HorizontalRoom& room) {
    if (column < room.minColumn) return std::int64_t{room.minColumn} - column;
    if (column > room.maxColumn) return std::int64_t{column} - room.maxColumn;
    return 0;
}

// Moving the line of the room at `index` to `column` must not make the
// horizontal rooms beside it reach further than its current column does.
bool MoveCostsNoDetour(const std::vector<WiggleRoom>& rooms, std::size_t index, std::int32_t current,
                       std::int32_t column) {
    const auto* before = index > 0 ? std::get_if<HorizontalRoom>(&rooms[index - 1]) : nullptr;
    const auto* after = index + 1 < rooms.size() ? std::get_if<HorizontalRoom>(&rooms[index + 1]) : nullptr;
    const bool leavesBefore = before != nullptr && DistanceToColumns(column, *before) > 0;
    const bool leavesAfter = after != nullptr && DistanceToColumns(column, *after) > 0;
    if (!leavesBefore && !leavesAfter) return true;
    const auto cost = [&](std::int32_t c) {
        return (before ? DistanceToColumns(c, *before) : 0) + (after ? DistanceToColumns(c, *after) : 0);
    };
    return cost(column) <= cost(current);
}

// Lets `line` pull its unfixed neighbour onto its column.
void PullNeighbour(const std::vector<WiggleRoom>& rooms, LineRecord& line, LineRecord& neighbour) {
    if (neighbour.fixed) return;
    const bool dwarfed =
        static_cast<double>(BoxHeight(line.box)) * kDwarfedShare > static_cast<double>(BoxHeight(neighbour.box));
    if (!dwarfed && RoomLength(rooms, neighbour.index) >= kTinyPieceLength) return;
    if (!BandsMeet(line.box, neighbour.box)) return;
    if (line.column < neighbour.box.minColumn || line.column > neighbour.box.maxColumn) return;
    if (!MoveCostsNoDetour(rooms, neighbour.index, neighbour.column, line.column)) return;
    neighbour.fixed = true;
    neighbour.column = line.column;
    const Box shared{std::max(line.box.minColumn, neighbour.box.minColumn),
                     std::min(line.box.maxColumn, neighbour.box.maxColumn),
                     std::max(line.box.maxRow, neighbour.box.maxRow), std::min(line.box.minRow, neighbour.box.minRow)};
    line.box = shared;
    neighbour.box = shared;
}

}  // namespace

std::optional<std::int32_t> PreferredColumn(const std::vector<WiggleRoom>& rooms, std::size_t index,
                                            std::int32_t window) {
    const auto& vertical = std::get<VerticalRoom>(rooms.at(index));
    if (BoxWidth(BoxOf(vertical)) < window) return std::nullopt;
    // The room is at least a window wide, so both bounds stay inside it.
    const std::int32_t lo = vertical.minColumn + window / 2;
    const std::int32_t hi = vertical.maxColumn - window / 2;
    const auto clamp = [lo, hi](std::int32_t x) { return x > hi ? hi : std::max(x, lo); };
    const NoRoom* left = NearPiece(rooms, index, true);
    const NoRoom* right = NearPiece(rooms, index, false);
    if (left != nullptr && right != nullptr)
        return Middle(clamp(left->pixels.back().x), clamp(right->pixels.front().x));
    if (left != nullptr) return clamp(left->pixels.back().x);
    if (right != nullptr) return clamp(right->pixels.front().x);
    return std::nullopt;
}

std::vector<WiggleRoom> PlaceVerticalLines(std::vector<WiggleRoom> rooms, std::int32_t window) {
    std::vector<LineRecord> records = FixPreferredLines(rooms, window);

    // Narrow rooms have the least choice, so they place their lines first.
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&records](std::size_t a, std::size_t b) {
        return BoxWidth(records[a].box) < BoxWidth(records[b].box);
    });

    for (const std::size_t r : order) {
        std::vector<std::size_t> neighbours;
        if (r > 0) neighbours.push_back(r - 1);
        if (r + 1 < records.size()) neighbours.push_back(r + 1);
        if (neighbours.size() == 2 && BoxHeight(records[neighbours[1]].box) > BoxHeight(records[neighbours[0]].box))
            std::swap(neighbours[0], neighbours[1]);
        for (const std::size_t q : neighbours) PullNeighbour(rooms, records[r], records[q]);
    }

    for (const LineRecord& record : records) std::get<VerticalRoom>(rooms[record.index]).column = record.column;
    return rooms;
}

}  // namespace Zalvo::Detail
