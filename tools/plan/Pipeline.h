// The whole planning job on one plate: terrain, cheapest line, rigid shift,
// wiggle rooms, row adjustment and the sparse corner line, timed per stage.
#pragma once

#include "input/PlateImage.h"
#include "plan/Interruption.h"

#include <zalvo/zalvo.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace ZalvoPlan {

// The host's per-pixel penalty added to the library's own height costs.
enum class PenaltyModel {
    None,    // no penalty
    Middle,  // weight x distance from the middle row / half the row count
    Slope,   // weight x the library's slope (0..1) of the pixel's height
};

enum class RowPolicy { PlateUsage, Stagger };

struct PlanParameters {
    double resolution = 0.0;         // pixels per inch
    double minimumDistance = 0.0;    // millipoints
    double preferredDistance = 0.0;  // millipoints
    PenaltyModel penalty = PenaltyModel::None;
    double penaltyWeight = 1.0;
    double shiftPenalty = 0.1;  // per row moved
    std::int32_t clearance = 2;
    std::int32_t transitionHalfWidth = 8;
    std::int32_t minimumBand = 3;
    std::int32_t sufficientBand = 12;
    std::vector<std::int32_t> splitColumns;
    RowPolicy rowPolicy = RowPolicy::PlateUsage;
    std::int32_t existingClearance = 0;
    std::int32_t wantedClearance = 2;
    std::int32_t cornerRadius = 10;
    std::int32_t minimumWidth = 2;
    std::int32_t lineWidth = 3;
};

// One of the two results of the rigid shift, priced as the optimizer prices
// it: the sum of the penalty over its pixels plus the shift penalty.
struct ShiftedPath {
    std::vector<Zalvo::Pixel> pixels;
    std::int32_t shift = 0;  // rows moved, as a positive distance
    double cost = 0.0;
};

struct StageTiming {
    std::string stage;
    double milliseconds = 0.0;
};

enum class Direction { Up, Down };

struct PlanResult {
    Zalvo::Terrain terrain;
    std::optional<std::vector<Zalvo::Pixel>> foundPath;  // none: no line exists
    ShiftedPath up;                                      // toward higher rows
    ShiftedPath down;                                    // toward lower rows
    Direction taken = Direction::Up;
    std::vector<Zalvo::WiggleRoom> rooms;  // after the row adjustment
    std::vector<Zalvo::Pixel> sparsePath;
    std::vector<Zalvo::Pixel> cutLine;  // the sparse path's corners only
    std::string noPathReason;           // set exactly when there is no line
    std::vector<StageTiming> timings;

    bool HasPath() const { return foundPath.has_value(); }
    const ShiftedPath& Taken() const { return taken == Direction::Up ? up : down; }
};

// Told when each stage starts (with the units of work it will count, 0 when
// unknown) and ends, and of each unit of work done (for a progress display).
struct StageObserver {
    std::function<void(const std::string& stage, std::int64_t units)> started;
    std::function<void(const StageTiming& timing)> finished;
    std::function<void()> counted;
};

// Times stages, appends them to `timings` and tells the observer.
class StageClock {
public:
    StageClock(StageObserver observer, std::vector<StageTiming>& timings)
        : observer_(std::move(observer)), timings_(timings) {}

    // Every stage begins by checking for a stop signal: a plate is abandoned
    // between stages, never halfway through writing.
    template <class Work>
    auto Run(const std::string& stage, Work&& work, std::int64_t units = 0) {
        ThrowIfStopRequested();
        if (observer_.started) observer_.started(stage, units);
        const auto start = std::chrono::steady_clock::now();
        auto finish = [&] {
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            timings_.push_back({stage, elapsed.count()});
            if (observer_.finished) observer_.finished(timings_.back());
        };
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            finish();
        } else {
            auto result = work();
            finish();
            return result;
        }
    }

    // Runs independent pieces of work at once, each on a thread of its own,
    // as one stage for the observer. Each piece's time is recorded under its
    // own name, in the order given, then the whole stage's; the first
    // exception any piece throws passes on once all have ended.
    using Piece = std::pair<std::string, std::function<void()>>;
    void RunTogether(const std::string& stage, const std::vector<Piece>& pieces);

private:
    StageObserver observer_;
    std::vector<StageTiming>& timings_;
};

// A cut line runs from the first column to the last, so it needs two of them.
inline constexpr std::int32_t kMinimumColumnsForALine = 2;

// The stages RunPlan reports, in order (the last four only when a line exists).
inline constexpr int kPipelineStageCount = 6;

// The penalty the model puts on `pixel` (rows wrapped onto the plate).
double PixelPenalty(PenaltyModel model, double weight, const Zalvo::Terrain& terrain, const Zalvo::Pixel& pixel);

// Why no line crosses a plate, and what to change: the first columns that
// are blocked from top to bottom, and whether a smaller minimum distance
// would open them (they are margin in some row) or nothing would (content
// fills them).
std::string NoPathReason(const PlateImage& image, const Zalvo::Terrain& terrain);

// The downward result is taken only when it is strictly cheaper.
Direction ChooseCheaper(const ShiftedPath& up, const ShiftedPath& down);

// Runs the job. Library exceptions pass through unchanged.
PlanResult RunPlan(const PlateImage& image, const PlanParameters& parameters, const StageObserver& observer = {});

}  // namespace ZalvoPlan
