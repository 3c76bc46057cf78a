// Several threads call every exported function at once on shared read-only
// inputs while every log level is on. Each thread must get exactly what a
// single call gets, and the log must hold whole lines only. Under
// ThreadSanitizer (the tsan preset runs this test) any data race fails it too.
#include "support/LogCapture.h"
#include "support/Printers.h"

#include <zalvo/zalvo.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;

// A plate whose members only read: blobs of content and a crossable bar.
class SharedPlate final : public Zalvo::PlateInterface {
public:
    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return 48; }
    std::int32_t GetPixelRowCount() const override { return 32; }
    std::int32_t GetContentCount() const override { return 0; }
    bool IsPixelOnContentEdge(const Pixel&) const override { return false; }
    bool IsPixelOccupied(const Pixel& p) const override {
        const bool blob = (p.x / 6 + p.y / 5) % 4 == 0 && p.x % 6 < 2 && p.y % 5 < 2;
        const bool bar = p.x == 30 && p.y > 3 && p.y < 29;
        return blob || bar;
    }
};

bool Impassable(const Pixel& p) { return p.x != 30; }
double PixelCost(const Pixel& p) { return ((p.x * 7 + p.y * 3) % 5) * 0.25; }
double ShiftPenalty(std::int32_t shift) { return shift * 0.5; }

// Everything one pass through the library produces.
struct Results {
    Zalvo::Terrain terrain;
    std::optional<std::vector<Pixel>> path;
    std::pair<std::vector<Pixel>, std::vector<Pixel>> moved;
    std::vector<Zalvo::WiggleRoom> rooms, usage, stagger;
    std::vector<Pixel> sparse;
    std::uint64_t accessorSum = 0;

    bool operator==(const Results&) const = default;
};

Results RunEveryFunction(const SharedPlate& plate, const std::set<Pixel>& seeds, const Zalvo::Terrain& shared,
                         const std::vector<Pixel>& sharedPath) {
    Results r;
    r.terrain = Zalvo::CreateTerrain(plate, Impassable, seeds, Zalvo::MilliPoints(2000), Zalvo::MilliPoints(5000));
    r.path = Zalvo::FindShortestPixelPath(shared, PixelCost);
    r.moved = Zalvo::OptimizePixelPath(sharedPath, 1, shared, PixelCost, ShiftPenalty);
    r.rooms = Zalvo::CalculateWiggleRoomAroundPixelPath(sharedPath, shared, 4, 2, 6, {20});
    r.usage = Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage(r.rooms, sharedPath, 0, 2, 4, 2, 1);
    r.stagger = Zalvo::AdjustHorizontalRoomRowsForPreferringStagger(r.rooms, sharedPath, 0, 2, 4, 2, 1);
    r.sparse = Zalvo::CalculateSparsePixelPathThroughWiggleRooms(r.usage);
    r.accessorSum = Zalvo::GetColumnCount(shared) + Zalvo::GetRowCount(shared);
    for (const Pixel& p : sharedPath) {
        const std::uint8_t h = Zalvo::GetHeight(shared, p);
        r.accessorSum += h + Zalvo::IsCorridor(h) + Zalvo::IsPassable(h) + static_cast<unsigned>(Zalvo::GetSlope(h));
    }
    r.accessorSum += Zalvo::IsHorizontal(sharedPath);
    return r;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool IsDumpText(const std::string& text) { return text.find_first_not_of(".0123456789oMxX") == std::string::npos; }

bool IsInteger(const std::string& text) {
    const std::size_t digits = text.starts_with('-') ? 1 : 0;
    return text.size() > digits && text.find_first_not_of("0123456789", digits) == std::string::npos;
}

// One line of one of the library's messages, whole: a title, a dump row of
// the plate's width, the profile, the end row or a backtraced pixel.
bool IsWholeLogLine(const std::string& line) {
    static const std::set<std::string> titles{
        "", "Initial terrain:", "Eroded terrain:", "Final terrain:", "Backtraced pixel path:"};
    if (titles.count(line) != 0) return true;
    if (line.size() == 48 && IsDumpText(line)) return true;
    const std::string profile = "Erosion profile: ";
    if (StartsWith(line, profile)) return IsDumpText(line.substr(profile.size()));
    const std::string endRow = "Shortest pixel path ends at row: ";
    if (StartsWith(line, endRow)) return IsInteger(line.substr(endRow.size()));
    const std::string pixel = "    (";
    if (!StartsWith(line, pixel) || !line.ends_with(')')) return false;
    const std::string inner = line.substr(pixel.size(), line.size() - pixel.size() - 1);
    const std::size_t comma = inner.find(", ");
    return comma != std::string::npos && IsInteger(inner.substr(0, comma)) && IsInteger(inner.substr(comma + 2));
}

TEST(ConcurrentCalls, EveryFunctionOnSharedInputsWithLoggingOn) {
    const SharedPlate plate;
    const std::set<Pixel> seeds{{30, 10}, {30, 11}, {30, 12}};
    LogCapture log({20, 21, 30});
    const Zalvo::Terrain shared =
        Zalvo::CreateTerrain(plate, Impassable, seeds, Zalvo::MilliPoints(2000), Zalvo::MilliPoints(5000));
    const auto found = Zalvo::FindShortestPixelPath(shared, PixelCost);
    ASSERT_TRUE(found);
    const std::vector<Pixel> sharedPath = *found;
    const Results expected = RunEveryFunction(plate, seeds, shared, sharedPath);
    ASSERT_FALSE(expected.rooms.empty());

    constexpr int kThreads = 4;
    constexpr int kRounds = 3;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round)
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
