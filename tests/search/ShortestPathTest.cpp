// Behaviour of the cheapest-line search, run against both the library's
// search and the plain reference search, which must agree on everything.
#include "ReferenceSearch.h"
#include "SearchTestSupport.h"
#include "support/LogCapture.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using Zalvo::Terrain;
using Path = std::vector<Pixel>;
using ::testing::ElementsAre;

class ShortestPathTest : public ::testing::TestWithParam<SearchFunction> {
protected:
    std::optional<Path> Search(const Terrain& terrain, const Zalvo::PixelCostFunction& cost) {
        return GetParam()(terrain, cost);
    }
    std::optional<Path> Search(const Terrain& terrain) { return Search(terrain, penalty.Function()); }

    RecordingPenalty penalty;
};

TEST_P(ShortestPathTest, FlatTerrainGivesStraightLineAtRowZero) {
    EXPECT_THAT(Search(FlatTerrain(4, 3)),
                ::testing::Optional(ElementsAre(Pixel{0, 0}, Pixel{1, 0}, Pixel{2, 0}, Pixel{3, 0})));
}

TEST_P(ShortestPathTest, SingleColumnPicksCheapestRowNearestTheSeam) {
    EXPECT_THAT(Search(Terrain{{5, 0, 7, 0, 3}}), ::testing::Optional(ElementsAre(Pixel{0, 1})));
    Terrain beyondMiddle = FlatTerrain(1, 10, 9);
    beyondMiddle[0][8] = 0;
    EXPECT_THAT(Search(beyondMiddle), ::testing::Optional(ElementsAre(Pixel{0, -2})));
}

TEST_P(ShortestPathTest, EqualEndCellsPreferTheSeamThenTheSmallerRow) {
    Terrain terrain = FlatTerrain(1, 10, 100);
    terrain[0][3] = terrain[0][7] = 0;
    EXPECT_THAT(Search(terrain), ::testing::Optional(ElementsAre(Pixel{0, 3})));

    // Rows 2 and 9 of the last column cost exactly the same; 9 is nearer
    // the seam, and the path beyond the middle is lowered by the row count.
    penalty.value = [](const Pixel& p) { return p.x == 2 && p.y != 2 && p.y != 9 ? 5.0 : 0.0; };
    EXPECT_THAT(Search(FlatTerrain(3, 10)), ::testing::Optional(ElementsAre(Pixel{0, -1}, Pixel{1, -1}, Pixel{2, -1})));
}

struct TwoCellValley {
    std::int32_t startRow;
    std::int32_t endRow;
    Path expected;
};

TEST_P(ShortestPathTest, RowsAreLoweredOnlyWhenBothEndsLieBeyondTheMiddle) {
    for (const TwoCellValley& valley : {TwoCellValley{6, 5, {{0, 6}, {1, 5}}}, TwoCellValley{7, 6, {{0, -3}, {1, -4}}},
                                        TwoCellValley{5, 6, {{0, 5}, {1, 6}}}}) {
        Terrain terrain = FlatTerrain(2, 10, 200);
        terrain[0][static_cast<std::size_t>(valley.startRow)] = 0;
        terrain[1][static_cast<std::size_t>(valley.endRow)] = 0;
        EXPECT_THAT(Search(terrain), ::testing::Optional(valley.expected))
            << "valley from row " << valley.startRow << " to row " << valley.endRow;
    }
}

TEST_P(ShortestPathTest, ValleyAcrossTheSeamKeepsRowsUnwrapped) {
    Terrain terrain = FlatTerrain(8, 10, 200);
    for (std::size_t x = 0; x < 4; ++x) terrain[x][9] = 0;
    for (std::size_t x = 4; x < 8; ++x) terrain[x][0] = 0;
    EXPECT_THAT(Search(terrain), ::testing::Optional(ElementsAre(Pixel{0, -1}, Pixel{1, -1}, Pixel{2, -1}, Pixel{3, -1},
                                                                 Pixel{4, 0}, Pixel{5, 0}, Pixel{6, 0}, Pixel{7, 0})));
}

TEST_P(ShortestPathTest, ImpassableWallsBlockAndGapsAreUsed) {
    Terrain lastWall = FlatTerrain(3, 4);
    FillColumn(lastWall, 2, 255);
    EXPECT_FALSE(Search(lastWall));

    Terrain middleWall = FlatTerrain(3, 4);
    FillColumn(middleWall, 1, 255);
    EXPECT_FALSE(Search(middleWall));

    Terrain crossable = FlatTerrain(3, 4);
    FillColumn(crossable, 1, 254);
    const auto crossing = Search(crossable);
    ASSERT_TRUE(crossing);
    EXPECT_EQ(crossing->size(), 3u);

    for (const std::uint8_t gap : {std::uint8_t{253}, std::uint8_t{254}}) {
        Terrain gapped = FlatTerrain(3, 4);
        FillColumn(gapped, 1, 255);
        gapped[1][2] = gap;
        EXPECT_THAT(Search(gapped), ::testing::Optional(ElementsAre(Pixel{0, 2}, Pixel{1, 2}, Pixel{2, 2})))
            << "gap of height " << int{gap};
    }
}

TEST_P(ShortestPathTest, SeedingAsksColumnZeroInRowOrderFirst) {
    ASSERT_TRUE(Search(FlatTerrain(3, 5)));
    ASSERT_GE(penalty.calls->size(), 5u);
    EXPECT_THAT(Path(penalty.calls->begin(), penalty.calls->begin() + 5),
                ElementsAre(Pixel{0, 0}, Pixel{0, 1}, Pixel{0, 2}, Pixel{0, 3}, Pixel{0, 4}));
}

TEST_P(ShortestPathTest, PricesExactlyTheNeighboursNotAlreadyCheaper) {
    ASSERT_TRUE(Search(FlatTerrain(2, 2)));
    EXPECT_THAT(*penalty.calls, ElementsAre(Pixel{0, 0}, Pixel{0, 1}, Pixel{1, 1}, Pixel{1, 0}, Pixel{1, 1},
                                            Pixel{1, 0}, Pixel{1, 1}, Pixel{1, 0}));
}

TEST_P(ShortestPathTest, WritesTheEndRowAndTheBacktrace) {
    LogCapture log({20, 21, 30});
    ASSERT_TRUE(Search(FlatTerrain(3, 2)));
    EXPECT_THAT(log.Lines(), ElementsAre("Shortest pixel path ends at row: 0", "Backtraced pixel path:", "    (1, 0)",
                                         "    (0, 0)"));
}

TEST_P(ShortestPathTest, LogsEachLineOnlyAtItsLevel) {
    {
        LogCapture log({30});
        ASSERT_TRUE(Search(Terrain{{9, 9, 0}}));
        EXPECT_EQ(log.Text(), "Shortest pixel path ends at row: 2\n");
    }
    {
        LogCapture log({21});
        ASSERT_TRUE(Search(Terrain{{9, 9, 0}}));
        EXPECT_EQ(log.Text(), "Backtraced pixel path:\n");
    }
    LogCapture log({20, 21, 30});
    Terrain blocked = FlatTerrain(2, 2);
    FillColumn(blocked, 1, 255);
    EXPECT_FALSE(Search(blocked));
    EXPECT_EQ(log.Text(), "");
}

TEST_P(ShortestPathTest, NegativePenaltiesWithoutCycleStillFindThePath) {
    // Every step still costs at least 0.5, so no cycle gains.
    penalty.value = [](const Pixel&) { return -0.5; };
    EXPECT_THAT(Search(FlatTerrain(3, 3)), ::testing::Optional(ElementsAre(Pixel{0, 0}, Pixel{1, 0}, Pixel{2, 0})));
    // A penalty that exactly cancels height and step yields keys of +0.0.
    penalty.value = [](const Pixel& p) { return p.x == 0 ? -1.0 : -0.0; };
    EXPECT_THAT(Search(FlatTerrain(2, 3)), ::testing::Optional(ElementsAre(Pixel{0, 0}, Pixel{1, 0})));
    // Penalties that cancel a wall's huge height cost form no cycle either.
    Terrain walls = FlatTerrain(30, 30);
    for (std::int32_t x = 0; x < 30; ++x) FillColumn(walls, x, 255);
    penalty.value = [](const Pixel&) { return -1e9; };
    EXPECT_THAT(Search(walls), ::testing::Optional(::testing::SizeIs(30)));
}

INSTANTIATE_TEST_SUITE_P(BothOpenLists, ShortestPathTest,
                         ::testing::Values(&Zalvo::FindShortestPixelPath, &ReferenceFindShortestPixelPath),
                         [](const auto& param) { return param.index == 0 ? "Library" : "Reference"; });

}  // namespace
}  // namespace ZalvoTest
