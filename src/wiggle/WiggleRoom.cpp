#include "cells/Cells.h"
#include "wiggle/Refine.h"
#include "wiggle/Stretches.h"
#include "wiggle/VerticalLines.h"

#include <stdexcept>
#include <string>

namespace Zalvo {

namespace {

constexpr const char* FunctionName = "CalculateWiggleRoomAroundPixelPath";

// The free-box scans index the grid directly and reach a full row count
// above and below each pixel, so everything they touch is checked first.
void RequireScannable(const std::vector<Pixel>& path, const Terrain& terrain) {
    if (terrain.empty()) throw std::invalid_argument(std::string(FunctionName) + ": terrain has no columns");
    Detail::RequireRectangular(terrain, FunctionName);
    const std::int32_t columns = Detail::ColumnCount32(terrain, FunctionName);
    const std::int32_t rows = Detail::RowCount32(terrain, FunctionName);
    if (rows == 0) throw std::invalid_argument(std::string(FunctionName) + ": terrain has no rows");
    for (const Pixel& pixel : path) {
        if (pixel.x < 0 || pixel.x >= columns)
            throw std::invalid_argument(std::string(FunctionName) + ": path pixel " + Detail::Describe(pixel) +
                                        " lies outside the terrain's columns");
        if (std::int64_t{pixel.y} - rows < Detail::kInt32Min || std::int64_t{pixel.y} + rows > Detail::kInt32Max)
            throw std::invalid_argument(std::string(FunctionName) + ": path pixel " + Detail::Describe(pixel) +
                                        " lies too far out for its free rows to fit 32 bits");
    }
}

}  // namespace

std::vector<WiggleRoom> CalculateWiggleRoomAroundPixelPath(const std::vector<Pixel>& path, const Terrain& terrain,
                                                           std::int32_t transitionHalfWidth, std::int32_t minimumBand,
                                                           std::int32_t sufficientBand,
                                                           const std::vector<std::int32_t>& splitColumns) {
    if (path.empty()) return {};
    RequireScannable(path, terrain);
    const auto settings = Detail::DeriveRoomSettings(transitionHalfWidth, minimumBand, sufficientBand);
    const auto stretches = Detail::BuildStretches(path, terrain);
    const auto records =
        Detail::BuildRunRecords(stretches, settings.sufficientBand, settings.minimumBand, splitColumns);
    const auto rooms = Detail::RefineRooms(Detail::BuildInitialRooms(records, stretches), stretches, settings);
    return Detail::PlaceVerticalLines(rooms, settings.transitionWidth);
}

}  // namespace Zalvo
