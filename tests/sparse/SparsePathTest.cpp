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
using Path = std::vector<Pixel>;
using namespace ZalvoTest;

using ZalvoTest::kMax32;
using ZalvoTest::kMin32;
constexpr auto kAdjustable = Zalvo::Detail::AnchorKind::Adjustable;
constexpr auto kFixed = Zalvo::Detail::AnchorKind::Fixed;

Path Sparse(const std::vector<WiggleRoom>& rooms) { return Zalvo::CalculateSparsePixelPathThroughWiggleRooms(rooms); }

// ---------------------------------------------------------------------------
// Whole sequences, checked by hand
// ---------------------------------------------------------------------------

TEST(SparsePath, LoneHorizontalRoomGivesItsEnds) {
    EXPECT_EQ(Sparse({Horizontal(0, 100, 20, 0, 10)}), (Path{{0, 10}, {100, 10}}));
    // Fewer than 5 columns between the line ends: the anchors alone.
    EXPECT_EQ(Sparse({Horizontal(0, 3, 20, 0, 10)}), (Path{{0, 10}, {3, 10}}));
}

TEST(SparsePath, LoneNoRoomIsTrimmedAndThinned) {
    // First and last pixels share x with their neighbours; (4,6) is a straight
    // middle; the repeated (8,6) goes last.
    const Path pixels{{0, 5}, {0, 6}, {4, 6}, {8, 6}, {8, 6}, {9, 7}, {9, 8}};
    EXPECT_EQ(Sparse({Fixed(pixels)}), (Path{{0, 6}, {8, 6}, {9, 7}}));
    EXPECT_EQ(Sparse({Fixed({{0, 0}, {1, 0}, {2, 0}})}), (Path{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(Sparse({Fixed({{3, 3}})}), (Path{{3, 3}}));
}

TEST(SparsePath, HorizontalVerticalHorizontalWithAdjustableAnchors) {
    // Borders fall outside both boxes: every corner of the vertical step is
    // cut diagonally.
    const std::vector<WiggleRoom> rooms{Horizontal(0, 20, 4, 0, 2), Vertical(18, 24, 21, 3, 21),
                                        Horizontal(22, 40, 24, 20, 22)};
    EXPECT_EQ(Sparse(rooms),
              (Path{{0, 2}, {18, 2}, {19, 3}, {20, 4}, {21, 5}, {21, 18}, {23, 20}, {24, 21}, {25, 22}, {40, 22}}));
}

TEST(SparsePath, HorizontalVerticalHorizontalWithFixedAnchors) {
    // Borders inside a box: square corners. Straight middles are removed
    // before repeats, so the column keeps its inner corners.
    const std::vector<WiggleRoom> rooms{Horizontal(0, 20, 4, 0, 2), Vertical(15, 24, 21, 3, 18),
                                        Horizontal(16, 40, 24, 20, 22)};
    EXPECT_EQ(Sparse(rooms), (Path{{0, 2}, {18, 2}, {18, 3}, {18, 21}, {18, 22}, {40, 22}}));
}

TEST(SparsePath, NoRoomBetweenHorizontalRooms) {
    const std::vector<WiggleRoom> rooms{Horizontal(0, 10, 4, 0, 2), Fixed({{12, 3}, {13, 4}, {14, 4}, {20, 4}}),
                                        Horizontal(22, 40, 8, 0, 6)};
    EXPECT_EQ(Sparse(rooms), (Path{{0, 2}, {10, 2}, {10, 3}, {12, 3}, {13, 4}, {14, 4}, {20, 4}, {22, 6}, {40, 6}}));
}

TEST(SparsePath, LeadingVerticalRoomIsAccepted) {
    EXPECT_EQ(Sparse({Vertical(0, 4, 9, 2, 2), Horizontal(5, 20, 20, 0, 12)}),
              (Path{{4, 5}, {5, 6}, {11, 12}, {20, 12}}));
}

// ---------------------------------------------------------------------------
// Steps
// ---------------------------------------------------------------------------

TEST(InnerAnchors, ExtremeDistancesStayInTheBox) {
    const AnchorPair anchors = Zalvo::Detail::InnerAnchors({kMin32, kMax32, 0, 0}, {0, kMin32}, {0, kMax32});
    EXPECT_EQ(anchors.first, (Anchor{kFixed, {0, 0}}));
    EXPECT_EQ(anchors.second, (Anchor{kFixed, {0, 0}}));
}

TEST(BoundaryAnchors, MiddlePlusOneAtTheLimitIsClampedBack) {
    const AnchorPair anchors = Zalvo::Detail::BoundaryAnchors({kMax32, kMax32, 0, 0}, {kMax32, kMax32, 5, 5}, {0, 3});
    EXPECT_EQ(anchors.first, (Anchor{kAdjustable, {kMax32, 0}}));
    EXPECT_EQ(anchors.second, (Anchor{kAdjustable, {kMax32, 5}}));
}

// Boxes that share a single column share it: with the border beyond that
// column, the later room's anchor takes the column after it. The rows are not
// shared, so each anchor takes its own box's edge facing the other.
TEST(BoundaryAnchors, ASingleSharedColumnIsShared) {
    const AnchorPair anchors = Zalvo::Detail::BoundaryAnchors(Box{0, 10, 20, 10}, Box{10, 20, 5, 0}, {12, 7});
    EXPECT_EQ(anchors.first, (Anchor{kAdjustable, {10, 10}}));
    EXPECT_EQ(anchors.second, (Anchor{kAdjustable, {11, 5}}));
}

TEST(Pieces, EqualAnchorsEmitNothing) {
    const Anchor anchor{kAdjustable, {3, 3}};
    EXPECT_TRUE(Zalvo::Detail::HorizontalPiece(5, anchor, anchor).empty());
    EXPECT_TRUE(Zalvo::Detail::VerticalPiece(5, anchor, {kFixed, {3, 3}}).empty());
}

TEST(Pieces, HorizontalInnerCornersNeedBothTests) {
    // Slid corners 11 and 20 are in order: both emitted.
    EXPECT_EQ(Zalvo::Detail::HorizontalPiece(12, {kAdjustable, {5, 6}}, {kFixed, {20, 12}}),
              (Path{{5, 6}, {11, 12}, {20, 12}, {20, 12}}));
    // Sliding 10 columns each way crosses them over: anchors only.
    EXPECT_EQ(Zalvo::Detail::HorizontalPiece(10, {kAdjustable, {0, 0}}, {kAdjustable, {12, 20}}),
              (Path{{0, 0}, {12, 20}}));
}

TEST(Pieces, VerticalInnerCornersAreTestedOneByOne) {
    EXPECT_EQ(Zalvo::Detail::VerticalPiece(21, {kAdjustable, {20, 4}}, {kAdjustable, {23, 20}}),
              (Path{{20, 4}, {21, 5}, {21, 18}, {23, 20}}));
    // The second corner slides past the first (to -9) and is dropped; the
    // first (-2) still lies between its anchor and the second and stays.
    EXPECT_EQ(Zalvo::Detail::VerticalPiece(0, {kAdjustable, {2, 0}}, {kAdjustable, {10, 1}}),
              (Path{{2, 0}, {0, -2}, {10, 1}}));
    // The same corners on a horizontal line need both tests: none emitted.
    EXPECT_EQ(Zalvo::Detail::HorizontalPiece(0, {kAdjustable, {0, 2}}, {kAdjustable, {1, 10}}),
              (Path{{0, 2}, {1, 10}}));
}

// The line keeps its own ends only when its two inner corners lie at least
// five pixels apart, measured after sliding; one pixel less and the ends are
// dropped. Both piece kinds share the rule, so each boundary runs through both.
struct SpacingCase {
    const char* name;
    bool horizontal;
    Anchor first;
    Anchor second;
    Path expected;

    friend void PrintTo(const SpacingCase& value, std::ostream* out) { *out << value.name; }
};

class CornerSpacingTable : public testing::TestWithParam<SpacingCase> {};

TEST_P(CornerSpacingTable, InnerCornersNeedFivePixels) {
    const auto& c = GetParam();
    const Path corners = c.horizontal ? Zalvo::Detail::HorizontalPiece(10, c.first, c.second)
                                      : Zalvo::Detail::VerticalPiece(10, c.first, c.second);
    EXPECT_EQ(corners, c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Boundary, CornerSpacingTable,
    testing::Values(
        // Fixed anchors do not slide: their own columns are the corners.
        SpacingCase{"horizontal fixed, 5 apart",
                    true,
                    {kFixed, {0, 8}},
                    {kFixed, {5, 12}},
                    Path{{0, 8}, {0, 10}, {5, 10}, {5, 12}}},
        SpacingCase{"horizontal fixed, 4 apart", true, {kFixed, {0, 8}}, {kFixed, {4, 12}}, Path{{0, 8}, {4, 12}}},
        // Adjustable anchors two rows off the line slide two columns inwards
        // each: 9 - 4 leaves 5, 8 - 4 leaves 4.
        SpacingCase{"horizontal slid, 5 apart",
                    true,
                    {kAdjustable, {0, 8}},
                    {kAdjustable, {9, 12}},
                    Path{{0, 8}, {2, 10}, {7, 10}, {9, 12}}},
        SpacingCase{
            "horizontal slid, 4 apart", true, {kAdjustable, {0, 8}}, {kAdjustable, {8, 12}}, Path{{0, 8}, {8, 12}}},
        SpacingCase{"vertical fixed, 5 apart",
                    false,
                    {kFixed, {8, 0}},
                    {kFixed, {12, 5}},
                    Path{{8, 0}, {10, 0}, {10, 5}, {12, 5}}},
        SpacingCase{"vertical fixed, 4 apart", false, {kFixed, {8, 0}}, {kFixed, {12, 4}}, Path{{8, 0}, {12, 4}}},
        SpacingCase{"vertical slid, 5 apart",
                    false,
                    {kAdjustable, {8, 0}},
                    {kAdjustable, {12, 9}},
                    Path{{8, 0}, {10, 2}, {10, 7}, {12, 9}}},
        SpacingCase{
            "vertical slid, 4 apart", false, {kAdjustable, {8, 0}}, {kAdjustable, {12, 8}}, Path{{8, 0}, {12, 8}}}),
    [](const testing::TestParamInfo<SpacingCase>& param) { return "Case" + std::to_string(param.index); });

TEST(Pieces, ExtremeAnchorsDoNotOverflow) {
    EXPECT_EQ(Zalvo::Detail::HorizontalPiece(0, {kAdjustable, {kMin32, kMin32}}, {kAdjustable, {kMax32, kMax32}}),
              (Path{{kMin32, kMin32}, {kMax32, kMax32}}));
    // A lone vertical corner pushed below the 32-bit range is refused.
    EXPECT_THROW(Zalvo::Detail::VerticalPiece(kMin32, {kAdjustable, {kMax32 - 10, 0}}, {kAdjustable, {kMax32, 1}}),
                 std::invalid_argument);
}

TEST(PiecePixels, NothingPastTheEndAndNoRoomPixelsAsTheyAre) {
    const std::vector<WiggleRoom> rooms{Fixed({{0, 0}, {0, 1}})};
    EXPECT_EQ(Zalvo::Detail::PiecePixels(rooms, 0), (Path{{0, 0}, {0, 1}}));
    EXPECT_TRUE(Zalvo::Detail::PiecePixels(rooms, 1).empty());
    EXPECT_TRUE(Zalvo::Detail::PiecePixels({}, 0).empty());
}

TEST(RemoveStraightMiddles, DropsGappedMiddlesOnOneRowOrColumn) {
    Path row{{0, 0}, {3, 0}, {6, 0}, {9, 0}};
    Zalvo::Detail::RemoveStraightMiddles(row);
    EXPECT_EQ(row, (Path{{0, 0}, {9, 0}}));
    Path column{{2, 0}, {2, 4}, {2, 9}, {5, 9}};
    Zalvo::Detail::RemoveStraightMiddles(column);
    EXPECT_EQ(column, (Path{{2, 0}, {2, 9}, {5, 9}}));
    Path bent{{0, 0}, {3, 0}, {3, 3}};
    Zalvo::Detail::RemoveStraightMiddles(bent);
    EXPECT_EQ(bent, (Path{{0, 0}, {3, 0}, {3, 3}}));
    Path touching{{0, 0}, {1, 0}, {5, 0}};
    Zalvo::Detail::RemoveStraightMiddles(touching);
    EXPECT_EQ(touching, (Path{{0, 0}, {1, 0}, {5, 0}}));
}

TEST(NotAdjacent, ComparesWithoutOverflow) {
    EXPECT_FALSE(Zalvo::Detail::NotAdjacent({0, 0}, {1, -1}));
    EXPECT_FALSE(Zalvo::Detail::NotAdjacent({0, 0}, {0, 0}));
    EXPECT_TRUE(Zalvo::Detail::NotAdjacent({0, 0}, {2, 0}));
    EXPECT_TRUE(Zalvo::Detail::NotAdjacent({kMin32, 0}, {kMax32, 0}));
}

}  // namespace
