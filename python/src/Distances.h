// Lengths with units, as the planner reads them: "0.5mm", zalvo.mm(0.5),
// zalvo.px(3, 300). The library's own unit is the millipoint.
#pragma once

#include "Arrays.h"

#include <optional>
#include <string>

namespace ZalvoPython {

struct Distance {
    double milliPoints = 0.0;
    std::string text;  // as the user wrote it, e.g. "0.5mm"
};

// "<number><unit>" parsed exactly as the planner parses its options. A length
// in px needs the resolution (pixels per inch); ValueError naming `name`
// without one.
Distance ParseDistance(const std::string& text, const std::string& name, std::optional<double> resolution);

// A Distance, a string with a unit, or (where `numbersAreMilliPoints`) a plain
// number of millipoints, the library's unit.
Distance DistanceArgument(const py::handle& object, const std::string& name, std::optional<double> resolution,
                          bool numbersAreMilliPoints);

void BindDistances(py::module_& module);

}  // namespace ZalvoPython
