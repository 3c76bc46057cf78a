#include "output/Picture.h"

#include "input/PlateImage.h"
#include "input/PngEncoding.h"
#include "output/Raster.h"

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
// Lines on a shrunk plate: wide enough to see when the picture is shown
// smaller still, on a screen.
constexpr LineWidths kShrunkLineWidths{3, 5};

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

void AppendDecimal(std::string& out, double value) {
    std::array<char, 32> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.6g", value);
    out.append(buffer.data(), static_cast<std::size_t>(length));
}

// A raster laid over the whole plate, in plate units.
std::string PlateImageElement(const char* id, const Raster& raster, const PlateImage& image) {
    std::string out = std::string("<image id=\"") + id + "\" x=\"0\" y=\"0\" width=\"";
    AppendNumber(out, image.columns);
    out += "\" height=\"";
    AppendNumber(out, image.rows);
    out += "\" preserveAspectRatio=\"none\" style=\"image-rendering:pixelated\" xlink:href=\"data:image/png;base64,";
    return out + Base64(raster.EncodePng()) + "\"/>\n";
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
        out += "\" stroke=\"" + HexColour(o.horizontal ? kHorizontalRoomColour : kVerticalRoomColour) + "\"/>\n";
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

}  // namespace

std::vector<RoomOutline> RoomOutlines(const std::vector<Zalvo::WiggleRoom>& rooms) {
    std::vector<RoomOutline> outlines;
    for (const auto& room : rooms) {
        if (const auto* h = std::get_if<Zalvo::HorizontalRoom>(&room)) {
            outlines.push_back({h->minColumn, h->maxColumn, h->minRow, h->maxRow, true});
        } else if (const auto* v = std::get_if<Zalvo::VerticalRoom>(&room)) {
            outlines.push_back({v->minColumn, v->maxColumn, v->minRow, v->maxRow, false});
        }
    }
    std::erase_if(outlines, [](const RoomOutline& o) { return o.maxColumn < o.minColumn || o.maxRow < o.minRow; });
    return outlines;
}

CellShade ShadeOf(PixelClass pixelClass, std::uint8_t height) {
    if (Zalvo::IsCorridor(height)) return CellShade::Corridor;
    if (pixelClass == PixelClass::Crossable) return CellShade::CrossableContent;
    if (pixelClass != PixelClass::Free) return CellShade::ImpassableContent;
    if (height == Zalvo::Heights::Free) return CellShade::Free;
    if (height <= Zalvo::Heights::HighestRamp)
        return static_cast<CellShade>(static_cast<int>(CellShade::Ramp0) + height / Zalvo::Heights::RampBand);
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
    if (maxSize <= 0) return scale;
    return std::min(scale, static_cast<double>(maxSize) / std::max({columns, rows, 1}));
}

LineWidths LineWidthsAt(double scale) {
    if (scale < 1.0) return kShrunkLineWidths;
    // A third of a plate pixel's width, never thinner than one picture pixel.
    const auto dense = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(scale / 3.0)));
    return {dense, dense + 1};
}

const ShadeTable& ShadesByClassAndHeight() {
    static const auto table = [] {
        ShadeTable shades{};
        for (std::size_t i = 0; i < shades.size(); ++i) {
            shades[i] = ShadeOf(static_cast<PixelClass>(i / kHeightCount), static_cast<std::uint8_t>(i % kHeightCount));
        }
        return shades;
    }();
    return table;
}

std::vector<CellShade> PlateShades(const PlateImage& image, const Zalvo::Terrain& terrain) {
    const ShadeTable& table = ShadesByClassAndHeight();
    std::vector<CellShade> shades(image.classes.size());
    ForEachCellByRows(terrain, image.columns, [&](std::size_t at, std::uint8_t height) {
        shades[at] = table[static_cast<std::size_t>(image.classes[at]) * kHeightCount + height];
    });
    return shades;
}

std::string RenderSvg(const PlateImage& image, const PlanResult& result, std::int32_t maxSize) {
    return RenderSvg(image, result, PlateShades(image, result.terrain), maxSize);
}

std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result, std::int32_t maxSize) {
    return RenderPng(image, result, PlateShades(image, result.terrain), maxSize);
}

std::string RenderSvg(const PlateImage& image, const PlanResult& result, const std::vector<CellShade>& shades,
                      std::int32_t maxSize) {
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

    // The terrain as the PNG draws it, one raster at the picture's scale.
    Raster terrain(image.columns, image.rows, scale, false, static_cast<Ink>(CellShade::Free));
    terrain.FillShades(shades, image.columns, true);
    out += PlateImageElement("terrain", terrain, image);

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
    // A corridor is narrower than the line through it: it goes on top, or the line would hide it.
    Raster corridors(image.columns, image.rows, scale, false, Ink::Clear);
    corridors.FillCorridors(shades, image.columns);
    out += PlateImageElement("corridor", corridors, image);
    out += "</svg>\n";
    return out + LegendSvg(width, height) + "</svg>\n";
}

std::vector<std::uint8_t> RenderPng(const PlateImage& image, const PlanResult& result,
                                    const std::vector<CellShade>& shades, std::int32_t maxSize) {
    const double scale = PictureScale(image.columns, image.rows, maxSize);
    Raster raster(image.columns, image.rows, scale, true, static_cast<Ink>(CellShade::Free));
    raster.FillShades(shades, image.columns, false);
    for (const auto& outline : RoomOutlines(result.rooms)) raster.Outline(outline);
    const LineWidths widths = LineWidthsAt(scale);
    raster.Polyline(DensePath(result), widths.dense, Ink::Path);
    raster.Polyline(result.cutLine, widths.cut, Ink::Sparse);
    raster.FillCorridors(shades, image.columns);
    raster.DrawLegend();
    return raster.EncodePng();
}

}  // namespace ZalvoPlan
