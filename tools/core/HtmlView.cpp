#include "HtmlView.h"

#include "Picture.h"
#include "PngEncoding.h"

#include <nlohmann/json.hpp>

#include <variant>

namespace ZalvoPlan {
namespace {

using Json = nlohmann::json;

// Which shades each switchable plate layer holds.
bool InRampLayer(CellShade shade) { return shade >= CellShade::Ramp0 && shade <= CellShade::Ramp9; }
bool InMarginLayer(CellShade shade) { return shade == CellShade::CrossableMargin || shade == CellShade::BlockedMargin; }
bool InContentLayer(CellShade shade) {
    return shade == CellShade::CrossableContent || shade == CellShade::ImpassableContent ||
           shade == CellShade::Corridor;
}

// One plate pixel per image pixel, every shade outside the layer transparent.
std::string LayerPng(const PlateImage& image, const Zalvo::Terrain& terrain, bool (*inLayer)(CellShade)) {
    std::vector<PaletteEntry> palette;
    for (std::size_t shade = 0; shade < static_cast<std::size_t>(CellShade::Count); ++shade) {
        const Colour colour = ShadeColour(static_cast<CellShade>(shade));
        const bool opaque = inLayer(static_cast<CellShade>(shade));
        palette.push_back({colour.red, colour.green, colour.blue, static_cast<std::uint8_t>(opaque ? 255 : 0)});
    }
    std::vector<std::uint8_t> indices(image.classes.size());
    for (std::int32_t x = 0; x < image.columns; ++x) {
        const auto& column = terrain[static_cast<std::size_t>(x)];
        for (std::int32_t y = 0; y < image.rows; ++y) {
            const auto at =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(image.columns) + static_cast<std::size_t>(x);
            indices[at] = static_cast<std::uint8_t>(ShadeOf(image.At(x, y), column[static_cast<std::size_t>(y)]));
        }
    }
    return Base64(EncodeIndexedPng(static_cast<std::uint32_t>(image.columns), static_cast<std::uint32_t>(image.rows),
                                   indices, palette));
}

// The terrain heights as grey levels, read back under the cursor.
std::string HeightPng(const PlateImage& image, const Zalvo::Terrain& terrain) {
    std::vector<std::uint8_t> heights(image.classes.size());
    for (std::int32_t x = 0; x < image.columns; ++x) {
        const auto& column = terrain[static_cast<std::size_t>(x)];
        for (std::int32_t y = 0; y < image.rows; ++y) {
            heights[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.columns) +
                    static_cast<std::size_t>(x)] = column[static_cast<std::size_t>(y)];
        }
    }
    return Base64(
        EncodeGreyPng(static_cast<std::uint32_t>(image.columns), static_cast<std::uint32_t>(image.rows), heights));
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

constexpr const char* kStyle = R"(<style>
html, body { margin: 0; height: 100%; font: 13px sans-serif; color: #202020; }
body { display: flex; }
#side { width: 250px; padding: 8px 10px; overflow: auto; border-right: 1px solid #ccc; box-sizing: border-box; }
#side h1 { font-size: 15px; margin: 4px 0 8px; }
#side label { display: block; margin: 3px 0; }
.swatch { display: inline-block; width: 12px; height: 12px; margin-right: 4px; vertical-align: -1px; border: 1px solid #888; }
#readout { margin: 10px 0; min-height: 3em; font-family: monospace; }
#corners { font-family: monospace; padding-left: 2.5em; }
#corners li { cursor: pointer; }
#view { flex: 1; position: relative; overflow: hidden; cursor: grab; background: #f4f4f4; }
#view canvas { position: absolute; left: 0; top: 0; }
</style>
)";

// Screen = plate * scale + offset. Lines are stroked in screen coordinates so
// their width never depends on the zoom; overlays are repeated a plate height
// apart, as rows wrap.
constexpr const char* kScript = R"(<script>
(function () {
  'use strict';
  const view = document.getElementById('view');
  const canvas = document.getElementById('canvas');
  const context = canvas.getContext('2d');
  const probe = document.createElement('canvas');
  probe.width = probe.height = 1;
  const probeContext = probe.getContext('2d', { willReadFrequently: true });
  const images = {};
  for (const name of ['ramp', 'margin', 'content', 'heights']) {
    images[name] = document.getElementById('layer-' + name);
    images[name].onload = draw;
  }
  const shown = {};
  for (const box of document.querySelectorAll('input[data-layer]')) {
    shown[box.dataset.layer] = box.checked;
    box.addEventListener('change', () => { shown[box.dataset.layer] = box.checked; draw(); });
  }
  const widths = { found: 1.5, shifted: 2, cut: 3 };
  let scale = 1, offsetX = 0, offsetY = 0;

  function copies() {
    let low = 0, high = 0;
    const include = (row) => {
      const copy = Math.floor(row / plan.rows);
      low = Math.min(low, copy); high = Math.max(high, copy);
    };
    for (const name of ['found', 'shifted', 'cut']) for (const p of plan[name]) include(p[1]);
    for (const r of plan.rooms) { include(r[2]); include(r[3]); }
    return [low, high];
  }
  const copyRange = copies();

  function toScreen(x, y) { return [x * scale + offsetX, y * scale + offsetY]; }

  function strokeLine(points, colour, width, shift) {
    if (points.length === 0) return;
    context.beginPath();
    points.forEach((p, i) => {
      const [sx, sy] = toScreen(p[0] + 0.5, p[1] + 0.5 + shift);
      if (i === 0) context.moveTo(sx, sy); else context.lineTo(sx, sy);
    });
    if (points.length === 1) context.lineTo(...toScreen(points[0][0] + 0.5, points[0][1] + 0.5 + shift));
    context.strokeStyle = colour;
    context.lineWidth = width;
    context.lineJoin = context.lineCap = 'round';
    context.stroke();
  }

  function strokeRooms(shift) {
    context.lineWidth = 1;
    for (const [x0, x1, y0, y1, kind] of plan.rooms) {
      const [sx, sy] = toScreen(x0, y0 + shift);
      context.strokeStyle = plan.colours[kind];
      context.strokeRect(sx, sy, (x1 - x0 + 1) * scale, (y1 - y0 + 1) * scale);
    }
  }

  function draw() {
    context.setTransform(1, 0, 0, 1, 0, 0);
    context.clearRect(0, 0, canvas.width, canvas.height);
    const [left, top] = toScreen(0, 0);
    context.fillStyle = '#ffffff';
    context.fillRect(left, top, plan.columns * scale, plan.rows * scale);
    context.save();
    context.beginPath();
    context.rect(left, top, plan.columns * scale, plan.rows * scale);
    context.clip();
    context.imageSmoothingEnabled = false;
    for (const name of ['ramp', 'margin', 'content']) {
      if (shown[name] && images[name].complete) {
        context.setTransform(scale, 0, 0, scale, offsetX, offsetY);
        context.drawImage(images[name], 0, 0);
        context.setTransform(1, 0, 0, 1, 0, 0);
      }
    }
    for (let copy = copyRange[0]; copy <= copyRange[1]; ++copy) {
      const shift = -copy * plan.rows;
      if (shown.rooms) strokeRooms(shift);
      for (const name of ['found', 'shifted', 'cut']) {
        if (shown[name]) strokeLine(plan[name], plan.colours[name], widths[name], shift);
      }
    }
    context.restore();
    context.strokeStyle = '#909090';
    context.lineWidth = 1;
    context.strokeRect(left - 0.5, top - 0.5, plan.columns * scale + 1, plan.rows * scale + 1);
  }

  function resize() {
    canvas.width = view.clientWidth;
    canvas.height = view.clientHeight;
    draw();
  }

  function fit() {
    scale = Math.min(view.clientWidth / plan.columns, view.clientHeight / plan.rows) * 0.96;
    offsetX = (view.clientWidth - plan.columns * scale) / 2;
    offsetY = (view.clientHeight - plan.rows * scale) / 2;
    draw();
  }

  function zoomAt(factor, sx, sy) {
    scale *= factor;
    offsetX = sx - (sx - offsetX) * factor;
    offsetY = sy - (sy - offsetY) * factor;
    draw();
  }

  function heightAt(x, y) {
    if (!images.heights.complete) return '?';
    probeContext.clearRect(0, 0, 1, 1);
    probeContext.drawImage(images.heights, x, y, 1, 1, 0, 0, 1, 1);
    return probeContext.getImageData(0, 0, 1, 1).data[0];
  }

  function meaning(height) {
    if (height === 0) return 'free';
    if (height <= plan.heights.highestRamp) return 'cost ramp';
    if (height === plan.heights.corridor) return 'corridor';
    if (height === plan.heights.crossable) return 'margin of crossable content';
    return 'blocked';
  }

  function showCursor(event) {
    const rect = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - rect.left - offsetX) / scale);
    const y = Math.floor((event.clientY - rect.top - offsetY) / scale);
    const readout = document.getElementById('readout');
    if (x < 0 || y < 0 || x >= plan.columns || y >= plan.rows) { readout.textContent = 'outside the plate'; return; }
    const height = heightAt(x, y);
    readout.textContent = 'pixel (' + x + ', ' + y + ')\nheight ' + height + ' (' + meaning(height) + ')';
  }

  let drag = null;
  view.addEventListener('pointerdown', (event) => {
    drag = { x: event.clientX, y: event.clientY };
    view.setPointerCapture(event.pointerId);
    view.style.cursor = 'grabbing';
  });
  view.addEventListener('pointermove', (event) => {
    showCursor(event);
    if (!drag) return;
    offsetX += event.clientX - drag.x;
    offsetY += event.clientY - drag.y;
    drag = { x: event.clientX, y: event.clientY };
    draw();
  });
  view.addEventListener('pointerup', () => { drag = null; view.style.cursor = 'grab'; });
  view.addEventListener('wheel', (event) => {
    event.preventDefault();
    const rect = canvas.getBoundingClientRect();
    zoomAt(Math.exp(-event.deltaY * 0.0015), event.clientX - rect.left, event.clientY - rect.top);
  }, { passive: false });
  document.getElementById('zoom-in').onclick = () => zoomAt(1.5, view.clientWidth / 2, view.clientHeight / 2);
  document.getElementById('zoom-out').onclick = () => zoomAt(1 / 1.5, view.clientWidth / 2, view.clientHeight / 2);
  document.getElementById('fit').onclick = fit;

  const list = document.getElementById('corners');
  for (const [x, y] of plan.cut) {
    const item = document.createElement('li');
    item.textContent = '(' + x + ', ' + y + ')';
    item.title = 'centre the view here';
    item.onclick = () => {
      offsetX = view.clientWidth / 2 - (x + 0.5) * scale;
      offsetY = view.clientHeight / 2 - (y + 0.5) * scale;
      draw();
    };
    list.appendChild(item);
  }
  document.getElementById('corner-count').textContent = plan.cut.length;
  document.getElementById('status').textContent =
    plan.status === 'ok' ? plan.columns + ' x ' + plan.rows + ' pixels' : 'no-path: ' + plan.reason;
  window.addEventListener('resize', () => { resize(); });
  canvas.width = view.clientWidth;
  canvas.height = view.clientHeight;
  fit();
})();
</script>
)";

}  // namespace

std::string RenderHtml(const PlateImage& image, const PlanResult& result) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<title>zalvo-plan</title>\n";
    html += kStyle;
    html += "</head>\n<body>\n<div id=\"side\">\n<h1>zalvo-plan</h1>\n<div id=\"status\"></div>\n";
    html += "<p>Layers</p>\n" + LayerSwitches();
    html +=
        "<p>Zoom: <button id=\"zoom-in\">+</button> <button id=\"zoom-out\">&minus;</button> "
        "<button id=\"fit\">fit</button><br>wheel to zoom, drag to pan</p>\n";
    html += "<pre id=\"readout\">move over the plate</pre>\n";
    html += "<p>Corners (<span id=\"corner-count\"></span>), rows unwrapped:</p>\n<ol id=\"corners\"></ol>\n</div>\n";
    html += "<div id=\"view\"><canvas id=\"canvas\"></canvas></div>\n";
    const std::pair<const char*, std::string> layers[] = {
        {"ramp", LayerPng(image, result.terrain, InRampLayer)},
        {"margin", LayerPng(image, result.terrain, InMarginLayer)},
        {"content", LayerPng(image, result.terrain, InContentLayer)},
        {"heights", HeightPng(image, result.terrain)},
    };
    for (const auto& [name, data] : layers) {
        html +=
            std::string("<img id=\"layer-") + name + "\" hidden alt=\"\" src=\"data:image/png;base64," + data + "\">\n";
    }
    html += "<script>const plan = " + PlanData(image, result).dump() + ";</script>\n";
    html += kScript;
    return html + "</body>\n</html>\n";
}

}  // namespace ZalvoPlan
