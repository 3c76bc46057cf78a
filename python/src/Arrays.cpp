#include "Arrays.h"

#include <limits>

namespace ZalvoPython {
namespace {

constexpr auto kInt32Max = std::numeric_limits<std::int32_t>::max();

std::string TypeName(const py::handle& object) { return py::str(py::type::handle_of(object).attr("__name__")); }

std::string ShapeText(const py::array& array) {
    std::string text = "(";
    for (py::ssize_t i = 0; i < array.ndim(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(array.shape(i));
    }
    return text + (array.ndim() == 1 ? ",)" : ")");
}

// `object` as a C-contiguous array of T, or TypeError naming the argument.
template <class T>
py::array_t<T, py::array::c_style> TypedArray(const py::handle& object, const std::string& name,
                                              const std::string& dtypeName) {
    if (!py::isinstance<py::array>(object)) {
        ThrowTypeError(name + " must be a numpy array of " + dtypeName + ", not " + TypeName(object));
    }
    if (!py::isinstance<py::array_t<T>>(object)) {
        ThrowTypeError(name + " must have dtype " + dtypeName + ", not " + std::string(py::str(object.attr("dtype"))));
    }
    // No forcecast: the dtype already matches, so this copies only to make the array contiguous.
    return py::array_t<T, py::array::c_style>::ensure(object);
}

template <class T>
const char* DtypeName();
template <>
const char* DtypeName<std::uint8_t>() {
    return "uint8";
}
template <>
const char* DtypeName<double>() {
    return "float64";
}

void CheckGridShape(const py::array& array, const std::string& name) {
    if (array.ndim() != 2) {
        ThrowValueError(name + " must have 2 dimensions (rows, columns), not " + std::to_string(array.ndim()) +
                        " (shape " + ShapeText(array) + ")");
    }
    if (array.shape(0) == 0 || array.shape(1) == 0) {
        ThrowValueError(name + " has no cells (shape " + ShapeText(array) + ")");
    }
    if (array.shape(0) > kInt32Max || array.shape(1) > kInt32Max) {
        ThrowValueError(name + " has more rows or columns than 32-bit coordinates reach (shape " + ShapeText(array) +
                        ")");
    }
}

template <class T>
Grid<T> MakeGrid(py::array_t<T, py::array::c_style> array, const std::string& name) {
    CheckGridShape(array, name);
    Grid<T> grid;
    grid.cells = array.data();
    grid.rows = static_cast<std::int32_t>(array.shape(0));
    grid.columns = static_cast<std::int32_t>(array.shape(1));
    grid.owner = std::move(array);
    return grid;
}

}  // namespace

void ThrowTypeError(const std::string& message) { throw py::type_error(message); }
void ThrowValueError(const std::string& message) { throw py::value_error(message); }

template <class T>
Grid<T> GridArgument(const py::handle& object, const std::string& name) {
    return MakeGrid<T>(TypedArray<T>(object, name, DtypeName<T>()), name);
}

template Grid<std::uint8_t> GridArgument<std::uint8_t>(const py::handle&, const std::string&);
template Grid<double> GridArgument<double>(const py::handle&, const std::string&);

Grid<std::uint8_t> MaskArgument(const py::handle& object, const std::string& name) {
    if (py::isinstance<py::array_t<bool>>(object)) {
        // numpy stores a bool as one byte, 0 or 1: read it as uint8.
        return MaskArgument(object.attr("view")("uint8"), name);
    }
    return MakeGrid<std::uint8_t>(TypedArray<std::uint8_t>(object, name, "bool or uint8"), name);
}

Zalvo::Terrain ToTerrain(const Grid<std::uint8_t>& grid) {
    Zalvo::Terrain terrain(static_cast<std::size_t>(grid.columns),
                           std::vector<std::uint8_t>(static_cast<std::size_t>(grid.rows)));
    for (std::int32_t y = 0; y < grid.rows; ++y) {
        for (std::int32_t x = 0; x < grid.columns; ++x) {
            terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] = grid.At(x, y);
        }
    }
    return terrain;
}

py::array_t<std::uint8_t> TerrainToArray(const Zalvo::Terrain& terrain) {
    const auto columns = static_cast<py::ssize_t>(Zalvo::GetColumnCount(terrain));
    const auto rows = static_cast<py::ssize_t>(Zalvo::GetRowCount(terrain));
    py::array_t<std::uint8_t> array({rows, columns});
    auto cells = array.mutable_unchecked<2>();
    for (py::ssize_t x = 0; x < columns; ++x) {
        const auto& column = terrain[static_cast<std::size_t>(x)];
        for (py::ssize_t y = 0; y < rows; ++y) cells(y, x) = column[static_cast<std::size_t>(y)];
    }
    return array;
}

std::vector<Zalvo::Pixel> PathArgument(const py::handle& object, const std::string& name) {
    const auto array = TypedArray<std::int32_t>(object, name, "int32");
    if (array.ndim() != 2 || array.shape(1) != 2) {
        ThrowValueError(name + " must have shape (N, 2), one (x, y) per row, not " + ShapeText(array));
    }
    const auto cells = array.unchecked<2>();
    std::vector<Zalvo::Pixel> path(static_cast<std::size_t>(array.shape(0)));
    for (py::ssize_t i = 0; i < array.shape(0); ++i) path[static_cast<std::size_t>(i)] = {cells(i, 0), cells(i, 1)};
    return path;
}

py::array_t<std::int32_t> PathToArray(const std::vector<Zalvo::Pixel>& path) {
    py::array_t<std::int32_t> array({static_cast<py::ssize_t>(path.size()), py::ssize_t{2}});
    auto cells = array.mutable_unchecked<2>();
    for (std::size_t i = 0; i < path.size(); ++i) {
        cells(static_cast<py::ssize_t>(i), 0) = path[i].x;
        cells(static_cast<py::ssize_t>(i), 1) = path[i].y;
    }
    return array;
}

std::set<Zalvo::Pixel> SeedsArgument(const py::handle& object, const std::string& name) {
    if (object.is_none()) return {};
    const auto path = PathArgument(object, name);
    return {path.begin(), path.end()};
}

std::int32_t Int32Argument(const py::handle& object, const std::string& name) {
    if (!py::isinstance<py::int_>(object) && !py::hasattr(object, "__index__")) {
        ThrowTypeError(name + " must be an int, not " + TypeName(object));
    }
    const py::int_ value = py::reinterpret_steal<py::int_>(PyNumber_Index(object.ptr()));
    if (!value) throw py::error_already_set();
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0 || number < std::numeric_limits<std::int32_t>::min() || number > kInt32Max) {
        ThrowValueError(name + " = " + std::string(py::str(py::handle(value))) + " lies outside the 32-bit range");
    }
    return static_cast<std::int32_t>(number);
}

double FloatArgument(const py::handle& object, const std::string& name) {
    const double value = PyFloat_AsDouble(object.ptr());
    if (value == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        ThrowTypeError(name + " must be a number, not " + TypeName(object));
    }
    return value;
}

Zalvo::Pixel PixelArgument(const py::handle& object, const std::string& name) {
    if (!py::isinstance<py::sequence>(object) || py::len(object) != 2) {
        ThrowTypeError(name + " must be a pair (x, y), not " + TypeName(object));
    }
    const auto pair = py::reinterpret_borrow<py::sequence>(object);
    return {Int32Argument(pair[0], name + " x"), Int32Argument(pair[1], name + " y")};
}

py::tuple PixelToTuple(const Zalvo::Pixel& pixel) { return py::make_tuple(pixel.x, pixel.y); }

}  // namespace ZalvoPython
