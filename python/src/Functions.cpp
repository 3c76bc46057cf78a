#include "Functions.h"

#include "Callables.h"
#include "Distances.h"
#include "Plates.h"
#include "Rooms.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ZalvoPython {
namespace {

// The library reads a terrain's row count from its first column and a height
// from the pixel's own column only, so a terrain that holds just those two
// columns (the others empty) answers exactly as the whole grid would, without
// transposing all of it for one read.
Zalvo::Terrain OutlineOf(const Grid<std::uint8_t>& grid, std::int32_t column) {
    Zalvo::Terrain outline(static_cast<std::size_t>(grid.columns));
    for (const std::int32_t x : {std::int32_t{0}, column}) {
        if (x < 0 || x >= grid.columns) continue;
        auto& cells = outline[static_cast<std::size_t>(x)];
        cells.resize(static_cast<std::size_t>(grid.rows));
        for (std::int32_t y = 0; y < grid.rows; ++y) cells[static_cast<std::size_t>(y)] = grid.At(x, y);
    }
    return outline;
}

std::uint8_t HeightArgument(const py::handle& object) {
    const std::int32_t height = Int32Argument(object, "height");
    if (height < 0 || height > 255) ThrowValueError("height must lie in 0..255, not " + std::to_string(height));
    return static_cast<std::uint8_t>(height);
}

// The largest step between neighbouring points, in pixels along either axis:
// what makes a dense line too long.
std::int64_t LargestGap(const std::vector<Zalvo::Pixel>& path) {
    std::int64_t gap = 0;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const std::int64_t across = std::int64_t{path[i].x} - path[i - 1].x;
        const std::int64_t along = std::int64_t{path[i].y} - path[i - 1].y;
        gap = std::max({gap, across < 0 ? -across : across, along < 0 ? -along : along});
    }
    return gap;
}

py::object FindShortestPixelPath(const py::object& terrainArray, const py::object& pixelCostGiven) {
    const auto grid = GridArgument<std::uint8_t>(terrainArray, "terrain");
    const PixelCost pixelCost = PixelCostArgument(pixelCostGiven, "pixel_cost", grid.rows, grid.columns);
    const auto found = RunLibrary(pixelCost.callsPython,
                                  [&] { return Zalvo::FindShortestPixelPath(ToTerrain(grid), pixelCost.function); });
    return found ? py::object(PathToArray(*found)) : py::none();
}

// create_terrain's distances and resolution, refused here when negative or
// not finite: the library would report them only as a size too large.
Distance TerrainDistance(const py::handle& given, const std::string& name, std::optional<double> resolution) {
    Distance distance = DistanceArgument(given, name, resolution, true);
    if (!(std::isfinite(distance.milliPoints) && distance.milliPoints >= 0.0)) {
        ThrowValueError(name + " must be a finite length of 0 or more, not " + distance.text);
    }
    return distance;
}

std::optional<double> TerrainResolution(const py::object& given) {
    if (given.is_none()) return std::nullopt;
    const double resolution = FloatArgument(given, "resolution");
    if (!(std::isfinite(resolution) && resolution >= 0.0)) {
        ThrowValueError("resolution must be a finite number of pixels per inch, 0 or more, not " +
                        std::string(py::str(given)));
    }
    return resolution;
}

struct TerrainRequest {
    Distance minimum;
    Distance preferred;
    std::set<Zalvo::Pixel> seeds;
};

py::array_t<std::uint8_t> CreateFromMasks(const py::object& occupiedArray, const py::object& impassableGiven,
                                          std::optional<double> pixelsPerInch, TerrainRequest request) {
    if (!pixelsPerInch) ThrowTypeError("create_terrain needs the resolution (pixels per inch) with arrays");
    const double resolution = *pixelsPerInch;
    const auto occupied = MaskArgument(occupiedArray, "occupied");
    const Impassable impassable = ImpassableArgument(impassableGiven, "impassable", occupied.rows, occupied.columns);
    const MaskPlate plate(occupied, resolution);
    const PlateRecord record{occupied.columns, occupied.rows, resolution};
    try {
        return TerrainToArray(RunLibrary(impassable.callsPython, [&] {
            return Zalvo::CreateTerrain(plate, impassable.function, request.seeds,
                                        Zalvo::MilliPoints(request.minimum.milliPoints),
                                        Zalvo::MilliPoints(request.preferred.milliPoints));
        }));
    } catch (const std::length_error& error) {
        ThrowValueError(
            "create_terrain: " + record.Describe(request.minimum.milliPoints, request.preferred.milliPoints) +
            " is too large (" + error.what() + ")");
    }
}

py::array_t<std::uint8_t> CreateFromPlate(const py::object& plateObject, const py::object& impassableGiven,
                                          TerrainRequest request) {
    if (!impassableGiven.is_none() && !PyCallable_Check(impassableGiven.ptr())) {
        ThrowTypeError("impassable must be None or a callable when the plate is an object");
    }
    const Impassable impassable = ImpassableArgument(impassableGiven, "impassable", 0, 0);
    const PythonPlate plate(plateObject);
    try {
        return TerrainToArray(Zalvo::CreateTerrain(plate, impassable.function, request.seeds,
                                                   Zalvo::MilliPoints(request.minimum.milliPoints),
                                                   Zalvo::MilliPoints(request.preferred.milliPoints)));
    } catch (const std::length_error& error) {
        ThrowValueError(
            "create_terrain: " + plate.Record().Describe(request.minimum.milliPoints, request.preferred.milliPoints) +
            " is too large (" + error.what() + ")");
    }
}

py::array_t<std::uint8_t> CreateTerrain(const py::object& plate, const py::object& impassable,
                                        const py::object& corridorSeeds, const py::object& minimumDistance,
                                        const py::object& preferredDistance, const py::object& resolution) {
    const std::optional<double> pixelsPerInch = TerrainResolution(resolution);
    TerrainRequest request{TerrainDistance(minimumDistance, "minimum_distance", pixelsPerInch),
                           TerrainDistance(preferredDistance, "preferred_distance", pixelsPerInch),
                           SeedsArgument(corridorSeeds, "corridor_seeds")};
    if (py::isinstance<py::array>(plate)) return CreateFromMasks(plate, impassable, pixelsPerInch, std::move(request));
    if (!resolution.is_none()) {
        ThrowTypeError("resolution applies to arrays only: a plate object gives its own by get_resolution()");
    }
    return CreateFromPlate(plate, impassable, std::move(request));
}

py::tuple OptimizePixelPath(const py::object& pathArray, const py::object& clearance, const py::object& terrainArray,
                            const py::object& pixelCostGiven, const py::object& shiftPenaltyGiven) {
    const auto path = PathArgument(pathArray, "path");
    const std::int32_t rowsClear = Int32Argument(clearance, "clearance");
    const auto grid = GridArgument<std::uint8_t>(terrainArray, "terrain");
    const PixelCost pixelCost = PixelCostArgument(pixelCostGiven, "pixel_cost", grid.rows, grid.columns);
    const ShiftPenalty shiftPenalty = ShiftPenaltyArgument(shiftPenaltyGiven, "shift_penalty");
    try {
        const auto [up, down] = RunLibrary(pixelCost.callsPython || shiftPenalty.callsPython, [&] {
            return Zalvo::OptimizePixelPath(path, rowsClear, ToTerrain(grid), pixelCost.function,
                                            shiftPenalty.function);
        });
        return py::make_tuple(PathToArray(up), PathToArray(down));
    } catch (const std::length_error& error) {
        ThrowValueError("optimize_pixel_path: the dense line through " + std::to_string(path.size()) +
                        " points, neighbours up to " + std::to_string(LargestGap(path)) +
                        " pixels apart, is too long (" + error.what() + ")");
    }
}

py::list CalculateWiggleRooms(const py::object& pathArray, const py::object& terrainArray,
                              const py::object& transitionHalfWidth, const py::object& minimumBand,
                              const py::object& sufficientBand, const py::object& splitColumns) {
    const auto path = PathArgument(pathArray, "path");
    const auto grid = GridArgument<std::uint8_t>(terrainArray, "terrain");
    const std::int32_t halfWidth = Int32Argument(transitionHalfWidth, "transition_half_width");
    const std::int32_t minimum = Int32Argument(minimumBand, "minimum_band");
    const std::int32_t sufficient = Int32Argument(sufficientBand, "sufficient_band");
    const auto splits = ColumnsArgument(splitColumns, "split_columns");
    return RoomsToList(RunLibrary(false, [&] {
        return Zalvo::CalculateWiggleRoomAroundPixelPath(path, ToTerrain(grid), halfWidth, minimum, sufficient, splits);
    }));
}

using RowAdjustment = std::vector<Zalvo::WiggleRoom> (*)(std::vector<Zalvo::WiggleRoom>,
                                                         const std::vector<Zalvo::Pixel>&, std::int32_t, std::int32_t,
                                                         std::int32_t, std::int32_t, std::int32_t);

// Both row adjustments take the same arguments.
auto AdjustRows(RowAdjustment adjust) {
    return [adjust](const py::object& rooms, const py::object& pathArray, const py::object& existingClearance,
                    const py::object& wantedClearance, const py::object& cornerRadius, const py::object& minimumWidth,
                    const py::object& lineWidth) {
        auto roomList = RoomsArgument(rooms, "rooms");
        const auto path = PathArgument(pathArray, "path");
        const std::int32_t existing = Int32Argument(existingClearance, "existing_clearance");
        const std::int32_t wanted = Int32Argument(wantedClearance, "wanted_clearance");
        const std::int32_t radius = Int32Argument(cornerRadius, "corner_radius");
        const std::int32_t minimum = Int32Argument(minimumWidth, "minimum_width");
        const std::int32_t width = Int32Argument(lineWidth, "line_width");
        return RoomsToList(RunLibrary(
            false, [&] { return adjust(std::move(roomList), path, existing, wanted, radius, minimum, width); }));
    };
}

void BindGridAccessors(py::module_& m) {
    m.def(
        "get_column_count",
        [](const py::object& terrain) {
            return Zalvo::GetColumnCount(OutlineOf(GridArgument<std::uint8_t>(terrain, "terrain"), 0));
        },
        py::arg("terrain"), "The number of columns of a (rows, columns) uint8 terrain.");
    m.def(
        "get_row_count",
        [](const py::object& terrain) {
            return Zalvo::GetRowCount(OutlineOf(GridArgument<std::uint8_t>(terrain, "terrain"), 0));
        },
        py::arg("terrain"), "The number of rows of a (rows, columns) uint8 terrain.");
    m.def(
        "get_height",
        [](const py::object& terrain, const py::object& pixel) {
            const Zalvo::Pixel at = PixelArgument(pixel, "pixel");
            return Zalvo::GetHeight(OutlineOf(GridArgument<std::uint8_t>(terrain, "terrain"), at.x), at);
        },
        py::arg("terrain"), py::arg("pixel"),
        "The height at pixel (x, y), the row wrapped by the row count; 0 for a column off the grid.");
    m.def(
        "get_slope", [](const py::object& height) { return Zalvo::GetSlope(HeightArgument(height)); },
        py::arg("height"), "min(height, 251) / 251.0.");
    m.def(
        "is_corridor", [](const py::object& height) { return Zalvo::IsCorridor(HeightArgument(height)); },
        py::arg("height"), "True exactly for the corridor height 252.");
    m.def(
        "is_passable", [](const py::object& height) { return Zalvo::IsPassable(HeightArgument(height)); },
        py::arg("height"), "True for heights below 254.");
    m.def(
        "is_horizontal", [](const py::object& path) { return Zalvo::IsHorizontal(PathArgument(path, "path")); },
        py::arg("path"), "False for an empty path, else whether every pixel has the first one's row.");
}

}  // namespace

void BindFunctions(py::module_& m) {
    BindGridAccessors(m);
    m.def("find_shortest_pixel_path", &FindShortestPixelPath, py::arg("terrain"), py::arg("pixel_cost") = py::none(),
          "The cheapest left-to-right line as an (N, 2) int32 array of (x, y), rows unwrapped; None when no line "
          "costs less than 1e9.");
    m.def("create_terrain", &CreateTerrain, py::arg("plate"), py::arg("impassable") = py::none(),
          py::arg("corridor_seeds") = py::none(), py::kw_only(), py::arg("minimum_distance"),
          py::arg("preferred_distance"), py::arg("resolution") = py::none(),
          "The (rows, columns) uint8 terrain of a plate: either a bool or uint8 mask of occupied pixels with the "
          "resolution, or an object with the plate's methods.");
    m.def("optimize_pixel_path", &OptimizePixelPath, py::arg("path"), py::arg("clearance"), py::arg("terrain"),
          py::arg("pixel_cost") = py::none(), py::arg("shift_penalty") = py::none(),
          "The path moved rigidly to its cheapest position toward higher rows and toward lower rows: (up, down).");
    m.def("calculate_wiggle_room_around_pixel_path", &CalculateWiggleRooms, py::arg("path"), py::arg("terrain"),
          py::arg("transition_half_width"), py::arg("minimum_band"), py::arg("sufficient_band"),
          py::arg("split_columns") = py::tuple(), "The wiggle rooms around the path, in path order.");
    m.def("adjust_horizontal_room_rows_for_optimal_plate_usage",
          AdjustRows(&Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage), py::arg("rooms"), py::arg("path"),
          py::arg("existing_clearance"), py::arg("wanted_clearance"), py::arg("corner_radius"),
          py::arg("minimum_width"), py::arg("line_width"),
          "New rows for the horizontal rooms, as close as possible to the middle of the path's rows.");
    m.def("adjust_horizontal_room_rows_for_preferring_stagger",
          AdjustRows(&Zalvo::AdjustHorizontalRoomRowsForPreferringStagger), py::arg("rooms"), py::arg("path"),
          py::arg("existing_clearance"), py::arg("wanted_clearance"), py::arg("corner_radius"),
          py::arg("minimum_width"), py::arg("line_width"),
          "New rows for the horizontal rooms, each near the row the path itself runs at across it.");
    m.def(
        "calculate_sparse_pixel_path_through_wiggle_rooms",
        [](const py::object& rooms) {
            auto roomList = RoomsArgument(rooms, "rooms");
            return PathToArray(
                RunLibrary(false, [&] { return Zalvo::CalculateSparsePixelPathThroughWiggleRooms(roomList); }));
        },
        py::arg("rooms"), "The corner pixels of the line through the rooms, as an (N, 2) int32 array.");
}

}  // namespace ZalvoPython
