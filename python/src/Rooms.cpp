#include "Rooms.h"

#include <array>
#include <cstddef>
#include <variant>

namespace ZalvoPython {
namespace {

// The fields every box-shaped room has, in the library's order, followed by
// the one that places its line (row or column).
template <class Room>
using Field = std::int32_t Room::*;
template <class Room>
using BoxFields = std::array<std::pair<const char*, Field<Room>>, 7>;

template <class Room>
BoxFields<Room> FieldsOf(const char* lineName, Field<Room> line) {
    return {{{"minColumn", &Room::minColumn},
             {"maxColumn", &Room::maxColumn},
             {"maxRow", &Room::maxRow},
             {"minRow", &Room::minRow},
             {"firstStretch", &Room::firstStretch},
             {"endStretch", &Room::endStretch},
             {lineName, line}}};
}

template <class Room>
std::string BoxRepr(const char* className, const Room& room, const BoxFields<Room>& fields) {
    std::string text = std::string(className) + "(";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::string(fields[i].first) + "=" + std::to_string(room.*fields[i].second);
    }
    return text + ")";
}

template <class Room>
void BindBoxRoom(py::module_& module, const char* className, const char* lineName, Field<Room> line, const char* doc) {
    const BoxFields<Room> fields = FieldsOf<Room>(lineName, line);
    py::class_<Room> room(module, className, doc);
    room.def(py::init([](std::int32_t minColumn, std::int32_t maxColumn, std::int32_t maxRow, std::int32_t minRow,
                         std::int32_t firstStretch, std::int32_t endStretch, std::int32_t lineValue) {
                 return Room{minColumn, maxColumn, maxRow, minRow, firstStretch, endStretch, lineValue};
             }),
             py::arg("minColumn") = 0, py::arg("maxColumn") = 0, py::arg("maxRow") = 0, py::arg("minRow") = 0,
             py::arg("firstStretch") = 0, py::arg("endStretch") = 0, py::arg(lineName) = 0);
    for (const auto& [name, member] : fields) room.def_readwrite(name, member);
    room.def("__eq__", [](const Room& a, const py::object& b) -> py::object {
        if (!py::isinstance<Room>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
        return py::bool_(a == b.cast<const Room&>());
    });
    room.attr("__hash__") = py::none();
    room.def("__repr__", [className, fields](const Room& r) { return BoxRepr(className, r, fields); });
    room.def(py::pickle(
        [fields](const Room& r) {
            py::tuple state(fields.size());
            for (std::size_t i = 0; i < fields.size(); ++i) state[i] = r.*fields[i].second;
            return state;
        },
        [fields](const py::tuple& state) {
            if (state.size() != fields.size()) ThrowValueError("a pickled room must hold 7 fields");
            Room r;
            for (std::size_t i = 0; i < fields.size(); ++i) r.*fields[i].second = state[i].cast<std::int32_t>();
            return r;
        }));
}

std::string NoRoomRepr(const Zalvo::NoRoom& room) {
    std::string pixels;
    for (const auto& p : room.pixels) {
        pixels +=
            (pixels.empty() ? "" : ", ") + std::string("(") + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
    }
    return "NoRoom(pixels=[" + pixels + "], firstStretch=" + std::to_string(room.firstStretch) +
           ", endStretch=" + std::to_string(room.endStretch) + ")";
}

void BindNoRoom(py::module_& module) {
    py::class_<Zalvo::NoRoom> room(module, "NoRoom",
                                   "A piece of the path that keeps its own pixels: an (N, 2) int32 array of (x, y).");
    room.def(py::init([](const py::object& pixels, std::int32_t firstStretch, std::int32_t endStretch) {
                 return Zalvo::NoRoom{pixels.is_none() ? std::vector<Zalvo::Pixel>{} : PathArgument(pixels, "pixels"),
                                      firstStretch, endStretch};
             }),
             py::arg("pixels") = py::none(), py::arg("firstStretch") = 0, py::arg("endStretch") = 0);
    room.def_property(
        "pixels", [](const Zalvo::NoRoom& r) { return PathToArray(r.pixels); },
        [](Zalvo::NoRoom& r, const py::object& pixels) { r.pixels = PathArgument(pixels, "pixels"); });
    room.def_readwrite("firstStretch", &Zalvo::NoRoom::firstStretch);
    room.def_readwrite("endStretch", &Zalvo::NoRoom::endStretch);
    room.def("__eq__", [](const Zalvo::NoRoom& a, const py::object& b) -> py::object {
        if (!py::isinstance<Zalvo::NoRoom>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
        return py::bool_(a == b.cast<const Zalvo::NoRoom&>());
    });
    room.attr("__hash__") = py::none();
    room.def("__repr__", &NoRoomRepr);
    room.def(py::pickle(
        [](const Zalvo::NoRoom& r) { return py::make_tuple(PathToArray(r.pixels), r.firstStretch, r.endStretch); },
        [](const py::tuple& state) {
            if (state.size() != 3) ThrowValueError("a pickled NoRoom must hold 3 fields");
            return Zalvo::NoRoom{PathArgument(state[0], "pixels"), state[1].cast<std::int32_t>(),
                                 state[2].cast<std::int32_t>()};
        }));
}

}  // namespace

void BindRooms(py::module_& module) {
    BindBoxRoom<Zalvo::HorizontalRoom>(
        module, "HorizontalRoom", "row", &Zalvo::HorizontalRoom::row,
        "A stretch of the path that may be drawn as one horizontal line at any row from minRow to maxRow.");
    BindBoxRoom<Zalvo::VerticalRoom>(
        module, "VerticalRoom", "column", &Zalvo::VerticalRoom::column,
        "A change of row that may be drawn as one vertical line at any column from minColumn to maxColumn.");
    BindNoRoom(module);
}

std::vector<Zalvo::WiggleRoom> RoomsArgument(const py::handle& object, const std::string& name) {
    if (!py::isinstance<py::sequence>(object) || py::isinstance<py::str>(object)) {
        ThrowTypeError(name + " must be a list of HorizontalRoom, VerticalRoom and NoRoom");
    }
    std::vector<Zalvo::WiggleRoom> rooms;
    const auto items = py::reinterpret_borrow<py::sequence>(object);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const py::object item = items[i];
        if (py::isinstance<Zalvo::HorizontalRoom>(item)) {
            rooms.emplace_back(item.cast<Zalvo::HorizontalRoom>());
        } else if (py::isinstance<Zalvo::VerticalRoom>(item)) {
            rooms.emplace_back(item.cast<Zalvo::VerticalRoom>());
        } else if (py::isinstance<Zalvo::NoRoom>(item)) {
            rooms.emplace_back(item.cast<Zalvo::NoRoom>());
        } else {
            ThrowTypeError(name + "[" + std::to_string(i) + "] must be a HorizontalRoom, VerticalRoom or NoRoom, not " +
                           std::string(py::str(py::type::handle_of(item).attr("__name__"))));
        }
    }
    return rooms;
}

py::list RoomsToList(const std::vector<Zalvo::WiggleRoom>& rooms) {
    py::list list;
    for (const auto& room : rooms) {
        list.append(std::visit([](const auto& r) { return py::cast(r); }, room));
    }
    return list;
}

}  // namespace ZalvoPython
