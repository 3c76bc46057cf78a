#include "Alternatives.h"
#include "Comparisons.h"
#include "ExpansionReplay.h"
#include "Grids.h"
#include "Timing.h"

#include "search/PlateFamilies.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace ZalvoCompare {
namespace {

using ZalvoTest::PlateFamily;

// The plate sizes of the quick run: a fifth of each side, enough to run
// every family through both searches in seconds.
constexpr std::int32_t QuickShrink = 5;
// The most bytes per cell above its input one search may hold on an 8000 x
// 4000 plate: the 8-byte cost table leaves one byte for the open list.
constexpr double PeakBytesPerCellBound = 9.0;
constexpr double WorstRatioBound = 0.8;
constexpr double MedianRatioBound = 0.6;
// Costs that the two searches add in the same order agree exactly; the
// tolerance only absorbs the few ulps a reordered sum could move.
constexpr double CostTolerance = 1e-9;

// The host's penalty, counting its calls: both searches pay the count alike.
Zalvo::PixelCostFunction Counting(Zalvo::PixelCostFunction penalty, std::uint64_t& calls) {
    return [penalty = std::move(penalty), &calls](const Zalvo::Pixel& pixel) {
        ++calls;
        return penalty(pixel);
    };
}

struct FamilyRun {
    Samples zalvo, bounded, replay;
    std::uint64_t zalvoCalls = 0, boundedCalls = 0, replayCalls = 0;
    std::optional<std::vector<Zalvo::Pixel>> path;
    double boundedCost = 0.0;
};

// Replays the search's keys after the timed rounds, not among them, so that
// the record, several times the size of the search's own table, is not held
// while the library and the textbook are timed.
void ReplayExpansions(const Zalvo::Terrain& terrain, const Zalvo::PixelCostFunction& penalty, int repetitions,
                      FamilyRun& run) {
    const std::optional<Zalvo::Detail::SearchGrid> grid = Zalvo::Detail::MakeSearchGrid(terrain);
    if (!grid) return;
    const ExpansionRecord record = RecordExpansions(*grid, penalty);
    for (int round = 0; round < repetitions; ++round) {
        run.replayCalls = 0;
        run.replay.Time([&] { return ReplayExpansions(*grid, Counting(penalty, run.replayCalls), record); });
    }
}

std::string DescribeInput(const PlateFamily& family, const Size& size) {
    return size.Label() + " at " + Fixed(family.resolution, 0) + " ppi, " + Fixed(family.minimumPoints, 1) + " / " +
           Fixed(family.preferredPoints, 1) + " pt, penalty " + ZalvoTest::Describe(family.penalty);
}

std::string PeakText(const std::map<std::string, std::vector<std::string>>& memory, const std::string& key,
                     std::optional<double>& bytesPerCell) {
    const auto run = memory.find(key);
    if (run == memory.end() || run->second.size() < 5) return "not measured";
    const std::vector<std::string>& fields = run->second;
    const Size measured{std::stoi(fields[3]), std::stoi(fields[4])};
    bytesPerCell = (std::stod(fields[2]) - std::stod(fields[1])) * 1024.0 / measured.Cells();
    return Fixed(*bytesPerCell, 1) + " on " + measured.Label();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The peaks are judged only on plate-sized runs: on the quick run's small
// plates the allocator's fixed costs dominate the bytes per cell.
void AddSuiteTargets(const std::vector<std::optional<double>>& peaks, bool quick, Report& report) {
    std::vector<double> ratios;
    const SuiteRow* worst = nullptr;
    for (const SuiteRow& row : report.suite) {
        ratios.push_back(row.Ratio());
        if (!worst || row.Ratio() > worst->Ratio()) worst = &row;
    }
    report.targets.push_back({"worst Zalvo / bounded textbook over the families (" + worst->family + ")",
                              worst->Ratio(), WorstRatioBound, true});
    report.targets.push_back(
        {"median Zalvo / bounded textbook over the families", Median(ratios), MedianRatioBound, true});
    for (std::size_t i = 0; i < peaks.size(); ++i)
        if (peaks[i] && !quick)
            report.targets.push_back({"search peak bytes per cell above the input, " + report.suite[i].family,
                                      *peaks[i], PeakBytesPerCellBound, true});
}

}  // namespace

std::vector<SuiteFamily> SuiteFamilies(bool quick, bool large) {
    std::vector<SuiteFamily> families;
    for (const PlateFamily& family : ZalvoTest::PlateFamilies()) {
        const Size size =
            quick ? Size{family.columns / QuickShrink, family.rows / QuickShrink} : Size{family.columns, family.rows};
        families.push_back({family, size, quick ? Size{800, 400} : Size{8000, 4000}, families.size()});
    }
    if (large) {
        // A plate of about 1 m by 0.5 m at 300 ppi, as a planner meets it.
        PlateFamily plate = ZalvoTest::PlateFamilies().front();
        plate.name = "72 Mpx plate, small blobs, row penalty";
        plate.resolution = 300.0;
        families.push_back({plate, {12000, 6000}, {12000, 6000}, families.size()});
    }
    return families;
}

std::uint64_t FamilySeed(const SuiteFamily& family, const Size& size) {
    return 0xfa31'0000'0000ULL + family.index * 1'000'003U + static_cast<std::uint64_t>(size.columns) * 65'536U +
           static_cast<std::uint64_t>(size.rows);
}

void CompareFamily(const SuiteFamily& family, int repetitions,
                   const std::map<std::string, std::vector<std::string>>& memory, std::optional<double>& peak,
                   Report& report) {
    const Size& size = family.timed;
    const Zalvo::Terrain terrain =
        ZalvoTest::MakeFamilyTerrain(family.family, size.columns, size.rows, FamilySeed(family, size));
    const Zalvo::PixelCostFunction penalty = ZalvoTest::FamilyPenalty(family.family, terrain);
    FamilyRun run;
    for (int round = 0; round < repetitions; ++round) {
        run.zalvoCalls = run.boundedCalls = 0;
        run.path =
            run.zalvo.Time([&] { return Zalvo::FindShortestPixelPath(terrain, Counting(penalty, run.zalvoCalls)); });
        run.boundedCost = run.bounded.Time([&] {
            return TextbookDijkstra(Flatten(terrain), size.columns, size.rows, Counting(penalty, run.boundedCalls),
                                    TextbookStop::Bounded);
        });
    }
    ReplayExpansions(terrain, penalty, repetitions, run);
    SuiteRow row{family.family.name,
                 DescribeInput(family.family, size),
                 run.zalvo.MedianNanoseconds() / size.Cells(),
                 run.bounded.MedianNanoseconds() / size.Cells(),
                 run.replay.Empty() ? 0.0 : run.replay.MedianNanoseconds() / size.Cells(),
                 run.zalvoCalls,
                 run.boundedCalls,
                 PeakText(memory, family.MemoryKey(), peak),
                 ""};
    if (!run.path) {
        row.result = run.boundedCost < 1e9 ? "Zalvo found NO path, the textbook did" : "no path (both)";
        if (run.boundedCost < 1e9) report.resultsAgree = false;
    } else {
        const double cost = PathCost(terrain, *run.path, penalty);
        const bool agree = std::fabs(cost - run.boundedCost) <= CostTolerance * std::fabs(cost);
        if (!agree) report.resultsAgree = false;
        row.result = "best cost " + FormatCost(cost) +
                     (agree ? ", same in both" : ", textbook's DIFFERENT: " + FormatCost(run.boundedCost));
    }
    // The replay must price exactly what the search priced, or it measures
    // something else.
    if (run.replayCalls != run.zalvoCalls) {
        row.result += "; the replay made " + std::to_string(run.replayCalls) + " penalty calls, NOT the search's";
        report.resultsAgree = false;
    }
    report.suite.push_back(std::move(row));
}

void CompareSuite(bool quick, bool large, const std::string& only, int repetitions,
                  const std::map<std::string, std::vector<std::string>>& memory, Report& report) {
    std::vector<std::optional<double>> peaks;
    for (const SuiteFamily& family : SuiteFamilies(quick, large)) {
        if (!only.empty() && family.MemoryKey() != only) continue;
        std::cerr << "comparing searches on " << family.family.name << " ..." << std::endl;
        CompareFamily(family, repetitions, memory, peaks.emplace_back(), report);
    }
    if (!report.suite.empty()) AddSuiteTargets(peaks, quick, report);
}

std::string SuiteFamily::MemoryKey() const { return "family-" + std::to_string(index); }

}  // namespace ZalvoCompare
