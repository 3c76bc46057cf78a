#include "cells/Cells.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>

namespace Zalvo {
namespace Detail {

void RequireRectangular(const Terrain& terrain, const char* function) {
    if (terrain.empty()) return;
    const std::size_t rows = terrain.front().size();
    const bool rectangular =
        std::all_of(terrain.begin(), terrain.end(), [rows](const auto& column) { return column.size() == rows; });
    if (!rectangular)
        throw std::invalid_argument(std::string(function) + ": terrain is ragged (its columns differ in length)");
}

void ThrowBeyondInt32(const char* function, const char* problem) {
    throw std::invalid_argument(std::string(function) + ": " + problem);
}

std::string Describe(const Pixel& pixel) {
    std::ostringstream text;
    text << '(' << pixel.x << ", " << pixel.y << ')';
    return text.str();
}

// A vector's size never exceeds PTRDIFF_MAX, so it converts to 64 bits
// unchanged.
std::int32_t ColumnCount32(const Terrain& terrain, const char* function) {
    return CheckedInt32(static_cast<std::int64_t>(terrain.size()), function, "terrain has too many columns");
}

std::int32_t RowCount32(const Terrain& terrain, const char* function) {
    return CheckedInt32(static_cast<std::int64_t>(RowCount(terrain)), function, "terrain has too many rows");
}

}  // namespace Detail

std::uint64_t GetColumnCount(const Terrain& terrain) { return terrain.size(); }

std::uint64_t GetRowCount(const Terrain& terrain) { return Detail::RowCount(terrain); }

std::uint8_t GetHeight(const Terrain& terrain, const Pixel& pixel) {
    if (pixel.x < 0) return 0;
    if (static_cast<std::uint64_t>(pixel.x) >= terrain.size()) return 0;
    // Grids beyond 2^31 rows cannot be addressed by a 32-bit row anyway; the
    // wrap uses the first column's length as the contract says.
    const std::size_t firstLength = terrain.front().size();
    if (firstLength == 0) return 0;
    const auto rows = static_cast<std::int32_t>(std::min(firstLength, static_cast<std::size_t>(Detail::kInt32Max)));
    const auto row = static_cast<std::size_t>(PositiveModulo(pixel.y, rows));
    const auto& column = terrain[static_cast<std::size_t>(pixel.x)];
    return row < column.size() ? column[row] : std::uint8_t{0};
}

double GetSlope(std::uint8_t height) {
    return static_cast<double>(std::min(height, Heights::HighestRamp)) / Heights::HighestRamp;
}

bool IsCorridor(std::uint8_t height) { return height == Heights::Corridor; }

bool IsPassable(std::uint8_t height) { return height < Heights::FractionalRing; }

bool IsHorizontal(const std::vector<Pixel>& path) {
    if (path.empty()) return false;
    const std::int32_t row = path.front().y;
    return std::all_of(path.begin(), path.end(), [row](const Pixel& p) { return p.y == row; });
}

}  // namespace Zalvo
