// The picture of a plan: terrain classes underneath, then the chosen dense
// line, the room boxes and the sparse corner line on top. Written as SVG and
// as a PNG raster of the same picture.
#pragma once

#include "input/PlateImage.h"
#include "plan/Pipeline.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ZalvoPlan {

// What a cell shows, from the image's class and the terrain height.
enum class CellShade : std::uint8_t {
    Free,
    Ramp0,  // ramp heights 1..251 in ten shades, Ramp0 + height / Heights::RampBand
    Ramp9 = Ramp0 + 9,
    CrossableMargin,  // 253 around content
    BlockedMargin,    // 254 and 255 around content
    CrossableContent,
    ImpassableContent,
    Corridor,
    Count,
};

CellShade ShadeOf(PixelClass pixelClass, std::uint8_t height);

// The box of a horizontal or vertical room, in plate pixels, rows unwrapped;
// a NoRoom has none, and an inverted box (possible for a band narrower than
// nothing) is left out. What every picture of the rooms draws.
struct RoomOutline {
    std::int32_t minColumn, maxColumn, minRow, maxRow;
    bool horizontal;
};
std::vector<RoomOutline> RoomOutlines(const std::vector<Zalvo::WiggleRoom>& rooms);

// ShadeOf for every pixel class and height, indexed class * 256 + height:
// a look-up per pixel costs a fraction of ShadeOf's branches on a large plate.
inline constexpr std::size_t kHeightCount = 256;
using ShadeTable = std::array<CellShade, 4 * kHeightCount>;
const ShadeTable& ShadesByClassAndHeight();

// Calls `visit(index, height)` for every cell of `terrain` (a list of
// columns) with its row-major index y * columns + x. It walks a band of
// columns at a time, so that both the columns read and the rows written stay
// in the cache: a plate of 72 Mpx transposed cell by cell misses it at
// every step.
template <class Visit>
void ForEachCellByRows(const Zalvo::Terrain& terrain, std::int32_t columns, Visit&& visit) {
    constexpr std::size_t kBand = 64;
    const auto width = static_cast<std::size_t>(columns);
    const std::size_t rows = width == 0 ? 0 : terrain[0].size();
    for (std::size_t first = 0; first < width; first += kBand) {
        const std::size_t last = std::min(width, first + kBand);
        for (std::size_t y = 0; y < rows; ++y) {
            for (std::size_t x = first; x < last; ++x) visit(y * width + x, terrain[x][y]);
        }
    }
}

// The shade of every plate pixel, row-major (index y * columns + x): worked
// out once for both pictures and the interactive view.
std::vector<CellShade> PlateShades(const PlateImage& image, const Zalvo::Terrain& terrain);

// Pictures are shrunk to at most this many pixels on their longer side
// unless asked otherwise: a plate of 12000 x 6000 pixels, shown whole on a
// screen, is a picture of a few thousand.
inline constexpr std::int32_t kDefaultPictureMaxSize = 4096;

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Colour&, const Colour&) = default;
};

// The overlays: the dense line taken, the room boxes and the sparse corner line.
inline constexpr Colour kPathColour{0x1f, 0x5f, 0xd6};
inline constexpr Colour kHorizontalRoomColour{0x0b, 0x8a, 0x8a};
inline constexpr Colour kVerticalRoomColour{0xe0, 0x7b, 0x00};
inline constexpr Colour kSparseColour{0xd6, 0x27, 0x28};

Colour ShadeColour(CellShade shade);
std::string HexColour(Colour colour);

// Pixels of the picture per plate pixel: small plates are enlarged to about
// 1200 pixels across, at most eightfold.
std::int32_t DisplayScale(std::int32_t columns);

// The picture's scale: DisplayScale, reduced so that neither side exceeds
// `maxSize` pixels when that is above 0.
double PictureScale(std::int32_t columns, std::int32_t rows, std::int32_t maxSize);

// The widths of the drawn lines in picture pixels, the same in the SVG and
// the PNG: the shifted (dense) line, and the cut line wider on top; on a
// shrunk plate, wide enough to see when the picture is shown smaller still.
struct LineWidths {
    std::int64_t dense = 1;
    std::int64_t cut = 2;
};
LineWidths LineWidthsAt(double scale);

// The legend's entries, in the order drawn: a colour and what it means.
struct LegendEntry {
    Colour colour;
    const char* meaning;
};
const std::vector<LegendEntry>& Legend();

// The colours of the overlays, shared with the interactive view.
Colour FoundLineColour();
Colour ShiftedLineColour();
Colour CutLineColour();
Colour HorizontalRoomColour();
Colour VerticalRoomColour();

// A well-formed standalone SVG document: the plate's terrain as one raster
// at the picture's scale (the PNG's), then the room boxes, the shifted line
// and the cut line as vectors, then the corridor cells on top (a corridor is
// narrower than the line and would hide under it), then the legend below the
// plate. Overlays use unwrapped rows and are repeated one plate height
// apart, so the parts of the line that run across the row seam show at both
// edges. Lines have fixed widths in the document's units rather than
// non-scaling strokes, which some renderers ignore.
std::string RenderSvg(const PlateImage& image, const PlanResult& result, std::int32_t maxSize = 0);
std::string RenderSvg(const PlateImage& image, const PlanResult& result, const std::vector<CellShade>& shades,
                      std::int32_t maxSize);

// The same picture as PNG file bytes, rows wrapped onto the plate, the
// legend's words in a small bitmap font.
std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result, std::int32_t maxSize = 0);
std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result,
                                    const std::vector<CellShade>& shades, std::int32_t maxSize);

}  // namespace ZalvoPlan
