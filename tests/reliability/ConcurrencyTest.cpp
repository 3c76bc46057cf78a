// Threads calling every function at once, logging on, get what one call gets (run under TSan by tsan).
#include "pipeline/BlobPlate.h"
#include "support/LogCapture.h"

#include <atomic>
// GCC 12 warns inside std::regex's own compiler at -O1 (a false maybe-uninitialized): not this file's code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace ZalvoTest {
namespace {

using namespace Zalvo;

ImpassableFunction Impassable(const BlobPlate& plate) {
    return [&plate](const Pixel& p) { return plate.IsImpassable(p); };
}
double PixelCost(const Pixel& p) { return ((p.x * 7 + p.y * 3) % 5) * 0.25; }
double ShiftPenalty(std::int32_t shift) { return shift * 0.5; }

// Everything one pass through the library produces.
auto RunEveryFunction(const BlobPlate& plate, const std::set<Pixel>& seeds, const Terrain& shared,
                      const std::vector<Pixel>& path) {
    const auto rooms = CalculateWiggleRoomAroundPixelPath(path, shared, 4, 2, 6, {20});
    const auto usage = AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, path, 0, 2, 4, 2, 1);
    std::uint64_t accessors = GetColumnCount(shared) + GetRowCount(shared) + IsHorizontal(path);
    for (const Pixel& p : path) {
        const std::uint8_t h = GetHeight(shared, p);
        accessors += h + IsCorridor(h) + IsPassable(h) + static_cast<unsigned>(GetSlope(h));
    }
    return std::tuple(CreateTerrain(plate, Impassable(plate), seeds, MilliPoints(2000), MilliPoints(5000)),
                      FindShortestPixelPath(shared, PixelCost),
                      OptimizePixelPath(path, 1, shared, PixelCost, ShiftPenalty), rooms, usage,
                      AdjustHorizontalRoomRowsForPreferringStagger(rooms, path, 0, 2, 4, 2, 1),
                      CalculateSparsePixelPathThroughWiggleRooms(usage), accessors);
}

// A whole line of a message: a title, a dump row, the profile, the end row or a backtraced pixel.
bool IsWholeLogLine(const std::string& line) {
    static const std::regex whole(
        "|Initial terrain:|Eroded terrain:|Final terrain:|Backtraced pixel path:|[.0-9oMxX]{48}|"
        "Erosion profile: [.0-9oMxX]*|Shortest pixel path ends at row: -?[0-9]+|    \\(-?[0-9]+, -?[0-9]+\\)");
    return std::regex_match(line, whole);
}

TEST(ConcurrentCalls, EveryFunctionOnSharedInputsWithLoggingOn) {
    const BlobPlate plate(48, 32, 7);                           // its members only read
    const std::set<Pixel> seeds{{25, 12}, {25, 13}, {25, 14}};  // on a crossable blob
    LogCapture log({20, 21, 30});
    const Terrain shared = CreateTerrain(plate, Impassable(plate), seeds, MilliPoints(2000), MilliPoints(5000));
    const auto found = FindShortestPixelPath(shared, PixelCost);
    ASSERT_TRUE(found);
    const std::vector<Pixel> sharedPath = *found;
    const auto expected = RunEveryFunction(plate, seeds, shared, sharedPath);
    ASSERT_FALSE(std::get<3>(expected).empty());

    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 3; ++round)
                if (!(RunEveryFunction(plate, seeds, shared, sharedPath) == expected)) ++mismatches;
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0);

    // Messages of different threads never cut into each other's lines.
    const auto lines = log.Lines();
    EXPECT_GT(lines.size(), 1000u);
    for (const std::string& line : lines) ASSERT_TRUE(IsWholeLogLine(line)) << line;
}

}  // namespace
}  // namespace ZalvoTest
