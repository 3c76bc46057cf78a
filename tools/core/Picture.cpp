#include "Picture.h"

#include "BitmapFont.h"
#include "PlateImage.h"
#include "PngEncoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <variant>

namespace ZalvoPlan {
namespace {

// The line as the search found it, before the shift: pale, under the others.
constexpr Colour kFoundColour{0x8a, 0x8a, 0xd0};

// Small plates are enlarged to about this many picture pixels across.
constexpr std::int32_t kEnlargedWidth = 1200;
constexpr std::int32_t kLargestEnlargement = 8;

// The legend below the SVG's plate: one row of entries per this many pixels
// of width, each entry a swatch and its words.
constexpr std::int64_t kLegendEntryWidth = 230;
constexpr std::int64_t kLegendRowHeight = 22;
constexpr std::int64_t kLegendMargin = 8;
constexpr std::int64_t kSwatchSize = 14;
constexpr std::int64_t kWordsIndent = kSwatchSize + 6;
// The PNG's words: the font's glyphs one pixel apart, set on the swatch's middle.
constexpr std::int64_t kGlyphAdvance = kGlyphWidth + 1;
constexpr std::int64_t kGlyphTop = (kSwatchSize - kGlyphHeight) / 2;

// The raster is an indexed image: the cell shades first, then the overlays.
enum class Ink : std::uint8_t {
    Path = static_cast<std::uint8_t>(CellShade::Count),
    HorizontalRoom,
    VerticalRoom,
    Sparse,
    Count,
};

Colour InkColour(std::size_t ink) {
    switch (static_cast<Ink>(ink)) {
        case Ink::Path: return kPathColour;
        case Ink::HorizontalRoom: return kHorizontalRoomColour;
        case Ink::VerticalRoom: return kVerticalRoomColour;
        case Ink::Sparse: return kSparseColour;
        default: return ShadeColour(static_cast<CellShade>(ink));
    }
}

struct RoomOutline {
    std::int32_t minColumn, maxColumn, minRow, maxRow;
    Ink ink;
};

// Boxes of the horizontal and vertical rooms; a NoRoom has none, and an
// inverted box (possible for a band narrower than nothing) draws nothing.
std::vector<RoomOutline> RoomOutlines(const std::vector<Zalvo::WiggleRoom>& rooms) {
    std::vector<RoomOutline> outlines;
    for (const auto& room : rooms) {
        if (const auto* h = std::get_if<Zalvo::HorizontalRoom>(&room)) {
            outlines.push_back({h->minColumn, h->maxColumn, h->minRow, h->maxRow, Ink::HorizontalRoom});
        } else if (const auto* v = std::get_if<Zalvo::VerticalRoom>(&room)) {
            outlines.push_back({v->minColumn, v->maxColumn, v->minRow, v->maxRow, Ink::VerticalRoom});
        }
    }
    std::erase_if(outlines, [](const RoomOutline& o) { return o.maxColumn < o.minColumn || o.maxRow < o.minRow; });
    return outlines;
}

const std::vector<Zalvo::Pixel>& DensePath(const PlanResult& result) {
    static const std::vector<Zalvo::Pixel> none;
    return result.HasPath() ? result.Taken().pixels : none;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

CellShade ShadeAt(const PlateImage& image, const Zalvo::Terrain& terrain, std::int32_t x, std::int32_t y) {
    return ShadeOf(image.At(x, y), terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)]);
}

std::int64_t PictureLength(std::int32_t cells, double scale) {
    return std::max<std::int64_t>(1, std::llround(cells * scale));
}

// ----- SVG -----

void AppendNumber(std::string& out, std::int64_t value) {
    std::array<char, 24> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%lld", static_cast<long long>(value));
    out.append(buffer.data(), static_cast<std::size_t>(length));
}

void AppendDecimal(std::string& out, double value) {
    std::array<char, 32> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.6g", value);
    out.append(buffer.data(), static_cast<std::size_t>(length));
}

// Per shade, one path of one-row rectangles over runs of equal shade.
using ShadeRuns = std::array<std::string, static_cast<std::size_t>(CellShade::Count)>;

ShadeRuns TerrainRuns(const PlateImage& image, const Zalvo::Terrain& terrain) {
    ShadeRuns runs;
    for (std::int32_t y = 0; y < image.rows; ++y) {
        std::int32_t x = 0;
        while (x < image.columns) {
            const CellShade shade = ShadeAt(image, terrain, x, y);
            std::int32_t end = x + 1;
            while (end < image.columns && ShadeAt(image, terrain, end, y) == shade) ++end;
            if (shade != CellShade::Free) {
                std::string& d = runs[static_cast<std::size_t>(shade)];
                d += 'M';
                AppendNumber(d, x);
                d += ' ';
                AppendNumber(d, y);
                d += 'h';
                AppendNumber(d, end - x);
                d += "v1h";
                AppendNumber(d, x - end);
                d += 'z';
            }
            x = end;
        }
    }
    return runs;
}

std::string ShadePath(const ShadeRuns& runs, CellShade shade) {
    const std::string& d = runs[static_cast<std::size_t>(shade)];
    return d.empty() ? std::string() : "<path fill=\"" + HexColour(ShadeColour(shade)) + "\" d=\"" + d + "\"/>\n";
}

std::string Points(const std::vector<Zalvo::Pixel>& pixels) {
    std::string points;
    for (const auto& p : pixels) {
        if (!points.empty()) points += ' ';
        AppendNumber(points, p.x);
        points += ".5,";
        AppendNumber(points, p.y);
        points += ".5";
    }
    return points;
}

// `width` in picture pixels, written in plate units so that every renderer
// draws it that wide.
std::string Polyline(const std::vector<Zalvo::Pixel>& pixels, Colour colour, std::int64_t width, double scale,
                     const char* id) {
    std::string out =
        std::string("<polyline id=\"") + id + "\" fill=\"none\" stroke=\"" + HexColour(colour) + "\" stroke-width=\"";
    AppendDecimal(out, static_cast<double>(width) / scale);
    return out + "\" stroke-linejoin=\"round\" points=\"" + Points(pixels) + "\"/>\n";
}

std::string Rectangles(const std::vector<RoomOutline>& outlines, double scale) {
    std::string out = "<g id=\"rooms\" fill=\"none\" stroke-width=\"";
    AppendDecimal(out, 1.0 / scale);
    out += "\">\n";
    for (const auto& o : outlines) {
        out += "<rect x=\"";
        AppendNumber(out, o.minColumn);
        out += "\" y=\"";
        AppendNumber(out, o.minRow);
        out += "\" width=\"";
        AppendNumber(out, std::int64_t{o.maxColumn} - o.minColumn + 1);
        out += "\" height=\"";
        AppendNumber(out, std::int64_t{o.maxRow} - o.minRow + 1);
        out += "\" stroke=\"" + HexColour(InkColour(static_cast<std::size_t>(o.ink))) + "\"/>\n";
    }
    return out + "</g>\n";
}

// The plate-height offsets at which the overlays must be repeated to cover
// every row they reach.
std::pair<std::int64_t, std::int64_t> CopyRange(const PlanResult& result, const std::vector<RoomOutline>& outlines,
                                                std::int32_t rows) {
    std::int64_t low = 0, high = 0;
    const auto include = [&](std::int64_t row) {
        low = std::min(low, FloorDiv(row, rows));
        high = std::max(high, FloorDiv(row, rows));
    };
    for (const auto& p : DensePath(result)) include(p.y);
    for (const auto& p : result.cutLine) include(p.y);
    for (const auto& o : outlines) {
        include(o.minRow);
        include(o.maxRow);
    }
    return {low, high};
}

std::int64_t LegendHeight(std::int64_t width) {
    const auto perRow = std::max<std::int64_t>(1, width / kLegendEntryWidth);
    const auto count = static_cast<std::int64_t>(Legend().size());
    return (count + perRow - 1) / perRow * kLegendRowHeight + 2 * kLegendMargin;
}

// Where the legend's entry `index` starts, its swatch's top left corner,
// measured from the legend's own top left corner.
std::pair<std::int64_t, std::int64_t> LegendEntryAt(std::size_t index, std::int64_t width) {
    const auto perRow = std::max<std::int64_t>(1, width / kLegendEntryWidth);
    const auto i = static_cast<std::int64_t>(index);
    return {kLegendMargin + i % perRow * kLegendEntryWidth, kLegendMargin + i / perRow * kLegendRowHeight};
}

std::string LegendSvg(std::int64_t width, std::int64_t top) {
    std::string out = "<g id=\"legend\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#202020\">\n";
    for (std::size_t i = 0; i < Legend().size(); ++i) {
        const auto [x, entryTop] = LegendEntryAt(i, width);
        const std::int64_t y = top + entryTop;
        out += "<rect x=\"";
        AppendNumber(out, x);
        out += "\" y=\"";
        AppendNumber(out, y);
        out += "\" width=\"";
        AppendNumber(out, kSwatchSize);
        out += "\" height=\"";
        AppendNumber(out, kSwatchSize);
        out += "\" fill=\"" + HexColour(Legend()[i].colour) + "\" stroke=\"#808080\"/>";
        out += "<text x=\"";
        AppendNumber(out, x + kWordsIndent);
        out += "\" y=\"";
        AppendNumber(out, y + kSwatchSize - 2);
        out += "\">" + std::string(Legend()[i].meaning) + "</text>\n";
    }
    return out + "</g>\n";
}

// ----- PNG -----

// A picture of `scale` pixels per plate pixel, any positive scale: cells
// smaller than a picture pixel still cover one, the last drawn wins.
class Raster {
public:
    Raster(std::int32_t columns, std::int32_t rows, double scale)
        : width_(PictureLength(columns, scale)),
          height_(PictureLength(rows, scale)),
          scale_(scale),
          legendHeight_(LegendHeight(width_)),
          pixels_(static_cast<std::size_t>(width_ * (height_ + legendHeight_)),
                  static_cast<std::uint8_t>(CellShade::Free)) {}

    void FillCell(std::int32_t x, std::int32_t y, CellShade shade) {
        for (std::int64_t py = CellStart(y); py < CellEnd(y); ++py) {
            for (std::int64_t px = CellStart(x); px < CellEnd(x); ++px) Put(px, py, static_cast<std::uint8_t>(shade));
        }
    }

    // A straight line between the centres of two plate pixels with a square
    // brush; rows wrap around the plate, columns are clipped.
    void Line(const Zalvo::Pixel& a, const Zalvo::Pixel& b, std::int64_t brush, Ink ink) {
        Segment(Centre(a.x), Centre(a.y), Centre(b.x), Centre(b.y), brush, static_cast<std::uint8_t>(ink));
    }

    // The outline of a box of plate pixels, one picture pixel wide.
    void Outline(const RoomOutline& o) {
        const std::int64_t x0 = CellStart(o.minColumn), x1 = CellEnd(o.maxColumn) - 1;
        const std::int64_t y0 = CellStart(o.minRow), y1 = CellEnd(o.maxRow) - 1;
        const auto ink = static_cast<std::uint8_t>(o.ink);
        Segment(x0, y0, x1, y0, 1, ink);
        Segment(x1, y0, x1, y1, 1, ink);
        Segment(x1, y1, x0, y1, 1, ink);
        Segment(x0, y1, x0, y0, 1, ink);
    }

    // The legend in the band below the plate: the same entries, at the same
    // places, as the SVG's.
    void DrawLegend() {
        for (std::size_t i = 0; i < Legend().size(); ++i) {
            const auto [x, y] = LegendEntryAt(i, width_);
            FillLegend(x, y, kSwatchSize, kSwatchSize, InkOf(ShadeColour(CellShade::CrossableContent)));
            FillLegend(x + 1, y + 1, kSwatchSize - 2, kSwatchSize - 2, InkOf(Legend()[i].colour));
            Words(Legend()[i].meaning, x + kWordsIndent, y + kGlyphTop);
        }
    }

    std::vector<std::uint8_t> EncodePng() const {
        std::vector<PaletteEntry> palette;
        for (std::size_t ink = 0; ink < static_cast<std::size_t>(Ink::Count); ++ink) {
            const Colour colour = InkColour(ink);
            palette.push_back({colour.red, colour.green, colour.blue, 255});
        }
        return EncodeIndexedPng(static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_ + legendHeight_),
                                pixels_, palette);
    }

private:
    std::int64_t CellStart(std::int64_t cell) const {
        return static_cast<std::int64_t>(std::floor(static_cast<double>(cell) * scale_));
    }
    std::int64_t CellEnd(std::int64_t cell) const { return std::max(CellStart(cell) + 1, CellStart(cell + 1)); }
    std::int64_t Centre(std::int64_t cell) const {
        return static_cast<std::int64_t>(std::floor((static_cast<double>(cell) + 0.5) * scale_));
    }

    // The palette index of a colour the picture already uses.
    static std::uint8_t InkOf(Colour colour) {
        for (std::size_t ink = 0; ink < static_cast<std::size_t>(Ink::Count); ++ink) {
            if (InkColour(ink) == colour) return static_cast<std::uint8_t>(ink);
        }
        return static_cast<std::uint8_t>(CellShade::ImpassableContent);
    }

    // Legend pixels lie below the plate and never wrap.
    void PutLegend(std::int64_t x, std::int64_t y, std::uint8_t ink) {
        if (x < 0 || x >= width_ || y < 0 || y >= legendHeight_) return;
        pixels_[static_cast<std::size_t>((height_ + y) * width_ + x)] = ink;
    }

    void FillLegend(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height, std::uint8_t ink) {
        for (std::int64_t dy = 0; dy < height; ++dy) {
            for (std::int64_t dx = 0; dx < width; ++dx) PutLegend(x + dx, y + dy, ink);
        }
    }

    void Words(const char* text, std::int64_t x, std::int64_t y) {
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

    void Put(std::int64_t x, std::int64_t y, std::uint8_t ink) {
        if (x < 0 || x >= width_) return;
        y %= height_;
        if (y < 0) y += height_;
        pixels_[static_cast<std::size_t>(y * width_ + x)] = ink;
    }

    void Dab(std::int64_t x, std::int64_t y, std::int64_t brush, std::uint8_t ink) {
        const std::int64_t from = -(brush - 1) / 2;
        for (std::int64_t dy = from; dy < from + brush; ++dy) {
            for (std::int64_t dx = from; dx < from + brush; ++dx) Put(x + dx, y + dy, ink);
        }
    }

    // Bresenham's line.
    void Segment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int64_t brush,
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

    std::int64_t width_, height_;
    double scale_;
    std::int64_t legendHeight_;
    std::vector<std::uint8_t> pixels_;  // the plate's rows, then the legend's
};

void DrawPolyline(Raster& raster, const std::vector<Zalvo::Pixel>& pixels, std::int64_t brush, Ink ink) {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        raster.Line(pixels[i], pixels[i + 1 < pixels.size() ? i + 1 : i], brush, ink);
    }
}

// Only where the terrain shows `wanted`: the corridor goes over the lines.
void FillCells(Raster& raster, const PlateImage& image, const Zalvo::Terrain& terrain, bool (*wanted)(CellShade)) {
    for (std::int32_t x = 0; x < image.columns; ++x) {
        for (std::int32_t y = 0; y < image.rows; ++y) {
            const CellShade shade = ShadeAt(image, terrain, x, y);
            if (wanted(shade)) raster.FillCell(x, y, shade);
        }
    }
}

bool IsUnderLine(CellShade shade) { return shade != CellShade::Free && shade != CellShade::Corridor; }
bool IsCorridor(CellShade shade) { return shade == CellShade::Corridor; }

}  // namespace

CellShade ShadeOf(PixelClass pixelClass, std::uint8_t height) {
    if (Zalvo::IsCorridor(height)) return CellShade::Corridor;
    if (pixelClass == PixelClass::Crossable) return CellShade::CrossableContent;
    if (pixelClass != PixelClass::Free) return CellShade::ImpassableContent;
    if (height == Zalvo::Heights::Free) return CellShade::Free;
    if (height <= Zalvo::Heights::HighestRamp)
        return static_cast<CellShade>(static_cast<int>(CellShade::Ramp0) + height / 26);
    return height == Zalvo::Heights::Crossable ? CellShade::CrossableMargin : CellShade::BlockedMargin;
}

Colour ShadeColour(CellShade shade) {
    switch (shade) {
        case CellShade::Free: return {0xff, 0xff, 0xff};
        case CellShade::CrossableMargin: return {0xd9, 0xcd, 0xea};
        case CellShade::BlockedMargin: return {0xb4, 0x9f, 0xd0};
        case CellShade::CrossableContent: return {0x8c, 0x8c, 0x8c};
        case CellShade::ImpassableContent: return {0x26, 0x26, 0x26};
        case CellShade::Corridor: return {0x2f, 0xa3, 0x5a};
        default: break;
    }
    // Ramp: from a pale to a strong amber as the height rises.
    const int step = static_cast<int>(shade) - static_cast<int>(CellShade::Ramp0);
    const auto blend = [step](int pale, int strong) {
        return static_cast<std::uint8_t>(pale + (strong - pale) * step / 9);
    };
    return {blend(0xfd, 0xf0), blend(0xf3, 0xa0), blend(0xdc, 0x3c)};
}

std::string HexColour(Colour colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

Colour FoundLineColour() { return kFoundColour; }
Colour ShiftedLineColour() { return kPathColour; }
Colour CutLineColour() { return kSparseColour; }
Colour HorizontalRoomColour() { return kHorizontalRoomColour; }
Colour VerticalRoomColour() { return kVerticalRoomColour; }

const std::vector<LegendEntry>& Legend() {
    static const std::vector<LegendEntry> entries{
        {ShadeColour(CellShade::ImpassableContent), "impassable content"},
        {ShadeColour(CellShade::CrossableContent), "crossable content"},
        {ShadeColour(CellShade::BlockedMargin), "blocked margin"},
        {ShadeColour(CellShade::Ramp9), "cost ramp (paler: cheaper)"},
        {ShadeColour(CellShade::Corridor), "corridor through a wall"},
        {kHorizontalRoomColour, "horizontal room"},
        {kVerticalRoomColour, "vertical room"},
        {kPathColour, "shifted line"},
        {kSparseColour, "cut line (the result)"},
    };
    return entries;
}

std::int32_t DisplayScale(std::int32_t columns) {
    return std::clamp<std::int32_t>(kEnlargedWidth / std::max(columns, 1), 1, kLargestEnlargement);
}

double PictureScale(std::int32_t columns, std::int32_t rows, std::int32_t maxSize) {
    const double scale = DisplayScale(columns);
    const std::int32_t longest = std::max({columns, rows, 1});
    if (maxSize <= 0 || longest * scale <= maxSize) return scale;
    return static_cast<double>(maxSize) / longest;
}

LineWidths LineWidthsAt(double scale) {
    // A third of a plate pixel's width, never thinner than one picture pixel.
    const auto dense = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(scale / 3.0)));
    return {dense, dense + 1};
}

std::string RenderSvg(const PlateImage& image, const PlanResult& result, std::int32_t maxSize) {
    const double scale = PictureScale(image.columns, image.rows, maxSize);
    const std::int64_t width = PictureLength(image.columns, scale), height = PictureLength(image.rows, scale);
    const std::int64_t fullHeight = height + LegendHeight(width);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"";
    AppendNumber(out, width);
    out += "\" height=\"";
    AppendNumber(out, fullHeight);
    out += "\" viewBox=\"0 0 ";
    AppendNumber(out, width);
    out += ' ';
    AppendNumber(out, fullHeight);
    out += "\">\n";
    out += std::string("<title>zalvo-plan: ") + (result.HasPath() ? "cut line" : "no line crosses this plate") +
           "</title>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    out += "<svg id=\"plate\" width=\"";
    AppendNumber(out, width);
    out += "\" height=\"";
    AppendNumber(out, height);
    out += "\" viewBox=\"0 0 ";
    AppendNumber(out, image.columns);
    out += ' ';
    AppendNumber(out, image.rows);
    out += "\" preserveAspectRatio=\"none\">\n";

    const ShadeRuns runs = TerrainRuns(image, result.terrain);
    out += "<g id=\"terrain\" shape-rendering=\"crispEdges\">\n";
    for (std::size_t shade = 0; shade < runs.size(); ++shade) {
        if (static_cast<CellShade>(shade) != CellShade::Corridor) out += ShadePath(runs, static_cast<CellShade>(shade));
    }
    out += "</g>\n";

    const auto outlines = RoomOutlines(result.rooms);
    const LineWidths widths = LineWidthsAt(scale);
    out += "<defs>\n<g id=\"overlay\">\n";
    out += Rectangles(outlines, scale);
    if (!DensePath(result).empty()) out += Polyline(DensePath(result), kPathColour, widths.dense, scale, "path");
    if (!result.cutLine.empty()) out += Polyline(result.cutLine, kSparseColour, widths.cut, scale, "corners");
    out += "</g>\n</defs>\n";
    const auto [low, high] = CopyRange(result, outlines, image.rows);
    for (std::int64_t copy = low; copy <= high; ++copy) {
        out += "<use xlink:href=\"#overlay\" transform=\"translate(0 ";
        AppendNumber(out, -copy * image.rows);
        out += ")\"/>\n";
    }
    out += "<g id=\"corridor\" shape-rendering=\"crispEdges\">\n" + ShadePath(runs, CellShade::Corridor) + "</g>\n";
    out += "</svg>\n";
    return out + LegendSvg(width, height) + "</svg>\n";
}

std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result, std::int32_t maxSize) {
    const double scale = PictureScale(image.columns, image.rows, maxSize);
    Raster raster(image.columns, image.rows, scale);
    FillCells(raster, image, result.terrain, IsUnderLine);
    for (const auto& outline : RoomOutlines(result.rooms)) raster.Outline(outline);
    const LineWidths widths = LineWidthsAt(scale);
    DrawPolyline(raster, DensePath(result), widths.dense, Ink::Path);
    DrawPolyline(raster, result.cutLine, widths.cut, Ink::Sparse);
    FillCells(raster, image, result.terrain, IsCorridor);
    raster.DrawLegend();
    return raster.EncodePng();
}

}  // namespace ZalvoPlan
