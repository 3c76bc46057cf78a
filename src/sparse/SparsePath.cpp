#include "sparse/SparsePath.h"

#include "cells/Cells.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <variant>

namespace Zalvo {
namespace Detail {

namespace {

// A piece keeps its own ends between its two slid anchors only when these lie
// at least this many pixels apart: closer, the ends would add a jog of no use.
constexpr std::int64_t kCornerSpacing = 5;

bool IsAdjustable(const Anchor& anchor) { return anchor.kind == AnchorKind::Adjustable; }

Pixel ClampWide(std::int64_t x, std::int64_t y, const Box& box) {
    return {ClampToRange(x, box.minColumn, box.maxColumn), ClampToRange(y, box.minRow, box.maxRow)};
}

// Inner corners sit between the anchors once they pass their tests, but a
// lone vertical corner is tested against its own side only and may be pushed
// beyond the 32-bit range by a box spanning more than 2^31 columns.
std::int32_t CornerCoordinate(std::int64_t value) {
    return CheckedInt32(value, "CalculateSparsePixelPathThroughWiggleRooms", "a corner would leave the 32-bit range");
}

// The line's two inner corners along its own axis: each adjustable anchor
// slides toward the middle by its distance from the line, which cuts the
// corner diagonally. A slid corner is usable when it stays between its anchor
// and the other corner.
struct SlidCorners {
    std::int64_t first;
    std::int64_t second;
    bool firstUsable;
    bool secondUsable;
    bool farApart;
};

SlidCorners SlideTowardMiddle(std::int64_t first, std::int64_t second, std::int64_t firstDistance,
                              std::int64_t secondDistance, bool firstAdjustable, bool secondAdjustable) {
    const std::int64_t middle = (first + second) / 2;
    std::int64_t slidFirst = first;
    if (firstAdjustable) slidFirst = first >= middle ? first - firstDistance : first + firstDistance;
    std::int64_t slidSecond = second;
    if (secondAdjustable) slidSecond = middle >= second ? second + secondDistance : second - secondDistance;
    const bool inOrder = slidFirst <= slidSecond;
    return {slidFirst, slidSecond, !firstAdjustable || (first <= slidFirst) == inOrder,
            !secondAdjustable || inOrder == (slidSecond <= second), Distance(slidFirst, slidSecond) >= kCornerSpacing};
}

// `end` clamped into `box`, and that clamp moved diagonally: along the axis
// the clamp left alone, by the distance it took away on the other, lowering
// the coordinate where asked; the result clamped again.
std::pair<Pixel, Pixel> ClampAndSlide(const Pixel& end, const Box& box, bool lowerColumn, bool lowerRow) {
    const Pixel clamped = ClampToBox(end, box);
    const std::int64_t columnsTaken = Distance(clamped.x, end.x);
    const std::int64_t rowsTaken = Distance(clamped.y, end.y);
    std::int64_t x = clamped.x;
    std::int64_t y = clamped.y;
    if (columnsTaken == 0) x += lowerColumn ? -rowsTaken : rowsTaken;
    if (rowsTaken == 0) y += lowerRow ? -columnsTaken : columnsTaken;
    return {clamped, ClampWide(x, y, box)};
}

bool KeepsOrder(std::int32_t entry, std::int32_t exit, std::int32_t slidEntry, std::int32_t slidExit) {
    return (entry < exit) == (slidEntry < slidExit) || slidEntry == slidExit;
}

// One axis of the boundary anchors: the value for the earlier room's side and
// the one for the later room's side.
std::pair<std::int64_t, std::int64_t> BoundarySides(std::int32_t aLow, std::int32_t aHigh, std::int32_t bLow,
                                                    std::int32_t bHigh, std::int32_t border) {
    const std::int64_t low = std::max(aLow, bLow);
    const std::int64_t high = std::min(aHigh, bHigh);
    const std::int64_t middle = (low + high) / 2;
    const bool shared = high >= low;
    const auto side = [&](bool holds) { return shared ? (holds ? middle : middle + 1) : (holds ? high : low); };
    return {side(aLow <= border && border <= bHigh), side(bLow <= border && border <= aHigh)};
}

// A neighbour whose line runs across this room's line meets it at a border
// shared by both; any other neighbour leaves the room's own anchor.
std::optional<Box> CrossingBox(const std::vector<WiggleRoom>& rooms, std::size_t index, bool horizontal) {
    if (index >= rooms.size()) return std::nullopt;
    const bool crosses = horizontal ? std::holds_alternative<VerticalRoom>(rooms[index])
                                    : std::holds_alternative<HorizontalRoom>(rooms[index]);
    return crosses ? RoomBox(rooms[index]) : std::nullopt;
}

void RequireNoEmptyNoRoom(const std::vector<WiggleRoom>& rooms) {
    const bool anyEmpty = std::any_of(rooms.begin(), rooms.end(), [](const WiggleRoom& room) {
        const auto* noRoom = std::get_if<NoRoom>(&room);
        return noRoom != nullptr && noRoom->pixels.empty();
    });
    if (anyEmpty) throw std::invalid_argument("CalculateSparsePixelPathThroughWiggleRooms: a NoRoom has no pixels");
}

// Only x is compared: a first corner above or below the second adds a
// vertical stub at the plate's edge.
void DropLeadingSameColumn(std::vector<Pixel>& corners) {
    if (corners.size() >= 2 && corners[0].x == corners[1].x) corners.erase(corners.begin());
}

void DropTrailingSameColumn(std::vector<Pixel>& corners) {
    if (corners.size() >= 2 && corners[corners.size() - 2].x == corners.back().x) corners.pop_back();
}

void RemoveRepeats(std::vector<Pixel>& corners) {
    corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
}

bool IsStraightMiddle(const Pixel& a, const Pixel& b, const Pixel& c) {
    const bool oneRow = a.y == b.y && b.y == c.y;
    const bool oneColumn = a.x == b.x && b.x == c.x;
    return NotAdjacent(a, b) && NotAdjacent(b, c) && (oneRow || oneColumn);
}

}  // namespace

bool NotAdjacent(const Pixel& a, const Pixel& b) { return Distance(a.y, b.y) > 1 || Distance(a.x, b.x) > 1; }

AnchorPair InnerAnchors(const Box& box, const Pixel& entry, const Pixel& exit) {
    const auto [entryClamped, entrySlid] = ClampAndSlide(entry, box, exit.x <= entry.x, exit.y <= entry.y);
    const auto [exitClamped, exitSlid] = ClampAndSlide(exit, box, entry.x < exit.x, entry.y < exit.y);
    if (KeepsOrder(entry.x, exit.x, entrySlid.x, exitSlid.x) && KeepsOrder(entry.y, exit.y, entrySlid.y, exitSlid.y))
        return {{AnchorKind::Adjustable, entrySlid}, {AnchorKind::Adjustable, exitSlid}};
    return {{AnchorKind::Fixed, entryClamped}, {AnchorKind::Fixed, exitClamped}};
}

AnchorPair BoundaryAnchors(const Box& a, const Box& b, const Pixel& border) {
    if (InBox(border, a) || InBox(border, b))
        return {{AnchorKind::Fixed, ClampToBox(border, a)}, {AnchorKind::Fixed, ClampToBox(border, b)}};
    const auto [aColumn, bColumn] = BoundarySides(a.minColumn, a.maxColumn, b.minColumn, b.maxColumn, border.x);
    const auto [aRow, bRow] = BoundarySides(a.minRow, a.maxRow, b.minRow, b.maxRow, border.y);
    return {{AnchorKind::Adjustable, ClampWide(aColumn, aRow, a)},
            {AnchorKind::Adjustable, ClampWide(bColumn, bRow, b)}};
}

std::vector<Pixel> HorizontalPiece(std::int32_t row, const Anchor& first, const Anchor& second) {
    if (first.pixel == second.pixel) return {};
    const SlidCorners slid =
        SlideTowardMiddle(first.pixel.x, second.pixel.x, Distance(row, first.pixel.y), Distance(second.pixel.y, row),
                          IsAdjustable(first), IsAdjustable(second));
    std::vector<Pixel> corners{first.pixel};
    if (slid.farApart && slid.firstUsable && slid.secondUsable) {
        corners.push_back({CornerCoordinate(slid.first), row});
        corners.push_back({CornerCoordinate(slid.second), row});
    }
    corners.push_back(second.pixel);
    return corners;
}

std::vector<Pixel> VerticalPiece(std::int32_t column, const Anchor& first, const Anchor& second) {
    if (first.pixel == second.pixel) return {};
    const SlidCorners slid =
        SlideTowardMiddle(first.pixel.y, second.pixel.y, Distance(first.pixel.x, column),
                          Distance(second.pixel.x, column), IsAdjustable(first), IsAdjustable(second));
    std::vector<Pixel> corners{first.pixel};
    if (slid.farApart && slid.firstUsable) corners.push_back({column, CornerCoordinate(slid.first)});
    if (slid.farApart && slid.secondUsable) corners.push_back({column, CornerCoordinate(slid.second)});
    corners.push_back(second.pixel);
    return corners;
}

std::vector<Pixel> PiecePixels(const std::vector<WiggleRoom>& rooms, std::size_t index) {
    if (index >= rooms.size()) return {};
    const WiggleRoom& room = rooms[index];
    if (const auto* noRoom = std::get_if<NoRoom>(&room)) return noRoom->pixels;
    const bool horizontal = std::holds_alternative<HorizontalRoom>(room);
    const Box box = *RoomBox(room);
    const Pixel entry = RoomEntryPixel(rooms, index);
    const Pixel exit = RoomExitPixel(rooms, index);
    const AnchorPair inner = InnerAnchors(box, entry, exit);
    const auto before = index == 0 ? std::nullopt : CrossingBox(rooms, index - 1, horizontal);
    const auto after = CrossingBox(rooms, index + 1, horizontal);
    const Anchor first = before ? BoundaryAnchors(*before, box, entry).second : inner.first;
    const Anchor second = after ? BoundaryAnchors(box, *after, exit).first : inner.second;
    if (horizontal) return HorizontalPiece(std::get<HorizontalRoom>(room).row, first, second);
    return VerticalPiece(std::get<VerticalRoom>(room).column, first, second);
}

void RemoveStraightMiddles(std::vector<Pixel>& corners) {
    if (corners.size() < 3) return;
    // Compacts in place: a is the last corner kept, c is never yet written.
    std::size_t kept = 1;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i)
        if (!IsStraightMiddle(corners[kept - 1], corners[i], corners[i + 1])) corners[kept++] = corners[i];
    corners[kept++] = corners.back();
    corners.resize(kept);
}

}  // namespace Detail

std::vector<Pixel> CalculateSparsePixelPathThroughWiggleRooms(const std::vector<WiggleRoom>& rooms) {
    using namespace Detail;
    RequireNoEmptyNoRoom(rooms);
    std::vector<Pixel> corners;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        const std::vector<Pixel> piece = PiecePixels(rooms, i);
        corners.insert(corners.end(), piece.begin(), piece.end());
    }
    DropLeadingSameColumn(corners);
    DropTrailingSameColumn(corners);
    RemoveStraightMiddles(corners);
    RemoveRepeats(corners);
    return corners;
}

}  // namespace Zalvo
