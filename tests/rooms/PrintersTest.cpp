// A failing test must show the fields of the values it compares.
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ::testing::PrintToString;

TEST(Printers, PixelsAndPathsShowTheirCoordinates) {
    EXPECT_EQ(PrintToString(Zalvo::Pixel{3, -4}), "(3, -4)");
    EXPECT_EQ(PrintToString(std::vector<Zalvo::Pixel>{{0, 1}, {2, 3}}), "{ (0, 1), (2, 3) }");
}

TEST(Printers, RoomsShowEveryFieldByName) {
    const Zalvo::WiggleRoom horizontal = Zalvo::HorizontalRoom{
        .minColumn = 1, .maxColumn = 9, .maxRow = 7, .minRow = -2, .firstStretch = 0, .endStretch = 3, .row = 4};
    EXPECT_NE(PrintToString(horizontal)
                  .find("HorizontalRoom{minColumn: 1, maxColumn: 9, maxRow: 7, minRow: -2, "
                        "firstStretch: 0, endStretch: 3, row: 4}"),
              std::string::npos)
        << PrintToString(horizontal);
    EXPECT_EQ(PrintToString(Zalvo::VerticalRoom{.minColumn = 4,
                                                .maxColumn = 6,
                                                .maxRow = 20,
                                                .minRow = 10,
                                                .firstStretch = 3,
                                                .endStretch = 5,
                                                .column = 5}),
              "VerticalRoom{minColumn: 4, maxColumn: 6, maxRow: 20, minRow: 10, firstStretch: 3, endStretch: 5, "
              "column: 5}");
    EXPECT_EQ(PrintToString(Zalvo::NoRoom{.pixels = {{1, 2}, {2, 3}}, .firstStretch = 5, .endStretch = 6}),
              "NoRoom{pixels: [(1, 2), (2, 3)], firstStretch: 5, endStretch: 6}");
}

}  // namespace
