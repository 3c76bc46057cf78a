#include "Alternatives.h"
#include "Comparisons.h"
#include "Grids.h"
#include "Timing.h"

#include "cells/Cells.h"
#include "search/ReferenceSearch.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace ZalvoCompare {
namespace {

constexpr double Diagonal = 1.4142135623730951;
// Different tools add the same step costs in different orders; over thousands
// of steps that moves the last bits only.
constexpr double CostTolerance = 1e-9;

using Path = std::optional<std::vector<Zalvo::Pixel>>;

bool Agree(double a, double b) { return std::fabs(a - b) <= CostTolerance * std::fabs(a); }

struct Timings {
    Samples floor, zalvo, reference, textbook, textbookEarly, textbookBounded, boostBuild, boostSearch;
};

struct Results {
    Path zalvo, reference;
    double textbook = 0.0, textbookEarly = 0.0, textbookBounded = 0.0, boost = 0.0;
};

void RunRound(const Zalvo::Terrain& terrain, const Size& size, const Zalvo::PixelCostFunction& penalty,
              Timings& timings, Results& results) {
    timings.floor.Time([&] { return ReadGridWriteTable(terrain); });
    results.zalvo = timings.zalvo.Time([&] { return Zalvo::FindShortestPixelPath(terrain, penalty); });
    results.reference =
        timings.reference.Time([&] { return ZalvoTest::ReferenceFindShortestPixelPath(terrain, penalty); });
    // The textbook and Boost runs include flattening the grid: a host holding
    // a Terrain has to do it before it can use them.
    results.textbook = timings.textbook.Time(
        [&] { return TextbookDijkstra(Flatten(terrain), size.columns, size.rows, penalty, TextbookStop::Never); });
    results.textbookEarly = timings.textbookEarly.Time([&] {
        return TextbookDijkstra(Flatten(terrain), size.columns, size.rows, penalty, TextbookStop::FirstLastColumn);
    });
    results.textbookBounded = timings.textbookBounded.Time(
        [&] { return TextbookDijkstra(Flatten(terrain), size.columns, size.rows, penalty, TextbookStop::Bounded); });
    const GridGraph graph =
        timings.boostBuild.Time([&] { return BuildGridGraph(Flatten(terrain), size.columns, size.rows, penalty); });
    results.boost = timings.boostSearch.Time([&] { return BoostDijkstra(graph, size.columns, size.rows); });
}

std::string CostVerdict(double cost, double zalvoCost, Report& report) {
    if (Agree(cost, zalvoCost)) return "best cost " + FormatCost(cost);
    report.resultsAgree = false;
    return "best cost " + FormatCost(cost) + " DIFFERENT from Zalvo's";
}

void AddSkimageRow(const Size& size, double zalvoNs, const std::map<std::string, std::vector<std::string>>& skimage,
                   Report& report) {
    const auto found = skimage.find(size.Label());
    if (found == skimage.end() || found->second.size() < 3) {
        report.rows.push_back({"scikit-image MCP_Geometric.find_costs", size.Label(), {}, {}, "not measured"});
        return;
    }
    const double setup = std::stod(found->second[0]);
    const double search = std::stod(found->second[1]);
    report.rows.push_back({"scikit-image MCP_Geometric.find_costs", size.Label(), search, search / zalvoNs,
                           "own edge model (mean of the two cells x step), no row wrap; best cost " + found->second[2] +
                               "; constructor " + std::to_string(std::lround(setup)) + " ns per cell more"});
}

void AddSearchRows(const Size& size, double zalvoCost, const Timings& timings, const Results& results, Report& report) {
    const double cells = size.Cells();
    const auto perCell = [cells](const Samples& samples) { return samples.MedianNanoseconds() / cells; };
    const double zalvoNs = perCell(timings.zalvo);
    const auto row = [&](std::string name, const Samples& samples, std::string result) {
        report.rows.push_back(
            {std::move(name), size.Label(), perCell(samples), perCell(samples) / zalvoNs, std::move(result)});
    };
    const double floorNs = perCell(timings.floor);
    report.rows.push_back({"floor: read every height, write one double per cell",
                           size.Label(),
                           floorNs,
                           {},
                           "Zalvo takes " + std::to_string(std::lround(zalvoNs / floorNs)) + " x this"});
    row("Zalvo FindShortestPixelPath (std::function penalty)", timings.zalvo,
        "best cost " + FormatCost(zalvoCost) + ", path of " + std::to_string(results.zalvo->size()) + " pixels");
    const bool samePath = results.reference == results.zalvo;
    if (!samePath) report.resultsAgree = false;
    row("literal ordered-map search (the tests' reference)", timings.reference,
        samePath ? "same path as Zalvo" : "path DIFFERENT from Zalvo's");
    row("textbook Dijkstra, std::priority_queue, flat arrays, settles every cell", timings.textbook,
        CostVerdict(results.textbook, zalvoCost, report));
    row("the same, stopping at the first settled last-column cell", timings.textbookEarly,
        CostVerdict(results.textbookEarly, zalvoCost, report));
    row("the same, bounded: files nothing at or above the best last-column cost, stops when the top cannot beat it",
        timings.textbookBounded, CostVerdict(results.textbookBounded, zalvoCost, report));
    row("Boost Graph dijkstra_shortest_paths on a CSR grid graph (search only)", timings.boostSearch,
        CostVerdict(results.boost, zalvoCost, report));
    row("Boost Graph, building the CSR grid graph (before the search)", timings.boostBuild, "");
}

}  // namespace

double PathCost(const Zalvo::Terrain& terrain, const std::vector<Zalvo::Pixel>& path,
                const Zalvo::PixelCostFunction& penalty) {
    const auto& heightCost = HeightCostTable();
    const auto rows = static_cast<std::int32_t>(terrain.front().size());
    const auto wrapped = [rows](const Zalvo::Pixel& p) { return Zalvo::Pixel{p.x, Zalvo::PositiveModulo(p.y, rows)}; };
    double cost = penalty(wrapped(path.front())) + (heightCost[Zalvo::GetHeight(terrain, path.front())] + 1.0);
    for (std::size_t i = 1; i < path.size(); ++i) {
        const bool diagonal = path[i].x != path[i - 1].x && path[i].y != path[i - 1].y;
        cost = (heightCost[Zalvo::GetHeight(terrain, path[i])] + (cost + (diagonal ? Diagonal : 1.0))) +
               penalty(wrapped(path[i]));
    }
    return cost;
}

std::vector<Size> SearchSizes(bool quick) {
    if (quick) return {{300, 200}, {600, 400}};
    return {{1000, 1000}, {4000, 2000}};
}

std::uint64_t SearchSeed(const Size& size) {
    return 0x5ea7'0000'0000ULL + static_cast<std::uint64_t>(size.columns) * 65'536U +
           static_cast<std::uint64_t>(size.rows);
}

void CompareSearch(const Size& size, int repetitions, const std::map<std::string, std::vector<std::string>>& skimage,
                   bool checkTargets, Report& report) {
    const Zalvo::Terrain terrain = MakeRampTerrain(size.columns, size.rows, SearchSeed(size));
    const Zalvo::PixelCostFunction penalty = [](const Zalvo::Pixel&) { return 0.0; };
    Timings timings;
    Results results;
    for (int round = 0; round < repetitions; ++round) RunRound(terrain, size, penalty, timings, results);
    if (!results.zalvo) throw std::runtime_error("the library found no path on " + size.Label());
    AddSearchRows(size, PathCost(terrain, *results.zalvo, penalty), timings, results, report);
    AddSkimageRow(size, timings.zalvo.MedianNanoseconds() / size.Cells(), skimage, report);
    if (!checkTargets) return;
    report.targets.push_back({"FindShortestPixelPath / bounded textbook Dijkstra on " + size.Label(),
                              timings.zalvo.MedianNanoseconds() / timings.textbookBounded.MedianNanoseconds(), 0.8,
                              true});
    report.targets.push_back({"literal reference / FindShortestPixelPath on " + size.Label(),
                              timings.reference.MedianNanoseconds() / timings.zalvo.MedianNanoseconds(), 2.5, false});
}

}  // namespace ZalvoCompare
