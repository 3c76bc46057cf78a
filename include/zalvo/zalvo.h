// Zalvo: plans a cut line across a plate.
//
// The host describes a plate pixel by pixel through PlateInterface. Zalvo turns
// it into a height grid (Terrain), finds the cheapest left-to-right line through
// it on a cylinder (rows wrap around, columns do not), moves that line rigidly
// to a cheaper free position, measures the freedom around it as a sequence of
// wiggle rooms, chooses rows for the horizontal rooms and returns a short list
// of corner pixels.
//
// Every function is stateless: all inputs are arguments, every result is a new
// value owned by the caller, nothing is cached and no thread is started. Host
// callables are invoked synchronously on the calling thread. Failures are
// standard exceptions; nothing inside the library catches them.
//
// A typical plate, in six calls:
//
//     Zalvo::Terrain terrain = Zalvo::CreateTerrain(plate, isImpassable, seeds,
//         Orvex::MilliPointLength(2000.0), Orvex::MilliPointLength(6000.0));
//     auto found = Zalvo::FindShortestPixelPath(terrain, pixelCost);
//     if (!found) return;  // no line crosses this plate
//     auto [up, down] = Zalvo::OptimizePixelPath(*found, 2, terrain, pixelCost,
//                                                shiftPenalty);
//     auto rooms = Zalvo::CalculateWiggleRoomAroundPixelPath(up, terrain, 8, 3, 12, {});
//     rooms = Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage(
//         std::move(rooms), up, 0, 2, 10, 2, 3);
//     std::vector<Zalvo::Pixel> corners =
//         Zalvo::CalculateSparsePixelPathThroughWiggleRooms(rooms);
//
// Diagnostic text goes through the host's logging library under the category
// "zalvo.zalvoting" at levels 20, 21 and 30 (see Logging/Logging.h).
#pragma once

#include <Orvex/CoordinateBase.h>

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <variant>
#include <vector>

#define ZALVO_VERSION_MAJOR 0
#define ZALVO_VERSION_MINOR 1
#define ZALVO_VERSION_PATCH 0
#define ZALVO_VERSION "0.1.0"

#define ZALVO_API __attribute__((visibility("default")))

namespace Zalvo {

// ---------------------------------------------------------------------------
// Grid
// ---------------------------------------------------------------------------

// A cell address: column x (0 is the left edge), then row y. A row outside
// 0 .. row count - 1 denotes the row it wraps to. Ordered by x, then y.
struct Pixel {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const Pixel&, const Pixel&) = default;
    friend std::strong_ordering operator<=>(const Pixel&, const Pixel&) = default;
};

// The height grid, indexed [x][y]: a vector of columns of 8-bit heights. It is
// rectangular; the row count is the length of the first column.
//
// Heights: 0 free; 1..251 cost ramp around content; 252 corridor; 253
// crossable content and blocked margin; 254 outermost ring of a fractional
// margin; 255 impassable content and its margin. 253 and above block the
// steps after the search; IsPassable draws its line at 254.
using Terrain = std::vector<std::vector<std::uint8_t>>;

// Per-cell penalty supplied by the host, called with in-grid pixels (search)
// or with unwrapped rows (path optimization).
using PixelCostFunction = std::function<double(const Pixel&)>;

// The number of columns.
ZALVO_API std::uint64_t GetColumnCount(const Terrain& terrain);

// The length of the first column; 0 for a grid without columns.
ZALVO_API std::uint64_t GetRowCount(const Terrain& terrain);

// The height of `pixel`, its row wrapped by the row count. A column off the
// grid reads 0 (flat and free). O(1); never throws. A grid whose first column
// is empty reads 0 everywhere, and a row that the read column lacks (a ragged
// grid) reads 0: nothing outside the column is ever read.
ZALVO_API std::uint8_t GetHeight(const Terrain& terrain, const Pixel& pixel);

// min(height, 251) / 251.0: 0.0 for flat ground, 1.0 for 251 and above.
ZALVO_API double GetSlope(std::uint8_t height);

// True exactly for the corridor height 252.
ZALVO_API bool IsCorridor(std::uint8_t height);

// True for heights below 254.
ZALVO_API bool IsPassable(std::uint8_t height);

// False for an empty path; otherwise true when every pixel has the row of the
// first one (rows compared as stored, not wrapped).
ZALVO_API bool IsHorizontal(const std::vector<Pixel>& path);

// The cheapest 8-connected line from column 0 to the last column, rows
// wrapping around. A line costs, per cell, a height cost (0..30 for ramps, 30
// for corridors, 100 for 253, 1e7 for 254, 1e9 for 255) plus
// `pixelCost(cell)`, plus 1 per straight and sqrt(2) per diagonal step (the
// first cell counts as a straight step).
//
// Returns the path from x = 0 to x = column count - 1, rows unwrapped (they may
// run below 0 or past the row count); when both ends lie beyond the middle row
// every row is lowered by the row count. Returns no value when no line costs
// less than 1e9, and for a grid without columns or with an empty first column.
//
// `pixelCost` is called once per cell of column 0 in row order, then once per
// neighbour the search prices; never with a pixel off the grid.
//
// Throws std::invalid_argument, before calling `pixelCost`, for a ragged grid;
// std::invalid_argument naming the pixel when `pixelCost` returns NaN, or when
// penalties are negative enough to form a cycle of negative cost (the search
// would not end); std::bad_function_call for an empty `pixelCost`; whatever
// `pixelCost` throws, unchanged. If penalties are negative but acyclic, the
// backtrace stops before it would revisit a pixel; the returned path then
// ends at that point and does not reach column 0.
ZALVO_API std::optional<std::vector<Pixel>> FindShortestPixelPath(
    const Terrain& terrain, const PixelCostFunction& pixelCost);

// ---------------------------------------------------------------------------
// Terrain creation
// ---------------------------------------------------------------------------

// The host's description of a plate. The library only calls the members; it
// never creates, copies, stores or destroys a plate.
//
// The six members keep their declared order, so IsPixelOccupied stays the
// sixth virtual function; the destructor is declared after them.
class PlateInterface {
public:
    // Pixels per inch.
    virtual double GetResolution() const = 0;
    // Number of pixel columns (x runs from 0 to this count - 1).
    virtual std::int32_t GetPixelColumnCount() const = 0;
    // Number of pixel rows (y runs from 0 to this count - 1).
    virtual std::int32_t GetPixelRowCount() const = 0;
    // Reserved for the host; this library never calls it.
    virtual std::int32_t GetContentCount() const = 0;
    // Reserved for the host; this library never calls it.
    virtual bool IsPixelOnContentEdge(const Pixel& pixel) const = 0;
    // True where the plate carries content at `pixel`.
    virtual bool IsPixelOccupied(const Pixel& pixel) const = 0;

    virtual ~PlateInterface() = default;
};

// A length in millipoints (1/1000 of a point; 72 points make an inch).
using MilliPoints = Orvex::CoordinateBase<Orvex::MilliPointCoordinateSystem, 1>;

// Asked only for occupied pixels: true makes the pixel impassable (255),
// false crossable content (253).
using ImpassableFunction = std::function<bool(const Pixel&)>;

// Builds the terrain of `plate`: column count x row count heights, content at
// 253 or 255, a blocked margin of `minimumDistance` around it, a cost ramp out
// to `preferredDistance`, and corridors (252) grown from `corridorSeeds`
// through blocked cells. Seeds outside the plate are ignored, except row -1,
// which stands for the last row.
//
// Calls, in order: GetPixelRowCount, GetPixelColumnCount (once each);
// IsPixelOccupied row by row, and `isImpassable` right after each occupied
// pixel; GetResolution once (not for a plate without columns).
//
// Throws std::length_error("vector too long") for a negative count (before
// any IsPixelOccupied call) and for distances whose pixel lengths are
// negative, NaN or 2^63 and beyond; std::bad_function_call for an empty
// `isImpassable` at the first occupied pixel; whatever the host throws,
// unchanged; std::bad_alloc.
ZALVO_API Terrain CreateTerrain(const PlateInterface& plate,
                                const ImpassableFunction& isImpassable,
                                const std::set<Pixel>& corridorSeeds,
                                MilliPoints minimumDistance,
                                MilliPoints preferredDistance);

// ---------------------------------------------------------------------------
// Path optimization
// ---------------------------------------------------------------------------

// Penalty for moving a path by `distance` rows (0, 1, 2, ..., both directions).
using ShiftPenaltyFunction = std::function<double(std::int32_t)>;

// Moves `path` rigidly along the rows to its cheapest free position in each
// direction and returns {moved toward higher rows, moved toward lower rows}.
// A shift s is allowed when shifts 1 .. s + `clearance` are free of blocking
// cells (253 and above); its cost is the sum of `pixelCost` over the path's
// dense line (gaps bridged by straight lines) plus `shiftPenalty(s)`. Ties go
// to the larger shift. Returned rows are not wrapped; columns never change.
//
// Throws std::invalid_argument, before any callable is called, for a grid
// without columns or a ragged one, and for a `clearance` so negative that the
// shift limit would overflow; std::bad_function_call for an empty callable;
// whatever the callables throw, unchanged.
ZALVO_API std::pair<std::vector<Pixel>, std::vector<Pixel>> OptimizePixelPath(
    const std::vector<Pixel>& path, std::int32_t clearance, const Terrain& terrain,
    const PixelCostFunction& pixelCost, const ShiftPenaltyFunction& shiftPenalty);

// ---------------------------------------------------------------------------
// Wiggle rooms
// ---------------------------------------------------------------------------

// A stretch of the path that may be drawn as one horizontal line at any row
// from minRow to maxRow. Rows are unwrapped. Stretch indices are half-open.
struct HorizontalRoom {
    std::int32_t minColumn = 0;
    std::int32_t maxColumn = 0;
    std::int32_t maxRow = 0;
    std::int32_t minRow = 0;
    std::int32_t firstStretch = 0;
    std::int32_t endStretch = 0;
    std::int32_t row = 0;

    friend bool operator==(const HorizontalRoom&, const HorizontalRoom&) = default;
};

// A change of row that may be drawn as one vertical line at any column from
// minColumn to maxColumn, through the band minRow .. maxRow.
struct VerticalRoom {
    std::int32_t minColumn = 0;
    std::int32_t maxColumn = 0;
    std::int32_t maxRow = 0;
    std::int32_t minRow = 0;
    std::int32_t firstStretch = 0;
    std::int32_t endStretch = 0;
    std::int32_t column = 0;

    friend bool operator==(const VerticalRoom&, const VerticalRoom&) = default;
};

// A piece of the path that keeps its own pixels. Never empty when the library
// makes it.
struct NoRoom {
    std::vector<Pixel> pixels;
    std::int32_t firstStretch = 0;
    std::int32_t endStretch = 0;

    friend bool operator==(const NoRoom&, const NoRoom&) = default;
};

// One piece of the freedom around a path, in path order.
//
// Where a room sequence begins or ends with a VerticalRoom, or holds two side
// by side (both can come out of CalculateWiggleRoomAroundPixelPath), the side
// of a VerticalRoom without a HorizontalRoom or NoRoom neighbour takes the
// pixel of its other side, so that piece adds no jog; when neither side has
// such a neighbour both are (column, (minRow + maxRow) / 2).
using WiggleRoom = std::variant<HorizontalRoom, VerticalRoom, NoRoom>;

// Cuts `path` into stretches of equal free box on `terrain` (cells of 253 and
// above block), groups them into horizontal runs that keep at least
// `minimumBand` common free rows (asking for no more than `sufficientBand`),
// breaks runs at `splitColumns`, connects neighbouring rooms, refines the
// sequence and places every vertical line within a window of
// 2 x `transitionHalfWidth` columns where it can.
//
// An empty path gives an empty vector. Throws std::invalid_argument, before
// any work, when a non-empty path meets a grid without columns, with an empty
// first column, a ragged grid, path pixels whose column lies off the grid, or
// rows so far out that the free-row bounds would overflow 32 bits.
ZALVO_API std::vector<WiggleRoom> CalculateWiggleRoomAroundPixelPath(
    const std::vector<Pixel>& path, const Terrain& terrain,
    std::int32_t transitionHalfWidth, std::int32_t minimumBand,
    std::int32_t sufficientBand, const std::vector<std::int32_t>& splitColumns);

// Gives every HorizontalRoom a row as close as its band (less a margin for the
// line and the corners of neighbouring vertical lines) allows to the middle of
// the rows `path` spans; lines up the end rooms with their neighbours; then
// resolves corner conflicts and merges short horizontal rooms. Only the `row`
// of HorizontalRoom elements changes.
//
// Throws std::invalid_argument (rooms untouched) for an empty `path`, for a
// NoRoom without pixels where its pixels are read, and for parameters whose
// derived margins would overflow 32 bits.
ZALVO_API std::vector<WiggleRoom> AdjustHorizontalRoomRowsForOptimalPlateUsage(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path,
    std::int32_t existingClearance, std::int32_t wantedClearance,
    std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// As AdjustHorizontalRoomRowsForOptimalPlateUsage, but keeps each
// HorizontalRoom on the row where `path` itself runs horizontally across the
// room's columns, so the path's steps remain. `path` may be empty.
ZALVO_API std::vector<WiggleRoom> AdjustHorizontalRoomRowsForPreferringStagger(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path,
    std::int32_t existingClearance, std::int32_t wantedClearance,
    std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// The corner pixels of a line that runs along the row of every HorizontalRoom,
// along the column of every VerticalRoom and through the pixels of every
// NoRoom. An empty sequence gives an empty path. Throws std::invalid_argument
// for a NoRoom without pixels.
ZALVO_API std::vector<Pixel> CalculateSparsePixelPathThroughWiggleRooms(
    const std::vector<WiggleRoom>& rooms);

}  // namespace Zalvo
