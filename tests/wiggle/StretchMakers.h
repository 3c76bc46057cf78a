// Small terrains and hand-built stretches for the room computation tests.
#pragma once

#include "wiggle/Stretches.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace ZalvoTest {

// One string per row, row 0 first, one character per column: '#' blocks
// (253), 'o' is a corridor (252), anything else is free.
inline Zalvo::Terrain TerrainFromRows(std::initializer_list<std::string> rows) {
    const std::size_t columns = rows.begin()->size();
    Zalvo::Terrain terrain(columns, std::vector<std::uint8_t>(rows.size(), 0));
    std::size_t y = 0;
    for (const std::string& row : rows) {
        for (std::size_t x = 0; x < columns; ++x)
            terrain[x][y] = row[x] == '#' ? std::uint8_t{253} : row[x] == 'o' ? std::uint8_t{252} : std::uint8_t{0};
        ++y;
    }
    return terrain;
}

// A stretch of the pixels x0 .. x1 on `row` whose box spans those columns and
// the rows minRow .. maxRow.
inline Zalvo::Detail::Stretch Flat(std::int32_t x0, std::int32_t x1, std::int32_t row, std::int32_t maxRow,
                                   std::int32_t minRow) {
    Zalvo::Detail::Stretch stretch{{}, {x0, x1, maxRow, minRow}};
    for (std::int32_t x = x0; x <= x1; ++x) stretch.pixels.push_back({x, row});
    return stretch;
}

inline Zalvo::Detail::RoomSettings Settings(std::int32_t minimumBand, std::int32_t sufficientBand,
                                            std::int32_t transitionWidth, std::int32_t transitionHalfWidth) {
    return {minimumBand, sufficientBand, transitionWidth, transitionHalfWidth};
}

// Names parameterised cases after their `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& test) const {
        return test.param.name;
    }
};

}  // namespace ZalvoTest
