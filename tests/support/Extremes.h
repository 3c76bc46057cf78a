// The extreme values the tests feed the library: the ends of the 32-bit coordinate range, where sums must not
// overflow, and the doubles a host callable may return that are no number or no finite one.
#pragma once

#include <cstdint>
#include <limits>

namespace ZalvoTest {

inline constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace ZalvoTest
