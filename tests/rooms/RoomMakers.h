// Short constructors for wiggle rooms in tests: the box fields first, in the
// order of the room structs, then the line position, then the stretch range
// (0 .. 0 unless given).
#pragma once

#include "support/Extremes.h"

#include <zalvo/zalvo.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace ZalvoTest {

inline Zalvo::WiggleRoom Horizontal(std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow,
                                    std::int32_t minRow, std::int32_t row, std::int32_t firstStretch = 0,
                                    std::int32_t endStretch = 0) {
    return Zalvo::HorizontalRoom{minColumn, maxColumn, maxRow, minRow, firstStretch, endStretch, row};
}

inline Zalvo::WiggleRoom Vertical(std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow,
                                  std::int32_t minRow, std::int32_t column, std::int32_t firstStretch = 0,
                                  std::int32_t endStretch = 0) {
    return Zalvo::VerticalRoom{minColumn, maxColumn, maxRow, minRow, firstStretch, endStretch, column};
}

inline Zalvo::WiggleRoom Fixed(std::vector<Zalvo::Pixel> pixels, std::int32_t firstStretch = 0,
                               std::int32_t endStretch = 0) {
    return Zalvo::NoRoom{std::move(pixels), firstStretch, endStretch};
}

// The rows of the HorizontalRoom elements, in sequence order.
inline std::vector<std::int32_t> RowsOf(const std::vector<Zalvo::WiggleRoom>& rooms) {
    std::vector<std::int32_t> rows;
    for (const auto& room : rooms)
        if (const auto* horizontal = std::get_if<Zalvo::HorizontalRoom>(&room)) rows.push_back(horizontal->row);
    return rows;
}

}  // namespace ZalvoTest
