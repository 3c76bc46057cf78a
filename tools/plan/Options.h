// The options of a plan, each declared once: its names on the command line,
// in Python and in the JSON report, its kind (which gives its unit), its
// limits, its help, and the field it fills. The command line, the report and
// the Python package all read this one table; adding an option is one entry
// (and its field).
#pragma once

#include "plan/Pipeline.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ZalvoPlan {

// The resolution of a plate whose file gives none: most plate images are
// drawn for 300 pixels per inch.
inline constexpr double kDefaultResolution = 300.0;

// A distance as the user gave it: its text ("0.5mm", "3px"), and its
// millipoints when it came already measured (a Python Distance object);
// otherwise the text is read at the plate's resolution.
struct DistanceRequest {
    std::string text;
    std::optional<double> milliPoints;
};

// What the user asked for, before it meets a plate: the resolution when
// given, the distances and choices as written, and every number of the plan.
// The plan's own resolution, distances and choices are filled in only when
// the request is resolved against a plate (ResolvePlan).
struct PlanRequest {
    std::optional<double> resolution;
    DistanceRequest minimumDistance{"0.5mm", std::nullopt};
    DistanceRequest preferredDistance{"1.5mm", std::nullopt};
    std::string penalty = "none";
    std::string rowPolicy = "plate-usage";
    PlanParameters plan;
};

// One name a choice option accepts, the value of its enum, and what it means.
struct OptionChoice {
    template <class Enum>
    OptionChoice(const char* name_, Enum value_, const char* meaning_)
        : name(name_), value(static_cast<int>(value_)), meaning(meaning_) {}

    const char* name;
    int value;
    const char* meaning;
};

// Where an option's value goes. What must meet a plate first (the
// resolution, a distance, a choice name) is the request's own; the numbers
// go straight into the plan's parameters.
using ResolutionField = std::optional<double> PlanRequest::*;
struct DistanceField {
    DistanceRequest PlanRequest::*given;
    double PlanParameters::*milliPoints;
};
struct ChoiceField {
    std::string PlanRequest::*given;
    std::vector<OptionChoice> choices;
    int (*get)(const PlanParameters&);
    void (*set)(PlanParameters&, int);
};
using PixelsField = std::int32_t PlanParameters::*;
using NumberField = double PlanParameters::*;
using ColumnsField = std::vector<std::int32_t> PlanParameters::*;
using OptionField = std::variant<ResolutionField, DistanceField, ChoiceField, PixelsField, NumberField, ColumnsField>;

// Visits an option's field with one of several lambdas: one for each kind
// that matters where it is visited.
template <class... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};

// An option's kind: the alternative its field holds, in the same order.
enum class OptionKind {
    Resolution,  // pixels per inch
    Length,      // a length with a unit
    Choice,      // a name
    Pixels,      // a whole number of pixels
    Number,      // a number
    Columns,     // column numbers (pixels), any count
};

// The unit an option's kind takes, for help and messages: "pixels", "a
// length with a unit", "pixels per inch", "a name" or "a number".
const char* UnitOf(OptionKind kind);

enum class OptionSpelling { CommandLine, Python };

struct PlanOption {
    const char* flag;        // "--min-distance"
    const char* pythonName;  // "min_distance"
    const char* jsonKey;     // "minimumDistance"; the resolution is reported with the plate
    const char* group;       // where the command line's help shows it
    const char* help;        // what it does, one phrase
    double minimum = 0.0;    // limits of the numbers (and of each column)
    double maximum = 0.0;
    OptionField field;

    OptionKind Kind() const { return static_cast<OptionKind>(field.index()); }
    const char* Name(OptionSpelling spelling) const {
        return spelling == OptionSpelling::CommandLine ? flag : pythonName;
    }
    // The choices of a choice option; none for the other kinds.
    const std::vector<OptionChoice>& Choices() const;
    // The default as the help shows it: "0.5mm", "none", "2", "0.1", or in
    // words for the resolution ("the image's own, else 300") and the split
    // columns ("none").
    std::string DefaultText() const;
};

// The 17 plan options, in the order of the report's "parameters" (the
// resolution first, which the report gives with the plate).
const std::vector<PlanOption>& PlanOptions();

// The name of the choice `option` holds in `parameters`.
const char* ChoiceName(const PlanOption& option, const PlanParameters& parameters);

// A limit or a number as the messages write it: "0.1", "1000000".
std::string NumberText(double value);

}  // namespace ZalvoPlan
