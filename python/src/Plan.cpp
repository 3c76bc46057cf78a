#include "Plan.h"

#include "Distances.h"
#include "Rooms.h"

#include "input/ImageDecoding.h"
#include "input/SamplePlate.h"
#include "output/Picture.h"
#include "output/Report.h"
#include "plan/CutLine.h"
#include "plan/Options.h"
#include "plan/Pipeline.h"
#include "plan/PlanSetup.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <variant>

namespace ZalvoPython {
namespace {

using ZalvoPlan::PixelClass;

// The source the report names for an image handed over as an array.
constexpr const char* kArraySource = "array";

struct LoadedImage {
    ZalvoPlan::PlateImage image;
    std::string source;
};

ZalvoPlan::PlateImage ClassifyArray(const std::uint8_t* pixels, std::int32_t rows, std::int32_t columns,
                                    std::int64_t channels) {
    // Transparency is laid over white exactly as for a PNG file.
    if (channels == 4) return ZalvoPlan::DecodeRgbaPixels(pixels, rows, columns, "image");
    ZalvoPlan::PlateImage image = ZalvoPlan::MakeBlankImage(columns, rows);
    for (std::size_t i = 0; i < image.classes.size(); ++i) {
        const std::uint8_t* pixel = pixels + i * static_cast<std::size_t>(channels);
        image.classes[i] =
            channels == 1 ? ZalvoPlan::ClassifyGrey(pixel[0]) : ZalvoPlan::ClassifyColour(pixel[0], pixel[1], pixel[2]);
    }
    return image;
}

// Every check before the array is copied (to make it contiguous) or read: a
// view of a huge shape costs no memory until then.
LoadedImage ImageFromArray(const py::handle& object) {
    if (!py::isinstance<py::array_t<std::uint8_t>>(object)) {
        ThrowTypeError(
            "image must be a file path or a numpy array of uint8, not " +
            std::string(py::str(py::isinstance<py::array>(object) ? object.attr("dtype")
                                                                  : py::type::handle_of(object).attr("__name__"))));
    }
    const auto given = py::reinterpret_borrow<py::array>(object);
    const bool colour = given.ndim() == 3 && (given.shape(2) == 3 || given.shape(2) == 4);
    if (given.ndim() != 2 && !colour) {
        ThrowValueError("image must have shape (rows, columns) or (rows, columns, 3 or 4)");
    }
    const std::int64_t rows = given.shape(0);
    const std::int64_t columns = given.shape(1);
    if (rows == 0 || columns == 0) ThrowValueError("image has no pixels");
    constexpr std::int64_t kLimit = ZalvoPlan::kMaximumPixelCount;
    // Each side alone first, so that the product cannot overflow.
    if (rows > kLimit || columns > kLimit || rows * columns > kLimit) {
        ThrowValueError("image of " + std::to_string(columns) + "x" + std::to_string(rows) +
                        " pixels exceeds the planner's limit of " + std::to_string(kLimit) + " pixels");
    }
    const auto array = ContiguousArray<std::uint8_t>(given);
    const std::int64_t channels = colour ? given.shape(2) : 1;
    const std::uint8_t* pixels = array.data();
    py::gil_scoped_release release;
    return {ClassifyArray(pixels, static_cast<std::int32_t>(rows), static_cast<std::int32_t>(columns), channels),
            kArraySource};
}

LoadedImage LoadImage(const py::handle& object) {
    if (py::isinstance<py::str>(object)) {
        const auto path = object.cast<std::string>();
        std::error_code unknown;
        if (!std::filesystem::exists(path, unknown) && !unknown) {
            // As open() reports a missing file, with the path as its filename.
            const py::object missing =
                py::reinterpret_borrow<py::object>(PyExc_FileNotFoundError)(ENOENT, "No such file or directory", path);
            PyErr_SetObject(PyExc_FileNotFoundError, missing.ptr());
            throw py::error_already_set();
        }
        py::gil_scoped_release release;
        return {ZalvoPlan::ReadPlateImage(path), std::filesystem::path(path).filename().string()};
    }
    return ImageFromArray(object);
}

using ZalvoPlan::OptionKind;
using ZalvoPlan::PlanOption;
using ZalvoPlan::PlanRequest;

// A number of the request, checked against the option's limits.
template <class Value>
Value InLimits(Value value, const PlanOption& option, const py::handle& given, const std::string& what) {
    const auto number = static_cast<double>(value);
    if (!(std::isfinite(number) && number >= option.minimum && number <= option.maximum)) {
        const std::string limits =
            ZalvoPlan::NumberText(option.minimum) + " to " + ZalvoPlan::NumberText(option.maximum);
        ThrowValueError(std::string(option.pythonName) + " must " + what + " from " + limits +
                        (option.Kind() == OptionKind::Resolution ? " pixels per inch" : "") + ", not " +
                        std::string(py::str(given)));
    }
    return value;
}

// A distance is text with a unit, or a Distance, which keeps its own millipoints.
ZalvoPlan::DistanceRequest DistanceOption(const py::handle& given, const std::string& name) {
    if (py::isinstance<py::str>(given)) return {given.cast<std::string>(), std::nullopt};
    const Distance distance = DistanceArgument(given, name, std::nullopt, false);
    return {distance.text, distance.milliPoints};
}

std::string ChoiceOption(const ZalvoPlan::ChoiceField& field, const py::handle& given, const std::string& name) {
    const std::string text = py::isinstance<py::str>(given) ? given.cast<std::string>() : std::string();
    std::string known;
    for (const auto& choice : field.choices) {
        if (text == choice.name) return text;
        known += (known.empty() ? "" : ", ") + std::string(choice.name);
    }
    ThrowValueError(name + " must be one of " + known + ", not " + std::string(py::repr(given)));
}

std::vector<std::int32_t> ColumnsOption(const PlanOption& option, const py::handle& given) {
    const std::string name = option.pythonName;
    std::vector<std::int32_t> columns = ColumnsArgument(given, name);
    for (const std::int32_t column : columns) {
        if (column < option.minimum) {
            ThrowValueError(name + " must not hold a column below " + ZalvoPlan::NumberText(option.minimum) + ", not " +
                            std::to_string(column));
        }
    }
    return columns;
}

// One keyword argument of plan() into its field of the request, checked as
// its kind and limits say.
void SetOption(PlanRequest& request, const PlanOption& option, const py::handle& given) {
    const std::string name = option.pythonName;
    std::visit(
        ZalvoPlan::Overloaded{
            [&](ZalvoPlan::ResolutionField field) {
                request.*field = given.is_none()
                                     ? std::nullopt
                                     : std::optional(InLimits(FloatArgument(given, name), option, given, "lie"));
            },
            [&](const ZalvoPlan::DistanceField& field) { request.*field.given = DistanceOption(given, name); },
            [&](const ZalvoPlan::ChoiceField& field) { request.*field.given = ChoiceOption(field, given, name); },
            [&](ZalvoPlan::PixelsField field) {
                const std::int32_t value = Int32Argument(given, name);
                request.plan.*field = InLimits(value, option, py::int_(value), "be a whole number of pixels");
            },
            [&](ZalvoPlan::NumberField field) {
                request.plan.*field = InLimits(FloatArgument(given, name), option, given, "be a number");
            },
            [&](ZalvoPlan::ColumnsField field) { request.plan.*field = ColumnsOption(option, given); }},
        option.field);
}

PlanRequest RequestFromArguments(const py::kwargs& given) {
    const auto& options = ZalvoPlan::PlanOptions();
    for (const auto& [key, value] : given) {
        const auto name = key.cast<std::string>();
        if (std::none_of(options.begin(), options.end(), [&](const PlanOption& o) { return name == o.pythonName; })) {
            ThrowTypeError("plan() got an unknown option " + std::string(py::repr(key)));
        }
    }
    PlanRequest request;
    for (const PlanOption& option : options) {
        if (given.contains(option.pythonName)) SetOption(request, option, given[option.pythonName]);
    }
    return request;
}

py::dict ShiftedPathToDict(const ZalvoPlan::ShiftedPath& path) {
    py::dict shifted;
    shifted["shift"] = path.shift;
    shifted["cost"] = path.cost;
    shifted["pixels"] = PathToArray(path.pixels);
    return shifted;
}

py::array_t<std::uint8_t> ClassesToArray(const ZalvoPlan::PlateImage& image) {
    py::array_t<std::uint8_t> array({static_cast<py::ssize_t>(image.rows), static_cast<py::ssize_t>(image.columns)});
    std::memcpy(array.mutable_data(), image.classes.data(), image.classes.size());
    return array;
}

py::dict ResultToDict(const LoadedImage& loaded, const ZalvoPlan::PlanResult& result, std::string json) {
    const ZalvoPlan::PlateImage& image = loaded.image;
    py::dict out;
    out["source"] = loaded.source;
    out["status"] = result.HasPath() ? "ok" : "no-path";
    out["reason"] = result.HasPath() ? py::none() : py::object(py::str(result.noPathReason));
    out["terrain"] = TerrainToArray(result.terrain);
    out["pixel_classes"] = ClassesToArray(image);
    out["found_path"] = result.HasPath() ? py::object(PathToArray(*result.foundPath)) : py::none();
    if (result.HasPath()) {
        out["up"] = ShiftedPathToDict(result.up);
        out["down"] = ShiftedPathToDict(result.down);
        out["taken"] = result.taken == ZalvoPlan::Direction::Up ? "up" : "down";
    }
    out["rooms"] = RoomsToList(result.rooms);
    out["sparse_path"] = PathToArray(result.sparsePath);
    out["cut_line"] = PathToArray(ZalvoPlan::RemoveCollinearPoints(result.sparsePath));
    py::dict timings;
    for (const auto& timing : result.timings) timings[py::str(timing.stage)] = timing.milliseconds;
    out["timings"] = timings;
    out["json"] = std::move(json);
    return out;
}

py::dict Plan(const py::object& imageGiven, const PlanRequest& request) {
    std::vector<ZalvoPlan::StageTiming> readTiming;
    const LoadedImage loaded =
        ZalvoPlan::StageClock({}, readTiming).Run("readImage", [&] { return LoadImage(imageGiven); });
    ZalvoPlan::ReportContext context;
    context.source = loaded.source;
    context.resolutionSource = ZalvoPlan::ResolutionSource(request, loaded.image);
    context.request = request;
    const ZalvoPlan::PlanParameters parameters =
        ZalvoPlan::ResolvePlan(request, loaded.image, ZalvoPlan::OptionSpelling::Python);
    ZalvoPlan::PlanResult result;
    std::string json;
    {
        py::gil_scoped_release release;
        result = ZalvoPlan::RunPlan(loaded.image, parameters);
        result.timings.insert(result.timings.begin(), readTiming.front());
        json = ZalvoPlan::FormatJson(ZalvoPlan::BuildReport(loaded.image, parameters, result, context));
    }
    return ResultToDict(loaded, result, std::move(json));
}

// The planner's picture underneath its overlays: one colour per cell from the
// pixel's class and its terrain height, by the planner's own shade table.
py::array_t<std::uint8_t> PictureUnderlay(const py::object& classesArray, const py::object& terrainArray) {
    const auto classes = GridArgument<std::uint8_t>(classesArray, "pixel_classes");
    const auto terrain = GridArgument<std::uint8_t>(terrainArray, "terrain", GridShape{classes.rows, classes.columns});
    const ZalvoPlan::ShadeTable& shades = ZalvoPlan::ShadesByClassAndHeight();
    py::array_t<std::uint8_t> rgb(
        {static_cast<py::ssize_t>(terrain.rows), static_cast<py::ssize_t>(terrain.columns), py::ssize_t{3}});
    auto out = rgb.mutable_unchecked<3>();
    for (std::int32_t y = 0; y < terrain.rows; ++y) {
        for (std::int32_t x = 0; x < terrain.columns; ++x) {
            const std::size_t pixelClass = classes.At(x, y);
            if (pixelClass * ZalvoPlan::kHeightCount >= shades.size()) {
                ThrowValueError("pixel_classes holds " + std::to_string(pixelClass) + ", not a pixel class");
            }
            const auto colour = ZalvoPlan::ShadeColour(shades[pixelClass * ZalvoPlan::kHeightCount + terrain.At(x, y)]);
            out(y, x, 0) = colour.red;
            out(y, x, 1) = colour.green;
            out(y, x, 2) = colour.blue;
        }
    }
    return rgb;
}

// A colour that the planner's colour rules read as `pixelClass`: white,
// black, the grey halfway between the free and the impassable brightness,
// and pure red.
ZalvoPlan::Colour ClassColour(PixelClass pixelClass) {
    constexpr auto kGrey =
        static_cast<std::uint8_t>((ZalvoPlan::kFreeBrightness + ZalvoPlan::kImpassableBrightness) / 2);
    switch (pixelClass) {
        case PixelClass::Free: break;
        case PixelClass::Crossable: return {kGrey, kGrey, kGrey};
        case PixelClass::Impassable: return {0, 0, 0};
        case PixelClass::Seed: return {255, 0, 0};
    }
    return {255, 255, 255};
}

// The planner's built-in sample plate as an RGB image that the colour rules
// read back into the same classes.
py::array_t<std::uint8_t> SamplePlate(std::int64_t columns, std::int64_t rows) {
    const ZalvoPlan::PlateImage image = ZalvoPlan::MakeSamplePlate(columns, rows);
    py::array_t<std::uint8_t> rgb(
        {static_cast<py::ssize_t>(image.rows), static_cast<py::ssize_t>(image.columns), py::ssize_t{3}});
    std::uint8_t* out = rgb.mutable_data();
    for (const PixelClass pixelClass : image.classes) {
        const ZalvoPlan::Colour colour = ClassColour(pixelClass);
        *out++ = colour.red;
        *out++ = colour.green;
        *out++ = colour.blue;
    }
    return rgb;
}

// The names of the pixel classes in Python, for the values the planner gives them.
const char* PixelClassName(PixelClass pixelClass) {
    switch (pixelClass) {
        case PixelClass::Free: break;
        case PixelClass::Crossable: return "CROSSABLE";
        case PixelClass::Impassable: return "IMPASSABLE";
        case PixelClass::Seed: return "SEED";
    }
    return "FREE";
}

// (name, value) of every pixel class, in the order of their values: what
// zalvo.PixelClass is made of.
py::list PixelClasses() {
    py::list classes;
    for (int value = 0; value <= static_cast<int>(PixelClass::Seed); ++value) {
        classes.append(py::make_tuple(PixelClassName(static_cast<PixelClass>(value)), value));
    }
    return classes;
}

// An option's default as plan() takes it.
py::object DefaultOf(const PlanOption& option) {
    const PlanRequest defaults;
    return std::visit(
        ZalvoPlan::Overloaded{
            [&](ZalvoPlan::ResolutionField field) -> py::object { return py::cast(defaults.*field); },
            [&](const ZalvoPlan::DistanceField& field) -> py::object { return py::str((defaults.*field.given).text); },
            [&](const ZalvoPlan::ChoiceField& field) -> py::object { return py::str(defaults.*field.given); },
            [&](ZalvoPlan::ColumnsField field) -> py::object { return py::tuple(py::cast(defaults.plan.*field)); },
            [&]<class Value>(Value ZalvoPlan::PlanParameters::*field) -> py::object {
                return py::cast(defaults.plan.*field);
            }},
        option.field);
}

py::dict PlanDefaults() {
    py::dict defaults;
    for (const PlanOption& option : ZalvoPlan::PlanOptions()) defaults[option.pythonName] = DefaultOf(option);
    return defaults;
}

const char* KindName(OptionKind kind) {
    switch (kind) {
        case OptionKind::Resolution: return "resolution";
        case OptionKind::Length: return "length";
        case OptionKind::Choice: return "choice";
        case OptionKind::Pixels: return "pixels";
        case OptionKind::Number: return "number";
        case OptionKind::Columns: break;
    }
    return "columns";
}

// The planner's option table, one dict an option, in its order: for plan()'s
// documentation and for matching zalvo-plan's options to plan()'s.
py::list PlanOptionTable() {
    py::list table;
    for (const PlanOption& option : ZalvoPlan::PlanOptions()) {
        py::list choices;
        for (const auto& choice : option.Choices()) choices.append(py::make_tuple(choice.name, choice.meaning));
        py::dict entry;
        entry["name"] = option.pythonName;
        entry["flag"] = option.flag;
        entry["kind"] = KindName(option.Kind());
        entry["unit"] = ZalvoPlan::UnitOf(option.Kind());
        entry["default_text"] = option.DefaultText();
        entry["choices"] = py::tuple(choices);
        entry["help"] = option.help;
        table.append(entry);
    }
    return table;
}

// The boxes the planner's pictures draw for `rooms`: (minColumn, maxColumn,
// minRow, maxRow, horizontal) of each horizontal and vertical room whose box
// is not inverted.
py::list RoomOutlines(const py::object& roomsGiven) {
    py::list outlines;
    for (const auto& o : ZalvoPlan::RoomOutlines(RoomsArgument(roomsGiven, "rooms"))) {
        outlines.append(py::make_tuple(o.minColumn, o.maxColumn, o.minRow, o.maxRow, o.horizontal));
    }
    return outlines;
}

py::dict PictureColours() {
    py::dict colours;
    colours["path"] = ZalvoPlan::HexColour(ZalvoPlan::kPathColour);
    colours["horizontal_room"] = ZalvoPlan::HexColour(ZalvoPlan::kHorizontalRoomColour);
    colours["vertical_room"] = ZalvoPlan::HexColour(ZalvoPlan::kVerticalRoomColour);
    colours["sparse_path"] = ZalvoPlan::HexColour(ZalvoPlan::kSparseColour);
    return colours;
}

// The planner's picture legend, in its order: (hex colour, meaning).
py::list PictureLegend() {
    py::list legend;
    for (const auto& entry : ZalvoPlan::Legend())
        legend.append(py::make_tuple(ZalvoPlan::HexColour(entry.colour), entry.meaning));
    return legend;
}

}  // namespace

void BindPlan(py::module_& m) {
    m.attr("PLAN_DEFAULTS") = PlanDefaults();
    m.attr("_PLAN_OPTIONS") = PlanOptionTable();
    m.attr("_PIXEL_CLASSES") = PixelClasses();
    m.attr("PICTURE_COLOURS") = PictureColours();
    m.attr("PICTURE_LEGEND") = PictureLegend();
    m.def(
        "_plan",
        [](const py::object& image, const py::kwargs& given) { return Plan(image, RequestFromArguments(given)); },
        py::arg("image"));
    m.def("_picture_underlay", &PictureUnderlay, py::arg("pixel_classes"), py::arg("terrain"));
    m.def("_room_outlines", &RoomOutlines, py::arg("rooms"));
    m.def("sample_plate", &SamplePlate, py::arg("columns") = ZalvoPlan::kSampleColumns,
          py::arg("rows") = ZalvoPlan::kSampleRows,
          "zalvo-plan's built-in sample plate (drawn for 300 pixels per inch) as an RGB image of shape "
          "(rows, columns, 3).");
}

}  // namespace ZalvoPython
