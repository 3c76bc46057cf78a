// The grid rules every stage shares: the checks that make a terrain safe to
// index, its counts in 32 bits, the 32-bit range of coordinates, and how a
// pixel is named in messages.
#pragma once

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace Zalvo::Detail {

// The ends of the 32-bit range of coordinates, as 64-bit values for the
// arithmetic that checks against them.
inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

constexpr bool FitsInt32(std::int64_t value) noexcept { return value >= kInt32Min && value <= kInt32Max; }

[[noreturn]] void ThrowBeyondInt32(const char* function, const char* problem);

// `value` as 32 bits; std::invalid_argument("<function>: <problem>") when it
// does not fit. The message is only built when it is thrown.
inline std::int32_t CheckedInt32(std::int64_t value, const char* function, const char* problem) {
    if (!FitsInt32(value)) ThrowBeyondInt32(function, problem);
    return static_cast<std::int32_t>(value);
}

// The length of the first column; 0 for a terrain without columns.
inline std::size_t RowCount(const Terrain& terrain) noexcept { return terrain.empty() ? 0 : terrain.front().size(); }

// Throws std::invalid_argument when the columns of `terrain` differ in length.
// Every entry that searches or transforms a grid calls it before any host
// callable runs.
void RequireRectangular(const Terrain& terrain, const char* function);

// Column count and row count as 32-bit signed values; throws
// std::invalid_argument when either does not fit.
std::int32_t ColumnCount32(const Terrain& terrain, const char* function);
std::int32_t RowCount32(const Terrain& terrain, const char* function);

// "(x, y)", for messages that name a pixel.
std::string Describe(const Pixel& pixel);

}  // namespace Zalvo::Detail
