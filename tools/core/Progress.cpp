#include "Progress.h"

#include <cstdio>

namespace ZalvoPlan {

bool ShouldShowProgress(bool quiet, bool stderrIsTerminal, std::int64_t pixelCount) {
    return !quiet && stderrIsTerminal && pixelCount >= kProgressPixelThreshold;
}

void Progress::Started(const std::string& stage) {
    if (enabled_) out_ << "zalvo-plan: " << stage << " ..." << std::flush;
}

void Progress::Finished(const StageTiming& timing) {
    if (!enabled_) return;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, " %.2f s", timing.milliseconds / 1000.0);
    out_ << seconds << std::endl;
}

StageObserver Progress::Observer() {
    return {[this](const std::string& stage) { Started(stage); },
            [this](const StageTiming& timing) { Finished(timing); }};
}

}  // namespace ZalvoPlan
