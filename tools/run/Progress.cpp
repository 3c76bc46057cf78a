#include "run/Progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace ZalvoPlan {
namespace {

constexpr int kBarWidth = 24;
// Often enough to look live, rarely enough to cost nothing.
constexpr std::chrono::milliseconds kRedrawInterval{150};
// A running stage never shows 100 %: that is kept for the finished line.
constexpr std::int64_t kRunningPercentCap = 99;

}  // namespace

bool ShouldShowProgress(ProgressChoice choice, bool quiet, bool stderrIsTerminal, std::int64_t pixelCount) {
    switch (choice) {
        case ProgressChoice::On: return true;
        case ProgressChoice::Off: return false;
        case ProgressChoice::Automatic: break;
    }
    return !quiet && stderrIsTerminal && pixelCount >= kProgressPixelThreshold;
}

std::string FormatProgressLine(const std::string& stage, std::int64_t done, std::int64_t total, double seconds,
                               bool finished) {
    std::string line = "zalvo-plan: " + stage + " ";
    if (total > 0) {
        const std::int64_t percent =
            finished ? 100 : std::min(kRunningPercentCap, std::max<std::int64_t>(done, 0) * 100 / total);
        const auto filled = static_cast<std::size_t>(percent * kBarWidth / 100);
        line += '[' + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] ";
        char text[8];
        std::snprintf(text, sizeof text, "%3lld%%", static_cast<long long>(percent));
        line += text;
    } else {
        line += finished ? "done" : "...";
    }
    char time[32];
    std::snprintf(time, sizeof time, " %6.1f s", seconds);
    return line + time;
}

double ProgressDisplay::SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ProgressDisplay::~ProgressDisplay() {
    if (!stage_.empty()) out_ << '\n' << std::flush;
}

void ProgressDisplay::StageStarted(const std::string& stage, std::int64_t total) {
    const std::lock_guard lock(mutex_);
    stage_ = stage;
    total_ = total;
    start_ = clock_();
    done_.store(0, std::memory_order_relaxed);
    Draw(false);
}

void ProgressDisplay::StageFinished() {
    const std::lock_guard lock(mutex_);
    if (stage_.empty()) return;
    Draw(true);
    stage_.clear();
}

void ProgressDisplay::Redraw() {
    const std::lock_guard lock(mutex_);
    if (!stage_.empty()) Draw(false);
}

void ProgressDisplay::Draw(bool finished) {
    out_ << '\r'
         << FormatProgressLine(stage_, done_.load(std::memory_order_relaxed), total_, clock_() - start_, finished)
         << (finished ? "\n" : "") << std::flush;
}

StageObserver ProgressDisplay::Observer() {
    return {[this](const std::string& stage, std::int64_t total) { StageStarted(stage, total); },
            [this](const StageTiming&) { StageFinished(); }, [this] { Count(); }};
}

ProgressTicker::ProgressTicker(ProgressDisplay& display)
    : display_(display), thread_([this] {
          std::unique_lock lock(mutex_);
          while (!wake_.wait_for(lock, kRedrawInterval, [this] { return stopping_; })) display_.Redraw();
      }) {}

ProgressTicker::~ProgressTicker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

}  // namespace ZalvoPlan
