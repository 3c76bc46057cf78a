// The rooms that connect two neighbouring rooms where the path has to change
// rows: a VerticalRoom where the free cells allow one, otherwise a NoRoom
// that keeps the path's own pixels.
#pragma once

#include "wiggle/Stretches.h"

#include <cstdint>

namespace Zalvo::Detail {

// Between two consecutive HorizontalRooms, `before` first. Tried in order:
// cut a window from the room whose band covers more of the path's rows when
// the bands and columns meet; the stretches both rooms share; the widest
// run of stretches walking into `after` or back into `before`; finally the
// pixels of both rooms as a NoRoom. The window may reach one column beyond
// the room it is cut from.
WiggleRoom ConnectHorizontal(const HorizontalRoom& before, const HorizontalRoom& after, const Stretches& stretches,
                             const RoomSettings& settings);

// Between a HorizontalRoom and the NoRoom after it: a window around the last
// pixel of the piece that touches the room, else the columns the room's last
// stretches share with the piece, else a NoRoom.
WiggleRoom ConnectToNoRoom(const HorizontalRoom& room, const NoRoom& piece, const Stretches& stretches,
                           const RoomSettings& settings);

// The mirror of ConnectToNoRoom for a NoRoom followed by a HorizontalRoom.
WiggleRoom ConnectFromNoRoom(const NoRoom& piece, const HorizontalRoom& room, const Stretches& stretches,
                             const RoomSettings& settings);

// A VerticalRoom cut out of `room` around column pixel.x with the room's rows
// and stretches: a whole window at the room's end when the pixel lies within
// half of `minimumWidth` + 1 of it, otherwise centred on the pixel as wide as
// the room allows.
VerticalRoom VerticalWindow(const HorizontalRoom& room, const Pixel& pixel, std::int64_t minimumWidth,
                            const RoomSettings& settings);

}  // namespace Zalvo::Detail
