#include "Arrays.h"

#include <initializer_list>
#include <limits>

namespace ZalvoPython {
namespace {

constexpr auto kInt32Max = std::numeric_limits<std::int32_t>::max();

std::string ShapeText(const py::array& array) {
    std::string text = "(";
    for (py::ssize_t i = 0; i < array.ndim(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(array.shape(i));
    }
    return text + (array.ndim() == 1 ? ",)" : ")");
}

// `object` itself when it is a numpy array of T, or TypeError naming the
// argument. Nothing is copied yet: the shape is checked first.
template <class T>
py::array ArrayOfType(const py::handle& object, const std::string& name, const std::string& dtypeName) {
    if (!py::isinstance<py::array>(object)) {
        ThrowTypeError(name + " must be a numpy array of " + dtypeName + ", not " + TypeName(object));
    }
    if (!py::isinstance<py::array_t<T>>(object)) {
        ThrowTypeError(name + " must have dtype " + dtypeName + ", not " + std::string(py::str(object.attr("dtype"))));
    }
    return py::reinterpret_borrow<py::array>(object);
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

void CheckGridShape(const py::array& array, const std::string& name, const std::optional<GridShape>& expected) {
    if (array.ndim() != 2) {
        ThrowValueError(name + " must have 2 dimensions (rows, columns), not " + std::to_string(array.ndim()) +
                        " (shape " + ShapeText(array) + ")");
    }
    const std::int64_t rows = array.shape(0);
    const std::int64_t columns = array.shape(1);
    if (rows == 0 || columns == 0) ThrowValueError(name + " has no cells (shape " + ShapeText(array) + ")");
    // Each side alone first, so that the product cannot overflow.
    if (rows > kMostGridCells || columns > kMostGridCells || rows * columns > kMostGridCells) {
        ThrowValueError(name + " has more cells than the " + std::to_string(kMostGridCells) +
                        " the library accepts (shape " + ShapeText(array) + ")");
    }
    if (rows > kInt32Max || columns > kInt32Max) {
        ThrowValueError(name + " has more rows or columns than 32-bit coordinates reach (shape " + ShapeText(array) +
                        ")");
    }
    if (expected && (rows != expected->rows || columns != expected->columns)) {
        ThrowValueError(name + " must have the shape (" + std::to_string(expected->rows) + ", " +
                        std::to_string(expected->columns) + "), not " + ShapeText(array));
    }
}

template <class T>
Grid<T> MakeGrid(const py::array& checked) {
    auto array = ContiguousArray<T>(checked);
    Grid<T> grid;
    grid.cells = array.data();
    grid.rows = static_cast<std::int32_t>(array.shape(0));
    grid.columns = static_cast<std::int32_t>(array.shape(1));
    grid.owner = std::move(array);
    return grid;
}

// Renames a failed conversion of what a callable returned, keeping the
// conversion's own error as the cause; other errors pass unchanged.
[[noreturn]] void ThrowResultError(const std::string& name, const std::string& wanted, const py::handle& result,
                                   std::initializer_list<PyObject*> renamed) {
    for (PyObject* type : renamed) {
        if (PyErr_ExceptionMatches(type)) {
            py::raise_from(PyExc_TypeError, (name + " must return " + wanted + ", not " + TypeName(result)).c_str());
            break;
        }
    }
    throw py::error_already_set();
}

}  // namespace

void ThrowTypeError(const std::string& message) { throw py::type_error(message); }
void ThrowValueError(const std::string& message) { throw py::value_error(message); }

std::string TypeName(const py::handle& object) { return py::str(py::type::handle_of(object).attr("__name__")); }

template <class T>
Grid<T> GridArgument(const py::handle& object, const std::string& name, std::optional<GridShape> expected) {
    const py::array array = ArrayOfType<T>(object, name, DtypeName<T>());
    CheckGridShape(array, name, expected);
    return MakeGrid<T>(array);
}

template Grid<std::uint8_t> GridArgument<std::uint8_t>(const py::handle&, const std::string&, std::optional<GridShape>);
template Grid<double> GridArgument<double>(const py::handle&, const std::string&, std::optional<GridShape>);

Grid<std::uint8_t> MaskArgument(const py::handle& object, const std::string& name, std::optional<GridShape> expected) {
    if (py::isinstance<py::array_t<bool>>(object)) {
        // numpy stores a bool as one byte, 0 or 1: read it as uint8 (a view, nothing copied).
        return MaskArgument(object.attr("view")("uint8"), name, expected);
    }
    const py::array array = ArrayOfType<std::uint8_t>(object, name, "bool or uint8");
    CheckGridShape(array, name, expected);
    return MakeGrid<std::uint8_t>(array);
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
    const py::array given = ArrayOfType<std::int32_t>(object, name, "int32");
    if (given.ndim() != 2 || given.shape(1) != 2) {
        ThrowValueError(name + " must have shape (N, 2), one (x, y) per row, not " + ShapeText(given));
    }
    const auto array = ContiguousArray<std::int32_t>(given);
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
        if (PyErr_ExceptionMatches(PyExc_OverflowError)) {
            PyErr_Clear();
            ThrowValueError(name + " = " + std::string(py::str(object)) + " is too large for a float");
        }
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw py::error_already_set();
        PyErr_Clear();
        ThrowTypeError(name + " must be a number, not " + TypeName(object));
    }
    return value;
}

double NumberResult(const py::handle& result, const std::string& name) {
    const double value = PyFloat_AsDouble(result.ptr());
    if (value == -1.0 && PyErr_Occurred()) ThrowResultError(name, "a number", result, {PyExc_TypeError});
    return value;
}

bool TruthResult(const py::handle& result, const std::string& name) {
    const int truth = PyObject_IsTrue(result.ptr());
    // numpy raises ValueError for the truth of an array of many values.
    if (truth < 0) ThrowResultError(name, "a truth value", result, {PyExc_TypeError, PyExc_ValueError});
    return truth != 0;
}

std::vector<std::int32_t> ColumnsArgument(const py::handle& object, const std::string& name) {
    if (!py::isinstance<py::iterable>(object) || py::isinstance<py::str>(object) || py::isinstance<py::bytes>(object)) {
        ThrowTypeError(name + " must be a sequence of ints, not " + TypeName(object));
    }
    std::vector<std::int32_t> columns;
    for (const auto item : py::reinterpret_borrow<py::iterable>(object)) {
        columns.push_back(Int32Argument(item, name + " item"));
    }
    return columns;
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
