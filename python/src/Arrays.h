// numpy arrays in and out. Grids arrive as (rows, columns), the way images are
// stored; the library indexes its terrain [x][y]. The transposition happens
// here and nowhere else.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <zalvo/zalvo.h>

#include <cstddef>
#include <cstdint>
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

// The 2-D array `object` of dtype T, copied when not C-contiguous. Throws
// TypeError when it is not a numpy array of that dtype, ValueError when it
// has not 2 dimensions or has no cells; both name `name`.
template <class T>
Grid<T> GridArgument(const py::handle& object, const std::string& name);

// A mask of occupied or impassable pixels: bool or uint8 (nonzero is true).
Grid<std::uint8_t> MaskArgument(const py::handle& object, const std::string& name);

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

// A Python int as a 32-bit integer; ValueError naming `name` outside that range.
std::int32_t Int32Argument(const py::handle& object, const std::string& name);

// A Python number as a double; TypeError naming `name` for anything else.
double FloatArgument(const py::handle& object, const std::string& name);

[[noreturn]] void ThrowTypeError(const std::string& message);
[[noreturn]] void ThrowValueError(const std::string& message);

}  // namespace ZalvoPython
