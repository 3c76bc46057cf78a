#include "rows/RowAdjustment.h"

#include "rows/HorizontalRefinement.h"

#include <algorithm>
#include <stdexcept>

namespace Zalvo {
namespace Detail {

namespace {

// Gives every HorizontalRoom the row `targetOf(room, band)` asks for, kept in
// its usable band; a room's earlier row plays no part. Margins read only the
// vertical neighbours, so rows written here never change a later margin.
template <typename TargetOf>
void PlaceHorizontalRooms(std::vector<WiggleRoom>& rooms, const RowParameters& parameters, const TargetOf& targetOf) {
    for (std::size_t index = 0; index < rooms.size(); ++index) {
        auto* room = std::get_if<HorizontalRoom>(&rooms[index]);
        if (room == nullptr) continue;
        const UsableBand band = UsableBandOf(*room, HorizontalRoomMargin(rooms, index, parameters));
        room->row = RowInUsableBand(*room, band, targetOf(*room, band));
    }
}

std::optional<std::int32_t> NearbyHorizontalRow(const std::vector<WiggleRoom>& rooms, std::size_t index, Side side) {
    for (const std::size_t distance : {std::size_t{1}, std::size_t{2}}) {
        const WiggleRoom* room = RoomBeside(rooms, index, side, distance);
        if (room == nullptr) return std::nullopt;
        if (const auto* horizontal = std::get_if<HorizontalRoom>(room)) return horizontal->row;
    }
    return std::nullopt;
}

void AlignEndRoom(std::vector<WiggleRoom>& rooms, std::size_t index, Side towards) {
    auto* room = std::get_if<HorizontalRoom>(&rooms[index]);
    if (room == nullptr) return;
    std::optional<std::int32_t> row;
    if (const auto pixel = FacingFixedPixel(rooms, index, towards))
        row = pixel->y;
    else
        row = NearbyHorizontalRow(rooms, index, towards);
    if (row && room->minRow <= *row && *row <= room->maxRow) room->row = *row;
}

// Keeps the best candidate seen so far; a later one must be strictly better.
struct BestStep {
    std::optional<std::int32_t> row;
    std::int64_t overlap = 0;

    void Offer(std::int32_t candidateRow, std::int64_t candidateOverlap) {
        if (row && candidateOverlap <= overlap) return;
        row = candidateRow;
        overlap = candidateOverlap;
    }
};

}  // namespace

std::int32_t TargetRow(const std::vector<Pixel>& path) {
    if (path.empty())
        throw std::invalid_argument(
            "AdjustHorizontalRoomRowsForOptimalPlateUsage: the path is empty, so there is no target row");
    const auto [lowest, highest] =
        std::minmax_element(path.begin(), path.end(), [](const Pixel& a, const Pixel& b) { return a.y < b.y; });
    // The mean of two 32-bit values always fits.
    return static_cast<std::int32_t>((std::int64_t{lowest->y} + highest->y) / 2);
}

std::vector<WiggleRoom> AlignEndHorizontalRooms(std::vector<WiggleRoom> rooms) {
    if (rooms.empty()) return rooms;
    AlignEndRoom(rooms, 0, Side::After);
    AlignEndRoom(rooms, rooms.size() - 1, Side::Before);
    return rooms;
}

std::optional<std::int32_t> StaggerRowFromPath(std::int32_t firstColumn, std::int32_t lastColumn, std::int64_t upper,
                                               std::int64_t lower, const std::vector<Pixel>& path) {
    BestStep inBand;
    BestStep anywhere;
    for (std::size_t index = 1; index < path.size(); ++index) {
        const Pixel& a = path[index - 1];
        const Pixel& b = path[index];
        if (a.y != b.y) continue;
        const auto [left, right] = std::minmax(a.x, b.x);
        // A positive overlap already implies that the step reaches into the
        // range from both sides.
        const std::int64_t overlap = std::int64_t{std::min(lastColumn, right)} - std::max(left, firstColumn);
        if (overlap <= 0) continue;
        anywhere.Offer(a.y, overlap);
        if (lower <= a.y && a.y <= upper) inBand.Offer(a.y, overlap);
    }
    return inBand.row ? inBand.row : anywhere.row;
}

}  // namespace Detail

std::vector<WiggleRoom> AdjustHorizontalRoomRowsForOptimalPlateUsage(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path, std::int32_t existingClearance,
    std::int32_t wantedClearance, std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth) {
    using namespace Detail;
    const std::int32_t target = TargetRow(path);
    const RowParameters parameters =
        DeriveRowParameters(existingClearance, wantedClearance, cornerRadius, minimumWidth, lineWidth);
    PlaceHorizontalRooms(rooms, parameters,
                         [target](const HorizontalRoom&, const UsableBand&) { return std::optional{target}; });
    rooms = AlignEndHorizontalRooms(std::move(rooms));
    return RefineHorizontalRooms(std::move(rooms), parameters);
}

std::vector<WiggleRoom> AdjustHorizontalRoomRowsForPreferringStagger(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path, std::int32_t existingClearance,
    std::int32_t wantedClearance, std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth) {
    using namespace Detail;
    const RowParameters parameters =
        DeriveRowParameters(existingClearance, wantedClearance, cornerRadius, minimumWidth, lineWidth);
    PlaceHorizontalRooms(rooms, parameters, [&path](const HorizontalRoom& room, const UsableBand& band) {
        return band.IsOpen() ? StaggerRowFromPath(room.minColumn, room.maxColumn, band.upper, band.lower, path)
                             : std::nullopt;
    });
    return RefineHorizontalRooms(std::move(rooms), parameters);
}

}  // namespace Zalvo
