#include "Rooms.h"

#include "Instances.h"

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
std::string BoxRepr(const Room& room, const BoxFields<Room>& fields) {
    std::string text = ClassName<Room>() + "(";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::string(fields[i].first) + "=" + std::to_string(room.*fields[i].second);
    }
    return text + ")";
}

template <class Room>
py::object Equal(const py::object& a, const py::object& b) {
    if (!py::isinstance<Room>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
    return py::bool_(Unwrap<Room>(a) == Unwrap<Room>(b, "other"));
}

// The pickled state: a tuple of `count` fields, or TypeError saying what it is.
py::tuple StateTuple(const py::object& state, const std::string& className, std::size_t count) {
    if (!py::isinstance<py::tuple>(state)) {
        ThrowTypeError(className + " state must be a tuple of " + std::to_string(count) + " fields, not " +
                       TypeName(state));
    }
    const auto tuple = py::reinterpret_borrow<py::tuple>(state);
    if (tuple.size() != count) {
        ThrowValueError(className + " state must hold " + std::to_string(count) + " fields, not " +
                        std::to_string(tuple.size()));
    }
    return tuple;
}

template <class Room>
void BindBoxRoom(py::module_& module, const char* className, const char* lineName, Field<Room> line, const char* doc) {
    const BoxFields<Room> fields = FieldsOf<Room>(lineName, line);
    py::class_<Room> room(module, className, doc);
    room.def(py::init([fields](const py::object& minColumn, const py::object& maxColumn, const py::object& maxRow,
                               const py::object& minRow, const py::object& firstStretch, const py::object& endStretch,
                               const py::object& lineValue) {
                 const std::array<py::object, 7> values{minColumn,    maxColumn,  maxRow,   minRow,
                                                        firstStretch, endStretch, lineValue};
                 Room r;
                 for (std::size_t i = 0; i < fields.size(); ++i) {
                     r.*fields[i].second = Int32Argument(values[i], fields[i].first);
                 }
                 return r;
             }),
             py::arg("minColumn") = 0, py::arg("maxColumn") = 0, py::arg("maxRow") = 0, py::arg("minRow") = 0,
             py::arg("firstStretch") = 0, py::arg("endStretch") = 0, py::arg(lineName) = 0);
    for (const auto& [name, member] : fields) {
        room.def_property(
            name, [member = member](const py::object& self) { return Unwrap<Room>(self).*member; },
            [name = std::string(name), member = member](const py::object& self, const py::object& value) {
                Unwrap<Room>(self).*member = Int32Argument(value, name);
            });
    }
    room.def("__eq__", &Equal<Room>);
    room.attr("__hash__") = py::none();
    room.def("__repr__", [fields](const py::object& self) {
        return IsConstructed<Room>(self) ? BoxRepr(Unwrap<Room>(self), fields) : UnconstructedRepr<Room>();
    });
    room.def(py::pickle(
        [fields](const py::object& self) -> py::object {
            const Room& r = Unwrap<Room>(self);
            py::tuple state(fields.size());
            for (std::size_t i = 0; i < fields.size(); ++i) state[i] = r.*fields[i].second;
            return state;
        },
        [fields](const py::object& state) {
            const py::tuple values = StateTuple(state, ClassName<Room>(), fields.size());
            Room r;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                r.*fields[i].second = Int32Argument(values[i], ClassName<Room>() + " state " + fields[i].first);
            }
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
    using Zalvo::NoRoom;
    py::class_<NoRoom> room(module, "NoRoom",
                            "A piece of the path that keeps its own pixels: an (N, 2) int32 array of (x, y).");
    room.def(py::init([](const py::object& pixels, const py::object& firstStretch, const py::object& endStretch) {
                 return NoRoom{pixels.is_none() ? std::vector<Zalvo::Pixel>{} : PathArgument(pixels, "pixels"),
                               Int32Argument(firstStretch, "firstStretch"), Int32Argument(endStretch, "endStretch")};
             }),
             py::arg("pixels") = py::none(), py::arg("firstStretch") = 0, py::arg("endStretch") = 0);
    room.def_property(
        "pixels", [](const py::object& self) { return PathToArray(Unwrap<NoRoom>(self).pixels); },
        [](const py::object& self, const py::object& pixels) {
            Unwrap<NoRoom>(self).pixels = PathArgument(pixels, "pixels");
        });
    for (const auto& [name, member] :
         {std::pair{"firstStretch", &NoRoom::firstStretch}, std::pair{"endStretch", &NoRoom::endStretch}}) {
        room.def_property(
            name, [member = member](const py::object& self) { return Unwrap<NoRoom>(self).*member; },
            [name = std::string(name), member = member](const py::object& self, const py::object& value) {
                Unwrap<NoRoom>(self).*member = Int32Argument(value, name);
            });
    }
    room.def("__eq__", &Equal<NoRoom>);
    room.attr("__hash__") = py::none();
    room.def("__repr__", [](const py::object& self) {
        return IsConstructed<NoRoom>(self) ? NoRoomRepr(Unwrap<NoRoom>(self)) : UnconstructedRepr<NoRoom>();
    });
    room.def(py::pickle(
        [](const py::object& self) -> py::object {
            const NoRoom& r = Unwrap<NoRoom>(self);
            return py::make_tuple(PathToArray(r.pixels), r.firstStretch, r.endStretch);
        },
        [](const py::object& state) {
            const py::tuple values = StateTuple(state, "NoRoom", 3);
            return NoRoom{PathArgument(values[0], "NoRoom state pixels"),
                          Int32Argument(values[1], "NoRoom state firstStretch"),
                          Int32Argument(values[2], "NoRoom state endStretch")};
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
        const std::string itemName = name + "[" + std::to_string(i) + "]";
        if (py::isinstance<Zalvo::HorizontalRoom>(item)) {
            rooms.emplace_back(Unwrap<Zalvo::HorizontalRoom>(item, itemName));
        } else if (py::isinstance<Zalvo::VerticalRoom>(item)) {
            rooms.emplace_back(Unwrap<Zalvo::VerticalRoom>(item, itemName));
        } else if (py::isinstance<Zalvo::NoRoom>(item)) {
            rooms.emplace_back(Unwrap<Zalvo::NoRoom>(item, itemName));
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
