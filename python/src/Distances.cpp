#include "Distances.h"

#include "Instances.h"

#include "input/Units.h"

#include <pybind11/stl.h>

#include <array>
#include <charconv>
#include <cmath>

namespace ZalvoPython {
namespace {

// The shortest text that reads back as exactly `value`, so a distance made
// from a number parses to that very number; -0 is shown as 0.
std::string ShortestText(double value) {
    if (value == 0.0) value = 0.0;
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

std::string DistanceRepr(const py::object& self) {
    if (!IsConstructed<Distance>(self)) return UnconstructedRepr<Distance>();
    const Distance& distance = Unwrap<Distance>(self);
    return "Distance('" + distance.text + "', milli_points=" + ShortestText(distance.milliPoints) + ")";
}

// A pickled Distance: (milli_points, text), the number finite, not negative
// and, unless the text is in pixels (whose millipoints depend on the
// resolution, which is not kept), the number the text gives.
Distance DistanceFromState(const py::object& state) {
    if (!py::isinstance<py::tuple>(state)) {
        ThrowTypeError("Distance state must be a tuple (milli_points, text), not " + TypeName(state));
    }
    const auto fields = py::reinterpret_borrow<py::tuple>(state);
    if (fields.size() != 2) {
        ThrowValueError("Distance state must hold 2 fields (milli_points, text), not " + std::to_string(fields.size()));
    }
    const bool isNumber = (py::isinstance<py::float_>(fields[0]) || py::isinstance<py::int_>(fields[0])) &&
                          !py::isinstance<py::bool_>(fields[0]);
    if (!isNumber) ThrowTypeError("Distance state milli_points must be a number, not " + TypeName(fields[0]));
    if (!py::isinstance<py::str>(fields[1])) {
        ThrowTypeError("Distance state text must be a str, not " + TypeName(fields[1]));
    }
    const double milliPoints = FloatArgument(fields[0], "Distance state milli_points");
    const auto text = fields[1].cast<std::string>();
    if (!(std::isfinite(milliPoints) && milliPoints >= 0.0)) {
        ThrowValueError("Distance state milli_points must be a finite number of 0 or more, not " +
                        ShortestText(milliPoints));
    }
    const ZalvoPlan::Length length = ZalvoPlan::ParseLength(text, "Distance state text");
    if (length.unit != ZalvoPlan::LengthUnit::Pixel) {
        const double expected = ZalvoPlan::ToMilliPoints(length, 0.0);
        if (milliPoints != expected) {
            ThrowValueError("Distance state milli_points " + ShortestText(milliPoints) + " is not the text '" + text +
                            "', which gives " + ShortestText(expected));
        }
    }
    return {milliPoints + 0.0, text};
}

}  // namespace

Distance ParseDistance(const std::string& text, const std::string& name, std::optional<double> resolution) {
    const ZalvoPlan::Length length = ZalvoPlan::ParseLength(text, name);
    if (length.unit == ZalvoPlan::LengthUnit::Pixel) {
        if (!resolution) ThrowValueError(name + " '" + text + "' is in pixels: give the resolution too");
        CheckResolution(*resolution, name + " '" + text + "'");
    }
    const double milliPoints = ZalvoPlan::ToMilliPoints(length, resolution.value_or(0.0));
    if (!std::isfinite(milliPoints)) {
        ThrowValueError(name + " '" + text + "' is too large: more millipoints than a double holds");
    }
    return {milliPoints, text};
}

Distance DistanceArgument(const py::handle& object, const std::string& name, std::optional<double> resolution,
                          bool numbersAreMilliPoints) {
    if (py::isinstance<Distance>(object)) return Unwrap<Distance>(object, name);
    if (py::isinstance<py::str>(object)) return ParseDistance(object.cast<std::string>(), name, resolution);
    const bool isNumber = py::isinstance<py::float_>(object) || py::isinstance<py::int_>(object);
    if (numbersAreMilliPoints && isNumber && !py::isinstance<py::bool_>(object)) {
        const double milliPoints = FloatArgument(object, name) + 0.0;
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
        .def_property_readonly("milli_points",
                               [](const py::object& self) { return Unwrap<Distance>(self).milliPoints; })
        .def_property_readonly("text", [](const py::object& self) { return Unwrap<Distance>(self).text; })
        .def("__float__", [](const py::object& self) { return Unwrap<Distance>(self).milliPoints; })
        .def("__eq__",
             [](const py::object& self, const py::object& other) -> py::object {
                 if (!py::isinstance<Distance>(other)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 const Distance& a = Unwrap<Distance>(self);
                 const Distance& b = Unwrap<Distance>(other, "other");
                 return py::bool_(a.milliPoints == b.milliPoints && a.text == b.text);
             })
        .def("__hash__",
             [](const py::object& self) {
                 const Distance& d = Unwrap<Distance>(self);
                 return py::hash(py::make_tuple(d.milliPoints, d.text));
             })
        .def("__repr__", &DistanceRepr)
        .def("__str__", [](const py::object& self) { return Unwrap<Distance>(self).text; })
        .def(py::pickle(
            [](const py::object& self) -> py::object {
                const Distance& d = Unwrap<Distance>(self);
                return py::make_tuple(d.milliPoints, d.text);
            },
            &DistanceFromState));

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
