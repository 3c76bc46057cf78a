// The steps of the two exported row adjustments that are their own: the
// target row of the plate-usage adjustment, the alignment of its end rooms,
// and the stagger row taken from the path.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

// (lowest row + highest row) / 2 over `path`, rows as stored, truncating
// toward zero. Throws std::invalid_argument for an empty path, which has no
// rows to aim at.
std::int32_t TargetRow(const std::vector<Pixel>& path);

// Lines a HorizontalRoom at the start, then one at the end, of the sequence
// up with the nearest NoRoom pixel facing it (next to it, or beyond one
// non-horizontal room) or else with the nearest HorizontalRoom's row (next to
// it, or beyond one VerticalRoom), when that row lies in its band. The end
// room sees what the start room got. Throws std::invalid_argument for a NoRoom
// without pixels whose pixel is read.
std::vector<WiggleRoom> AlignEndHorizontalRooms(std::vector<WiggleRoom> rooms);

// The row of the horizontal path step with the greatest column overlap with
// firstColumn .. lastColumn (a difference of columns; steps overlapping by 0
// or less do not count), preferring steps whose row lies in lower .. upper;
// the first such step in path order wins a tie. None for a path of fewer than
// two pixels or without a counting step.
std::optional<std::int32_t> StaggerRowFromPath(std::int32_t firstColumn, std::int32_t lastColumn, std::int64_t upper,
                                               std::int64_t lower, const std::vector<Pixel>& path);

}  // namespace Zalvo::Detail
