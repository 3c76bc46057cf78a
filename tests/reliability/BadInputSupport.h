// Helpers shared by the bad-input tests: small grids and host callables that
// count their calls or fail on purpose.
#pragma once

#include "support/Extremes.h"

#include <zalvo/zalvo.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace ZalvoTest {

// What the tests' host callables throw: not a std::exception, so it can only
// arrive if the library let it pass untouched.
struct HostFailure {
    int code;
};

inline Zalvo::Terrain Grid(std::size_t columns, std::size_t rows, std::uint8_t height = 0) {
    return Zalvo::Terrain(columns, std::vector<std::uint8_t>(rows, height));
}

// A pixel cost returning `value`, counting its calls in `*calls`, and
// throwing HostFailure{call} on call number `failAt` (0-based) if given.
inline Zalvo::PixelCostFunction CountingCost(const std::shared_ptr<int>& calls, double value = 0.0, int failAt = -1) {
    return [calls, value, failAt](const Zalvo::Pixel&) {
        if ((*calls)++ == failAt) throw HostFailure{failAt};
        return value;
    };
}

inline Zalvo::ShiftPenaltyFunction CountingPenalty(const std::shared_ptr<int>& calls, int failAt = -1) {
    return [calls, failAt](std::int32_t shift) {
        if ((*calls)++ == failAt) throw HostFailure{failAt};
        return static_cast<double>(shift);
    };
}

}  // namespace ZalvoTest
