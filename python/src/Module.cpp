// The extension module behind the Python package `zalvo`.
#include "Distances.h"
#include "Functions.h"
#include "Plan.h"
#include "Rooms.h"

#include "input/PlateImage.h"

#include <zalvo/zalvo.h>

PYBIND11_MODULE(_zalvo, m) {
    namespace py = pybind11;
    m.doc() = "Zalvo, the cut-line planner, on numpy arrays.";
    m.attr("__version__") = ZALVO_VERSION;
    // The planner's refusals of bad images and parameters are bad arguments here.
    py::register_exception_translator([](std::exception_ptr raised) {
        try {
            if (raised) std::rethrow_exception(raised);
        } catch (const ZalvoPlan::InputError& error) {
            PyErr_SetString(PyExc_ValueError, error.what());
        }
    });
    ZalvoPython::BindRooms(m);
    ZalvoPython::BindDistances(m);
    ZalvoPython::BindFunctions(m);
    ZalvoPython::BindPlan(m);
}
