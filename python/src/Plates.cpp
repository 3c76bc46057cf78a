#include "Plates.h"

#include "input/Units.h"

namespace ZalvoPython {
namespace {

std::string Number(double value) { return std::string(py::str(py::float_(value))); }

}  // namespace

std::string PlateRecord::Describe(double minimumMilliPoints, double preferredMilliPoints) const {
    const auto count = [](const std::optional<std::int32_t>& value) {
        return value ? std::to_string(*value) : std::string("?");
    };
    std::string text = "a plate of " + count(columns) + " columns x " + count(rows) + " rows";
    if (resolution) {
        text += " at " + Number(*resolution) + " pixels per inch, a margin of " +
                Number(ZalvoPlan::ToPixels(minimumMilliPoints, *resolution)) + " and a ramp to " +
                Number(ZalvoPlan::ToPixels(preferredMilliPoints, *resolution)) + " pixels";
    }
    return text;
}

py::object PythonPlate::Call(const char* method) const {
    py::gil_scoped_acquire gil;
    return plate_.attr(method)();
}

py::object PythonPlate::Call(const char* method, const Zalvo::Pixel& pixel) const {
    py::gil_scoped_acquire gil;
    return plate_.attr(method)(PixelToTuple(pixel));
}

double PythonPlate::GetResolution() const {
    py::gil_scoped_acquire gil;
    const double value = NumberResult(Call("get_resolution"), "plate.get_resolution()");
    record_.resolution = value;
    return value;
}

std::int32_t PythonPlate::GetPixelColumnCount() const {
    py::gil_scoped_acquire gil;
    record_.columns = Int32Argument(Call("get_pixel_column_count"), "plate.get_pixel_column_count()");
    return *record_.columns;
}

std::int32_t PythonPlate::GetPixelRowCount() const {
    py::gil_scoped_acquire gil;
    record_.rows = Int32Argument(Call("get_pixel_row_count"), "plate.get_pixel_row_count()");
    return *record_.rows;
}

std::int32_t PythonPlate::GetContentCount() const {
    py::gil_scoped_acquire gil;
    return Int32Argument(Call("get_content_count"), "plate.get_content_count()");
}

bool PythonPlate::IsPixelOnContentEdge(const Zalvo::Pixel& pixel) const {
    py::gil_scoped_acquire gil;
    return TruthResult(Call("is_pixel_on_content_edge", pixel), "plate.is_pixel_on_content_edge()");
}

bool PythonPlate::IsPixelOccupied(const Zalvo::Pixel& pixel) const {
    py::gil_scoped_acquire gil;
    return TruthResult(Call("is_pixel_occupied", pixel), "plate.is_pixel_occupied()");
}

}  // namespace ZalvoPython
