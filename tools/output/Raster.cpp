#include "output/Raster.h"

#include "input/PngEncoding.h"
#include "output/BitmapFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ZalvoPlan {
namespace {

// The legend below the plate: one row of entries per this many pixels of
// width, each entry a swatch and its words.
constexpr std::int64_t kLegendEntryWidth = 230;
constexpr std::int64_t kLegendRowHeight = 22;
constexpr std::int64_t kLegendMargin = 8;
// The words: the font's glyphs one pixel apart, set on the swatch's middle.
constexpr std::int64_t kGlyphAdvance = kGlyphWidth + 1;
constexpr std::int64_t kGlyphTop = (kSwatchSize - kGlyphHeight) / 2;
// A corridor is a path a cell or two wide; drawn narrower than this it
// cannot be seen on a plate shrunk to fit.
constexpr std::int64_t kCorridorPixels = 3;

Colour InkColour(std::size_t ink) {
    switch (static_cast<Ink>(ink)) {
        case Ink::Path: return kPathColour;
        case Ink::HorizontalRoom: return kHorizontalRoomColour;
        case Ink::VerticalRoom: return kVerticalRoomColour;
        case Ink::Sparse: return kSparseColour;
        case Ink::Clear: return {0xff, 0xff, 0xff};
        default: return ShadeColour(static_cast<CellShade>(ink));
    }
}

// The palette index of a colour the picture already uses.
std::uint8_t InkOf(Colour colour) {
    for (std::size_t ink = 0; ink < static_cast<std::size_t>(Ink::Count); ++ink) {
        if (InkColour(ink) == colour) return static_cast<std::uint8_t>(ink);
    }
    return static_cast<std::uint8_t>(CellShade::ImpassableContent);
}

}  // namespace

std::int64_t PictureLength(std::int32_t cells, double scale) {
    return std::max<std::int64_t>(1, std::llround(cells * scale));
}

std::int64_t LegendHeight(std::int64_t width) {
    const auto perRow = std::max<std::int64_t>(1, width / kLegendEntryWidth);
    const auto count = static_cast<std::int64_t>(Legend().size());
    return (count + perRow - 1) / perRow * kLegendRowHeight + 2 * kLegendMargin;
}

std::pair<std::int64_t, std::int64_t> LegendEntryAt(std::size_t index, std::int64_t width) {
    const auto perRow = std::max<std::int64_t>(1, width / kLegendEntryWidth);
    const auto i = static_cast<std::int64_t>(index);
    return {kLegendMargin + i % perRow * kLegendEntryWidth, kLegendMargin + i / perRow * kLegendRowHeight};
}

Raster::Raster(std::int32_t columns, std::int32_t rows, double scale, bool withLegend, Ink background)
    : width_(PictureLength(columns, scale)),
      height_(PictureLength(rows, scale)),
      scale_(scale),
      legendHeight_(withLegend ? LegendHeight(width_) : 0),
      pixels_(static_cast<std::size_t>(width_ * (height_ + legendHeight_)), static_cast<std::uint8_t>(background)) {}

std::vector<std::int64_t> Raster::CellStarts(std::int32_t cells) const {
    std::vector<std::int64_t> starts(static_cast<std::size_t>(cells) + 1);
    for (std::int32_t cell = 0; cell <= cells; ++cell) starts[static_cast<std::size_t>(cell)] = CellStart(cell);
    return starts;
}

void Raster::FillShades(const std::vector<CellShade>& shades, std::int32_t columns, bool withCorridors) {
    const auto rows = static_cast<std::int32_t>(shades.size() / static_cast<std::size_t>(columns));
    const auto xs = CellStarts(columns), ys = CellStarts(rows);
    for (std::size_t y = 0, at = 0; y < static_cast<std::size_t>(rows); ++y) {
        for (std::size_t x = 0; x < static_cast<std::size_t>(columns); ++x, ++at) {
            const CellShade shade = shades[at];
            if (shade == CellShade::Free || (shade == CellShade::Corridor && !withCorridors)) continue;
            if (shade == CellShade::Corridor && IsThin(xs)) {
                DabCorridor(x, y);
                continue;
            }
            const auto ink = static_cast<std::uint8_t>(shade);
            for (std::int64_t py = ys[y]; py < CellEnd(ys, y); ++py) {
                for (std::int64_t px = xs[x]; px < CellEnd(xs, x); ++px) {
                    auto& pixel = pixels_[static_cast<std::size_t>(py * width_ + px)];
                    // The shades run from paper to corridor in the order they matter.
                    if (pixel == static_cast<std::uint8_t>(Ink::Clear) || pixel < ink) pixel = ink;
                }
            }
        }
    }
}

void Raster::FillCorridors(const std::vector<CellShade>& shades, std::int32_t columns) {
    const auto xs = CellStarts(columns);
    const auto* const begin = reinterpret_cast<const std::uint8_t*>(shades.data());
    const auto* const end = begin + shades.size();
    // Corridors are a few cells of many million: memchr finds them at memory speed.
    for (const auto* at = begin; (at = static_cast<const std::uint8_t*>(std::memchr(
                                      at, static_cast<int>(CellShade::Corridor), static_cast<std::size_t>(end - at))));
         ++at) {
        const auto index = static_cast<std::size_t>(at - begin);
        const std::size_t x = index % static_cast<std::size_t>(columns), y = index / static_cast<std::size_t>(columns);
        if (IsThin(xs)) {
            DabCorridor(x, y);
        } else {
            for (std::int64_t py = CellStart(static_cast<std::int64_t>(y)); py < CellEnd(static_cast<std::int64_t>(y));
                 ++py) {
                for (std::int64_t px = xs[x]; px < CellEnd(xs, x); ++px) Put(px, py, *at);
            }
        }
    }
}

std::int64_t Raster::CellEnd(const std::vector<std::int64_t>& starts, std::size_t cell) {
    return std::max(starts[cell] + 1, starts[cell + 1]);
}

bool Raster::IsThin(const std::vector<std::int64_t>& xs) { return CellEnd(xs, 0) - xs[0] < kCorridorPixels; }

void Raster::DabCorridor(std::size_t x, std::size_t y) {
    Dab(Centre(static_cast<std::int64_t>(x)), Centre(static_cast<std::int64_t>(y)), kCorridorPixels,
        static_cast<std::uint8_t>(CellShade::Corridor));
}

void Raster::Line(const Zalvo::Pixel& a, const Zalvo::Pixel& b, std::int64_t brush, Ink ink) {
    Segment(Centre(a.x), Centre(a.y), Centre(b.x), Centre(b.y), brush, static_cast<std::uint8_t>(ink));
}

void Raster::Polyline(const std::vector<Zalvo::Pixel>& pixels, std::int64_t brush, Ink ink) {
    for (std::size_t i = 0; i < pixels.size(); ++i)
        Line(pixels[i], pixels[i + 1 < pixels.size() ? i + 1 : i], brush, ink);
}

void Raster::Outline(const RoomOutline& o) {
    const std::int64_t x0 = CellStart(o.minColumn), x1 = CellEnd(o.maxColumn) - 1;
    const std::int64_t y0 = CellStart(o.minRow), y1 = CellEnd(o.maxRow) - 1;
    const auto ink = static_cast<std::uint8_t>(o.horizontal ? Ink::HorizontalRoom : Ink::VerticalRoom);
    Segment(x0, y0, x1, y0, 1, ink);
    Segment(x1, y0, x1, y1, 1, ink);
    Segment(x1, y1, x0, y1, 1, ink);
    Segment(x0, y1, x0, y0, 1, ink);
}

void Raster::DrawLegend() {
    for (std::size_t i = 0; i < Legend().size(); ++i) {
        const auto [x, y] = LegendEntryAt(i, width_);
        FillLegend(x, y, kSwatchSize, kSwatchSize, InkOf(ShadeColour(CellShade::CrossableContent)));
        FillLegend(x + 1, y + 1, kSwatchSize - 2, kSwatchSize - 2, InkOf(Legend()[i].colour));
        Words(Legend()[i].meaning, x + kWordsIndent, y + kGlyphTop);
    }
}

std::vector<std::uint8_t> Raster::EncodePng() const {
    std::vector<PaletteEntry> palette;
    for (std::size_t ink = 0; ink < static_cast<std::size_t>(Ink::Count); ++ink) {
        const Colour colour = InkColour(ink);
        const bool clear = static_cast<Ink>(ink) == Ink::Clear;
        palette.push_back({colour.red, colour.green, colour.blue, static_cast<std::uint8_t>(clear ? 0 : 255)});
    }
    return EncodeIndexedPng(static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_ + legendHeight_),
                            pixels_, palette);
}

std::int64_t Raster::CellStart(std::int64_t cell) const {
    return static_cast<std::int64_t>(std::floor(static_cast<double>(cell) * scale_));
}

std::int64_t Raster::CellEnd(std::int64_t cell) const { return std::max(CellStart(cell) + 1, CellStart(cell + 1)); }

std::int64_t Raster::Centre(std::int64_t cell) const {
    return static_cast<std::int64_t>(std::floor((static_cast<double>(cell) + 0.5) * scale_));
}

// Legend pixels lie below the plate and never wrap.
void Raster::PutLegend(std::int64_t x, std::int64_t y, std::uint8_t ink) {
    if (x < 0 || x >= width_ || y < 0 || y >= legendHeight_) return;
    pixels_[static_cast<std::size_t>((height_ + y) * width_ + x)] = ink;
}

void Raster::FillLegend(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, std::uint8_t ink) {
    for (std::int64_t dy = 0; dy < height; ++dy) {
        for (std::int64_t dx = 0; dx < width; ++dx) PutLegend(x + dx, y + dy, ink);
    }
}

void Raster::Words(const char* text, std::int64_t x, std::int64_t y) {
    const auto ink = InkOf(ShadeColour(CellShade::ImpassableContent));
    for (; *text != '\0'; ++text, x += kGlyphAdvance) {
        const GlyphRows* glyph = FindGlyph(*text);
        if (glyph == nullptr) continue;
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                if (((*glyph)[static_cast<std::size_t>(row)] >> (kGlyphWidth - 1 - column)) & 1)
                    PutLegend(x + column, y + row, ink);
            }
        }
    }
}

// Plate pixels wrap their rows and clip their columns.
void Raster::Put(std::int64_t x, std::int64_t y, std::uint8_t ink) {
    if (x < 0 || x >= width_) return;
    y %= height_;
    if (y < 0) y += height_;
    pixels_[static_cast<std::size_t>(y * width_ + x)] = ink;
}

void Raster::Dab(std::int64_t x, std::int64_t y, std::int64_t brush, std::uint8_t ink) {
    const std::int64_t from = -(brush - 1) / 2;
    for (std::int64_t dy = from; dy < from + brush; ++dy) {
        for (std::int64_t dx = from; dx < from + brush; ++dx) Put(x + dx, y + dy, ink);
    }
}

// Bresenham's line.
void Raster::Segment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int64_t brush,
                     std::uint8_t ink) {
    const std::int64_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    std::int64_t error = dx + dy;
    while (true) {
        Dab(x0, y0, brush, ink);
        if (x0 == x1 && y0 == y1) return;
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

}  // namespace ZalvoPlan
