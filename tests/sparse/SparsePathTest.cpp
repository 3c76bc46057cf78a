#include "sparse/SparsePath.h"

#include "rooms/RoomMakers.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Zalvo::Pixel;
using Zalvo::WiggleRoom;
using Zalvo::Detail::Anchor;
using Zalvo::Detail::AnchorPair;
using Zalvo::Detail::Box;
using Zalvo::Detail::HorizontalPiece;
using Zalvo::Detail::VerticalPiece;
using Path = std::vector<Pixel>;
using namespace ZalvoTest;

constexpr auto kAdjustable = Zalvo::Detail::AnchorKind::Adjustable;
constexpr auto kFixed = Zalvo::Detail::AnchorKind::Fixed;

TEST(SparsePath, RoomSequencesGiveTheirCorners) {
    for (const auto& [rooms, expected] : std::initializer_list<std::pair<std::vector<WiggleRoom>, Path>>{
             {{Horizontal(0, 100, 20, 0, 10)}, {{0, 10}, {100, 10}}},
             {{Horizontal(0, 3, 20, 0, 10)}, {{0, 10}, {3, 10}}},  // line ends fewer than 5 columns apart
             // A lone no-room is trimmed where its ends share x with a neighbour, and thinned: (4, 6) is a
             // straight middle, the repeated (8, 6) goes last.
             {{Fixed({{0, 5}, {0, 6}, {4, 6}, {8, 6}, {8, 6}, {9, 7}, {9, 8}})}, {{0, 6}, {8, 6}, {9, 7}}},
             {{Fixed({{0, 0}, {1, 0}, {2, 0}})}, {{0, 0}, {1, 0}, {2, 0}}},
             {{Fixed({{3, 3}})}, {{3, 3}}},
             // Borders outside both boxes: adjustable anchors cut every corner of the step diagonally.
             {{Horizontal(0, 20, 4, 0, 2), Vertical(18, 24, 21, 3, 21), Horizontal(22, 40, 24, 20, 22)},
              {{0, 2}, {18, 2}, {19, 3}, {20, 4}, {21, 5}, {21, 18}, {23, 20}, {24, 21}, {25, 22}, {40, 22}}},
             // Borders inside a box: square corners; straight middles go before repeats, keeping the inner corners.
             {{Horizontal(0, 20, 4, 0, 2), Vertical(15, 24, 21, 3, 18), Horizontal(16, 40, 24, 20, 22)},
              {{0, 2}, {18, 2}, {18, 3}, {18, 21}, {18, 22}, {40, 22}}},
             {{Horizontal(0, 10, 4, 0, 2), Fixed({{12, 3}, {13, 4}, {14, 4}, {20, 4}}), Horizontal(22, 40, 8, 0, 6)},
              {{0, 2}, {10, 2}, {10, 3}, {12, 3}, {13, 4}, {14, 4}, {20, 4}, {22, 6}, {40, 6}}},
             {{Vertical(0, 4, 9, 2, 2), Horizontal(5, 20, 20, 0, 12)}, {{4, 5}, {5, 6}, {11, 12}, {20, 12}}}})
        EXPECT_EQ(Zalvo::CalculateSparsePixelPathThroughWiggleRooms(rooms), expected) << rooms.size() << " rooms";
}

TEST(Anchors, StayInTheBoxAndShareASingleSharedColumn) {
    EXPECT_EQ(Zalvo::Detail::InnerAnchors({kMin32, kMax32, 0, 0}, {0, kMin32}, {0, kMax32}),
              (AnchorPair{{kFixed, {0, 0}}, {kFixed, {0, 0}}}));
    // The middle plus one at the limit is clamped back.
    EXPECT_EQ(Zalvo::Detail::BoundaryAnchors({kMax32, kMax32, 0, 0}, {kMax32, kMax32, 5, 5}, {0, 3}),
              (AnchorPair{{kAdjustable, {kMax32, 0}}, {kAdjustable, {kMax32, 5}}}));
    // With the border beyond the one shared column, the later anchor takes the next column. The rows are
    // not shared, so each anchor takes its box's edge facing the other.
    EXPECT_EQ(Zalvo::Detail::BoundaryAnchors(Box{0, 10, 20, 10}, Box{10, 20, 5, 0}, {12, 7}),
              (AnchorPair{{kAdjustable, {10, 10}}, {kAdjustable, {11, 5}}}));
}

// The corners of a horizontal ('H') or vertical line between two anchors: the line's own ends only when
// both lie between the anchors (tested together on a horizontal line, one by one on a vertical one) and
// at least five pixels apart after sliding. Adjustable anchors two rows off the line slide two columns.
TEST(Pieces, EmitTheLineEndsOnlyInOrderAndFivePixelsApart) {
    for (const auto& [kind, line, first, second, expected] :
         std::initializer_list<std::tuple<char, std::int32_t, Anchor, Anchor, Path>>{
             {'H', 5, {kAdjustable, {3, 3}}, {kAdjustable, {3, 3}}, {}},  // equal anchors
             {'V', 5, {kAdjustable, {3, 3}}, {kFixed, {3, 3}}, {}},
             {'H', 12, {kAdjustable, {5, 6}}, {kFixed, {20, 12}}, {{5, 6}, {11, 12}, {20, 12}, {20, 12}}},
             {'H', 10, {kAdjustable, {0, 0}}, {kAdjustable, {12, 20}}, {{0, 0}, {12, 20}}},  // slid past each other
             {'V', 21, {kAdjustable, {20, 4}}, {kAdjustable, {23, 20}}, {{20, 4}, {21, 5}, {21, 18}, {23, 20}}},
             // The second end slides past the first (to -9) and is dropped; the first (-2) stays.
             {'V', 0, {kAdjustable, {2, 0}}, {kAdjustable, {10, 1}}, {{2, 0}, {0, -2}, {10, 1}}},
             {'H', 0, {kAdjustable, {0, 2}}, {kAdjustable, {1, 10}}, {{0, 2}, {1, 10}}},
             {'H', 10, {kFixed, {0, 8}}, {kFixed, {5, 12}}, {{0, 8}, {0, 10}, {5, 10}, {5, 12}}},
             {'H', 10, {kFixed, {0, 8}}, {kFixed, {4, 12}}, {{0, 8}, {4, 12}}},
             {'H', 10, {kAdjustable, {0, 8}}, {kAdjustable, {9, 12}}, {{0, 8}, {2, 10}, {7, 10}, {9, 12}}},
             {'H', 10, {kAdjustable, {0, 8}}, {kAdjustable, {8, 12}}, {{0, 8}, {8, 12}}},
             {'V', 10, {kFixed, {8, 0}}, {kFixed, {12, 5}}, {{8, 0}, {10, 0}, {10, 5}, {12, 5}}},
             {'V', 10, {kFixed, {8, 0}}, {kFixed, {12, 4}}, {{8, 0}, {12, 4}}},
             {'V', 10, {kAdjustable, {8, 0}}, {kAdjustable, {12, 9}}, {{8, 0}, {10, 2}, {10, 7}, {12, 9}}},
             {'V', 10, {kAdjustable, {8, 0}}, {kAdjustable, {12, 8}}, {{8, 0}, {12, 8}}}}) {
        const Path corners = kind == 'H' ? HorizontalPiece(line, first, second) : VerticalPiece(line, first, second);
        EXPECT_EQ(corners, expected) << kind << " line at " << line << " to " << testing::PrintToString(second.pixel);
    }
}

TEST(Pieces, ExtremeAnchorsDoNotOverflow) {
    EXPECT_EQ(HorizontalPiece(0, {kAdjustable, {kMin32, kMin32}}, {kAdjustable, {kMax32, kMax32}}),
              (Path{{kMin32, kMin32}, {kMax32, kMax32}}));
    // A lone vertical corner pushed below the 32-bit range is refused.
    EXPECT_THROW(VerticalPiece(kMin32, {kAdjustable, {kMax32 - 10, 0}}, {kAdjustable, {kMax32, 1}}),
                 std::invalid_argument);
}

TEST(RemoveStraightMiddles, DropsGappedMiddlesOnOneRowOrColumn) {
    for (const auto& [corners, expected] : std::initializer_list<std::pair<Path, Path>>{
             {{{0, 0}, {3, 0}, {6, 0}, {9, 0}}, {{0, 0}, {9, 0}}},
             {{{2, 0}, {2, 4}, {2, 9}, {5, 9}}, {{2, 0}, {2, 9}, {5, 9}}},
             {{{0, 0}, {3, 0}, {3, 3}}, {{0, 0}, {3, 0}, {3, 3}}},     // bent
             {{{0, 0}, {1, 0}, {5, 0}}, {{0, 0}, {1, 0}, {5, 0}}}}) {  // touching
        Path thinned = corners;
        Zalvo::Detail::RemoveStraightMiddles(thinned);
        EXPECT_EQ(thinned, expected) << testing::PrintToString(corners);
    }
}

}  // namespace
