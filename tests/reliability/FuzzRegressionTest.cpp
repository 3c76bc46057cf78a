// Inputs that fuzzing found to break the library, reduced to their cause. The
// raw inputs stay in the fuzz corpus (fuzz/corpus/<target>/), where the
// corpus replay keeps running them.
#include "reliability/BadInputSupport.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ZalvoTest {
namespace {

// A negative cycle between expensive walls: the search reaches it at a cost
// near 2e7 and, with the walls still ahead, keeps expanding it while its
// costs fall by 0.001 per step. Proving the cycle by the size of the cost
// alone would take some 1e10 steps (a hang); by the length of the chain it
// takes one pass around the grid.
TEST(FuzzRegression, NegativeCycleBetweenExpensiveWallsIsRejectedPromptly) {
    Zalvo::Terrain terrain = Grid(6, 6, 254);
    terrain[2].assign(6, 0);
    terrain[3].assign(6, 0);
    const auto penalty = [](const Zalvo::Pixel& p) { return p.x == 2 || p.x == 3 ? -1.001 : 0.0; };
    EXPECT_THROW(Zalvo::FindShortestPixelPath(terrain, penalty), std::invalid_argument);
}

// Penalties near -1e300 on every cell of a 48 x 48 grid: each step lowers a
// cost by so much that the step lengths vanish in rounding, all cells share
// one key, and every pass over the grid lengthened the chains by one cell. The
// raw inputs took seconds under the sanitizers; on a 1000 x 1000 grid it would
// have been hours.
TEST(FuzzRegression, PenaltiesThatDwarfTheStepsAreRejectedInAboutOnePass) {
    const Zalvo::Terrain terrain = Grid(48, 48, 0);
    std::size_t calls = 0;
    const auto penalty = [&calls](const Zalvo::Pixel&) {
        ++calls;
        return -1e300;
    };
    EXPECT_THROW(Zalvo::FindShortestPixelPath(terrain, penalty), std::invalid_argument);
    EXPECT_LT(calls, 2u * 48 * 48);
}

}  // namespace
}  // namespace ZalvoTest
