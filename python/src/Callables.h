// The host callables of the library, given from Python as None (zero), as a
// Python callable, or as a float64 array read in C++.
#pragma once

#include "Arrays.h"

#include <zalvo/zalvo.h>

#include <string>
#include <utility>

namespace ZalvoPython {

// A library callable and whether calling it runs Python code: only then must
// the GIL be held while the library works.
template <class Function>
struct HostCallable {
    Function function;
    bool callsPython = false;
    py::object owner;  // keeps a Python callable or an array alive
};

using PixelCost = HostCallable<Zalvo::PixelCostFunction>;
using ShiftPenalty = HostCallable<Zalvo::ShiftPenaltyFunction>;
using Impassable = HostCallable<Zalvo::ImpassableFunction>;

// `given` may be None (every penalty 0), a callable taking the pixel (x, y)
// and returning a float, or a float64 array of shape (rows, columns), the
// terrain's. The array is read with the row wrapped by the row count, as the
// library wraps rows; a column off the grid costs 0, as it reads flat there.
PixelCost PixelCostArgument(const py::object& given, const std::string& name, std::int32_t rows, std::int32_t columns);

// None (every penalty 0), a callable taking the distance, or a 1-D float64
// array indexed by the distance; a distance past its end is a ValueError.
ShiftPenalty ShiftPenaltyArgument(const py::object& given, const std::string& name);

// None (all content impassable), a callable taking the pixel (x, y), or a
// bool or uint8 mask of the plate's shape.
Impassable ImpassableArgument(const py::object& given, const std::string& name, std::int32_t rows,
                              std::int32_t columns);

// Runs `work` with the GIL released unless a Python callable takes part.
template <class Work>
auto RunLibrary(bool callsPython, Work&& work) {
    if (callsPython) return std::forward<Work>(work)();
    py::gil_scoped_release release;
    return std::forward<Work>(work)();
}

}  // namespace ZalvoPython
