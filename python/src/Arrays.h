// numpy arrays in and out. Grids arrive as (rows, columns), the way images are
// stored; the library indexes its terrain [x][y]. The transposition happens
// here and nowhere else.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ZalvoPython {

namespace py = pybind11;

// The cells of a rectangular, C-contiguous (rows, columns) array. Holds no
// Python object, so the library may copy it with the GIL released.
template <class T>
struct CellView {
    const T* cells = nullptr;
    std::int32_t rows = 0;
    std::int32_t columns = 0;

    T At(std::int32_t x, std::int32_t y) const {
        return cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x)];
    }
    bool Contains(const Zalvo::Pixel& pixel) const {
        return pixel.x >= 0 && pixel.x < columns && pixel.y >= 0 && pixel.y < rows;
    }
};

// The view and the array that owns its buffer: while the Grid lives, the
// cells may be read with the GIL released.
template <class T>
struct Grid : CellView<T> {
    py::array owner;
};

// The most cells a grid may have: the library refuses more (its search packs
// a pixel's address into 32 bits).
inline constexpr std::int64_t kMostGridCells = std::int64_t{1} << 31;

struct GridShape {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
};

// The 2-D array `object` of dtype T, copied when not C-contiguous. Throws
// TypeError when it is not a numpy array of that dtype, ValueError when it
// has not 2 dimensions, has no cells, more than kMostGridCells or another
// shape than `expected`; all name `name`, and all are checked before
// anything is copied.
template <class T>
Grid<T> GridArgument(const py::handle& object, const std::string& name,
                     std::optional<GridShape> expected = std::nullopt);

// A mask of occupied or impassable pixels: bool or uint8 (nonzero is true).
Grid<std::uint8_t> MaskArgument(const py::handle& object, const std::string& name,
                                std::optional<GridShape> expected = std::nullopt);

// The C-contiguous array of T that `array` (of dtype T) holds: `array`
// itself, or a copy. MemoryError when the copy cannot be made.
template <class T>
py::array_t<T, py::array::c_style> ContiguousArray(const py::handle& array) {
    return py::array_t<T, py::array::c_style>(py::reinterpret_borrow<py::object>(array));
}

// The library's terrain from a (rows, columns) uint8 grid, and back.
Zalvo::Terrain ToTerrain(const Grid<std::uint8_t>& grid);
py::array_t<std::uint8_t> TerrainToArray(const Zalvo::Terrain& terrain);

// A path: an (N, 2) int32 array of (x, y); N may be 0, for the library
// defines what an empty path means.
std::vector<Zalvo::Pixel> PathArgument(const py::handle& object, const std::string& name);
py::array_t<std::int32_t> PathToArray(const std::vector<Zalvo::Pixel>& path);
std::set<Zalvo::Pixel> SeedsArgument(const py::handle& object, const std::string& name);

// A pixel given as a pair (x, y) of 32-bit integers.
Zalvo::Pixel PixelArgument(const py::handle& object, const std::string& name);
py::tuple PixelToTuple(const Zalvo::Pixel& pixel);

// Column numbers: any iterable of ints but a str or bytes; TypeError naming
// `name` for anything else.
std::vector<std::int32_t> ColumnsArgument(const py::handle& object, const std::string& name);

// A Python int as a 32-bit integer; ValueError naming `name` outside that range.
std::int32_t Int32Argument(const py::handle& object, const std::string& name);

// A Python number as a double; TypeError naming `name` for anything else.
double FloatArgument(const py::handle& object, const std::string& name);

// What a Python callable (or a plate's method) `name` returned, as a number
// or a truth value. A result that is neither raises TypeError naming `name`,
// chained to the conversion's own error.
double NumberResult(const py::handle& result, const std::string& name);
bool TruthResult(const py::handle& result, const std::string& name);

// The name of `object`'s type, for messages.
std::string TypeName(const py::handle& object);

[[noreturn]] void ThrowTypeError(const std::string& message);
[[noreturn]] void ThrowValueError(const std::string& message);

}  // namespace ZalvoPython
