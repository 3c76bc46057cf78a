// Hand-built stretches for the room computation tests.
#pragma once

#include "rooms/RoomMakers.h"
#include "wiggle/Stretches.h"

namespace ZalvoTest {

// The pixels x0 .. x1 on `row`, in a box of those columns and the rows minRow .. maxRow.
inline Zalvo::Detail::Stretch Flat(std::int32_t x0, std::int32_t x1, std::int32_t row, std::int32_t maxRow,
                                   std::int32_t minRow) {
    Zalvo::Detail::Stretch stretch{{}, {x0, x1, maxRow, minRow}};
    for (std::int32_t x = x0; x <= x1; ++x) stretch.pixels.push_back({x, row});
    return stretch;
}

}  // namespace ZalvoTest
