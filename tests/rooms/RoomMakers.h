// Rooms for tests: the box fields in struct order, the line, then the stretch range (0 .. 0 unless given).
#pragma once

#include "support/Extremes.h"
#include "support/Printers.h"

#include <zalvo/zalvo.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace ZalvoTest {

inline Zalvo::WiggleRoom Horizontal(std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow,
                                    std::int32_t minRow, std::int32_t row, std::int32_t first = 0,
                                    std::int32_t end = 0) {
    return Zalvo::HorizontalRoom{minColumn, maxColumn, maxRow, minRow, first, end, row};
}

inline Zalvo::WiggleRoom Vertical(std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow,
                                  std::int32_t minRow, std::int32_t column, std::int32_t first = 0,
                                  std::int32_t end = 0) {
    return Zalvo::VerticalRoom{minColumn, maxColumn, maxRow, minRow, first, end, column};
}

inline Zalvo::WiggleRoom Fixed(std::vector<Zalvo::Pixel> pixels, std::int32_t first = 0, std::int32_t end = 0) {
    return Zalvo::NoRoom{std::move(pixels), first, end};
}

// The rows of the HorizontalRoom elements, in sequence order.
inline std::vector<std::int32_t> RowsOf(const std::vector<Zalvo::WiggleRoom>& rooms) {
    std::vector<std::int32_t> rows;
    for (const auto& room : rooms)
        if (const auto* horizontal = std::get_if<Zalvo::HorizontalRoom>(&room)) rows.push_back(horizontal->row);
    return rows;
}

// Names parameterised cases after their `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& test) const {
        return test.param.name;
    }
};

}  // namespace ZalvoTest
