// The picture as pixels: one palette index per picture pixel, the cell
// shades first and the overlays after them. It draws the terrain at any
// scale, the lines and room boxes, and the legend in a small bitmap font, and
// encodes itself as an indexed PNG. The SVG embeds its terrain; the PNG is
// all of it.
#pragma once

#include "output/Picture.h"

#include <cstdint>
#include <vector>

namespace ZalvoPlan {

// Palette indices: the cell shades, then the overlays, then see-through.
enum class Ink : std::uint8_t {
    Path = static_cast<std::uint8_t>(CellShade::Count),
    HorizontalRoom,
    VerticalRoom,
    Sparse,
    Clear,  // nothing drawn: transparent, for a layer laid over another
    Count,
};

class Raster {
public:
    // `scale` picture pixels per plate pixel, any positive scale; a legend
    // band below the plate when asked for.
    Raster(std::int32_t columns, std::int32_t rows, double scale, bool withLegend, Ink background);

    // Every plate pixel but paper (shades row-major, `columns` to a row), the
    // corridors only when asked for. Where several share a picture pixel (a
    // plate shrunk to fit) the strongest shade wins, so thin content never
    // vanishes; corridors are drawn at least kCorridorPixels wide.
    void FillShades(const std::vector<CellShade>& shades, std::int32_t columns, bool withCorridors);
    // The corridor cells alone, over whatever is drawn.
    void FillCorridors(const std::vector<CellShade>& shades, std::int32_t columns);

    // A straight line between the centres of two plate pixels with a square
    // brush; rows wrap around the plate, columns are clipped.
    void Line(const Zalvo::Pixel& a, const Zalvo::Pixel& b, std::int64_t brush, Ink ink);
    void Polyline(const std::vector<Zalvo::Pixel>& pixels, std::int64_t brush, Ink ink);
    // The outline of a room's box, one picture pixel wide.
    void Outline(const RoomOutline& outline);
    // The legend in the band below the plate: the same entries, at the same
    // places, as the SVG's.
    void DrawLegend();

    std::int64_t Width() const { return width_; }
    std::int64_t PlateHeight() const { return height_; }
    std::vector<std::uint8_t> EncodePng() const;

private:
    std::int64_t CellStart(std::int64_t cell) const;
    std::int64_t CellEnd(std::int64_t cell) const;
    std::int64_t Centre(std::int64_t cell) const;
    // Where each plate column or row starts in the picture, and one past its end.
    std::vector<std::int64_t> CellStarts(std::int32_t cells) const;
    static std::int64_t CellEnd(const std::vector<std::int64_t>& starts, std::size_t cell);
    // Whether plate cells are narrower in the picture than a visible corridor.
    static bool IsThin(const std::vector<std::int64_t>& columnStarts);
    void DabCorridor(std::size_t x, std::size_t y);
    void Put(std::int64_t x, std::int64_t y, std::uint8_t ink);
    void PutLegend(std::int64_t x, std::int64_t y, std::uint8_t ink);
    void FillLegend(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, std::uint8_t ink);
    void Words(const char* text, std::int64_t x, std::int64_t y);
    void Dab(std::int64_t x, std::int64_t y, std::int64_t brush, std::uint8_t ink);
    void Segment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int64_t brush,
                 std::uint8_t ink);

    std::int64_t width_, height_;
    double scale_;
    std::int64_t legendHeight_;
    std::vector<std::uint8_t> pixels_;  // the plate's rows, then the legend's
};

// A legend entry: a swatch, and its words this far from the swatch's left.
inline constexpr std::int64_t kSwatchSize = 14;
inline constexpr std::int64_t kWordsIndent = kSwatchSize + 6;

// The legend band's height for a picture `width` pixels wide, and where its
// entry `index` starts (its swatch's top left corner, from the band's own).
std::int64_t LegendHeight(std::int64_t width);
std::pair<std::int64_t, std::int64_t> LegendEntryAt(std::size_t index, std::int64_t width);

// A picture side `cells` plate pixels long at `scale`: never empty.
std::int64_t PictureLength(std::int32_t cells, double scale);

}  // namespace ZalvoPlan
