#include "plan/Pipeline.h"

#include "plan/CutLine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <future>
#include <optional>

namespace ZalvoPlan {
namespace {

ShiftedPath PriceShiftedPath(std::vector<Zalvo::Pixel> pixels, const std::vector<Zalvo::Pixel>& found,
                             const Zalvo::PixelCostFunction& pixelCost, const PlanParameters& parameters) {
    ShiftedPath shifted;
    shifted.shift = pixels.empty() ? 0 : std::abs(pixels.front().y - found.front().y);
    // A path from the search has neighbouring pixels, so it is its own dense
    // line: the same pixels, in the same order, that the optimizer priced.
    double sum = 0.0;
    for (const auto& pixel : pixels) sum += pixelCost(pixel);
    shifted.cost = sum + parameters.shiftPenalty * shifted.shift;
    shifted.pixels = std::move(pixels);
    return shifted;
}

// The first run of columns blocked from top to bottom, as [first, last].
std::optional<std::pair<std::int32_t, std::int32_t>> FirstWall(const Zalvo::Terrain& terrain) {
    const auto blocked = [&](std::size_t x) {
        return std::all_of(terrain[x].begin(), terrain[x].end(),
                           [](std::uint8_t height) { return height == Zalvo::Heights::Impassable; });
    };
    for (std::size_t x = 0; x < terrain.size(); ++x) {
        if (!blocked(x)) continue;
        std::size_t last = x;
        while (last + 1 < terrain.size() && blocked(last + 1)) ++last;
        return std::pair{static_cast<std::int32_t>(x), static_cast<std::int32_t>(last)};
    }
    return std::nullopt;
}

std::string ColumnsText(std::int32_t first, std::int32_t last) {
    return first == last ? "column " + std::to_string(first)
                         : "columns " + std::to_string(first) + "\u2013" + std::to_string(last);
}

}  // namespace

std::string NoPathReason(const PlateImage& image, const Zalvo::Terrain& terrain) {
    constexpr const char* kLowerTheDistance = "try a smaller --min-distance / min_distance";
    const auto wall = FirstWall(terrain);
    if (!wall) {
        return "no line crosses this plate: content and its blocked margins close every way from the left edge to "
               "the right, though no column is blocked from top to bottom; " +
               std::string(kLowerTheDistance);
    }
    const auto [first, last] = *wall;
    for (std::int32_t x = first; x <= last; ++x) {
        for (std::int32_t y = 0; y < image.rows; ++y) {
            if (!IsImpassableClass(image.At(x, y))) {
                return "no line gets past " + ColumnsText(first, last) +
                       ": every row there is impassable content or within the minimum distance of it; " +
                       kLowerTheDistance;
            }
        }
    }
    return "no line gets past " + ColumnsText(first, last) +
           ": impassable content fills every row there, whatever the distances; make a way through it with a "
           "corridor seed (red) or crossable content (grey)";
}

void StageClock::RunTogether(const std::string& stage, const std::vector<Piece>& pieces) {
    ThrowIfStopRequested();
    if (observer_.started) observer_.started(stage, 0);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::future<double>> running;
    for (const auto& piece : pieces) {
        running.push_back(std::async(std::launch::async, [&work = piece.second] {
            const auto pieceStart = std::chrono::steady_clock::now();
            work();
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pieceStart).count();
        }));
    }
    for (auto& piece : running) piece.wait();
    for (std::size_t i = 0; i < pieces.size(); ++i) timings_.push_back({pieces[i].first, running[i].get()});
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    timings_.push_back({stage, elapsed.count()});
    if (observer_.finished) observer_.finished(timings_.back());
}

double PixelPenalty(PenaltyModel model, double weight, const Zalvo::Terrain& terrain, const Zalvo::Pixel& pixel) {
    switch (model) {
        case PenaltyModel::None: return 0.0;
        case PenaltyModel::Middle: {
            const auto rows = static_cast<std::int32_t>(Zalvo::GetRowCount(terrain));
            if (rows == 0) return 0.0;
            const double middle = (rows - 1) / 2.0;
            return weight * std::fabs(Zalvo::PositiveModulo(pixel.y, rows) - middle) / (rows / 2.0);
        }
        case PenaltyModel::Slope: return weight * Zalvo::GetSlope(Zalvo::GetHeight(terrain, pixel));
    }
    return 0.0;
}

Direction ChooseCheaper(const ShiftedPath& up, const ShiftedPath& down) {
    return down.cost < up.cost ? Direction::Down : Direction::Up;
}

PlanResult RunPlan(const PlateImage& image, const PlanParameters& parameters, const StageObserver& observer) {
    PlanResult result;
    StageClock clock(observer, result.timings);
    const ImagePlate plate(image, parameters.resolution);

    result.terrain = clock.Run("createTerrain", [&] {
        return Zalvo::CreateTerrain(
            plate, [&image](const Zalvo::Pixel& pixel) { return IsImpassableClass(image.At(pixel.x, pixel.y)); },
            CorridorSeeds(image), Zalvo::MilliPoints(parameters.minimumDistance),
            Zalvo::MilliPoints(parameters.preferredDistance));
    });
    if (image.columns < kMinimumColumnsForALine) {
        result.noPathReason = "the plate is " + std::to_string(image.columns) +
                              " column wide; a cut line needs at least " + std::to_string(kMinimumColumnsForALine);
        return result;
    }
    const Zalvo::Terrain& terrain = result.terrain;
    // Counting the calls only watches the library work; the penalty is the same.
    // The search runs for seconds on a large plate: a stop signal ends it at the next penalty call.
    const Zalvo::PixelCostFunction pixelCost = [&](const Zalvo::Pixel& pixel) {
        ThrowIfStopRequested();
        if (observer.counted) observer.counted();
        return PixelPenalty(parameters.penalty, parameters.penaltyWeight, terrain, pixel);
    };
    const Zalvo::ShiftPenaltyFunction shiftPenalty = [&](std::int32_t distance) {
        return parameters.shiftPenalty * distance;
    };

    // The search asks for the penalty of each cell about once.
    const std::int64_t cells = std::int64_t{image.columns} * image.rows;
    result.foundPath = clock.Run(
        "findShortestPixelPath", [&] { return Zalvo::FindShortestPixelPath(terrain, pixelCost); }, cells);
    if (!result.foundPath) {
        result.noPathReason = NoPathReason(image, terrain);
        return result;
    }
    const auto& found = *result.foundPath;

    clock.Run("optimizePixelPath", [&] {
        auto [up, down] = Zalvo::OptimizePixelPath(found, parameters.clearance, terrain, pixelCost, shiftPenalty);
        result.up = PriceShiftedPath(std::move(up), found, pixelCost, parameters);
        result.down = PriceShiftedPath(std::move(down), found, pixelCost, parameters);
        result.taken = ChooseCheaper(result.up, result.down);
    });
    const auto& chosen = result.Taken().pixels;

    auto rooms = clock.Run("calculateWiggleRooms", [&] {
        return Zalvo::CalculateWiggleRoomAroundPixelPath(chosen, terrain, parameters.transitionHalfWidth,
                                                         parameters.minimumBand, parameters.sufficientBand,
                                                         parameters.splitColumns);
    });
    result.rooms = clock.Run("adjustRows", [&] {
        const auto adjust = parameters.rowPolicy == RowPolicy::PlateUsage
                                ? &Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage
                                : &Zalvo::AdjustHorizontalRoomRowsForPreferringStagger;
        return adjust(std::move(rooms), chosen, parameters.existingClearance, parameters.wantedClearance,
                      parameters.cornerRadius, parameters.minimumWidth, parameters.lineWidth);
    });
    result.sparsePath =
        clock.Run("sparsePath", [&] { return Zalvo::CalculateSparsePixelPathThroughWiggleRooms(result.rooms); });
    result.cutLine = RemoveCollinearPoints(result.sparsePath);
    return result;
}

}  // namespace ZalvoPlan
