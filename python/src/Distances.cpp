#include "Distances.h"

#include <Units.h>

#include <pybind11/stl.h>

#include <array>
#include <charconv>
#include <cmath>

namespace ZalvoPython {
namespace {

// The shortest text that reads back as exactly `value`, so a distance made
// from a number parses to that very number.
std::string ShortestText(double value) {
    std::array<char, 32> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

Distance InUnit(double value, const char* unit, std::optional<double> resolution) {
    return ParseDistance(ShortestText(value) + unit, "distance", resolution);
}

void CheckResolution(double resolution, const std::string& name) {
    if (!std::isfinite(resolution) || resolution <= 0.0) {
        ThrowValueError(name + " needs a positive finite resolution, not " + ShortestText(resolution));
    }
}

std::string DistanceRepr(const Distance& distance) {
    return "Distance('" + distance.text + "', milli_points=" + ShortestText(distance.milliPoints) + ")";
}

}  // namespace

Distance ParseDistance(const std::string& text, const std::string& name, std::optional<double> resolution) {
    const ZalvoPlan::Length length = ZalvoPlan::ParseLength(text, name);
    if (length.unit == ZalvoPlan::LengthUnit::Pixel) {
        if (!resolution) ThrowValueError(name + " '" + text + "' is in pixels: give the resolution too");
        CheckResolution(*resolution, name + " '" + text + "'");
    }
    return {ZalvoPlan::ToMilliPoints(length, resolution.value_or(0.0)), text};
}

Distance DistanceArgument(const py::handle& object, const std::string& name, std::optional<double> resolution,
                          bool numbersAreMilliPoints) {
    if (py::isinstance<Distance>(object)) return object.cast<Distance>();
    if (py::isinstance<py::str>(object)) return ParseDistance(object.cast<std::string>(), name, resolution);
    const bool isNumber = py::isinstance<py::float_>(object) || py::isinstance<py::int_>(object);
    if (numbersAreMilliPoints && isNumber && !py::isinstance<py::bool_>(object)) {
        const double milliPoints = object.cast<double>();
        return {milliPoints, ShortestText(milliPoints) + "mpt"};
    }
    ThrowTypeError(name + " needs a unit: a string such as '0.5mm' or a distance such as zalvo.mm(0.5)" +
                   std::string(numbersAreMilliPoints ? ", or a number of millipoints" : ""));
}

void BindDistances(py::module_& module) {
    py::class_<Distance>(module, "Distance",
                         "A length in millipoints (1/1000 point, 72 points to the inch) and the text it was given as.")
        .def(py::init([](const std::string& text, std::optional<double> resolution) {
                 return ParseDistance(text, "distance", resolution);
             }),
             py::arg("text"), py::arg("resolution") = py::none(),
             "Parses '<number><unit>' like the planner: mm, cm, in, pt, mpt or px (px needs the resolution).")
        .def_readonly("milli_points", &Distance::milliPoints)
        .def_readonly("text", &Distance::text)
        .def("__float__", [](const Distance& d) { return d.milliPoints; })
        .def("__eq__",
             [](const Distance& a, const py::object& b) -> py::object {
                 if (!py::isinstance<Distance>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 const auto& other = b.cast<const Distance&>();
                 return py::bool_(a.milliPoints == other.milliPoints && a.text == other.text);
             })
        .def("__hash__", [](const Distance& d) { return py::hash(py::make_tuple(d.milliPoints, d.text)); })
        .def("__repr__", &DistanceRepr)
        .def("__str__", [](const Distance& d) { return d.text; })
        .def(py::pickle([](const Distance& d) { return py::make_tuple(d.milliPoints, d.text); },
                        [](const py::tuple& state) {
                            if (state.size() != 2) ThrowValueError("a pickled Distance must hold 2 fields");
                            return Distance{state[0].cast<double>(), state[1].cast<std::string>()};
                        }));

    module.def(
        "mm", [](double value) { return InUnit(value, "mm", std::nullopt); }, py::arg("value"),
        "A length in millimetres.");
    module.def(
        "cm", [](double value) { return InUnit(value, "cm", std::nullopt); }, py::arg("value"),
        "A length in centimetres.");
    module.def(
        "inch", [](double value) { return InUnit(value, "in", std::nullopt); }, py::arg("value"),
        "A length in inches.");
    module.def(
        "pt", [](double value) { return InUnit(value, "pt", std::nullopt); }, py::arg("value"),
        "A length in points (1/72 inch).");
    module.def(
        "mpt", [](double value) { return InUnit(value, "mpt", std::nullopt); }, py::arg("value"),
        "A length in millipoints (1/1000 point), the library's unit.");
    module.def(
        "px", [](double value, double resolution) { return InUnit(value, "px", resolution); }, py::arg("value"),
        py::arg("resolution"),
        "A length of whole or fractional pixels at `resolution` pixels per inch, converted so that the "
        "library turns it back into exactly that many pixels (never a rounding error more).");
}

}  // namespace ZalvoPython
