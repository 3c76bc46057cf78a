// The picture of a plan: terrain classes underneath, then the chosen dense
// line, the room boxes and the sparse corner line on top. Written as SVG and
// as a PNG raster of the same picture.
#pragma once

#include "Pipeline.h"
#include "PlateImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZalvoPlan {

// What a cell shows, from the image's class and the terrain height.
enum class CellShade : std::uint8_t {
    Free,
    Ramp0,  // ramp heights 1..251 in ten shades, Ramp0 + height / 26
    Ramp9 = Ramp0 + 9,
    CrossableMargin,  // 253 around content
    BlockedMargin,    // 254 and 255 around content
    CrossableContent,
    ImpassableContent,
    Corridor,
    Count,
};

CellShade ShadeOf(PixelClass pixelClass, std::uint8_t height);

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
// the PNG: the shifted (dense) line, and the cut line one pixel wider on top.
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

// A well-formed standalone SVG document: the plate, then the room boxes, the
// shifted line and the cut line, then the corridor cells on top (a corridor
// is narrower than the line and would hide under it), then the legend below
// the plate. Overlays use unwrapped rows and are repeated one plate height
// apart, so the parts of the line that run across the row seam show at both
// edges. Lines have fixed widths in the document's units rather than
// non-scaling strokes, which some renderers ignore.
std::string RenderSvg(const PlateImage& image, const PlanResult& result, std::int32_t maxSize = 0);

// The same picture as PNG file bytes, rows wrapped onto the plate, the
// legend's words in a small bitmap font.
std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result, std::int32_t maxSize = 0);

}  // namespace ZalvoPlan
