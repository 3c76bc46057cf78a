// What a user would write or pick instead of the library's search, over the
// same cells: height costs from HeightCostTable, the host's penalty, steps of
// 1 and sqrt 2, rows wrapping, seeded from all of column 0 with one straight
// step of cost. Each returns the cheapest cost it finds in the last column.
#pragma once

#include <zalvo/zalvo.h>

#include <boost/graph/compressed_sparse_row_graph.hpp>

#include <cstdint>
#include <vector>

namespace ZalvoCompare {

// When a textbook Dijkstra stops.
enum class TextbookStop {
    Never,            // settles every reachable cell
    FirstLastColumn,  // returns when the first last-column cell is settled
    // Bounded: files no cell at or above the cheapest last-column cost found
    // so far, and stops when the heap's top cannot beat it. What a user who
    // knows the goal is the last column writes; the suite's reference.
    Bounded,
};

// A plain Dijkstra with std::priority_queue (lazy deletion: outdated entries
// are skipped) over a flat cost array, calling `penalty` once per neighbour
// it may improve.
double TextbookDijkstra(const std::vector<std::uint8_t>& heights, std::int32_t columns, std::int32_t rows,
                        const Zalvo::PixelCostFunction& penalty, TextbookStop stop);

struct EdgeCost {
    double weight = 0.0;
};

// Vertex 0 is a source joined to every cell of column 0; cell (x, y) is vertex
// 1 + x * rows + y. Penalties are folded into the edge weights when it is built.
using GridGraph = boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, EdgeCost, boost::no_property,
                                                     std::uint32_t, std::uint32_t>;

GridGraph BuildGridGraph(const std::vector<std::uint8_t>& heights, std::int32_t columns, std::int32_t rows,
                         const Zalvo::PixelCostFunction& penalty);

// boost::dijkstra_shortest_paths from the source vertex; settles every cell.
double BoostDijkstra(const GridGraph& graph, std::int32_t columns, std::int32_t rows);

// The least work any search must do: read every height once and write one
// double per cell into a freshly allocated table. Returns a value read back
// from the table so that nothing is optimised away.
double ReadGridWriteTable(const Zalvo::Terrain& terrain);

}  // namespace ZalvoCompare
