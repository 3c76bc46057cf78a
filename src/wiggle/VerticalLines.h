// Placing the line of every VerticalRoom: where the pieces without room
// around it ask for it, and lined up with a neighbouring vertical line where
// that saves a jog.
#pragma once

#include "rooms/Model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

// The column that the NoRooms beside the VerticalRoom at `index` (directly
// or across one non-vertical room) ask for, kept half a window from either
// end: their mean when there are two, the one's column when there is one.
// None when the room is narrower than `window` or no NoRoom is near; a
// missing neighbour gives no pixel.
std::optional<std::int32_t> PreferredColumn(const std::vector<WiggleRoom>& rooms, std::size_t index,
                                            std::int32_t window);

// Fixes each VerticalRoom whose preferred column lies in its range at that
// column; then, from the narrowest room up (equal widths in room order),
// lets each line pull its unfixed neighbouring vertical lines onto its own
// column where their bands meet, the column lies in their range, and the
// move costs no detour around the horizontal rooms beside them.
std::vector<WiggleRoom> PlaceVerticalLines(std::vector<WiggleRoom> rooms, std::int32_t window);

}  // namespace Zalvo::Detail
