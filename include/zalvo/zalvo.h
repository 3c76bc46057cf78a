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
// callables are invoked synchronously on the calling thread, so calls on
// different data may run on different threads at once. Failures are standard
// exceptions, and nothing inside the library catches one: whatever a host
// callable throws reaches the host unchanged, and no partial result is
// returned. A size that cannot be represented is std::length_error with the
// message "vector too long".
//
// Units: pixels for everything on the grid; millipoints (1/1000 of a point,
// 72 points to the inch) for the two distances of CreateTerrain; pixels per
// inch for a plate's resolution. Rows in returned paths and rooms are not
// wrapped: they may lie below 0 or at the row count and beyond, and denote
// the row they wrap to (PositiveModulo).
//
// A typical plate, in six calls:
//
//     Zalvo::Terrain terrain = Zalvo::CreateTerrain(plate, isImpassable, seeds,
//         Zalvo::MilliPoints(2000.0), Zalvo::MilliPoints(6000.0));
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
// LogCategory ("zalvo.zalvoting") at the levels of LogLevels (20, 21 and 30);
// see FindShortestPixelPath and CreateTerrain for the messages. Text that exists
// only for a message is produced only while its level is on.
#pragma once

#include <Orvex/CoordinateBase.h>

#include <array>
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

// The logging category of every diagnostic message the library writes; a host
// enables its levels (LogLevels) in its logging library under this name.
inline constexpr const char* LogCategory = "zalvo.zalvoting";

// The levels the library writes at, and which messages each carries.
namespace LogLevels {
inline constexpr unsigned Result = 20;  // the final terrain
inline constexpr unsigned Trace = 21;   // the backtraced pixel path, one line per pixel
inline constexpr unsigned Steps = 30;   // the intermediate terrains, the erosion profile, the path's end row
inline constexpr std::array<unsigned, 3> All{Result, Trace, Steps};
}  // namespace LogLevels

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
using Terrain = std::vector<std::vector<std::uint8_t>>;

// The classes of a Terrain cell's height. Heights between Free and
// HighestRamp form the cost ramp around content: the higher, the costlier.
namespace Heights {
inline constexpr std::uint8_t Free = 0;
inline constexpr std::uint8_t HighestRamp = 251;
inline constexpr std::uint8_t Corridor = 252;        // carved through content from a seed
inline constexpr std::uint8_t Crossable = 253;       // crossable content and the blocked margin
inline constexpr std::uint8_t FractionalRing = 254;  // outermost ring of a margin of fractional width
inline constexpr std::uint8_t Impassable = 255;      // impassable content and its margin
// A terrain dump shows the ramp in ten bands of this many heights: the digit
// of a height from Free to HighestRamp is height / RampBand.
inline constexpr std::uint8_t RampBand = 26;
}  // namespace Heights

// The row that `row` wraps to on a plate of `rows` rows (rows > 0): the
// remainder of row / rows in 0 .. rows - 1. Every function of the library
// wraps rows this way.
constexpr std::int32_t PositiveModulo(std::int32_t row, std::int32_t rows) noexcept {
    const std::int32_t remainder = row % rows;
    return remainder < 0 ? remainder + rows : remainder;
}

// True for the heights that a shifted line, a room or a corner never covers:
// Crossable and above. The search itself may still cross them, at a price.
constexpr bool BlocksLine(std::uint8_t height) noexcept { return height >= Heights::Crossable; }

// The host's penalty for a line crossing a pixel, added to the height's own
// cost. FindShortestPixelPath calls it with in-grid pixels; OptimizePixelPath
// with unwrapped rows.
using PixelCostFunction = std::function<double(const Pixel&)>;

// The number of columns. Never throws.
ZALVO_API std::uint64_t GetColumnCount(const Terrain& terrain);

// The length of the first column; 0 for a grid without columns. Never throws.
ZALVO_API std::uint64_t GetRowCount(const Terrain& terrain);

// The height of `pixel`, its row wrapped by the row count. A column off the
// grid reads 0 (flat and free). O(1); never throws. A grid whose first column
// is empty reads 0 everywhere, and a row that the read column lacks (a ragged
// grid) reads 0: nothing outside the column is ever read.
ZALVO_API std::uint8_t GetHeight(const Terrain& terrain, const Pixel& pixel);

// How steep a height is, from 0.0 for flat ground to 1.0 for HighestRamp and
// everything above: min(height, 251) / 251.0.
ZALVO_API double GetSlope(std::uint8_t height);

// True exactly for Heights::Corridor.
ZALVO_API bool IsCorridor(std::uint8_t height);

// True for heights below Heights::FractionalRing: a host drawing the plate
// shows these as open ground or crossable content.
ZALVO_API bool IsPassable(std::uint8_t height);

// False for an empty path; otherwise true when every pixel has the row of the
// first one (rows compared as stored, not wrapped).
ZALVO_API bool IsHorizontal(const std::vector<Pixel>& path);

// The cheapest line of 8-connected pixels from column 0 to the last column,
// rows wrapping around.
//
// Cost: each pixel of the line costs its height's price (0 to 30 along the
// ramp, in proportion to the height; 30 for a corridor, 100 for Crossable,
// 1e7 for FractionalRing, 1e9 for Impassable) plus `pixelCost(pixel)`, and
// each step 1 straight or sqrt(2) diagonally (the first pixel counts as a
// straight step). A line must cost less than 1e9.
//
// Result: the pixels from x = 0 to x = column count - 1, each one of the 8
// neighbours of the one before, rows unwrapped; when both ends lie beyond the
// middle row every row is lowered by the row count. Among equally cheap end
// pixels the one nearest to row 0 or to the last row wins, the smaller row
// on a tie. No value (a normal answer, not an error) when no line costs less
// than 1e9, for a grid without columns and for one whose first column is
// empty; never an empty path.
//
// `pixelCost` is called once per pixel of column 0 in row order, then about
// once per pixel the search reaches, always with 0 <= x < column count and
// 0 <= y < row count; the order is the same on every platform. +infinity
// keeps the line off a pixel. Negative penalties are allowed as long as no
// loop of pixels costs less than nothing; the line may then begin right of
// column 0, where tracing it back met a pixel it had already passed.
//
// Logs "Shortest pixel path ends at row: <row>" at level 30, and at level 21
// "Backtraced pixel path:" followed by one line "    (x, y)" per pixel traced.
//
// Throws std::invalid_argument, before the first `pixelCost` call, for a
// ragged grid (columns of different lengths), for more than 2^31 - 1
// columns or rows and for more than 2^31 cells in all (the search packs a
// pixel's address into 32 bits). Throws std::invalid_argument naming the pixel when
// `pixelCost` returns NaN or a value so negative (-infinity, say) that the
// costs of the grid cannot be represented, and when the penalties form a loop
// of negative cost (the search would never end; it is detected within about
// one pass over the grid). Throws std::bad_function_call for an empty
// `pixelCost`, and passes on whatever `pixelCost` throws.
ZALVO_API std::optional<std::vector<Pixel>> FindShortestPixelPath(const Terrain& terrain,
                                                                  const PixelCostFunction& pixelCost);

// ---------------------------------------------------------------------------
// Terrain creation
// ---------------------------------------------------------------------------

// The host's description of a plate, implemented by the host. The library
// only calls the members, always on the calling thread of CreateTerrain; it
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

// The two steps from millipoints to inches: a length becomes pixels as
// millipoints / MilliPointsPerPoint * resolution / PointsPerInch.
inline constexpr double MilliPointsPerPoint = 1000.0;
inline constexpr double PointsPerInch = 72.0;

// Asked only for occupied pixels: true makes the pixel impassable (255),
// false crossable content (253).
using ImpassableFunction = std::function<bool(const Pixel&)>;

// Builds the height grid of `plate`: GetPixelColumnCount columns of
// GetPixelRowCount heights each.
//
// Heights: free pixels are Free; content is Impassable where `isImpassable`
// says true, else Crossable. Around all content lies a blocked margin of
// ceil(minimum) rings of pixels (a ring is one 8-neighbour step further out;
// rows wrap, columns do not): Impassable around impassable content, Crossable
// around crossable content alone; when the minimum is not a whole number of
// pixels, the outermost ring around impassable content is FractionalRing.
// Beyond the margin, round(preferred) - ceil(minimum) rings of cost ramp fall
// from HighestRamp towards Free, over free pixels only. Distances become
// pixels as millipoints / 1000 * resolution / 72; round() takes halves away
// from zero. A preferred distance below the minimum gives no ramp.
//
// Corridors: a seed that lies on the plate, on a pixel of Crossable or above,
// becomes Corridor; row -1 stands for the last row, no other row wraps, and
// seeds elsewhere are ignored. From there corridors grow as straight or
// diagonal lines one pixel wide through blocked pixels, one pixel per step,
// for as many steps as the margin has rings, so that a line can cross the
// margin where the host asked for it.
//
// Calls: GetPixelRowCount and GetPixelColumnCount once each, first; then
// IsPixelOccupied row by row, each occupied pixel followed by `isImpassable`
// for it; then GetResolution once (not for a plate without columns).
// GetContentCount and IsPixelOnContentEdge are never called.
//
// Logs at level 30 "Initial terrain:", "Erosion profile: " and "Eroded
// terrain:", at level 20 "Final terrain:", each terrain dump followed by an
// empty line (a plate without columns logs only the first). A dump shows one
// character per pixel, a row per line: '.' Free, '0' to '9' the ramp (height /
// Heights::RampBand), 'o' Corridor, 'M' Crossable, 'x' FractionalRing, 'X'
// Impassable.
//
// Cost: time grows with the number of pixels, not with the distances; besides
// the result it holds one distance per pixel (1 byte; 2 beyond 254 rings, 4
// beyond 65534).
//
// Throws std::length_error("vector too long"), before any IsPixelOccupied
// call, for a negative count, a side above 2^24 pixels or more than 2^31 - 1
// pixels in all (no real plate is that large); after GetResolution when the
// minimum is -1 pixel or less, the preferred distance -0.5 pixel or less,
// either NaN or infinite, or either beyond 2^24 pixels. Throws
// std::bad_function_call for an empty `isImpassable` at the first occupied
// pixel (an empty one is fine on a plate without content). Passes on whatever
// the plate or `isImpassable` throws.
ZALVO_API Terrain CreateTerrain(const PlateInterface& plate, const ImpassableFunction& isImpassable,
                                const std::set<Pixel>& corridorSeeds, MilliPoints minimumDistance,
                                MilliPoints preferredDistance);

// ---------------------------------------------------------------------------
// Path optimization
// ---------------------------------------------------------------------------

// The host's penalty for moving a path by `distance` rows; always called with
// the distance as a non-negative number, whichever the direction.
using ShiftPenaltyFunction = std::function<double(std::int32_t)>;

// Moves `path` rigidly along the rows to its cheapest free position in each
// direction and returns {moved toward higher rows, moved toward lower rows};
// either may equal `path`. Columns never change, returned rows are not
// wrapped, and each result holds the points of `path` only, moved.
//
// Free: the path is judged on its dense line, the gaps between consecutive
// points bridged by rounded straight lines. A shift by s rows is free when no
// pixel of the dense line, moved by s (row wrapped), lies on a height that
// BlocksLine; columns off the grid never block. With k the number of
// consecutive free shifts 1, 2, ... (each below the row count), the shifts
// considered are 0 .. k - `clearance` (pixels kept clear of the first blocked
// shift; only 0 when shift 1 is blocked or the grid has fewer than two rows;
// a negative clearance reaches past the free shifts). An empty path counts
// every shift as free.
//
// Cost of shift s: `pixelCost` summed over the moved dense line in line order,
// plus `shiftPenalty(s)`. For s = 0, 1, ... in turn, `shiftPenalty(s)` is
// called first, then `pixelCost` once per dense pixel; the upward shifts are
// priced first, then the downward ones, shift 0 again in each direction. A
// cost no greater than the best so far wins, so ties go to the larger shift,
// and a NaN cost never wins (nor is a NaN cost at shift 0 replaced).
//
// Throws, before any callable is called, std::invalid_argument for a grid
// without columns, a ragged one or one of 2^31 rows or more, for a
// `clearance` so negative that the largest shift would exceed INT32_MAX, and
// for a path whose moved rows would leave the 32-bit range; and
// std::length_error("vector too long") when the dense line would hold more
// than INT32_MAX pixels or bridging the gaps would add more than 2^26 (about
// 67 million) pixels to the path's own. Afterwards std::bad_function_call for
// an empty callable when it is first needed (`pixelCost` is never needed for
// an empty path), and whatever the callables throw.
ZALVO_API std::pair<std::vector<Pixel>, std::vector<Pixel>> OptimizePixelPath(const std::vector<Pixel>& path,
                                                                              std::int32_t clearance,
                                                                              const Terrain& terrain,
                                                                              const PixelCostFunction& pixelCost,
                                                                              const ShiftPenaltyFunction& shiftPenalty);

// ---------------------------------------------------------------------------
// Wiggle rooms
// ---------------------------------------------------------------------------

// The rooms. Each describes how freely one piece of the line may be drawn;
// the box fields bound where: columns minColumn .. maxColumn and rows minRow
// .. maxRow, unwrapped. The fields come in the order of the host's boxes,
// left edge, right edge, then the band's edges from the high row to the low
// one; that order is part of the interface (brace initialization, layout) and
// stays. firstStretch .. endStretch - 1 number the pieces of the path the
// room covers: the library cuts a path into pieces along which the free box
// stays the same and numbers them from 0, so a host can tell which rooms
// share pieces of the path, and neighbouring rooms cover neighbouring ranges.

// A piece that may be drawn as one horizontal line at any row of its band;
// `row` is the row chosen for it (by the row adjustments).
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

// A change of row that may be drawn as one vertical line at any column of
// minColumn .. maxColumn through the band; `column` is the column chosen.
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

// A piece of the path that no straight line can replace: it keeps its own
// pixels, in path order. Never empty when the library makes it.
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

// The freedom around `path` on `terrain`, as a sequence of rooms in path
// order: where the line may run horizontally, where it may change rows, and
// where it must keep its pixels. Pixels whose height BlocksLine bound every
// room.
//
// Inputs, all in pixels: `path` is a pixel path such as OptimizePixelPath
// returns. A horizontal room keeps at least `minimumBand` free rows (raised
// to at least 1); a band of `sufficientBand` rows (raised to at least the
// minimum) is enough, and no room grows further to win more. A vertical line
// is placed, where it can be, within a window of 2 x `transitionHalfWidth`
// columns (at least `sufficientBand` wide; above 2^30 the window is wider
// than any plate). Horizontal runs are broken at the columns in
// `splitColumns`.
//
// Result: a HorizontalRoom's row starts at the middle of its band, for the row
// adjustments to choose; a VerticalRoom's column is placed within its
// columns, in the window where it can. A VerticalRoom connecting to the
// plate's edge may reach one column beyond it (-1 or the column count), where
// no grid is read. The sequence may begin or end with a VerticalRoom, or hold
// two side by side (see WiggleRoom). Where four or more rooms in a row are of
// one kind, every other one is kept (the alternation with the larger total
// extent) and the rest become NoRooms. An empty path gives no rooms.
//
// Throws std::invalid_argument, before any work, when a non-empty path meets
// a grid without columns, one whose first column is empty or a ragged one,
// when a path pixel's column lies off the grid, and when a path row lies so
// far out that its band would leave the 32-bit range; std::bad_alloc.
ZALVO_API std::vector<WiggleRoom> CalculateWiggleRoomAroundPixelPath(
    const std::vector<Pixel>& path, const Terrain& terrain, std::int32_t transitionHalfWidth, std::int32_t minimumBand,
    std::int32_t sufficientBand, const std::vector<std::int32_t>& splitColumns);

// Chooses the row of every HorizontalRoom so that the horizontal lines lie as
// close as possible to one common row, T = (lowest + highest row of `path`)
// / 2, truncated toward zero: the plate is then cut as evenly as the freedom
// allows. `rooms` comes from CalculateWiggleRoomAroundPixelPath for `path`.
//
// Inputs, all in pixels: the line being cut is `lineWidth` wide; the material
// already keeps `existingClearance` from content and should keep
// `wantedClearance`; a corner between a horizontal and a vertical line is
// rounded with `cornerRadius`; no piece may be narrower than `minimumWidth`.
// From them, each room keeps a margin of baseMargin = (lineWidth + 1) / 2 -
// existingClearance + wantedClearance inside its band, more beside a vertical
// neighbour whose corner the radius would push into the band, and prefers a
// band of preferredWidth = max(2 x (wantedClearance - existingClearance),
// lineWidth) rows around its row.
//
// Result: the row becomes T clamped into minRow + margin .. maxRow - margin,
// or the band's middle (maxRow + minRow) / 2 when that range is empty. Then
// the first and last HorizontalRooms take the row of the nearest NoRoom's
// facing pixel, or of the nearest HorizontalRoom, when it lies in their band;
// a room whose corner with a vertical neighbour would lie outside both rooms
// moves into the rows both share, unless that narrows the width it offers
// below preferredWidth (or minimumWidth); rooms whose ends lie under 20
// columns apart take the row between the NoRooms around them; and a short
// room that adjoins a neighbour with room for the neighbour's row takes it,
// so that the line does not jog for a few pixels. Only `row` of the
// HorizontalRooms changes: the number, order and every other field of the
// rooms stay. A negative baseMargin widens the band, so rows outside it are
// then expected. All arithmetic is free of 32-bit overflow.
//
// Throws std::invalid_argument, before any room is changed, for an empty
// `path` and when baseMargin or preferredWidth does not fit 32 bits, and for a
// NoRoom without pixels whose pixel is needed (one beside a HorizontalRoom, or
// beyond a VerticalRoom beside it); std::bad_alloc.
ZALVO_API std::vector<WiggleRoom> AdjustHorizontalRoomRowsForOptimalPlateUsage(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path, std::int32_t existingClearance,
    std::int32_t wantedClearance, std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// As AdjustHorizontalRoomRowsForOptimalPlateUsage (the same inputs, margins,
// corners and merging of short rooms, but no alignment of the end rooms),
// except that each room aims at a row of its own instead of one common row:
// the row along which `path` itself runs most across the room's columns, so
// that the cut stays near where the search put it and neighbouring plates
// stagger. Precisely: the row of the horizontal step of `path` (two
// consecutive pixels on one row) that overlaps the room's columns the most,
// the overlap being min(maxColumn, right x) - max(minColumn, left x) and
// counting only when positive; steps whose row lies in the room's usable band
// win over all others, and among equal overlaps the earlier step wins. The
// target is clamped into the usable band; a room without such a step, or
// whose usable band is empty, takes (maxRow + minRow) / 2. `path` may be empty
// or a single pixel.
//
// Throws std::invalid_argument, before any room is changed, when baseMargin
// or preferredWidth does not fit 32 bits, and for a NoRoom without pixels
// whose pixel is needed; std::bad_alloc.
ZALVO_API std::vector<WiggleRoom> AdjustHorizontalRoomRowsForPreferringStagger(
    std::vector<WiggleRoom> rooms, const std::vector<Pixel>& path, std::int32_t existingClearance,
    std::int32_t wantedClearance, std::int32_t cornerRadius, std::int32_t minimumWidth, std::int32_t lineWidth);

// The cut line as corner pixels: a line that runs along the row of every
// HorizontalRoom, along the column of every VerticalRoom and through the
// pixels of every NoRoom, in room order, with straight pieces between
// consecutive corners. Where a horizontal and a vertical line meet outside
// both boxes the corner is cut diagonally within the boxes; where the meeting
// point lies in a box the corner stays square. A first pixel in the column of
// the second and a last pixel in the column of the one before are dropped, so
// are corners lying in one row or column between two others, and repeated
// corners. Rows are unwrapped, as in the rooms. Consecutive points may still
// lie on one straight line (a host that wants corners only removes them).
//
// Sequences that begin or end with a VerticalRoom, or hold two side by side,
// are accepted (see WiggleRoom). No rooms give an empty path. Throws
// std::invalid_argument for a NoRoom without pixels anywhere in the sequence,
// and for a corner that would leave the 32-bit range (only boxes spanning
// more than 2^31 columns can cause it); std::bad_alloc.
ZALVO_API std::vector<Pixel> CalculateSparsePixelPathThroughWiggleRooms(const std::vector<WiggleRoom>& rooms);

}  // namespace Zalvo
