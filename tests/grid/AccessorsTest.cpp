#include "grid/Grid.h"

#include <gtest/gtest.h>

namespace {
using Zalvo::Pixel;
using Zalvo::Terrain;
TEST(PositiveModulo, WrapsIntoRange) {
    EXPECT_EQ(Zalvo::Detail::PositiveModulo(-1, 5), 4);
}
}  // namespace
