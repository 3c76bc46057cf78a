// The wiggle rooms as Python classes with the library's field names.
#pragma once

#include "Arrays.h"

#include <string>
#include <vector>

namespace ZalvoPython {

void BindRooms(py::module_& module);

// A list of rooms from Python; TypeError naming `name`[i] for anything else.
std::vector<Zalvo::WiggleRoom> RoomsArgument(const py::handle& object, const std::string& name);
py::list RoomsToList(const std::vector<Zalvo::WiggleRoom>& rooms);

}  // namespace ZalvoPython
