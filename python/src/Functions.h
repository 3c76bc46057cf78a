// The library's fourteen functions on numpy arrays, in snake_case.
#pragma once

#include "Arrays.h"

namespace ZalvoPython {

void BindFunctions(py::module_& module);

}  // namespace ZalvoPython
