#include "Callables.h"

#include <stdexcept>
#include <type_traits>

namespace ZalvoPython {
namespace {

// Calls a Python callable from the library, with the GIL held. A Python
// exception leaves as py::error_already_set, which the library lets pass
// unchanged and pybind11 turns back into the very exception object. A result
// that is no number (no truth value) is a TypeError naming the argument.
template <class Result, class Argument>
Result CallPython(const py::object& callable, const std::string& name, Argument&& argument) {
    py::gil_scoped_acquire gil;
    const py::object result = callable(std::forward<Argument>(argument));
    if constexpr (std::is_same_v<Result, bool>) {
        return TruthResult(result, name);
    } else {
        return NumberResult(result, name);
    }
}

std::int32_t WrapRow(std::int32_t row, std::int32_t rows) {
    const std::int32_t remainder = row % rows;
    return remainder < 0 ? remainder + rows : remainder;
}

}  // namespace

PixelCost PixelCostArgument(const py::object& given, const std::string& name, std::int32_t rows, std::int32_t columns) {
    if (given.is_none()) return {[](const Zalvo::Pixel&) { return 0.0; }, false, given};
    if (PyCallable_Check(given.ptr())) {
        return {
            [given, name](const Zalvo::Pixel& pixel) { return CallPython<double>(given, name, PixelToTuple(pixel)); },
            true, given};
    }
    const Grid<double> grid = GridArgument<double>(given, name, GridShape{rows, columns});
    return {[view = CellView<double>(grid)](const Zalvo::Pixel& pixel) {
                if (pixel.x < 0 || pixel.x >= view.columns) return 0.0;
                return view.At(pixel.x, WrapRow(pixel.y, view.rows));
            },
            false, grid.owner};
}

ShiftPenalty ShiftPenaltyArgument(const py::object& given, const std::string& name) {
    if (given.is_none()) return {[](std::int32_t) { return 0.0; }, false, given};
    if (PyCallable_Check(given.ptr())) {
        return {[given, name](std::int32_t distance) { return CallPython<double>(given, name, distance); }, true,
                given};
    }
    if (!py::isinstance<py::array_t<double>>(given)) {
        ThrowTypeError(name + " must be None, a callable or a numpy array of float64");
    }
    if (const auto shape = py::reinterpret_borrow<py::array>(given); shape.ndim() != 1 || shape.shape(0) == 0) {
        ThrowValueError(name + " must be a 1-D array with at least one entry, one per distance");
    } else if (shape.shape(0) > kMostGridCells) {
        ThrowValueError(name + " has more entries than there are distances (at most " + std::to_string(kMostGridCells) +
                        ")");
    }
    const auto array = ContiguousArray<double>(given);
    const double* penalties = array.data();
    const auto count = static_cast<std::int64_t>(array.shape(0));
    return {[penalties, count, name](std::int32_t distance) {
                if (distance < 0 || distance >= count) {
                    throw std::invalid_argument(name + " has " + std::to_string(count) +
                                                " entries, none for the distance " + std::to_string(distance));
                }
                return penalties[distance];
            },
            false, array};
}

Impassable ImpassableArgument(const py::object& given, const std::string& name, std::int32_t rows,
                              std::int32_t columns) {
    if (given.is_none()) return {[](const Zalvo::Pixel&) { return true; }, false, given};
    if (PyCallable_Check(given.ptr())) {
        return {[given, name](const Zalvo::Pixel& pixel) { return CallPython<bool>(given, name, PixelToTuple(pixel)); },
                true, given};
    }
    const Grid<std::uint8_t> mask = MaskArgument(given, name, GridShape{rows, columns});
    return {[view = CellView<std::uint8_t>(mask)](const Zalvo::Pixel& pixel) {
                return view.Contains(pixel) && view.At(pixel.x, pixel.y) != 0;
            },
            false, mask.owner};
}

}  // namespace ZalvoPython
