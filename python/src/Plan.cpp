#include "Plan.h"

#include "Distances.h"
#include "Rooms.h"

#include "input/ImageDecoding.h"
#include "input/SamplePlate.h"
#include "output/Picture.h"
#include "output/Report.h"
#include "plan/CutLine.h"
#include "plan/Pipeline.h"
#include "plan/PlanSetup.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace ZalvoPython {
namespace {

using ZalvoPlan::PixelClass;

// The source the report names for an image handed over as an array.
constexpr const char* kArraySource = "array";
// Colours that the planner's rules read back as each class, for drawing a
// plate (the built-in sample) as an image.
constexpr std::uint8_t kGreyContent = 128;

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

std::int32_t PixelParameter(const py::handle& object, const std::string& name) {
    const std::int32_t value = Int32Argument(object, name);
    if (value < 0 || value > ZalvoPlan::kMaximumIntegerParameter) {
        ThrowValueError(name + " must be a whole number of pixels from 0 to " +
                        std::to_string(ZalvoPlan::kMaximumIntegerParameter) + ", not " + std::to_string(value));
    }
    return value;
}

double WeightParameter(const py::handle& object, const std::string& name) {
    const double value = FloatArgument(object, name);
    if (!(std::isfinite(value) && value >= 0.0 && value <= ZalvoPlan::kMaximumWeight)) {
        ThrowValueError(name + " must be a number from 0 to " +
                        std::to_string(static_cast<long long>(ZalvoPlan::kMaximumWeight)) + ", not " +
                        std::string(py::str(object)));
    }
    return value;
}

// The choice whose name, as the planner's report spells it, is `object`.
template <class Choice, std::size_t Count>
Choice ChoiceParameter(const py::handle& object, const std::string& name, const std::array<Choice, Count>& choices,
                       const char* (*nameOf)(Choice)) {
    const std::string given = py::isinstance<py::str>(object) ? object.cast<std::string>() : std::string();
    std::string known;
    for (const Choice choice : choices) {
        if (given == nameOf(choice)) return choice;
        known += (known.empty() ? "" : ", ") + std::string(nameOf(choice));
    }
    ThrowValueError(name + " must be one of " + known + ", not " + std::string(py::repr(object)));
}

constexpr std::array kPenaltyModels{ZalvoPlan::PenaltyModel::None, ZalvoPlan::PenaltyModel::Middle,
                                    ZalvoPlan::PenaltyModel::Slope};
constexpr std::array kRowPolicies{ZalvoPlan::RowPolicy::PlateUsage, ZalvoPlan::RowPolicy::Stagger};

// Everything zalvo-plan's options say, as Python arguments.
struct PlanOptions {
    py::object resolution, minDistance, preferredDistance, penalty, penaltyWeight, shiftPenalty, clearance,
        transitionHalfWidth, minimumBand, sufficientBand, splitColumns, rowPolicy, existingClearance, wantedClearance,
        cornerRadius, minimumWidth, lineWidth;
};

double ResolveResolution(const py::handle& given, const ZalvoPlan::PlateImage& image, std::string& source) {
    if (given.is_none()) {
        source = image.resolution ? "file" : "default";
        return ZalvoPlan::ResolutionFromImage(image, "resolution=");
    }
    source = "option";
    const double resolution = FloatArgument(given, "resolution");
    if (!(resolution >= ZalvoPlan::kMinimumResolution && resolution <= ZalvoPlan::kMaximumResolution)) {
        ThrowValueError("resolution must lie from 0.1 to 1000000 pixels per inch, not " + std::string(py::str(given)));
    }
    return resolution;
}

// A distance as text parses exactly as the planner's option; a Distance
// object already holds its millipoints. Either is refused when wider than
// the plate could need.
double PlanDistance(const py::handle& given, const std::string& name, double resolution,
                    const ZalvoPlan::PlateImage& image, std::string& text) {
    if (py::isinstance<py::str>(given)) {
        text = given.cast<std::string>();
        return ZalvoPlan::DistanceInMilliPoints(text, name, resolution, image);
    }
    const Distance distance = DistanceArgument(given, name, resolution, false);
    text = distance.text;
    ZalvoPlan::CheckDistance(distance.milliPoints, text, name, resolution, image);
    return distance.milliPoints;
}

std::vector<std::int32_t> SplitColumns(const py::handle& given, const ZalvoPlan::PlateImage& image) {
    const std::vector<std::int32_t> columns = ColumnsArgument(given, "split_columns");
    for (const std::int32_t column : columns) {
        if (column < 0) ThrowValueError("split_columns must not hold a column below 0, not " + std::to_string(column));
    }
    ZalvoPlan::ValidateSplitColumns(columns, image, "split_columns");
    return columns;
}

ZalvoPlan::PlanParameters ResolveParameters(const PlanOptions& o, const ZalvoPlan::PlateImage& image,
                                            ZalvoPlan::ReportContext& context) {
    ZalvoPlan::PlanParameters p;
    p.resolution = ResolveResolution(o.resolution, image, context.resolutionSource);
    p.minimumDistance = PlanDistance(o.minDistance, "min_distance", p.resolution, image, context.minimumDistanceText);
    p.preferredDistance =
        PlanDistance(o.preferredDistance, "preferred_distance", p.resolution, image, context.preferredDistanceText);
    p.penalty = ChoiceParameter(o.penalty, "penalty", kPenaltyModels, &ZalvoPlan::PenaltyModelName);
    p.penaltyWeight = WeightParameter(o.penaltyWeight, "penalty_weight");
    p.shiftPenalty = WeightParameter(o.shiftPenalty, "shift_penalty");
    p.clearance = PixelParameter(o.clearance, "clearance");
    p.transitionHalfWidth = PixelParameter(o.transitionHalfWidth, "transition_half_width");
    p.minimumBand = PixelParameter(o.minimumBand, "minimum_band");
    p.sufficientBand = PixelParameter(o.sufficientBand, "sufficient_band");
    p.splitColumns = SplitColumns(o.splitColumns, image);
    p.rowPolicy = ChoiceParameter(o.rowPolicy, "row_policy", kRowPolicies, &ZalvoPlan::RowPolicyName);
    p.existingClearance = PixelParameter(o.existingClearance, "existing_clearance");
    p.wantedClearance = PixelParameter(o.wantedClearance, "wanted_clearance");
    p.cornerRadius = PixelParameter(o.cornerRadius, "corner_radius");
    p.minimumWidth = PixelParameter(o.minimumWidth, "minimum_width");
    p.lineWidth = PixelParameter(o.lineWidth, "line_width");
    return p;
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

py::dict Plan(const py::object& imageGiven, const PlanOptions& options) {
    std::vector<ZalvoPlan::StageTiming> readTiming;
    const LoadedImage loaded =
        ZalvoPlan::StageClock({}, readTiming).Run("readImage", [&] { return LoadImage(imageGiven); });
    ZalvoPlan::ReportContext context;
    context.source = loaded.source;
    const ZalvoPlan::PlanParameters parameters = ResolveParameters(options, loaded.image, context);
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
// pixel's class and its terrain height.
py::array_t<std::uint8_t> PictureUnderlay(const py::object& classesArray, const py::object& terrainArray) {
    const auto classes = GridArgument<std::uint8_t>(classesArray, "pixel_classes");
    const auto terrain = GridArgument<std::uint8_t>(terrainArray, "terrain", GridShape{classes.rows, classes.columns});
    py::array_t<std::uint8_t> rgb(
        {static_cast<py::ssize_t>(terrain.rows), static_cast<py::ssize_t>(terrain.columns), py::ssize_t{3}});
    auto out = rgb.mutable_unchecked<3>();
    for (std::int32_t y = 0; y < terrain.rows; ++y) {
        for (std::int32_t x = 0; x < terrain.columns; ++x) {
            const std::uint8_t pixelClass = classes.At(x, y);
            if (pixelClass > static_cast<std::uint8_t>(PixelClass::Seed)) {
                ThrowValueError("pixel_classes holds " + std::to_string(pixelClass) + ", not a pixel class");
            }
            const auto colour =
                ZalvoPlan::ShadeColour(ZalvoPlan::ShadeOf(static_cast<PixelClass>(pixelClass), terrain.At(x, y)));
            out(y, x, 0) = colour.red;
            out(y, x, 1) = colour.green;
            out(y, x, 2) = colour.blue;
        }
    }
    return rgb;
}

std::array<std::uint8_t, 3> ClassColour(PixelClass pixelClass) {
    switch (pixelClass) {
        case PixelClass::Free: return {255, 255, 255};
        case PixelClass::Crossable: return {kGreyContent, kGreyContent, kGreyContent};
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
        const auto colour = ClassColour(pixelClass);
        out = std::copy(colour.begin(), colour.end(), out);
    }
    return rgb;
}

py::dict PlanDefaults() {
    const ZalvoPlan::PlanParameters p;
    py::dict d;
    d["resolution"] = py::none();
    d["min_distance"] = ZalvoPlan::kDefaultMinimumDistance;
    d["preferred_distance"] = ZalvoPlan::kDefaultPreferredDistance;
    d["penalty"] = ZalvoPlan::PenaltyModelName(p.penalty);
    d["penalty_weight"] = p.penaltyWeight;
    d["shift_penalty"] = p.shiftPenalty;
    d["clearance"] = p.clearance;
    d["transition_half_width"] = p.transitionHalfWidth;
    d["minimum_band"] = p.minimumBand;
    d["sufficient_band"] = p.sufficientBand;
    d["split_columns"] = py::tuple();
    d["row_policy"] = ZalvoPlan::RowPolicyName(p.rowPolicy);
    d["existing_clearance"] = p.existingClearance;
    d["wanted_clearance"] = p.wantedClearance;
    d["corner_radius"] = p.cornerRadius;
    d["minimum_width"] = p.minimumWidth;
    d["line_width"] = p.lineWidth;
    return d;
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
    m.attr("PICTURE_COLOURS") = PictureColours();
    m.attr("PICTURE_LEGEND") = PictureLegend();
    m.def(
        "_plan",
        [](const py::object& image, const py::kwargs& given) {
            const py::dict defaults = PlanDefaults();
            for (const auto& [key, value] : given) {
                if (!defaults.contains(key))
                    ThrowTypeError("plan() got an unknown option " + std::string(py::repr(key)));
            }
            const auto option = [&](const char* name) -> py::object {
                return given.contains(name) ? given[name] : defaults[name];
            };
            return Plan(image, {option("resolution"), option("min_distance"), option("preferred_distance"),
                                option("penalty"), option("penalty_weight"), option("shift_penalty"),
                                option("clearance"), option("transition_half_width"), option("minimum_band"),
                                option("sufficient_band"), option("split_columns"), option("row_policy"),
                                option("existing_clearance"), option("wanted_clearance"), option("corner_radius"),
                                option("minimum_width"), option("line_width")});
        },
        py::arg("image"));
    m.def("_picture_underlay", &PictureUnderlay, py::arg("pixel_classes"), py::arg("terrain"));
    m.def("sample_plate", &SamplePlate, py::arg("columns") = ZalvoPlan::kSampleColumns,
          py::arg("rows") = ZalvoPlan::kSampleRows,
          "zalvo-plan's built-in sample plate (drawn for 300 pixels per inch) as an RGB image of shape "
          "(rows, columns, 3).");
}

}  // namespace ZalvoPython
