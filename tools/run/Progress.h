// A live progress display on stderr: one line per stage, redrawn in place
// while the stage runs, with a bar where the amount of work is known (the
// search visits every cell once, and the planner counts the penalty calls)
// and the elapsed time always.
#pragma once

#include "plan/Pipeline.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace ZalvoPlan {

// Below this many pixels every stage is over too quickly to be worth a line.
inline constexpr std::int64_t kProgressPixelThreshold = 1'000'000;

enum class ProgressChoice { Automatic, On, Off };

// Automatic: shown only on a terminal, for plates of at least the threshold,
// and never with --quiet. On and Off force it either way.
bool ShouldShowProgress(ProgressChoice choice, bool quiet, bool stderrIsTerminal, std::int64_t pixelCount);

// The text of one progress line, without the carriage return: the stage, a
// bar and percentage when `total` is known (above 0), and the elapsed time.
// A running stage shows at most 99 %, since counting reached the total is not
// the same as having finished.
std::string FormatProgressLine(const std::string& stage, std::int64_t done, std::int64_t total, double seconds,
                               bool finished);

// Draws the current stage on `out`. Count() is called by the planning thread
// once per unit of work and costs a relaxed store; Redraw() may come from any
// thread (the ticker's).
class ProgressDisplay {
public:
    using Clock = std::function<double()>;  // seconds since any fixed point
    static double SteadySeconds();

    explicit ProgressDisplay(std::ostream& out, Clock clock = SteadySeconds) : out_(out), clock_(std::move(clock)) {}
    // Ends a stage cut short by an error, so the error's line starts on a line of its own.
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    void StageStarted(const std::string& stage, std::int64_t total);
    void Count() { done_.store(done_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
    void StageFinished();
    void Redraw();
    StageObserver Observer();

private:
    void Draw(bool finished);

    std::ostream& out_;
    Clock clock_;
    std::mutex mutex_;
    std::string stage_;  // empty between stages
    std::int64_t total_ = 0;
    double start_ = 0.0;
    std::atomic<std::int64_t> done_{0};
};

// Redraws a display every kRedrawInterval on its own thread while it lives.
class ProgressTicker {
public:
    explicit ProgressTicker(ProgressDisplay& display);
    ~ProgressTicker();
    ProgressTicker(const ProgressTicker&) = delete;
    ProgressTicker& operator=(const ProgressTicker&) = delete;

private:
    ProgressDisplay& display_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace ZalvoPlan
