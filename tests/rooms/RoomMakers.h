// Short constructors for wiggle rooms in tests: the box fields first, in the
// order of the room structs, then the line position. Stretch indices stay 0.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace ZalvoTest {

// The ends of the 32-bit coordinate range, where sums must not overflow.
inline constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

inline Zalvo::WiggleRoom Horizontal(std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow,
                                    std::int32_t minRow, std::int32_t row) {
    return Zalvo::HorizontalRoom{.minColumn = minColumn,
                                 .maxColumn = maxColumn,
                                 .maxRow = maxRow,
                                 .minRow = minRow,
                                 .firstStretch = 0,
                                 .endStretch = 0,
                                 .row = row};
}

inline Zalvo::WiggleRoom Vertical(std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow,
                                  std::int32_t minRow, std::int32_t column) {
    return Zalvo::VerticalRoom{.minColumn = minColumn,
                               .maxColumn = maxColumn,
                               .maxRow = maxRow,
                               .minRow = minRow,
                               .firstStretch = 0,
                               .endStretch = 0,
                               .column = column};
}

inline Zalvo::WiggleRoom Fixed(std::vector<Zalvo::Pixel> pixels) {
    return Zalvo::NoRoom{.pixels = std::move(pixels), .firstStretch = 0, .endStretch = 0};
}

// The rows of the HorizontalRoom elements, in sequence order.
inline std::vector<std::int32_t> RowsOf(const std::vector<Zalvo::WiggleRoom>& rooms) {
    std::vector<std::int32_t> rows;
    for (const auto& room : rooms)
        if (const auto* horizontal = std::get_if<Zalvo::HorizontalRoom>(&room)) rows.push_back(horizontal->row);
    return rows;
}

}  // namespace ZalvoTest
