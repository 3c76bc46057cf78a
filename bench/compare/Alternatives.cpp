#include "Alternatives.h"

#include "Grids.h"

#include "cells/Cells.h"

#include <benchmark/benchmark.h>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <boost/property_map/property_map.hpp>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <queue>
#include <utility>

namespace ZalvoCompare {
namespace {

constexpr double Diagonal = 1.4142135623730951;

struct Step {
    std::int32_t dx;
    std::int32_t dy;
    double length;
};

constexpr std::array<Step, 8> Steps{{{-1, -1, Diagonal},
                                     {-1, 0, 1.0},
                                     {-1, 1, Diagonal},
                                     {0, -1, 1.0},
                                     {0, 1, 1.0},
                                     {1, -1, Diagonal},
                                     {1, 0, 1.0},
                                     {1, 1, Diagonal}}};

std::size_t CellIndex(std::int32_t x, std::int32_t y, std::int32_t rows) {
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(y);
}

double CheapestOfLastColumn(const std::vector<double>& costs, std::size_t firstOfLastColumn) {
    return *std::min_element(costs.begin() + static_cast<std::ptrdiff_t>(firstOfLastColumn), costs.end());
}

}  // namespace

double TextbookDijkstra(const std::vector<std::uint8_t>& heights, std::int32_t columns, std::int32_t rows,
                        const Zalvo::PixelCostFunction& penalty, TextbookStop stop) {
    const auto& heightCost = HeightCostTable();
    using Entry = std::pair<double, std::uint32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    std::vector<double> cost(heights.size(), std::numeric_limits<double>::max());
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::size_t cell = CellIndex(0, y, rows);
        cost[cell] = penalty({0, y}) + (heightCost[heights[cell]] + 1.0);
        open.emplace(cost[cell], static_cast<std::uint32_t>(cell));
    }
    const std::size_t firstOfLastColumn = CellIndex(columns - 1, 0, rows);
    // The cheapest last-column cost found so far; only the bounded variant
    // lowers it.
    double bound = std::numeric_limits<double>::max();
    while (!open.empty()) {
        const auto [g, cell] = open.top();
        if (g >= bound) break;
        open.pop();
        if (g > cost[cell]) continue;  // an outdated entry
        if (stop == TextbookStop::FirstLastColumn && cell >= firstOfLastColumn) return g;
        const auto x = static_cast<std::int32_t>(cell / static_cast<std::uint32_t>(rows));
        const auto y = static_cast<std::int32_t>(cell % static_cast<std::uint32_t>(rows));
        for (const Step& step : Steps) {
            const std::int32_t nx = x + step.dx;
            if (nx < 0 || nx >= columns) continue;
            const std::int32_t ny = Zalvo::PositiveModulo(y + step.dy, rows);
            const std::size_t next = CellIndex(nx, ny, rows);
            if (cost[next] <= g) continue;
            const double c = (heightCost[heights[next]] + (g + step.length)) + penalty({nx, ny});
            if (c >= cost[next]) continue;
            cost[next] = c;
            if (c >= bound) continue;
            if (stop == TextbookStop::Bounded && nx == columns - 1) bound = c;
            open.emplace(c, static_cast<std::uint32_t>(next));
        }
    }
    return CheapestOfLastColumn(cost, firstOfLastColumn);
}

GridGraph BuildGridGraph(const std::vector<std::uint8_t>& heights, std::int32_t columns, std::int32_t rows,
                         const Zalvo::PixelCostFunction& penalty) {
    const auto& heightCost = HeightCostTable();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
    std::vector<EdgeCost> weights;
    edges.reserve(heights.size() * Steps.size() + static_cast<std::size_t>(rows));
    weights.reserve(edges.capacity());
    // Vertex 0 is the source; cell vertices follow in cell order, so the edge
    // list comes out sorted by source as the CSR constructor wants it.
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::size_t cell = CellIndex(0, y, rows);
        edges.emplace_back(0u, static_cast<std::uint32_t>(cell + 1));
        weights.push_back({penalty({0, y}) + (heightCost[heights[cell]] + 1.0)});
    }
    for (std::int32_t x = 0; x < columns; ++x) {
        for (std::int32_t y = 0; y < rows; ++y) {
            const auto from = static_cast<std::uint32_t>(CellIndex(x, y, rows) + 1);
            for (const Step& step : Steps) {
                const std::int32_t nx = x + step.dx;
                if (nx < 0 || nx >= columns) continue;
                const std::int32_t ny = Zalvo::PositiveModulo(y + step.dy, rows);
                const std::size_t next = CellIndex(nx, ny, rows);
                edges.emplace_back(from, static_cast<std::uint32_t>(next + 1));
                weights.push_back({(heightCost[heights[next]] + step.length) + penalty({nx, ny})});
            }
        }
    }
    return GridGraph(boost::edges_are_sorted, edges.begin(), edges.end(), weights.begin(),
                     static_cast<std::uint32_t>(heights.size() + 1));
}

double BoostDijkstra(const GridGraph& graph, std::int32_t columns, std::int32_t rows) {
    std::vector<double> distance(boost::num_vertices(graph));
    boost::dijkstra_shortest_paths(
        graph, 0u,
        boost::weight_map(boost::get(&EdgeCost::weight, graph))
            .distance_map(boost::make_iterator_property_map(distance.begin(), boost::get(boost::vertex_index, graph))));
    return CheapestOfLastColumn(distance, CellIndex(columns - 1, 0, rows) + 1);
}

double ReadGridWriteTable(const Zalvo::Terrain& terrain) {
    const auto& heightCost = HeightCostTable();
    const std::size_t rows = terrain.front().size();
    auto table = std::make_unique_for_overwrite<double[]>(terrain.size() * rows);
    double* out = table.get();
    for (const auto& column : terrain)
        for (const std::uint8_t height : column) *out++ = heightCost[height];
    benchmark::DoNotOptimize(table.get());
    benchmark::ClobberMemory();
    return table[terrain.size() * rows / 2];
}

}  // namespace ZalvoCompare
