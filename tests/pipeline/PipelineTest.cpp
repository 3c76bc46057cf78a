// The whole pipeline on seeded plates (std::mt19937's raw output, fixed by the standard). Every platform
// must give the digests recorded on Linux; a deliberate change means recording them anew there.
#include "pipeline/BlobPlate.h"
#include "support/LogCapture.h"
#include "wiggle/Stretches.h"

#include <algorithm>
#include <bit>
#include <string>
#include <type_traits>
#include <variant>

namespace ZalvoTest {
namespace {

using namespace Zalvo;

// 64-bit FNV-1a over the bytes of whole values, in the order they are added.
class Digest {
public:
    void Add(std::uint64_t value) {
        for (int byte = 0; byte < 8; ++byte) state_ = (state_ ^ ((value >> (8 * byte)) & 0xffU)) * 0x100000001b3ULL;
    }
    void Add(std::int32_t value) { Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(value))); }
    void Add(const Pixel& pixel) {
        for (const std::int32_t coordinate : {pixel.x, pixel.y}) Add(coordinate);
    }
    void Add(const std::vector<Pixel>& path) {
        Add(static_cast<std::uint64_t>(path.size()));
        for (const Pixel& pixel : path) Add(pixel);
    }
    void Add(const std::string& text) {
        Add(static_cast<std::uint64_t>(text.size()));
        for (const char c : text) Add(static_cast<std::uint64_t>(static_cast<unsigned char>(c)));
    }
    void Add(const std::vector<WiggleRoom>& rooms) {
        Add(static_cast<std::uint64_t>(rooms.size()));
        for (const WiggleRoom& room : rooms) {
            Add(static_cast<std::uint64_t>(room.index()));
            std::visit(
                [this](const auto& r) {
                    using Room = std::decay_t<decltype(r)>;
                    if constexpr (std::is_same_v<Room, NoRoom>) {
                        Add(r.pixels);
                    } else {
                        for (const std::int32_t field : {r.minColumn, r.maxColumn, r.maxRow, r.minRow}) Add(field);
                        if constexpr (std::is_same_v<Room, HorizontalRoom>)
                            Add(r.row);
                        else
                            Add(r.column);
                    }
                    Add(r.firstStretch);
                    Add(r.endStretch);
                },
                room);
        }
    }
    std::uint64_t Value() const { return state_; }

private:
    std::uint64_t state_ = 0xcbf29ce484222325ULL;
};

struct StageDigests {
    Digest terrain;   // heights, and the plate calls that built them
    Digest search;    // the found path and every penalty call of the search
    Digest optimize;  // both shifted paths and every call of both callables
    Digest rooms;     // rooms around each shifted path
    Digest adjusted;  // rooms after both row adjustments
    Digest corners;   // the sparse paths
    Digest log;       // the text of every message at every level
};

// Fractions that do not sum exactly, so that the order of the additions shows.
double Penalty(const Pixel& pixel) { return static_cast<double>((pixel.x * 7 + pixel.y * 13) % 11) * 0.37; }

// Well-formed rooms and row adjustments that change only rows (in band unless the margin is negative).
std::ptrdiff_t ExpectWellFormed(const std::vector<WiggleRoom>& rooms, const std::vector<Pixel>& path,
                                const Terrain& terrain, std::mt19937& random) {
    const auto stretches = static_cast<std::int32_t>(Zalvo::Detail::BuildStretches(path, terrain).size());
    for (const WiggleRoom& room : rooms) {
        std::visit([&](const auto& r) { EXPECT_TRUE(0 <= r.firstStretch && r.firstStretch <= r.endStretch); }, room);
        std::visit([&](const auto& r) { EXPECT_LE(r.endStretch, stretches); }, room);
        if (const auto* horizontal = std::get_if<HorizontalRoom>(&room))
            EXPECT_TRUE(horizontal->minRow <= horizontal->row && horizontal->row <= horizontal->maxRow);
        else if (const auto* vertical = std::get_if<VerticalRoom>(&room))
            EXPECT_TRUE(vertical->minColumn <= vertical->column && vertical->column <= vertical->maxColumn);
        else
            EXPECT_FALSE(std::get<NoRoom>(room).pixels.empty());
    }
    EXPECT_FALSE(CalculateSparsePixelPathThroughWiggleRooms(rooms).empty());
    const auto draw = [&random](std::uint32_t count) { return static_cast<std::int32_t>(random() % count); };
    const std::int32_t existing = draw(5), wanted = draw(7), radius = draw(13), minimumWidth = draw(7);
    const std::int32_t lineWidth = 1 + draw(5);
    const bool inBand = (lineWidth + 1) / 2 - existing + wanted >= 0;
    for (auto after :
         {AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, path, existing, wanted, radius, minimumWidth, lineWidth),
          AdjustHorizontalRoomRowsForPreferringStagger(rooms, path, existing, wanted, radius, minimumWidth,
                                                       lineWidth)}) {
        for (std::size_t i = 0; i < std::min(after.size(), rooms.size()); ++i)
            if (auto* room = std::get_if<HorizontalRoom>(&after[i])) {
                EXPECT_TRUE(!inBand || (room->minRow <= room->row && room->row <= room->maxRow)) << i;
                room->row = std::get<HorizontalRoom>(rooms[i]).row;
            }
        EXPECT_EQ(after, rooms);
    }
    return std::count_if(rooms.begin(), rooms.end(),
                         [](const WiggleRoom& room) { return std::holds_alternative<HorizontalRoom>(room); });
}

// Adds one plate's results to the digests; `check` checks them, returning the horizontal rooms.
std::ptrdiff_t PlanPlate(std::uint32_t seed, StageDigests& digests, bool check = false) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    const auto columns = static_cast<std::int32_t>(20 + random() % 60);
    const auto rows = static_cast<std::int32_t>(10 + random() % 40);
    const BlobPlate plate(columns, rows, seed);
    const auto seedColumn = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(columns));
    const std::set<Pixel> corridorSeeds{
        {seedColumn, static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(rows))}};
    const Terrain terrain = CreateTerrain(
        plate, [&](const Pixel& p) { return plate.IsImpassable(p); }, corridorSeeds,
        MilliPoints(1000.0 + 500.0 * (seed % 4)), MilliPoints(4000.0 + 1000.0 * (seed % 3)));
    for (const auto& column : terrain)
        for (const std::uint8_t height : column) digests.terrain.Add(static_cast<std::uint64_t>(height));

    const auto found = FindShortestPixelPath(terrain, [&](const Pixel& p) {
        digests.search.Add(p);
        return Penalty(p);
    });
    digests.search.Add(static_cast<std::uint64_t>(found.has_value()));
    if (!found) return 0;
    digests.search.Add(*found);

    const auto optimizeCost = [&](const Pixel& p) {
        digests.optimize.Add(p);
        return Penalty(p);
    };
    const auto shiftPenalty = [&](std::int32_t shift) {
        digests.optimize.Add(shift);
        return 0.3 * shift;
    };
    const auto [up, down] =
        OptimizePixelPath(*found, 1 + static_cast<std::int32_t>(seed % 3), terrain, optimizeCost, shiftPenalty);
    digests.optimize.Add(up);
    digests.optimize.Add(down);

    std::ptrdiff_t horizontalRooms = 0;
    for (const auto* path : {&up, &down}) {
        const auto rooms = CalculateWiggleRoomAroundPixelPath(*path, terrain, 4, 2, 10, {columns / 3});
        if (check) horizontalRooms += ExpectWellFormed(rooms, *path, terrain, random);
        digests.rooms.Add(rooms);
        const auto usage = AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, *path, 0, 2, 6, 2, 3);
        const auto stagger = AdjustHorizontalRoomRowsForPreferringStagger(rooms, *path, 0, 2, 6, 2, 3);
        digests.adjusted.Add(usage);
        digests.adjusted.Add(stagger);
        digests.corners.Add(CalculateSparsePixelPathThroughWiggleRooms(usage));
        digests.corners.Add(CalculateSparsePixelPathThroughWiggleRooms(stagger));
    }
    return horizontalRooms;
}

TEST(PlatformDigest, EveryStageMatchesTheRecordedDigests) {
    StageDigests digests;
    {
        const LogCapture log({20, 21, 30});
        for (std::uint32_t seed = 1; seed <= 200; ++seed) PlanPlate(seed, digests);
        digests.log.Add(log.Text());
    }
    EXPECT_EQ(digests.terrain.Value(), 14177065265914412161ULL) << "terrain";
    EXPECT_EQ(digests.search.Value(), 3654167021354186952ULL) << "search";
    EXPECT_EQ(digests.optimize.Value(), 10381941838320845285ULL) << "path optimization";
    EXPECT_EQ(digests.rooms.Value(), 2876343774768269669ULL) << "wiggle rooms";
    EXPECT_EQ(digests.adjusted.Value(), 5920845848792227488ULL) << "row adjustments";
    EXPECT_EQ(digests.corners.Value(), 3462517485143787117ULL) << "sparse paths";
    EXPECT_EQ(digests.log.Value(), 6492184676073655267ULL) << "log text";
}

TEST(PipelineTest, RandomPlatesGiveWellFormedRoomsAndSparsePaths) {
    StageDigests unused;
    std::ptrdiff_t horizontalRooms = 0;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) horizontalRooms += PlanPlate(seed, unused, true);
    EXPECT_GT(horizontalRooms, 200);  // the row adjustments had rooms to adjust
}

}  // namespace
}  // namespace ZalvoTest
