// Steps of the sparse corner path through a room sequence: the anchors where
// each room's line begins and ends, the corner pixels of one room, and the
// clean-up of the joined corners.
#pragma once

#include "rooms/Model.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace Zalvo::Detail {

// An adjustable anchor may slide toward the middle of its room's line to cut
// the corner; a fixed one stays where it is.
enum class AnchorKind : std::int32_t { Adjustable = 0, Fixed = 1 };

struct Anchor {
    AnchorKind kind = AnchorKind::Adjustable;
    Pixel pixel;

    friend bool operator==(const Anchor&, const Anchor&) = default;
};

using AnchorPair = std::pair<Anchor, Anchor>;

// True unless a and b are equal or 8-neighbours.
bool NotAdjacent(const Pixel& a, const Pixel& b);

// The anchors of a room at the sides where no neighbour of the other
// direction meets it: entry `entry` and exit `exit` clamped into `box`, moved
// diagonally toward each other by the distance clamped away; adjustable when
// that keeps their order on both axes, else fixed at the plain clamps.
AnchorPair InnerAnchors(const Box& box, const Pixel& entry, const Pixel& exit);

// The anchors on both sides of the border between an earlier room of box `a`
// and a later one of box `b`, meeting at `border`: fixed at the clamps when
// `border` lies in either box, else adjustable, each axis placed in the
// boxes' shared range (or at its edges when they share none).
AnchorPair BoundaryAnchors(const Box& a, const Box& b, const Pixel& border);

// The corners of a horizontal line at `row` from `first` to `second`: the
// anchors, and between them the line's own ends when both slid anchors keep
// their order and lie at least 5 columns apart.
std::vector<Pixel> HorizontalPiece(std::int32_t row, const Anchor& first, const Anchor& second);

// The same for a vertical line at `column`, each inner corner tested alone.
std::vector<Pixel> VerticalPiece(std::int32_t column, const Anchor& first, const Anchor& second);

// The corners room `index` contributes: a NoRoom's own pixels, or the piece
// of a HorizontalRoom or VerticalRoom between its anchors (boundary anchors
// toward a neighbour of the other direction, inner anchors elsewhere).
// Nothing for an index past the end. Throws as RoomEntryPixel does.
std::vector<Pixel> PiecePixels(const std::vector<WiggleRoom>& rooms, std::size_t index);

// The last clean-up step but one: drops the middle of three corners that lie
// on one row or one column with gaps to both neighbours.
void RemoveStraightMiddles(std::vector<Pixel>& corners);

}  // namespace Zalvo::Detail
