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

// Marks the exported functions. On Windows the DLL is built with
// ZALVO_BUILDING_LIBRARY defined and exports them; a host imports them. On
// other platforms the library is built with hidden visibility and these alone
// are visible.
#if defined(_WIN32)
#if defined(ZALVO_BUILDING_LIBRARY)
#define ZALVO_API __declspec(dllexport)
#else
#define ZALVO_API __declspec(dllimport)
#endif
#else
#define ZALVO_API __attribute__((visibility("default")))
#endif

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
// every row is lowered by the row count. Among equally cheap end cells the
// one nearest to row 0 or to the last row wins (the smaller row on a tie).
// Returns no value when no line costs less than 1e9, and for a grid without
// columns or whose columns are empty; never an empty path.
//
// `pixelCost` is called once per cell of column 0 in row order, then once per
// neighbour the search prices; always with 0 <= x < column count and
// 0 <= y < row count. A penalty of +infinity keeps the line off that cell.
//
// Penalties below zero: the search still ends. Penalties that form a cycle of
// negative cost are rejected (see below). Otherwise the path is traced back by
// steepest descent of the found costs, which with negative penalties can lead
// back to a cell already passed (same column, same wrapped row) or to a cell
// with no reached neighbour: the trace stops there, and the returned path then
// begins at the last pixel traced, which may lie right of column 0.
//
// Throws std::invalid_argument, before calling `pixelCost`, for a ragged grid
// (columns of different lengths), for more than 2^31 - 1 columns or rows and
// for more than 2^31 cells in all (the search packs a pixel into 32 bits);
// std::invalid_argument naming the pixel when `pixelCost` returns NaN, or a
// value so negative (such as -infinity) that cell count x (1 + value)
// overflows; std::invalid_argument when the penalties form a cycle of negative
// cost: when a cell's cost falls below cell count x min(0, 1 + q), q the most
// negative penalty seen; when a chain of more cells than the grid holds lowers
// a cell's cost; or when a chain of m cells costs less than min(0, 1 + q) -
// m (sqrt(2) - 1) / 2, less a rounding margin (each proves such a cycle, and
// the last one proves it within about one pass over the grid however negative
// the penalties are); std::invalid_argument when
// the traced rows would leave the 32-bit range (possible only on grids of more
// than 2^31 cells). Also std::bad_function_call for an empty `pixelCost`, at
// its first call; whatever `pixelCost` throws, unchanged; std::bad_alloc. No
// partial result is returned.
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

// Builds the terrain of `plate`: GetPixelColumnCount columns of
// GetPixelRowCount heights. Free pixels are 0, occupied ones 255 where
// `isImpassable` says true, else 253.
//
// Distances become pixels as millipoints / 1000 * resolution / 72. Around all
// content lie ceil(minimum pixels) rings (8-neighbour steps, rows wrapping,
// columns not): 255 around impassable content (the outermost ring 254 when
// the minimum is not a whole number of pixels; crossable content there turns
// 255 too), 253 around crossable content alone. Beyond them a ramp of
// round(preferred pixels, halves away from zero) - ceil(minimum pixels) rings
// falls from 251 towards 0 over free cells.
//
// A seed becomes a corridor cell (252) when it lies on the plate and on a
// cell of 253 or more; row -1 stands for the last row, no other row wraps,
// and a plate without rows uses no seed. Corridors then grow as straight or
// diagonal lines one cell wide through cells of 253 and more, one cell per
// step, for as many steps as the margin has rings.
//
// Calls, in order: GetPixelRowCount, GetPixelColumnCount (once each);
// IsPixelOccupied row by row, and `isImpassable` right after each occupied
// pixel; GetResolution once (not for a plate without columns). Logs under
// "zalvo.zalvoting" "Initial terrain:", "Erosion profile: " and "Eroded
// terrain:" at level 30 and "Final terrain:" at level 20, each dump followed
// by an empty line; a plate without columns logs only the first. The text is
// made only when its level is on.
//
// Time grows with the number of pixels, not with the distances; besides the
// result, one distance per pixel is held while eroding (1 byte, 2 beyond 254
// rings, 4 beyond 65534).
//
// Throws std::length_error("vector too long") for a negative count, a count
// above 2^24 or a plate of more than 2^31 - 1 pixels (before any
// IsPixelOccupied call: no real plate is that large, and building it would
// exhaust memory), and after GetResolution when minimum pixels are -1 or
// less, preferred pixels -0.5 or less, either NaN or above 2^24 (no margin
// wider than the largest plate side can change a cell);
// std::bad_function_call for an empty `isImpassable` at the first occupied
// pixel (an empty one is fine without content); whatever the host throws,
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

// Moves `path` rigidly along the rows to its cheapest position in each
// direction and returns {moved toward higher rows, moved toward lower rows};
// either may be an exact copy. Returned rows are not wrapped; columns never
// change; the results hold the points of `path` only.
//
// The path is tested and priced on its dense line: gaps between consecutive
// points are bridged by rounded straight lines. Shift s is free when no pixel
// of the dense line, moved s rows (row wrapped by the row count), lies on a
// cell of 253 or above; columns off the grid never block. With k the number
// of consecutive free shifts 1, 2, ... (each below the row count), the
// candidates are 0 .. k - `clearance` (only 0 when shift 1 is blocked or the
// grid has fewer than two rows; a negative clearance reaches past the free
// shifts). An empty path counts every shift as free.
//
// Shift s costs the sum of `pixelCost` over the moved dense line, in line
// order, plus `shiftPenalty(s)` added last. For each candidate s = 0, 1, ...
// in turn, `shiftPenalty(s)` is called first, then `pixelCost` once per dense
// pixel; upward candidates are priced first, then downward ones, shift 0
// afresh in each direction; `shiftPenalty` always gets the non-negative
// distance. A cost no greater than the best so far wins, so ties go to the
// larger shift and a NaN cost never wins (nor is a NaN cost at shift 0 ever
// replaced).
//
// Throws, before any callable is called: std::invalid_argument for a grid
// without columns, a ragged one, or one of 2^31 rows or more; for a
// `clearance` so negative that the largest candidate would exceed INT32_MAX;
// and for a path whose moved rows would leave the 32-bit range.
// std::length_error("vector too long") when the dense line would hold more
// than INT32_MAX pixels, or when bridging the path's gaps would add more than
// 2^26 (about 67 million) pixels to its own, before it is allocated. Afterwards: std::bad_function_call for an empty callable when it
// is first needed (`pixelCost` is never needed for an empty path); whatever
// the callables throw, unchanged.
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
// Rooms come in path order and refer to the path's stretches (runs of pixels
// with one free box) by half-open index ranges. The result may begin or end
// with a VerticalRoom, or hold two side by side. A connecting VerticalRoom at
// the plate's edge may reach one column beyond it (-1 or the column count);
// no grid is read there. A sequence of four or more rooms that are all
// horizontal (or all vertical) keeps every other room, the alternation with
// the larger total extent, and turns the rest into NoRooms. Vertical lines of
// equal width are placed in room order, however many there are. A
// `transitionHalfWidth` beyond 2^30 acts as a window wider than any plate.
//
// An empty path gives an empty vector. Throws std::invalid_argument, before
// any work, when a non-empty path meets a grid without columns, with an empty
// first column, a ragged grid, path pixels whose column lies off the grid, or
// rows so far out that the free-row bounds would overflow 32 bits.
ZALVO_API std::vector<WiggleRoom> CalculateWiggleRoomAroundPixelPath(
    const std::vector<Pixel>& path, const Terrain& terrain,
    std::int32_t transitionHalfWidth, std::int32_t minimumBand,
    std::int32_t sufficientBand, const std::vector<std::int32_t>& splitColumns);

// Chooses a new row for every HorizontalRoom so that the horizontal lines come
// to lie as close as possible to one common row, the target T = (lowest +
// highest row of `path`) / 2 (rows as stored, truncated toward zero).
//
// With baseMargin = (lineWidth + 1) / 2 - existingClearance + wantedClearance
// and preferredWidth = max(2 x (wantedClearance - existingClearance),
// lineWidth), each room's margin is baseMargin, raised by the corner margin
// r - round(sqrt(r^2 - (r - offset)^2)), r = cornerRadius, towards each
// VerticalRoom right beside it (offset: the vertical line's distance to the
// edge of its column range that faces the room; an offset outside 0 .. 2r
// raises nothing). The row becomes T clamped into minRow + margin .. maxRow -
// margin (upper end first) when that band is open (upper end above lower
// end), else (maxRow + minRow) / 2, truncated toward zero. Then:
// - a HorizontalRoom at either end of the sequence takes the row of the
//   facing pixel of the nearest NoRoom (next to it, or beyond one
//   VerticalRoom), else the row of the HorizontalRoom next to it or beyond
//   one VerticalRoom, if that row lies in its band; the last room sees what
//   the first one got;
// - a room whose corner with a vertical neighbour lies outside both rooms
//   moves into the rows both share, unless that narrows its width class
//   (preferredWidth, then minimumWidth, then 0: the width whose half fits
//   above and below the row within the band);
// - short rooms (RoomLength below 20) between NoRooms are pinned midway
//   between them; then, smallest band first, each room gives its row to a
//   short, unpinned neighbouring HorizontalRoom whose columns adjoin its own
//   and whose band (and vertical neighbours) accept the row.
// Only the `row` of HorizontalRoom elements changes; the number, order and
// every other field of the rooms stay. A negative baseMargin widens the usable
// band beyond the room's band, so rows outside the band are then expected.
// All arithmetic is free of 32-bit overflow.
//
// Throws std::invalid_argument, before any room is changed, for an empty
// `path` and when baseMargin or preferredWidth does not fit 32 bits; throws
// std::invalid_argument for a NoRoom without pixels whose pixel is read (one
// beside a HorizontalRoom, or beyond a VerticalRoom beside it); std::bad_alloc.
ZALVO_API std::vector<WiggleRoom> AdjustHorizontalRoomRowsForOptimalPlateUsage(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path,
    std::int32_t existingClearance, std::int32_t wantedClearance,
    std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// As AdjustHorizontalRoomRowsForOptimalPlateUsage, with the same margins,
// corner conflicts and merging, but without the end alignment and with a
// target of each room's own: the row of the horizontal step of `path` (two
// consecutive pixels on one row) that overlaps the room's columns the most,
// the overlap being min(maxColumn, right x) - max(minColumn, left x) and
// counting only when positive. Steps whose row lies in the usable band win
// over all others; among equal overlaps the earlier step wins. (A dense path
// steps one column at a time, so there every overlap is 1 and the first
// in-band step across the room decides.) The target is clamped into the
// usable band; a room without a counting step, or whose usable band is not
// open, gets (maxRow + minRow) / 2. `path` may be empty or a single pixel.
//
// Throws std::invalid_argument, before any room is changed, when baseMargin
// or preferredWidth does not fit 32 bits, and for a NoRoom without pixels
// whose pixel is read; std::bad_alloc.
ZALVO_API std::vector<WiggleRoom> AdjustHorizontalRoomRowsForPreferringStagger(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path,
    std::int32_t existingClearance, std::int32_t wantedClearance,
    std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// The corner pixels of a line that runs along the row of every HorizontalRoom,
// along the column of every VerticalRoom and through the pixels of every
// NoRoom, in room order. Where a horizontal and a vertical line meet outside
// both boxes the corner is cut diagonally within the boxes; where the meeting
// point lies in a box the corner stays square. Afterwards a first pixel in
// the column of the second, and a last pixel in the column of the one before,
// are dropped; so is every corner lying in one row or column between two
// corners that are not its neighbours; then repeated corners.
//
// Sequences that begin or end with a VerticalRoom, or hold two side by side,
// are accepted (see WiggleRoom): such a room enters where it leaves. An empty
// sequence gives an empty path. Throws std::invalid_argument for a NoRoom
// without pixels anywhere in the sequence, and for a corner that would leave
// the 32-bit range (only boxes spanning more than 2^31 columns can cause it).
ZALVO_API std::vector<Pixel> CalculateSparsePixelPathThroughWiggleRooms(
    const std::vector<WiggleRoom>& rooms);

}  // namespace Zalvo
