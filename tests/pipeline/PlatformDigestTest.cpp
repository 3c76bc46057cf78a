// Every platform must give bit-identical results: the same terrains, paths,
// rooms and corners, the same calls into the host's callables in the same
// order, and the same log text. This test runs the whole pipeline on seeded
// plates, folds each stage's results into a digest and compares the digests
// with values recorded on Linux (g++, x86-64); the Windows build must
// reproduce them exactly. The plates and penalties are derived from the raw
// output of std::mt19937, which the standard fixes, so any standard library
// builds the same inputs.
//
// A deliberate change of the library's behaviour changes some digests:
// record the new values from the Linux build and check that the Windows build
// reproduces them.
#include "pipeline/BlobPlate.h"
#include "support/LogCapture.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <variant>

namespace ZalvoTest {
namespace {

// 64-bit FNV-1a over the bytes of whole values, in the order they are added.
class Digest {
public:
    void Add(std::uint64_t value) {
        for (int byte = 0; byte < 8; ++byte) {
            state_ = (state_ ^ ((value >> (8 * byte)) & 0xffU)) * kPrime;
        }
    }
    void Add(std::int32_t value) { Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(value))); }
    void Add(double value) { Add(std::bit_cast<std::uint64_t>(value)); }
    void Add(const Zalvo::Pixel& pixel) {
        Add(pixel.x);
        Add(pixel.y);
    }
    void Add(const std::vector<Zalvo::Pixel>& path) {
        Add(static_cast<std::uint64_t>(path.size()));
        for (const Zalvo::Pixel& pixel : path) Add(pixel);
    }
    void Add(const std::string& text) {
        Add(static_cast<std::uint64_t>(text.size()));
        for (const char c : text) Add(static_cast<std::uint64_t>(static_cast<unsigned char>(c)));
    }
    std::uint64_t Value() const { return state_; }

private:
    static constexpr std::uint64_t kPrime = 0x100000001b3ULL;
    std::uint64_t state_ = 0xcbf29ce484222325ULL;
};

void AddRooms(Digest& digest, const std::vector<Zalvo::WiggleRoom>& rooms) {
    digest.Add(static_cast<std::uint64_t>(rooms.size()));
    for (const Zalvo::WiggleRoom& room : rooms) {
        digest.Add(static_cast<std::uint64_t>(room.index()));
        std::visit(
            [&digest](const auto& r) {
                using Room = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<Room, Zalvo::NoRoom>) {
                    digest.Add(r.pixels);
                } else {
                    for (const std::int32_t field : {r.minColumn, r.maxColumn, r.maxRow, r.minRow}) digest.Add(field);
                    if constexpr (std::is_same_v<Room, Zalvo::HorizontalRoom>)
                        digest.Add(r.row);
                    else
                        digest.Add(r.column);
                }
                digest.Add(r.firstStretch);
                digest.Add(r.endStretch);
            },
            room);
    }
}

struct StageDigests {
    Digest terrain;   // heights, and the plate calls that built them
    Digest search;    // the found path and every penalty call of the search
    Digest optimize;  // both shifted paths and every call of both callables
    Digest rooms;     // rooms around each shifted path
    Digest adjusted;  // rooms after both row adjustments
    Digest corners;   // the sparse paths
    Digest log;       // the text of every message at every level
};

// Penalties with fractions that do not sum exactly, so that the order of the
// additions shows in the results.
double Penalty(const Zalvo::Pixel& pixel) { return static_cast<double>((pixel.x * 7 + pixel.y * 13) % 11) * 0.37; }

void PlanPlate(std::uint32_t seed, StageDigests& digests) {
    std::mt19937 random(seed);
    const auto columns = static_cast<std::int32_t>(20 + random() % 60);
    const auto rows = static_cast<std::int32_t>(10 + random() % 40);
    const BlobPlate plate(columns, rows, seed);
    const std::set<Zalvo::Pixel> corridorSeeds{
        {static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(columns)),
         static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(rows))}};
    const Zalvo::Terrain terrain = Zalvo::CreateTerrain(
        plate, [&](const Zalvo::Pixel& p) { return plate.IsImpassable(p); }, corridorSeeds,
        Zalvo::MilliPoints(1000.0 + 500.0 * (seed % 4)), Zalvo::MilliPoints(4000.0 + 1000.0 * (seed % 3)));
    for (const auto& column : terrain)
        for (const std::uint8_t height : column) digests.terrain.Add(static_cast<std::uint64_t>(height));

    const Zalvo::PixelCostFunction searchCost = [&](const Zalvo::Pixel& p) {
        digests.search.Add(p);
        return Penalty(p);
    };
    const auto found = Zalvo::FindShortestPixelPath(terrain, searchCost);
    digests.search.Add(static_cast<std::uint64_t>(found.has_value()));
    if (!found) return;
    digests.search.Add(*found);

    const Zalvo::PixelCostFunction optimizeCost = [&](const Zalvo::Pixel& p) {
        digests.optimize.Add(p);
        return Penalty(p);
    };
    const Zalvo::ShiftPenaltyFunction shiftPenalty = [&](std::int32_t shift) {
        digests.optimize.Add(shift);
        return 0.3 * shift;
    };
    const auto [up, down] =
        Zalvo::OptimizePixelPath(*found, 1 + static_cast<std::int32_t>(seed % 3), terrain, optimizeCost, shiftPenalty);
    digests.optimize.Add(up);
    digests.optimize.Add(down);

    for (const auto* path : {&up, &down}) {
        const std::vector<std::int32_t> splits{columns / 3};
        const auto rooms = Zalvo::CalculateWiggleRoomAroundPixelPath(*path, terrain, 4, 2, 10, splits);
        AddRooms(digests.rooms, rooms);
        const auto usage = Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, *path, 0, 2, 6, 2, 3);
        const auto stagger = Zalvo::AdjustHorizontalRoomRowsForPreferringStagger(rooms, *path, 0, 2, 6, 2, 3);
        AddRooms(digests.adjusted, usage);
        AddRooms(digests.adjusted, stagger);
        digests.corners.Add(Zalvo::CalculateSparsePixelPathThroughWiggleRooms(usage));
        digests.corners.Add(Zalvo::CalculateSparsePixelPathThroughWiggleRooms(stagger));
    }
}

TEST(PlatformDigest, EveryStageMatchesTheRecordedDigests) {
    constexpr std::uint32_t kPlates = 200;
    StageDigests digests;
    {
        const LogCapture log({20, 21, 30});
        for (std::uint32_t seed = 1; seed <= kPlates; ++seed) PlanPlate(seed, digests);
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

}  // namespace
}  // namespace ZalvoTest
