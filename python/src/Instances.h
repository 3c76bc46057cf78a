// Instances of the bound classes. `Cls.__new__(Cls)` (as pickle and copy
// call it) makes an instance without running __init__: pybind11 then holds no
// C++ object for it, and a method that takes the object by reference is lent
// raw, unconstructed memory. So every method, property and conversion of a
// bound class takes the Python object and reaches the C++ one through Unwrap,
// which refuses an instance that neither __init__ nor __setstate__ has
// constructed. No binding of these classes takes them by reference, nor uses
// def_readwrite or def_readonly, which would.
#pragma once

#include "Arrays.h"

#include <string>

namespace ZalvoPython {

template <class T>
std::string ClassName() {
    return py::str(py::type::handle_of<T>().attr("__name__"));
}

// Whether `object`, an instance of T, holds its C++ object.
template <class T>
bool IsConstructed(const py::handle& object) {
    auto* instance = reinterpret_cast<py::detail::instance*>(object.ptr());
    return instance->get_value_and_holder(py::detail::get_type_info(typeid(T))).holder_constructed();
}

// The C++ object of `object`: TypeError naming `name` (nothing for self)
// when it is no T, or a T made by __new__ alone.
template <class T>
T& Unwrap(const py::handle& object, const std::string& name = "") {
    const std::string prefix = name.empty() ? "" : name + ": ";
    if (!py::isinstance<T>(object)) {
        ThrowTypeError(prefix + "must be a " + ClassName<T>() + ", not " + TypeName(object));
    }
    if (!IsConstructed<T>(object)) {
        ThrowTypeError(prefix + "this " + ClassName<T>() + " was made by " + ClassName<T>() +
                       ".__new__ without __init__ and holds nothing; create it with " + ClassName<T>() + "(...)");
    }
    auto* instance = reinterpret_cast<py::detail::instance*>(object.ptr());
    return *instance->get_value_and_holder(py::detail::get_type_info(typeid(T))).template value_ptr<T>();
}

// The repr of an instance that holds nothing, so that printing one (in a
// traceback, a debugger) never fails.
template <class T>
std::string UnconstructedRepr() {
    // Built by appending: GCC 12 takes "<" + a string for an overlapping copy (-Wrestrict).
    std::string text = "<";
    text += ClassName<T>();
    return text + " made by __new__ without __init__>";
}

}  // namespace ZalvoPython
