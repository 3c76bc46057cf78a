// Cutting a path into stretches of equal free box, grouping the stretches
// into horizontal runs and pieces without room, and the first room sequence
// built from those groups.
#pragma once

#include "rooms/Model.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace Zalvo::Detail {

// A maximal run of consecutive path pixels whose free boxes are equal. Its
// rows are the common free rows; its columns are narrowed to the span of its
// own first and last pixel.
struct Stretch {
    std::vector<Pixel> pixels;
    Box box;
};

using Stretches = std::vector<Stretch>;

// The tuning values every step shares, derived once at entry.
struct RoomSettings {
    std::int32_t minimumBand = 1;          // max(1, minimumBand)
    std::int32_t sufficientBand = 1;       // max(minimumBand, sufficientBand)
    std::int32_t transitionWidth = 1;      // max(2 x transitionHalfWidth, sufficientBand)
    std::int32_t transitionHalfWidth = 0;  // as given
};

// 2 x transitionHalfWidth is taken in 64 bits and saturated at INT32_MAX: no
// box is that wide, so every comparison against the window gives the result
// the exact value would.
RoomSettings DeriveRoomSettings(std::int32_t transitionHalfWidth, std::int32_t minimumBand,
                                std::int32_t sufficientBand);

// The smaller and the larger x of a stretch's first and last pixel.
// Stretch `index` (0 .. size - 1) of `stretches`.
const Stretch& StretchAt(const Stretches& stretches, std::int32_t index);

std::int32_t SpanStart(const Stretch& stretch);
std::int32_t SpanEnd(const Stretch& stretch);

// The free box of `pixel`: how far rows extend up and down (at most the row
// count each way) and columns left (to column 0) and right (to column count
// - 2 at most) before the first blocking cell (253 and above). The cell of
// the pixel itself is not tested. Requires a rectangular terrain with rows,
// pixel.x inside the grid and pixel.y +- row count within 32 bits.
Box FreeBox(const Terrain& terrain, const Pixel& pixel);

// FreeBox of every pixel of `path`. A straight run along a row shares its
// column scans, so each cell of the row is read once.
std::vector<Box> FreeBoxes(const std::vector<Pixel>& path, const Terrain& terrain);

// The stretches of `path`, in path order; empty for an empty path. Same
// requirements as FreeBox for every pixel.
Stretches BuildStretches(const std::vector<Pixel>& path, const Terrain& terrain);

// The piece without room made of the pixels of stretches first .. end - 1.
NoRoom StretchNoRoom(const Stretches& stretches, std::int32_t first, std::int32_t end);

// The horizontal room over stretches first .. end - 1: columns from their
// pixels, the common free rows, and the row in the middle of them.
HorizontalRoom StretchHorizontalRoom(const Stretches& stretches, std::int32_t first, std::int32_t end);

// A half-open range of stretch indices.
using StretchRange = std::pair<std::int32_t, std::int32_t>;

// One candidate run per start stretch, walking on while the common free rows
// keep the band the start asks for, and breaking at split columns. Each
// candidate ends later than the one before.
std::vector<StretchRange> BuildCandidateRuns(const Stretches& stretches, std::int32_t sufficientBand,
                                             std::int32_t minimumBand, const std::vector<std::int32_t>& splitColumns);

enum class RunKind : std::int32_t { Horizontal = 0, NoRoom = 1 };

struct RunRecord {
    RunKind kind = RunKind::Horizontal;
    std::int32_t first = 0;
    std::int32_t end = 0;

    friend bool operator==(const RunRecord&, const RunRecord&) = default;
};

// Horizontal when the run has more than four pixels per overlapping
// neighbour candidate, a piece without room otherwise.
std::vector<RunRecord> ClassifyCandidateRuns(const Stretches& stretches, const std::vector<StretchRange>& candidates);
// Fuses each NoRoom record into a NoRoom record right before it.
std::vector<RunRecord> MergeNoRoomRecords(const std::vector<RunRecord>& records);
// Cuts NoRoom records back so they no longer cover the stretches of the
// nearest horizontal record before and after them.
std::vector<RunRecord> TrimNoRoomRecords(std::vector<RunRecord> records);
std::vector<RunRecord> RemoveEmptyRecords(const std::vector<RunRecord>& records);
// Leaves out a horizontal record squeezed between two overlapping ones.
std::vector<RunRecord> DropRedundantHorizontalRuns(const std::vector<RunRecord>& records);

// The candidate runs classified and cleaned by the steps above, in order.
std::vector<RunRecord> BuildRunRecords(const Stretches& stretches, std::int32_t sufficientBand,
                                       std::int32_t minimumBand, const std::vector<std::int32_t>& splitColumns);

// One room per record: a HorizontalRoom for a horizontal run, a NoRoom for
// the rest.
std::vector<WiggleRoom> BuildInitialRooms(const std::vector<RunRecord>& records, const Stretches& stretches);

}  // namespace Zalvo::Detail
