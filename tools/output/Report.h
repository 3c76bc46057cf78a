// The JSON report of a plan.
#pragma once

#include "input/PlateImage.h"
#include "plan/Options.h"
#include "plan/Pipeline.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace ZalvoPlan {

// Where the plate and its resolution came from, and what the user asked for
// (the report gives each distance as given, next to its millipoints).
struct ReportContext {
    std::string source;            // "sample" or the input file's name
    std::string resolutionSource;  // "option", "file", "sample" or "default"
    PlanRequest request;
    std::vector<std::string> warnings;  // also printed on stderr
};

// The whole report: "status" ("ok" or "no-path"), "plate", "parameters",
// "foundPath", "optimizedPaths" (both, with "taken"), "rooms", "sparsePath",
// "cutLine" (its corners), "warnings" and "timings" in milliseconds; "reason"
// after a no-path status. Pixels are [x, y] pairs, rows unwrapped.
nlohmann::ordered_json BuildReport(const PlateImage& image, const PlanParameters& parameters, const PlanResult& result,
                                   const ReportContext& context);

nlohmann::ordered_json RoomToJson(const Zalvo::WiggleRoom& room);

// The report as text: indented by two, keys in their order, and arrays of
// plain values (a pixel, the split columns) kept on one line, so a path reads
// as one pixel per line. Ends with a newline.
std::string FormatJson(const nlohmann::ordered_json& value);

}  // namespace ZalvoPlan
