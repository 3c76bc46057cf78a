#include "wiggle/Refine.h"

#include "wiggle/Connect.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace Zalvo::Detail {

namespace {

std::int32_t FirstStretchOf(const WiggleRoom& room) {
    return std::visit([](const auto& r) { return r.firstStretch; }, room);
}

std::int32_t EndStretchOf(const WiggleRoom& room) {
    return std::visit([](const auto& r) { return r.endStretch; }, room);
}

bool IsNoRoom(const WiggleRoom& room) { return std::holds_alternative<NoRoom>(room); }

VerticalRoom VerticalOver(const Box& box, std::int32_t first, std::int32_t end) {
    return {box.minColumn, box.maxColumn, box.maxRow, box.minRow, first, end, Middle(box.minColumn, box.maxColumn)};
}

HorizontalRoom HorizontalOver(const Box& box, std::int32_t first, std::int32_t end) {
    return {box.minColumn, box.maxColumn, box.maxRow, box.minRow, first, end, Middle(box.maxRow, box.minRow)};
}

bool BandHolds(const HorizontalRoom& outer, const HorizontalRoom& inner) {
    return outer.maxRow >= inner.maxRow && outer.minRow <= inner.minRow;
}

bool IsNarrowMiddle(const HorizontalRoom& middle, const HorizontalRoom& before, const HorizontalRoom& after) {
    const std::int64_t width = BoxWidth(BoxOf(middle));
    return BandHolds(middle, before) && BandHolds(middle, after) && width < BoxWidth(BoxOf(before)) &&
           width < BoxWidth(BoxOf(after));
}

std::optional<WiggleRoom> ConnectingRoom(const WiggleRoom& before, const WiggleRoom& after, const Stretches& stretches,
                                         const RoomSettings& settings) {
    const auto* horizontalBefore = std::get_if<HorizontalRoom>(&before);
    const auto* horizontalAfter = std::get_if<HorizontalRoom>(&after);
    const auto* pieceBefore = std::get_if<NoRoom>(&before);
    const auto* pieceAfter = std::get_if<NoRoom>(&after);
    if (horizontalBefore && horizontalAfter)
        return ConnectHorizontal(*horizontalBefore, *horizontalAfter, stretches, settings);
    if (horizontalBefore && pieceAfter) return ConnectToNoRoom(*horizontalBefore, *pieceAfter, stretches, settings);
    if (pieceBefore && horizontalAfter) return ConnectFromNoRoom(*pieceBefore, *horizontalAfter, stretches, settings);
    return std::nullopt;
}

enum class Fusion { None, Horizontal, Vertical };

// What a horizontal-vertical pair with one box becomes, judged by the rooms
// around it: whichever kind the neighbours do not already provide.
Fusion ChooseFusion(const WiggleRoom& before, const WiggleRoom& after, const Box& box) {
    const bool beforeVertical = std::holds_alternative<VerticalRoom>(before);
    const bool beforeHorizontal = std::holds_alternative<HorizontalRoom>(before);
    const bool afterVertical = std::holds_alternative<VerticalRoom>(after);
    const bool afterHorizontal = std::holds_alternative<HorizontalRoom>(after);
    const bool bothPieces = IsNoRoom(before) && IsNoRoom(after);
    const bool wide = BoxWidth(box) > BoxHeight(box);
    if ((beforeVertical && (afterVertical || IsNoRoom(after))) || (IsNoRoom(before) && afterVertical) ||
        (bothPieces && wide))
        return Fusion::Horizontal;
    if ((beforeHorizontal && (afterHorizontal || IsNoRoom(after))) || (IsNoRoom(before) && afterHorizontal) ||
        (bothPieces && !wide))
        return Fusion::Vertical;
    return Fusion::None;
}

// The common box of a horizontal-vertical pair, or none for any other pair.
std::optional<Box> PairBox(const WiggleRoom& first, const WiggleRoom& second) {
    const bool mixed =
        (std::holds_alternative<HorizontalRoom>(first) && std::holds_alternative<VerticalRoom>(second)) ||
        (std::holds_alternative<VerticalRoom>(first) && std::holds_alternative<HorizontalRoom>(second));
    if (!mixed) return std::nullopt;
    const auto box = RoomBox(first);
    if (box != RoomBox(second)) return std::nullopt;
    return box;
}

bool IsShort(const WiggleRoom& room) {
    if (const auto* horizontal = std::get_if<HorizontalRoom>(&room))
        return BoxWidth(BoxOf(*horizontal)) < kShortRoomLength;
    if (const auto* vertical = std::get_if<VerticalRoom>(&room)) return BoxHeight(BoxOf(*vertical)) < kShortRoomLength;
    return false;
}

// Short rooms between longer ones: a run of two or more becomes one NoRoom.
Rooms GatherShortRuns(const Rooms& rooms, const Stretches& stretches) {
    Rooms result;
    std::vector<const WiggleRoom*> pending;
    const auto flush = [&] {
        if (pending.size() == 1) result.push_back(*pending.front());
        if (pending.size() >= 2)
            result.emplace_back(
                StretchNoRoom(stretches, FirstStretchOf(*pending.front()), EndStretchOf(*pending.back())));
        pending.clear();
    };
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        if (IsShort(rooms[i]) && i != 0 && i + 1 != rooms.size()) {
            pending.push_back(&rooms[i]);
            continue;
        }
        flush();
        result.push_back(rooms[i]);
    }
    flush();
    return result;
}

// A short room between two NoRooms becomes a NoRoom itself.
Rooms AbsorbShortRoomsBetweenPieces(const Rooms& rooms, const Stretches& stretches) {
    Rooms result = rooms;
    for (std::size_t i = 1; i + 1 < rooms.size(); ++i) {
        if (IsShort(rooms[i]) && IsNoRoom(rooms[i - 1]) && IsNoRoom(rooms[i + 1]))
            result[i] = StretchNoRoom(stretches, FirstStretchOf(rooms[i]), EndStretchOf(rooms[i]));
    }
    return result;
}

// Where a room's line lies relative to `pixel`: its row for a horizontal
// room, its column for a vertical one.
std::int64_t LineDistance(const WiggleRoom& room, const Pixel& pixel) {
    if (const auto* horizontal = std::get_if<HorizontalRoom>(&room))
        return std::abs(std::int64_t{pixel.y} - horizontal->row);
    return std::abs(std::int64_t{pixel.x} - std::get<VerticalRoom>(room).column);
}

// One walk of KeepNearestTouchingRooms in the order given.
Rooms KeepNearestAfterPieces(const Rooms& rooms) {
    Rooms result;
    std::size_t i = 0;
    while (i < rooms.size()) {
        result.push_back(rooms[i]);
        const auto* piece = std::get_if<NoRoom>(&rooms[i]);
        ++i;
        if (piece == nullptr || piece->pixels.empty()) continue;
        const Pixel end = piece->pixels.back();
        std::optional<Box> acceptedBox;
        std::optional<std::size_t> nearest;
        for (; i < rooms.size(); ++i) {
            const auto box = RoomBox(rooms[i]);
            if (!box || !(OnBoxEdge(end, *box) || OnBoxRing(end, *box))) break;
            if (acceptedBox && *box != *acceptedBox) break;
            acceptedBox = box;
            if (!nearest || LineDistance(rooms[i], end) < LineDistance(rooms[*nearest], end)) nearest = i;
        }
        if (nearest) result.push_back(rooms[*nearest]);
    }
    return result;
}

std::int64_t Extent(const WiggleRoom& room) {
    if (const auto* horizontal = std::get_if<HorizontalRoom>(&room)) return BoxWidth(BoxOf(*horizontal));
    return BoxHeight(BoxOf(std::get<VerticalRoom>(room)));
}

// The member of a group [first, end) that stands for the whole group, if
// any: one touching both surrounding rooms, or the end touching the only one.
std::optional<std::size_t> GroupRepresentative(const Rooms& rooms, std::size_t first, std::size_t end,
                                               const WiggleRoom* before, const WiggleRoom* after) {
    const auto touches = [&rooms](std::size_t member, const WiggleRoom& other) {
        return TouchesRoom(*RoomBox(rooms[member]), other);
    };
    if (before != nullptr && after != nullptr) {
        for (std::size_t member = first; member < end; ++member)
            if (touches(member, *before) && touches(member, *after)) return member;
        return std::nullopt;
    }
    if (before != nullptr && touches(end - 1, *before)) return end - 1;
    if (after != nullptr && touches(first, *after)) return first;
    return std::nullopt;
}

// Keeps the members at even or at odd positions, whichever have the larger
// total extent (even on a tie), and turns the others into NoRooms.
void AppendAlternation(const Rooms& rooms, std::size_t first, std::size_t end, const Stretches& stretches,
                       Rooms& result) {
    std::int64_t evenSum = 0;
    std::int64_t oddSum = 0;
    for (std::size_t member = first; member < end; ++member)
        ((member - first) % 2 == 0 ? evenSum : oddSum) += Extent(rooms[member]);
    const std::size_t keptParity = oddSum > evenSum ? 1 : 0;
    for (std::size_t member = first; member < end; ++member) {
        if ((member - first) % 2 == keptParity)
            result.push_back(rooms[member]);
        else
            result.emplace_back(StretchNoRoom(stretches, FirstStretchOf(rooms[member]), EndStretchOf(rooms[member])));
    }
}

}  // namespace

Rooms TurnNarrowMiddlesVertical(const Rooms& rooms) {
    if (rooms.size() < 2) return rooms;
    Rooms result{rooms.front()};
    for (std::size_t i = 1; i < rooms.size(); ++i) {
        const auto* middle = std::get_if<HorizontalRoom>(&rooms[i]);
        const auto* before = std::get_if<HorizontalRoom>(&result.back());
        const auto* after = i + 1 < rooms.size() ? std::get_if<HorizontalRoom>(&rooms[i + 1]) : nullptr;
        if (middle && before && after && IsNarrowMiddle(*middle, *before, *after))
            result.emplace_back(VerticalOver(BoxOf(*middle), middle->firstStretch, middle->endStretch));
        else
            result.push_back(rooms[i]);
    }
    return result;
}

Rooms InsertConnectingRooms(const Rooms& rooms, const Stretches& stretches, const RoomSettings& settings) {
    if (rooms.empty()) return rooms;
    Rooms result{rooms.front()};
    for (std::size_t i = 1; i < rooms.size(); ++i) {
        if (auto connection = ConnectingRoom(rooms[i - 1], rooms[i], stretches, settings))
            result.push_back(std::move(*connection));
        result.push_back(rooms[i]);
    }
    return result;
}

Rooms FuseEqualBoxPairs(const Rooms& rooms) {
    const std::size_t count = rooms.size();
    if (count < 3) return rooms;
    Rooms result{rooms.front()};
    std::size_t i = 1;
    while (i < count - 1) {
        const auto box = PairBox(rooms[i], rooms[i + 1]);
        const Fusion fusion = box && i < count - 2 ? ChooseFusion(result.back(), rooms[i + 2], *box) : Fusion::None;
        if (fusion == Fusion::None) {
            result.push_back(rooms[i]);
            ++i;
            continue;
        }
        const std::int32_t first = FirstStretchOf(rooms[i]);
        const std::int32_t end = EndStretchOf(rooms[i]);
        if (fusion == Fusion::Horizontal)
            result.emplace_back(HorizontalOver(*box, first, end));
        else
            result.emplace_back(VerticalOver(*box, first, end));
        i += 2;
    }
    result.push_back(rooms.back());
    return result;
}

Rooms CollapseShortRooms(const Rooms& rooms, const Stretches& stretches) {
    return AbsorbShortRoomsBetweenPieces(GatherShortRuns(rooms, stretches), stretches);
}

Rooms MergeNoRooms(const Rooms& rooms, const Stretches& stretches) {
    Rooms result;
    for (const WiggleRoom& room : rooms) {
        if (IsNoRoom(room) && !result.empty() && IsNoRoom(result.back()))
            result.back() = StretchNoRoom(stretches, FirstStretchOf(result.back()), EndStretchOf(room));
        else
            result.push_back(room);
    }
    return result;
}

Rooms TrimNoRooms(Rooms rooms) {
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        auto* piece = std::get_if<NoRoom>(&rooms[i]);
        if (piece == nullptr) continue;
        auto& pixels = piece->pixels;
        if (const auto box = i > 0 ? RoomBox(rooms[i - 1]) : std::nullopt) {
            const auto lastInside =
                std::find_if(pixels.rbegin(), pixels.rend(), [&](const Pixel& p) { return InBox(p, *box); });
            pixels.erase(pixels.begin(), lastInside.base());
        }
        if (const auto box = i + 1 < rooms.size() ? RoomBox(rooms[i + 1]) : std::nullopt) {
            const auto firstInside =
                std::find_if(pixels.begin(), pixels.end(), [&](const Pixel& p) { return InBox(p, *box); });
            pixels.erase(firstInside, pixels.end());
        }
    }
    return rooms;
}

Rooms DropEmptyNoRooms(const Rooms& rooms) {
    Rooms result;
    std::copy_if(rooms.begin(), rooms.end(), std::back_inserter(result), [](const WiggleRoom& room) {
        const auto* piece = std::get_if<NoRoom>(&room);
        return piece == nullptr || !piece->pixels.empty();
    });
    return result;
}

Rooms CleanNoRooms(const Rooms& rooms, const Stretches& stretches) {
    return DropEmptyNoRooms(TrimNoRooms(MergeNoRooms(rooms, stretches)));
}

Rooms KeepNearestTouchingRooms(const Rooms& rooms) {
    Rooms result = KeepNearestAfterPieces(rooms);
    std::reverse(result.begin(), result.end());
    result = KeepNearestAfterPieces(result);
    std::reverse(result.begin(), result.end());
    return result;
}

Rooms ThinSameKindGroups(const Rooms& rooms, const Stretches& stretches) {
    if (rooms.size() < 4) return rooms;
    Rooms result;
    std::size_t first = 0;
    while (first < rooms.size()) {
        std::size_t end = first + 1;
        while (end < rooms.size() && rooms[end].index() == rooms[first].index()) ++end;
        if (end - first == 1 || IsNoRoom(rooms[first])) {
            result.insert(result.end(), rooms.begin() + static_cast<std::ptrdiff_t>(first),
                          rooms.begin() + static_cast<std::ptrdiff_t>(end));
        } else {
            const WiggleRoom* before = result.empty() ? nullptr : &result.back();
            const WiggleRoom* after = end < rooms.size() ? &rooms[end] : nullptr;
            if (const auto kept = GroupRepresentative(rooms, first, end, before, after))
                result.push_back(rooms[*kept]);
            else
                AppendAlternation(rooms, first, end, stretches, result);
        }
        first = end;
    }
    return result;
}

Rooms PlaceWideVerticalsBesideNoRoom(Rooms rooms, const RoomSettings& settings) {
    const std::int64_t window = settings.transitionWidth;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        auto* vertical = std::get_if<VerticalRoom>(&rooms[i]);
        if (vertical == nullptr || BoxWidth(BoxOf(*vertical)) <= window) continue;
        const auto* left = i > 0 ? std::get_if<NoRoom>(&rooms[i - 1]) : nullptr;
        const auto* right = i + 1 < rooms.size() ? std::get_if<NoRoom>(&rooms[i + 1]) : nullptr;
        if ((left == nullptr) == (right == nullptr)) continue;
        const auto& pixels = left != nullptr ? left->pixels : right->pixels;
        if (pixels.empty()) continue;
        const std::int64_t x = left != nullptr ? pixels.back().x : pixels.front().x;
        std::int64_t column = vertical->minColumn + window / 2;
        if (x >= column) column = std::min(x, vertical->maxColumn - window / 2);
        vertical->column = static_cast<std::int32_t>(column);
    }
    return rooms;
}

Rooms RefineRooms(const Rooms& rooms, const Stretches& stretches, const RoomSettings& settings) {
    Rooms refined = TurnNarrowMiddlesVertical(rooms);
    refined = InsertConnectingRooms(refined, stretches, settings);
    refined = FuseEqualBoxPairs(refined);
    refined = CollapseShortRooms(refined, stretches);
    refined = CleanNoRooms(refined, stretches);
    refined = KeepNearestTouchingRooms(refined);
    refined = ThinSameKindGroups(refined, stretches);
    refined = CleanNoRooms(refined, stretches);
    return PlaceWideVerticalsBesideNoRoom(std::move(refined), settings);
}

}  // namespace Zalvo::Detail
