#include "output/Report.h"

#include <algorithm>
#include <variant>

namespace ZalvoPlan {
namespace {

using Json = nlohmann::ordered_json;

Json PixelsToJson(const std::vector<Zalvo::Pixel>& pixels) {
    Json array = Json::array();
    for (const auto& p : pixels) array.push_back({p.x, p.y});
    return array;
}

Json ShiftedPathToJson(const ShiftedPath& path) {
    return {{"shift", path.shift}, {"cost", path.cost}, {"pixels", PixelsToJson(path.pixels)}};
}

Json PlateToJson(const PlateImage& image, const PlanParameters& parameters, const ReportContext& context) {
    const auto count = [&](PixelClass wanted) {
        return std::count(image.classes.begin(), image.classes.end(), wanted);
    };
    return {{"source", context.source},
            {"columns", image.columns},
            {"rows", image.rows},
            {"resolution", parameters.resolution},
            {"resolutionSource", context.resolutionSource},
            {"impassablePixels", count(PixelClass::Impassable)},
            {"crossablePixels", count(PixelClass::Crossable)},
            {"seedPixels", count(PixelClass::Seed)}};
}

// Every plan option but the resolution (which the plate gives), in the
// table's order; a distance as given and in millipoints.
Json ParametersToJson(const PlanParameters& p, const PlanRequest& request) {
    Json parameters = Json::object();
    for (const auto& option : PlanOptions()) {
        std::visit(
            Overloaded{[](ResolutionField) {},
                       [&](const DistanceField& field) {
                           parameters[option.jsonKey] = {{"given", (request.*field.given).text},
                                                         {"milliPoints", p.*field.milliPoints}};
                       },
                       [&](const ChoiceField&) { parameters[option.jsonKey] = ChoiceName(option, p); },
                       [&]<class Value>(Value PlanParameters::*field) { parameters[option.jsonKey] = p.*field; }},
            option.field);
    }
    return parameters;
}

bool HoldsOnlyPlainValues(const Json& array) {
    return std::none_of(array.begin(), array.end(), [](const Json& element) { return element.is_structured(); });
}

void AppendFormatted(std::string& out, const Json& value, int depth) {
    const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
    const std::string closingIndent(static_cast<std::size_t>(depth) * 2, ' ');
    if (value.is_object() && !value.empty()) {
        out += "{\n";
        bool first = true;
        for (const auto& [key, element] : value.items()) {
            out += (first ? "" : ",\n") + indent + Json(key).dump() + ": ";
            AppendFormatted(out, element, depth + 1);
            first = false;
        }
        out += "\n" + closingIndent + "}";
    } else if (value.is_array() && !value.empty() && !HoldsOnlyPlainValues(value)) {
        out += "[\n";
        for (std::size_t i = 0; i < value.size(); ++i) {
            out += (i == 0 ? "" : ",\n") + indent;
            AppendFormatted(out, value[i], depth + 1);
        }
        out += "\n" + closingIndent + "]";
    } else if (value.is_array()) {
        out += "[";
        for (std::size_t i = 0; i < value.size(); ++i) out += (i == 0 ? "" : ", ") + value[i].dump();
        out += "]";
    } else {
        out += value.dump();
    }
}

}  // namespace

std::string FormatJson(const Json& value) {
    std::string out;
    AppendFormatted(out, value, 0);
    return out + "\n";
}

Json RoomToJson(const Zalvo::WiggleRoom& room) {
    if (const auto* h = std::get_if<Zalvo::HorizontalRoom>(&room)) {
        return {{"kind", "horizontal"},        {"minColumn", h->minColumn},
                {"maxColumn", h->maxColumn},   {"maxRow", h->maxRow},
                {"minRow", h->minRow},         {"firstStretch", h->firstStretch},
                {"endStretch", h->endStretch}, {"row", h->row}};
    }
    if (const auto* v = std::get_if<Zalvo::VerticalRoom>(&room)) {
        return {{"kind", "vertical"},          {"minColumn", v->minColumn}, {"maxColumn", v->maxColumn},
                {"maxRow", v->maxRow},         {"minRow", v->minRow},       {"firstStretch", v->firstStretch},
                {"endStretch", v->endStretch}, {"column", v->column}};
    }
    const auto& n = std::get<Zalvo::NoRoom>(room);
    return {{"kind", "none"},
            {"pixels", PixelsToJson(n.pixels)},
            {"firstStretch", n.firstStretch},
            {"endStretch", n.endStretch}};
}

Json BuildReport(const PlateImage& image, const PlanParameters& parameters, const PlanResult& result,
                 const ReportContext& context) {
    Json report;
    report["status"] = result.HasPath() ? "ok" : "no-path";
    if (!result.HasPath()) report["reason"] = result.noPathReason;
    report["plate"] = PlateToJson(image, parameters, context);
    report["parameters"] = ParametersToJson(parameters, context.request);
    if (result.HasPath()) {
        report["foundPath"] = PixelsToJson(*result.foundPath);
        report["optimizedPaths"] = {{"up", ShiftedPathToJson(result.up)},
                                    {"down", ShiftedPathToJson(result.down)},
                                    {"taken", result.taken == Direction::Up ? "up" : "down"}};
    } else {
        report["foundPath"] = nullptr;
        report["optimizedPaths"] = nullptr;
    }
    Json rooms = Json::array();
    for (const auto& room : result.rooms) rooms.push_back(RoomToJson(room));
    report["rooms"] = std::move(rooms);
    report["sparsePath"] = PixelsToJson(result.sparsePath);
    report["cutLine"] = PixelsToJson(result.cutLine);
    report["warnings"] = context.warnings;
    Json timings = Json::object();
    for (const auto& timing : result.timings) timings[timing.stage] = timing.milliseconds;
    report["timings"] = std::move(timings);
    return report;
}

}  // namespace ZalvoPlan
