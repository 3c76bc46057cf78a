// The grid rules every stage shares: the checks that make a terrain safe to
// index, its counts in 32 bits, and how a pixel is named in messages.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <string>

namespace Zalvo::Detail {

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
