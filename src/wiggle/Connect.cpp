#include "wiggle/Connect.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace Zalvo::Detail {

namespace {

bool OnBoxOrRing(const Pixel& pixel, const Box& box) { return OnBoxEdge(pixel, box) || OnBoxRing(pixel, box); }

VerticalRoom MakeVertical(std::int64_t minColumn, std::int64_t maxColumn, std::int32_t maxRow, std::int32_t minRow,
                          std::int32_t firstStretch, std::int32_t endStretch) {
    const auto low = static_cast<std::int32_t>(minColumn);
    const auto high = static_cast<std::int32_t>(maxColumn);
    return {low, high, maxRow, minRow, firstStretch, endStretch, Middle(low, high)};
}

// The lowest and highest row of the pixels of stretches first .. end - 1.
std::pair<std::int32_t, std::int32_t> PixelRowSpan(const Stretches& stretches, std::int32_t first, std::int32_t end) {
    std::int32_t low = std::numeric_limits<std::int32_t>::max();
    std::int32_t high = std::numeric_limits<std::int32_t>::min();
    for (std::int32_t j = first; j < end; ++j) {
        for (const Pixel& pixel : StretchAt(stretches, j).pixels) {
            low = std::min(low, pixel.y);
            high = std::max(high, pixel.y);
        }
    }
    return {low, high};
}

// How much of the rows low .. high a band covers (one less than the rows).
std::int64_t PathRowCoverage(const HorizontalRoom& room, std::int32_t low, std::int32_t high) {
    return std::int64_t{std::min(high, room.maxRow)} - std::max(low, room.minRow);
}

// Bands and columns meet: cut the window from the room whose band covers more
// of the rows the path runs through, at the end facing the other room.
VerticalRoom CutFromMeetingRoom(const HorizontalRoom& before, const HorizontalRoom& after, const Stretches& stretches,
                                std::int64_t narrowest, std::int32_t window) {
    const auto [low, high] = PixelRowSpan(stretches, before.firstStretch, after.endStretch);
    const std::int64_t coverBefore = PathRowCoverage(before, low, high);
    const std::int64_t coverAfter = PathRowCoverage(after, low, high);
    const std::int64_t widthBefore = BoxWidth(BoxOf(before));
    const std::int64_t widthAfter = BoxWidth(BoxOf(after));
    const bool fromBefore = coverAfter < coverBefore || (coverAfter == coverBefore && widthAfter < widthBefore);
    const HorizontalRoom& side = fromBefore ? before : after;
    const std::int64_t width = fromBefore ? widthBefore : widthAfter;
    const std::int64_t span = width >= window ? window : std::min(width, narrowest);
    if (fromBefore)
        return MakeVertical(std::int64_t{side.maxColumn} - span, side.maxColumn, side.maxRow, side.minRow,
                            side.firstStretch, side.endStretch);
    return MakeVertical(side.minColumn, std::int64_t{side.minColumn} + span, side.maxRow, side.minRow,
                        side.firstStretch, side.endStretch);
}

// The stretches both rooms cover, when they span at least `narrowest` columns.
std::optional<VerticalRoom> SharedStretchRoom(const HorizontalRoom& before, const HorizontalRoom& after,
                                              const Stretches& stretches, std::int64_t narrowest) {
    std::int32_t x0 = std::numeric_limits<std::int32_t>::max();
    std::int32_t x1 = std::numeric_limits<std::int32_t>::min();
    std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    for (std::int32_t j = after.firstStretch; j < before.endStretch; ++j) {
        const Stretch& stretch = StretchAt(stretches, j);
        x0 = std::min(x0, stretch.pixels.front().x);
        x1 = std::max(x1, stretch.pixels.back().x);
        hi = std::min(hi, stretch.box.maxRow);
        lo = std::max(lo, stretch.box.minRow);
    }
    if (std::int64_t{x1} - x0 + 1 < narrowest) return std::nullopt;
    return MakeVertical(x0, x1, hi, lo, after.firstStretch, before.endStretch);
}

// The rows that both rooms' bands together reach, and the floors a
// connecting band must reach from above and below.
struct WalkBounds {
    std::int32_t top;
    std::int32_t bottom;
    std::int64_t upper;
    std::int64_t lower;
};

std::int64_t BoundsCoverage(std::int32_t hi, std::int32_t lo, const WalkBounds& bounds) {
    return std::int64_t{std::min(hi, bounds.top)} - std::max(lo, bounds.bottom) + 1;
}

enum class WalkDirection { IntoAfter, IntoBefore };

// Grows a connecting box stretch by stretch from the boundary into `room`:
// forward from its first stretch, or backward from its last. It stops where
// the common band vanishes, no longer reaches the floors, or a window-wide
// box would cover fewer rows than the last one.
std::optional<Box> WalkInto(const HorizontalRoom& room, WalkDirection direction, const Stretches& stretches,
                            const WalkBounds& bounds, std::int32_t window) {
    const bool forward = direction == WalkDirection::IntoAfter;
    const std::int32_t start = forward ? room.firstStretch : room.endStretch - 1;
    const std::int32_t stop = forward ? room.endStretch : room.firstStretch - 1;
    const std::int32_t step = forward ? 1 : -1;
    const Stretch& anchor = StretchAt(stretches, start);
    std::optional<Box> candidate;
    std::int64_t last = 0;
    for (std::int32_t j = start; j != stop; j += step) {
        const Stretch& stretch = StretchAt(stretches, j);
        const std::int32_t x0 = forward ? SpanStart(anchor) : SpanStart(stretch);
        const std::int32_t x1 = forward ? SpanEnd(stretch) : SpanEnd(anchor);
        std::int32_t hi = stretch.box.maxRow;
        std::int32_t lo = stretch.box.minRow;
        if (candidate) {
            hi = std::min(hi, candidate->maxRow);
            lo = std::max(lo, candidate->minRow);
        }
        const std::int64_t width = std::int64_t{x1} - x0 + 1;
        if (std::int64_t{hi} - lo + 1 < 1 || width < 1) break;
        // Walking forward the narrowed band must reach the floors; walking
        // backward the stretch's own band is tested.
        const std::int32_t reachTop = forward ? hi : stretch.box.maxRow;
        const std::int32_t reachBottom = forward ? lo : stretch.box.minRow;
        if (reachTop < bounds.upper || reachBottom > bounds.lower) break;
        if (width >= window && BoundsCoverage(stretch.box.maxRow, stretch.box.minRow, bounds) < last) break;
        candidate = Box{x0, x1, hi, lo};
        last = BoundsCoverage(hi, lo, bounds);
    }
    return candidate;
}

std::optional<VerticalRoom> WalkedRoom(const HorizontalRoom& before, const HorizontalRoom& after,
                                       const Stretches& stretches, std::int32_t window) {
    const WalkBounds bounds{std::max(before.maxRow, after.maxRow), std::min(before.minRow, after.minRow),
                            std::int64_t{std::max(before.minRow, after.minRow)} - 1,
                            std::int64_t{std::min(before.minRow, after.minRow)} + 1};
    const auto forward = WalkInto(after, WalkDirection::IntoAfter, stretches, bounds, window);
    const auto backward = WalkInto(before, WalkDirection::IntoBefore, stretches, bounds, window);
    if (!forward && !backward) return std::nullopt;
    const Box& box = !backward || (forward && BoxWidth(*forward) >= BoxWidth(*backward)) ? *forward : *backward;
    return MakeVertical(box.minColumn, box.maxColumn, box.maxRow, box.minRow, before.firstStretch, after.endStretch);
}

// What the stretches next to a piece without room share with the room's box.
struct Reach {
    Box common;
    std::int32_t xlo;
    std::int32_t xhi;
};

// From stretch `from` towards stretch `to` (inclusive), intersects the boxes
// of the stretches whose box holds `anchor` (or rings it), widening the span
// over their pixels, and stops after the first stretch touching `room`.
Reach ReachTowardRoom(const Stretches& stretches, const Box& room, std::int32_t from, std::int32_t to,
                      const Pixel& anchor) {
    Reach reach{StretchAt(stretches, from).box, anchor.x, anchor.x};
    const std::int32_t step = from <= to ? 1 : -1;
    bool touched = false;
    for (std::int32_t j = from; j != to + step && !touched; j += step) {
        const Stretch& stretch = StretchAt(stretches, j);
        if (!TouchesBox(anchor, stretch.box)) break;
        reach.common.minColumn = std::max(reach.common.minColumn, stretch.box.minColumn);
        reach.common.maxColumn = std::min(reach.common.maxColumn, stretch.box.maxColumn);
        reach.common.maxRow = std::min(reach.common.maxRow, stretch.box.maxRow);
        reach.common.minRow = std::max(reach.common.minRow, stretch.box.minRow);
        for (const Pixel& pixel : stretch.pixels) {
            reach.xlo = std::min(reach.xlo, pixel.x);
            reach.xhi = std::max(reach.xhi, pixel.x);
            touched = touched || TouchesBox(pixel, room);
        }
    }
    return reach;
}

WiggleRoom RoomFromReach(const HorizontalRoom& room, const Reach& reach, std::int64_t minimumWidth, std::int32_t first,
                         std::int32_t end, const Stretches& stretches) {
    const std::int32_t cmin = std::max(reach.common.minColumn, reach.xlo);
    const std::int32_t cmax = std::min(reach.common.maxColumn, reach.xhi);
    const bool fits = cmax >= room.minColumn && cmin <= room.maxColumn && reach.common.minRow <= room.minRow &&
                      room.minRow <= reach.common.maxRow && std::int64_t{cmax} - cmin + 1 >= minimumWidth;
    if (fits) return MakeVertical(cmin, cmax, reach.common.maxRow, reach.common.minRow, first, end);
    return StretchNoRoom(stretches, first, end);
}

std::int64_t NoRoomWindowWidth(const HorizontalRoom& room, const RoomSettings& settings) {
    return std::min<std::int64_t>(settings.minimumBand, BoxWidth(BoxOf(room)));
}

}  // namespace

WiggleRoom ConnectHorizontal(const HorizontalRoom& before, const HorizontalRoom& after, const Stretches& stretches,
                             const RoomSettings& settings) {
    const std::int64_t narrowest =
        std::min({BoxWidth(BoxOf(before)), BoxWidth(BoxOf(after)), std::int64_t{settings.minimumBand}});
    if (BandsMeet(BoxOf(before), BoxOf(after)) && std::int64_t{before.maxColumn} >= std::int64_t{after.minColumn} - 1)
        return CutFromMeetingRoom(before, after, stretches, narrowest, settings.transitionWidth);
    if (after.firstStretch < before.endStretch) {
        if (const auto shared = SharedStretchRoom(before, after, stretches, narrowest)) return *shared;
    }
    if (const auto walked = WalkedRoom(before, after, stretches, settings.transitionWidth)) return *walked;
    return StretchNoRoom(stretches, before.firstStretch, after.endStretch);
}

// ConnectToNoRoom and ConnectFromNoRoom mirror each other: one looks at the
// NoRoom from its end and reaches back from the room's last stretch, the other
// from its start and the room's first. One function would thread a direction
// through every line (iterators, min or max, front or back, first or end), and
// read worse than the pair.
WiggleRoom ConnectToNoRoom(const HorizontalRoom& room, const NoRoom& piece, const Stretches& stretches,
                           const RoomSettings& settings) {
    const std::int64_t minimumWidth = NoRoomWindowWidth(room, settings);
    const Box box = BoxOf(room);
    const auto touching = std::find_if(piece.pixels.rbegin(), piece.pixels.rend(),
                                       [&box](const Pixel& pixel) { return OnBoxOrRing(pixel, box); });
    if (touching != piece.pixels.rend()) return VerticalWindow(room, *touching, minimumWidth, settings);

    const std::int32_t end = std::max(room.endStretch, piece.firstStretch);
    const Pixel& anchor = StretchAt(stretches, end - 1).pixels.back();
    const Reach reach = ReachTowardRoom(stretches, box, end - 1, room.firstStretch, anchor);
    return RoomFromReach(room, reach, minimumWidth, room.firstStretch, end, stretches);
}

WiggleRoom ConnectFromNoRoom(const NoRoom& piece, const HorizontalRoom& room, const Stretches& stretches,
                             const RoomSettings& settings) {
    const std::int64_t minimumWidth = NoRoomWindowWidth(room, settings);
    const Box box = BoxOf(room);
    const auto touching = std::find_if(piece.pixels.begin(), piece.pixels.end(),
                                       [&box](const Pixel& pixel) { return OnBoxOrRing(pixel, box); });
    if (touching != piece.pixels.end()) return VerticalWindow(room, *touching, minimumWidth, settings);

    const std::int32_t first = std::min(room.firstStretch, piece.endStretch);
    const Pixel& anchor = StretchAt(stretches, first).pixels.front();
    const Reach reach = ReachTowardRoom(stretches, box, first, room.endStretch - 1, anchor);
    return RoomFromReach(room, reach, minimumWidth, first, room.endStretch, stretches);
}

VerticalRoom VerticalWindow(const HorizontalRoom& room, const Pixel& pixel, std::int64_t minimumWidth,
                            const RoomSettings& settings) {
    const std::int64_t toStart = std::int64_t{pixel.x} - room.minColumn;
    const std::int64_t toEnd = std::int64_t{room.maxColumn} - pixel.x;
    const double reach = static_cast<double>(minimumWidth + 1) * 0.5;
    const std::int64_t window = settings.transitionWidth;
    const bool narrow = BoxWidth(BoxOf(room)) < window;
    std::int64_t lo = 0;
    std::int64_t hi = 0;
    if (reach > static_cast<double>(toStart)) {
        lo = room.minColumn;
        hi = narrow ? room.maxColumn : room.minColumn + window - 1;
    } else if (reach > static_cast<double>(toEnd)) {
        hi = room.maxColumn;
        lo = narrow ? room.minColumn : room.maxColumn - window + 1;
    } else {
        const std::int64_t half =
            std::max<std::int64_t>(settings.transitionHalfWidth, (std::int64_t{settings.sufficientBand} + 1) / 2);
        const std::int64_t minimumHalf = (minimumWidth + 1) / 2;
        std::int64_t spread = std::min(toStart, toEnd);
        if (toStart >= half && toEnd >= half)
            spread = half;
        else if (toStart >= minimumHalf && toEnd >= minimumHalf)
            spread = minimumHalf;
        lo = pixel.x - spread;
        hi = pixel.x + spread;
    }
    return MakeVertical(lo, hi, room.maxRow, room.minRow, room.firstStretch, room.endStretch);
}

}  // namespace Zalvo::Detail
