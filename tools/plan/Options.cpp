#include "plan/Options.h"

#include <cstdio>
#include <limits>
#include <type_traits>
#include <utility>

namespace ZalvoPlan {
namespace {

// Resolutions outside this range are typing errors, not plates.
constexpr double kMinimumResolution = 0.1;
constexpr double kMaximumResolution = 1'000'000.0;
// Whole-pixel parameters, weights and penalties beyond this are typing errors too.
constexpr double kMaximumIntegerParameter = 1'000'000;
constexpr double kMaximumWeight = 1'000'000.0;
constexpr double kLargestColumn = std::numeric_limits<std::int32_t>::max();

template <auto Member>
ChoiceField ChoiceOf(std::string PlanRequest::*given, std::vector<OptionChoice> choices) {
    using Enum = std::remove_cvref_t<decltype(std::declval<PlanParameters&>().*Member)>;
    return {given, std::move(choices), [](const PlanParameters& p) { return static_cast<int>(p.*Member); },
            [](PlanParameters& p, int value) { p.*Member = static_cast<Enum>(value); }};
}

PlanOption Pixels(const char* flag, const char* pythonName, const char* jsonKey, PixelsField field, const char* group,
                  const char* help) {
    return {flag, pythonName, jsonKey, group, help, 0.0, kMaximumIntegerParameter, field};
}

PlanOption Number(const char* flag, const char* pythonName, const char* jsonKey, NumberField field, const char* help) {
    return {flag, pythonName, jsonKey, "Costs", help, 0.0, kMaximumWeight, field};
}

PlanOption Length(const char* flag, const char* pythonName, const char* jsonKey, DistanceField field,
                  const char* help) {
    return {flag, pythonName, jsonKey, "Distances", help, 0.0, 0.0, field};
}

// The resolution, the distances and the costs: what the terrain and the search take.
void AddSearchOptions(std::vector<PlanOption>& options) {
    options.push_back({"--resolution", "resolution", "resolution", "Input", "The plate's resolution",
                       kMinimumResolution, kMaximumResolution, &PlanRequest::resolution});
    options.push_back(Length("--min-distance", "min_distance", "minimumDistance",
                             {&PlanRequest::minimumDistance, &PlanParameters::minimumDistance},
                             "Distance from content that the line must keep: a blocked margin"));
    options.push_back(Length("--preferred-distance", "preferred_distance", "preferredDistance",
                             {&PlanRequest::preferredDistance, &PlanParameters::preferredDistance},
                             "Distance from content beyond which the line is no longer pushed away: a cost ramp"));
    options.push_back(
        {"--penalty", "penalty", "penalty", "Costs", "Extra cost per pixel of the line", 0.0, 0.0,
         ChoiceOf<&PlanParameters::penalty>(
             &PlanRequest::penalty,
             {{"none", PenaltyModel::None, "no penalty"},
              {"middle", PenaltyModel::Middle,
               "the line prefers the plate's middle rows: weight x distance from the middle row / half the height"},
              {"slope", PenaltyModel::Slope,
               "weight x steepness of the cost ramp, keeping the shifted line away from content"}})});
    options.push_back(Number("--penalty-weight", "penalty_weight", "penaltyWeight", &PlanParameters::penaltyWeight,
                             "Largest penalty per pixel"));
    options.push_back(Number("--shift-penalty", "shift_penalty", "shiftPenalty", &PlanParameters::shiftPenalty,
                             "Cost per row when the found line is moved up or down as a whole"));
    options.push_back(Pixels("--clearance", "clearance", "clearance", &PlanParameters::clearance, "Costs",
                             "Free rows that must remain beyond the line after it is moved"));
}

// The wiggle rooms and the row adjustment: what shapes the line into pieces.
void AddShapeOptions(std::vector<PlanOption>& options) {
    options.push_back(Pixels("--transition-half-width", "transition_half_width", "transitionHalfWidth",
                             &PlanParameters::transitionHalfWidth, "Wiggle rooms",
                             "Half the width of the window in which a vertical step is placed"));
    options.push_back(Pixels("--minimum-band", "minimum_band", "minimumBand", &PlanParameters::minimumBand,
                             "Wiggle rooms", "Fewest free rows a straight horizontal piece must keep"));
    options.push_back(Pixels("--sufficient-band", "sufficient_band", "sufficientBand", &PlanParameters::sufficientBand,
                             "Wiggle rooms", "Free rows beyond which a horizontal piece asks for no more"));
    options.push_back({"--split-column", "split_columns", "splitColumns", "Wiggle rooms",
                       "Column at which horizontal pieces are always broken", 0.0, kLargestColumn,
                       &PlanParameters::splitColumns});
    options.push_back(
        {"--row-policy", "row_policy", "rowPolicy", "Row adjustment", "How horizontal pieces choose their rows", 0.0,
         0.0,
         ChoiceOf<&PlanParameters::rowPolicy>(
             &PlanRequest::rowPolicy, {{"plate-usage", RowPolicy::PlateUsage,
                                        "all as close as they can to one common row, the middle of the line"},
                                       {"stagger", RowPolicy::Stagger, "each on the row the line itself runs at"}})});
    options.push_back(Pixels("--existing-clearance", "existing_clearance", "existingClearance",
                             &PlanParameters::existingClearance, "Row adjustment",
                             "Clearance the content already has"));
    options.push_back(Pixels("--wanted-clearance", "wanted_clearance", "wantedClearance",
                             &PlanParameters::wantedClearance, "Row adjustment",
                             "Clearance wanted on each side of a horizontal piece"));
    options.push_back(Pixels("--corner-radius", "corner_radius", "cornerRadius", &PlanParameters::cornerRadius,
                             "Row adjustment", "Radius of the corners where horizontal and vertical pieces meet"));
    options.push_back(Pixels("--minimum-width", "minimum_width", "minimumWidth", &PlanParameters::minimumWidth,
                             "Row adjustment", "Smallest acceptable free width around a horizontal piece"));
    options.push_back(Pixels("--line-width", "line_width", "lineWidth", &PlanParameters::lineWidth, "Row adjustment",
                             "Width of the cut line"));
}

}  // namespace

const char* UnitOf(OptionKind kind) {
    switch (kind) {
        case OptionKind::Resolution: return "pixels per inch";
        case OptionKind::Length: return "a length with a unit";
        case OptionKind::Choice: return "a name";
        case OptionKind::Number: return "a number";
        case OptionKind::Pixels:
        case OptionKind::Columns: break;
    }
    return "pixels";
}

std::string NumberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

const std::vector<OptionChoice>& PlanOption::Choices() const {
    static const std::vector<OptionChoice> none;
    const auto* choice = std::get_if<ChoiceField>(&field);
    return choice ? choice->choices : none;
}

std::string PlanOption::DefaultText() const {
    const PlanRequest defaults;
    switch (Kind()) {
        case OptionKind::Resolution: return "the image's own, else " + NumberText(kDefaultResolution);
        case OptionKind::Length: return (defaults.*std::get<DistanceField>(field).given).text;
        case OptionKind::Choice: return defaults.*std::get<ChoiceField>(field).given;
        case OptionKind::Pixels: return std::to_string(defaults.plan.*std::get<PixelsField>(field));
        case OptionKind::Number: return NumberText(defaults.plan.*std::get<NumberField>(field));
        case OptionKind::Columns: break;
    }
    return "none";
}

const std::vector<PlanOption>& PlanOptions() {
    static const std::vector<PlanOption> options = [] {
        std::vector<PlanOption> all;
        AddSearchOptions(all);
        AddShapeOptions(all);
        return all;
    }();
    return options;
}

const char* ChoiceName(const PlanOption& option, const PlanParameters& parameters) {
    const auto& choice = std::get<ChoiceField>(option.field);
    const int value = choice.get(parameters);
    for (const auto& known : choice.choices) {
        if (known.value == value) return known.name;
    }
    return choice.choices.front().name;
}

}  // namespace ZalvoPlan
