// Refinement of the first room sequence: connecting rooms between
// neighbours, fusing and dropping redundant rooms, turning rooms too small to
// keep into pieces without room, and trimming those pieces. Each step takes a
// sequence and returns a new one; RefineRooms runs them in order.
#pragma once

#include "wiggle/Stretches.h"

#include <vector>

namespace Zalvo::Detail {

using Rooms = std::vector<WiggleRoom>;

// A HorizontalRoom whose band holds the bands of both horizontal neighbours
// and which is narrower than both becomes a VerticalRoom with its box. The
// room after a turned one keeps its kind.
Rooms TurnNarrowMiddlesVertical(const Rooms& rooms);

// Puts a connecting room between horizontal-horizontal, horizontal-NoRoom
// and NoRoom-horizontal neighbours.
Rooms InsertConnectingRooms(const Rooms& rooms, const Stretches& stretches, const RoomSettings& settings);

// A HorizontalRoom and a VerticalRoom side by side with equal boxes become
// one room, horizontal or vertical as its neighbours call for; the pair at
// the very end is left alone.
Rooms FuseEqualBoxPairs(const Rooms& rooms);

// A HorizontalRoom narrower than 20 columns or a VerticalRoom lower than 20
// rows, inside the sequence: a run of two or more such rooms becomes one
// NoRoom, and one between two NoRooms becomes a NoRoom.
Rooms CollapseShortRooms(const Rooms& rooms, const Stretches& stretches);

// Fuses neighbouring NoRooms, cuts from each NoRoom the pixels inside the
// boxes of its neighbours (up to the last pixel inside the box before it,
// from the first pixel inside the box after it), then drops emptied ones.
Rooms MergeNoRooms(const Rooms& rooms, const Stretches& stretches);
Rooms TrimNoRooms(Rooms rooms);
Rooms DropEmptyNoRooms(const Rooms& rooms);
Rooms CleanNoRooms(const Rooms& rooms, const Stretches& stretches);

// Of the rooms right after a NoRoom that have its last pixel on their border
// or ring and share one box, keeps only the one whose line lies nearest to
// that pixel; then the same on the reversed sequence (still measured from
// the piece's last pixel).
Rooms KeepNearestTouchingRooms(const Rooms& rooms);

// Replaces each group of two or more consecutive HorizontalRooms (or
// VerticalRooms) by one member that touches the rooms around it, or else
// keeps every other member (the alternation with the larger total extent)
// and turns the rest into NoRooms. A sequence of four or more rooms that is
// one whole group has nothing around it and alternates.
Rooms ThinSameKindGroups(const Rooms& rooms, const Stretches& stretches);

// A VerticalRoom wider than the transition window with a NoRoom on exactly
// one side stands half a window in from its left end, or under the piece's
// end pixel when that lies further right (but half a window from the right).
Rooms PlaceWideVerticalsBesideNoRoom(Rooms rooms, const RoomSettings& settings);

// All steps above in order, NoRoom cleaning twice.
Rooms RefineRooms(const Rooms& rooms, const Stretches& stretches, const RoomSettings& settings);

}  // namespace Zalvo::Detail
