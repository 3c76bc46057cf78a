// The planner's whole job on one image, as zalvo-plan does it, reusing its
// own code for the image rules, the parameters, the pipeline and the report.
#pragma once

#include "Arrays.h"

namespace ZalvoPython {

void BindPlan(py::module_& module);

}  // namespace ZalvoPython
