#include "output/HtmlView.h"

#include "ViewAssets.h"
#include "input/PngEncoding.h"
#include "output/Picture.h"

#include <nlohmann/json.hpp>

#include <variant>

namespace ZalvoPlan {
namespace {

using Json = nlohmann::json;

// The switchable layer a shade belongs to; paper belongs to none.
const char* LayerOf(CellShade shade) {
    if (shade >= CellShade::Ramp0 && shade <= CellShade::Ramp9) return "ramp";
    if (shade == CellShade::CrossableMargin || shade == CellShade::BlockedMargin) return "margin";
    if (shade == CellShade::Free) return nullptr;
    return "content";  // crossable and impassable content, and the corridors through it
}

// Every shade's colour and layer, indexed as the plate's green channel.
Json Shades() {
    Json shades = Json::array();
    for (std::size_t shade = 0; shade < static_cast<std::size_t>(CellShade::Count); ++shade) {
        const char* layer = LayerOf(static_cast<CellShade>(shade));
        shades.push_back({HexColour(ShadeColour(static_cast<CellShade>(shade))), layer ? Json(layer) : Json()});
    }
    return shades;
}

// Rows of the plate image made at once: each column's bytes for the band are
// one cache line of the terrain.
constexpr std::uint32_t kCodeBandRows = 64;

// The plate as the page reads it, one RGB pixel per plate pixel: red is the
// terrain height (shown under the cursor), green the shade it is drawn in.
std::string PlateCodesPng(const PlateImage& image, const Zalvo::Terrain& terrain) {
    const ShadeTable& shades = ShadesByClassAndHeight();
    const auto columns = static_cast<std::size_t>(image.columns);
    const auto fill = [&](std::uint32_t first, std::uint32_t count, std::uint8_t* rows) {
        for (std::size_t x = 0; x < columns; ++x) {
            const auto& column = terrain[x];
            for (std::size_t row = 0; row < count; ++row) {
                const std::size_t y = first + row;
                std::uint8_t* pixel = rows + 3 * (row * columns + x);
                pixel[0] = column[y];
                pixel[1] = static_cast<std::uint8_t>(
                    shades[static_cast<std::size_t>(image.classes[y * columns + x]) * kHeightCount + column[y]]);
                pixel[2] = 0;
            }
        }
    };
    return Base64(EncodeRgbPngByBands(static_cast<std::uint32_t>(image.columns), static_cast<std::uint32_t>(image.rows),
                                      kCodeBandRows, fill));
}

Json Points(const std::vector<Zalvo::Pixel>& pixels) {
    Json points = Json::array();
    for (const auto& p : pixels) points.push_back({p.x, p.y});
    return points;
}

Json Rooms(const std::vector<Zalvo::WiggleRoom>& rooms) {
    Json boxes = Json::array();
    for (const auto& room : rooms) {
        if (const auto* h = std::get_if<Zalvo::HorizontalRoom>(&room)) {
            boxes.push_back({h->minColumn, h->maxColumn, h->minRow, h->maxRow, "h"});
        } else if (const auto* v = std::get_if<Zalvo::VerticalRoom>(&room)) {
            boxes.push_back({v->minColumn, v->maxColumn, v->minRow, v->maxRow, "v"});
        }
    }
    return boxes;
}

Json PlanData(const PlateImage& image, const PlanResult& result) {
    return {{"columns", image.columns},
            {"rows", image.rows},
            // The page names the height under the cursor by the library's classes.
            {"heights",
             {{"highestRamp", Zalvo::Heights::HighestRamp},
              {"corridor", Zalvo::Heights::Corridor},
              {"crossable", Zalvo::Heights::Crossable}}},
            {"shades", Shades()},
            {"status", result.HasPath() ? "ok" : "no-path"},
            {"reason", result.noPathReason},
            {"rooms", Rooms(result.rooms)},
            {"found", Points(result.foundPath.value_or(std::vector<Zalvo::Pixel>{}))},
            {"shifted", Points(result.HasPath() ? result.Taken().pixels : std::vector<Zalvo::Pixel>{})},
            {"cut", Points(result.cutLine)},
            {"colours",
             {{"found", HexColour(FoundLineColour())},
              {"shifted", HexColour(ShiftedLineColour())},
              {"cut", HexColour(CutLineColour())},
              {"h", HexColour(HorizontalRoomColour())},
              {"v", HexColour(VerticalRoomColour())}}}};
}

std::string Swatch(Colour colour) {
    return "<span class=\"swatch\" style=\"background:" + HexColour(colour) + "\"></span>";
}

std::string LayerSwitches() {
    const std::pair<const char*, std::string> labels[] = {
        {"ramp", Swatch(ShadeColour(CellShade::Ramp9)) + "cost ramp"},
        {"margin", Swatch(ShadeColour(CellShade::BlockedMargin)) + "blocked margin"},
        {"content", Swatch(ShadeColour(CellShade::ImpassableContent)) + "content " +
                        Swatch(ShadeColour(CellShade::Corridor)) + "corridor"},
        {"rooms", Swatch(HorizontalRoomColour()) + Swatch(VerticalRoomColour()) + "rooms"},
        {"found", Swatch(FoundLineColour()) + "found line"},
        {"shifted", Swatch(ShiftedLineColour()) + "shifted line"},
        {"cut", Swatch(CutLineColour()) + "cut line (the result)"},
    };
    std::string html;
    for (const auto& [layer, label] : labels) {
        html += std::string("<label><input type=\"checkbox\" data-layer=\"") + layer + "\" checked> " + label +
                "</label>\n";
    }
    return html;
}

}  // namespace

std::string RenderHtml(const PlateImage& image, const PlanResult& result) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<title>zalvo-plan</title>\n<style>\n";
    html += kViewStyle;
    html += "</style>\n</head>\n<body>\n<div id=\"side\">\n<h1>zalvo-plan</h1>\n<div id=\"status\"></div>\n";
    html += "<p>Layers</p>\n" + LayerSwitches();
    html +=
        "<p>Zoom: <button id=\"zoom-in\">+</button> <button id=\"zoom-out\">&minus;</button> "
        "<button id=\"fit\">fit</button><br>wheel to zoom, drag to pan</p>\n";
    html += "<pre id=\"readout\">move over the plate</pre>\n";
    html += "<p>Corners (<span id=\"corner-count\"></span>), rows unwrapped:</p>\n<ol id=\"corners\"></ol>\n</div>\n";
    html += "<div id=\"view\"><canvas id=\"canvas\"></canvas></div>\n";
    html += "<img id=\"plate-codes\" hidden alt=\"\" src=\"data:image/png;base64," +
            PlateCodesPng(image, result.terrain) + "\">\n";
    // The JSON goes in a data block: no text of it can end the script early.
    std::string data = PlanData(image, result).dump();
    for (std::size_t at = data.find("</"); at != std::string::npos; at = data.find("</", at))
        data.replace(at, 2, "<\\/");
    html += "<script type=\"application/json\" id=\"plan-data\">" + data + "</script>\n<script>\n";
    html += kViewScript;
    return html + "</script>\n</body>\n</html>\n";
}

}  // namespace ZalvoPlan
