#include "Picture.h"

#include "PlateImage.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <variant>

namespace ZalvoPlan {
namespace {

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

// ----- SVG -----

void AppendNumber(std::string& out, std::int64_t value) {
    std::array<char, 24> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%lld", static_cast<long long>(value));
    out.append(buffer.data(), static_cast<std::size_t>(length));
}

// One path per shade, made of one-row rectangles over runs of equal shade.
void AppendTerrain(std::string& out, const PlateImage& image, const Zalvo::Terrain& terrain) {
    std::array<std::string, static_cast<std::size_t>(CellShade::Count)> runs;
    for (std::int32_t y = 0; y < image.rows; ++y) {
        std::int32_t x = 0;
        while (x < image.columns) {
            const auto shadeAt = [&](std::int32_t column) {
                return ShadeOf(image.At(column, y), terrain[static_cast<std::size_t>(column)][static_cast<std::size_t>(y)]);
            };
            const CellShade shade = shadeAt(x);
            std::int32_t end = x + 1;
            while (end < image.columns && shadeAt(end) == shade) ++end;
            if (shade != CellShade::Free) {
                std::string& d = runs[static_cast<std::size_t>(shade)];
                d += 'M'; AppendNumber(d, x); d += ' '; AppendNumber(d, y);
                d += 'h'; AppendNumber(d, end - x); d += "v1h"; AppendNumber(d, x - end); d += 'z';
            }
            x = end;
        }
    }
    out += "<g id=\"terrain\" shape-rendering=\"crispEdges\">\n";
    for (std::size_t shade = 0; shade < runs.size(); ++shade) {
        if (runs[shade].empty()) continue;
        out += "<path fill=\"" + HexColour(ShadeColour(static_cast<CellShade>(shade))) + "\" d=\"" + runs[shade] + "\"/>\n";
    }
    out += "</g>\n";
}

std::string Points(const std::vector<Zalvo::Pixel>& pixels) {
    std::string points;
    for (const auto& p : pixels) {
        if (!points.empty()) points += ' ';
        AppendNumber(points, p.x); points += ".5,"; AppendNumber(points, p.y); points += ".5";
    }
    return points;
}

std::string Polyline(const std::vector<Zalvo::Pixel>& pixels, Colour colour, double width, const char* id) {
    char attributes[160];
    std::snprintf(attributes, sizeof attributes,
                  "<polyline id=\"%s\" fill=\"none\" stroke=\"%s\" stroke-width=\"%.1f\" stroke-linejoin=\"round\" "
                  "vector-effect=\"non-scaling-stroke\" points=\"",
                  id, HexColour(colour).c_str(), width);
    return std::string(attributes) + Points(pixels) + "\"/>\n";
}

std::string Rectangles(const std::vector<RoomOutline>& outlines) {
    std::string out = "<g id=\"rooms\" fill=\"none\" stroke-width=\"1\">\n";
    for (const auto& o : outlines) {
        out += "<rect x=\"";
        AppendNumber(out, o.minColumn); out += "\" y=\""; AppendNumber(out, o.minRow);
        out += "\" width=\""; AppendNumber(out, std::int64_t{o.maxColumn} - o.minColumn + 1);
        out += "\" height=\""; AppendNumber(out, std::int64_t{o.maxRow} - o.minRow + 1);
        out += "\" stroke=\"" + HexColour(InkColour(static_cast<std::size_t>(o.ink))) +
               "\" vector-effect=\"non-scaling-stroke\"/>\n";
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
    for (const auto& p : result.sparsePath) include(p.y);
    for (const auto& o : outlines) { include(o.minRow); include(o.maxRow); }
    return {low, high};
}

// ----- PNG -----

class Raster {
public:
    Raster(std::int32_t columns, std::int32_t rows, std::int32_t scale)
        : width_(std::int64_t{columns} * scale), height_(std::int64_t{rows} * scale), scale_(scale),
          pixels_(static_cast<std::size_t>(width_ * height_), static_cast<std::uint8_t>(CellShade::Free)) {}

    void FillCell(std::int32_t x, std::int32_t y, CellShade shade) {
        for (std::int64_t dy = 0; dy < scale_; ++dy) {
            for (std::int64_t dx = 0; dx < scale_; ++dx) Put(x * scale_ + dx, y * scale_ + dy, static_cast<std::uint8_t>(shade));
        }
    }

    // A straight line between the centres of two plate pixels with a square
    // brush; rows wrap around the plate, columns are clipped.
    void Line(const Zalvo::Pixel& a, const Zalvo::Pixel& b, std::int64_t brush, Ink ink) {
        Segment(Centre(a.x), Centre(a.y), Centre(b.x), Centre(b.y), brush, static_cast<std::uint8_t>(ink));
    }

    // The outline of a box of plate pixels, one picture pixel wide.
    void Outline(const RoomOutline& o) {
        const std::int64_t x0 = o.minColumn * scale_, x1 = (std::int64_t{o.maxColumn} + 1) * scale_ - 1;
        const std::int64_t y0 = o.minRow * scale_, y1 = (std::int64_t{o.maxRow} + 1) * scale_ - 1;
        const auto ink = static_cast<std::uint8_t>(o.ink);
        Segment(x0, y0, x1, y0, 1, ink);
        Segment(x1, y0, x1, y1, 1, ink);
        Segment(x1, y1, x0, y1, 1, ink);
        Segment(x0, y1, x0, y0, 1, ink);
    }

    std::vector<std::uint8_t> EncodePng() const {
        png_image png;
        std::memset(&png, 0, sizeof png);
        png.version = PNG_IMAGE_VERSION;
        png.width = static_cast<png_uint_32>(width_);
        png.height = static_cast<png_uint_32>(height_);
        png.format = PNG_FORMAT_RGB | PNG_FORMAT_FLAG_COLORMAP;
        std::vector<std::uint8_t> colourMap;
        for (std::size_t ink = 0; ink < static_cast<std::size_t>(Ink::Count); ++ink) {
            const Colour colour = InkColour(ink);
            colourMap.insert(colourMap.end(), {colour.red, colour.green, colour.blue});
        }
        png.colormap_entries = static_cast<png_uint_32>(Ink::Count);
        png_alloc_size_t size = 0;
        const auto write = [&](void* memory) {
            return png_image_write_to_memory(&png, memory, &size, 0, pixels_.data(), 0, colourMap.data());
        };
        if (!write(nullptr)) throw std::runtime_error(std::string("cannot encode the PNG picture: ") + png.message);
        std::vector<std::uint8_t> bytes(size);
        if (!write(bytes.data())) throw std::runtime_error(std::string("cannot encode the PNG picture: ") + png.message);
        bytes.resize(size);
        return bytes;
    }

private:
    std::int64_t Centre(std::int64_t coordinate) const { return coordinate * scale_ + scale_ / 2; }

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
    void Segment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int64_t brush, std::uint8_t ink) {
        const std::int64_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const std::int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        std::int64_t error = dx + dy;
        while (true) {
            Dab(x0, y0, brush, ink);
            if (x0 == x1 && y0 == y1) return;
            const std::int64_t twice = 2 * error;
            if (twice >= dy) { error += dy; x0 += sx; }
            if (twice <= dx) { error += dx; y0 += sy; }
        }
    }

    std::int64_t width_, height_, scale_;
    std::vector<std::uint8_t> pixels_;
};

void DrawPolyline(Raster& raster, const std::vector<Zalvo::Pixel>& pixels, std::int64_t brush, Ink ink) {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        raster.Line(pixels[i], pixels[i + 1 < pixels.size() ? i + 1 : i], brush, ink);
    }
}

}  // namespace

CellShade ShadeOf(PixelClass pixelClass, std::uint8_t height) {
    if (height == 252) return CellShade::Corridor;
    if (pixelClass == PixelClass::Crossable) return CellShade::CrossableContent;
    if (pixelClass != PixelClass::Free) return CellShade::ImpassableContent;
    if (height == 0) return CellShade::Free;
    if (height <= 251) return static_cast<CellShade>(static_cast<int>(CellShade::Ramp0) + height / 26);
    return height == 253 ? CellShade::CrossableMargin : CellShade::BlockedMargin;
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

std::int32_t DisplayScale(std::int32_t columns) {
    return std::clamp<std::int32_t>(1200 / std::max(columns, 1), 1, 8);
}

std::string RenderSvg(const PlateImage& image, const PlanResult& result) {
    const std::int32_t scale = DisplayScale(image.columns);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"";
    AppendNumber(out, std::int64_t{image.columns} * scale); out += "\" height=\"";
    AppendNumber(out, std::int64_t{image.rows} * scale); out += "\" viewBox=\"0 0 ";
    AppendNumber(out, image.columns); out += ' '; AppendNumber(out, image.rows); out += "\">\n";
    out += std::string("<title>zalvo-plan: ") + (result.HasPath() ? "cut line" : "no line crosses this plate") + "</title>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    AppendTerrain(out, image, result.terrain);

    const auto outlines = RoomOutlines(result.rooms);
    out += "<defs>\n<g id=\"overlay\">\n";
    out += Rectangles(outlines);
    if (!DensePath(result).empty()) out += Polyline(DensePath(result), kPathColour, 1.5, "path");
    if (!result.sparsePath.empty()) out += Polyline(result.sparsePath, kSparseColour, 2.5, "corners");
    out += "</g>\n</defs>\n";
    const auto [low, high] = CopyRange(result, outlines, image.rows);
    for (std::int64_t copy = low; copy <= high; ++copy) {
        out += "<use xlink:href=\"#overlay\" transform=\"translate(0 ";
        AppendNumber(out, -copy * image.rows);
        out += ")\"/>\n";
    }
    return out + "</svg>\n";
}

std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result) {
    const std::int32_t scale = DisplayScale(image.columns);
    Raster raster(image.columns, image.rows, scale);
    for (std::int32_t x = 0; x < image.columns; ++x) {
        const auto& column = result.terrain[static_cast<std::size_t>(x)];
        for (std::int32_t y = 0; y < image.rows; ++y) {
            const CellShade shade = ShadeOf(image.At(x, y), column[static_cast<std::size_t>(y)]);
            if (shade != CellShade::Free) raster.FillCell(x, y, shade);
        }
    }
    for (const auto& outline : RoomOutlines(result.rooms)) raster.Outline(outline);
    const std::int64_t brush = (scale + 2) / 3;
    DrawPolyline(raster, DensePath(result), brush, Ink::Path);
    DrawPolyline(raster, result.sparsePath, brush + 1, Ink::Sparse);
    return raster.EncodePng();
}

}  // namespace ZalvoPlan
