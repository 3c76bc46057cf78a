// A one-line-per-stage progress display on stderr, for plates large enough
// that the stages take noticeable time.
#pragma once

#include "Pipeline.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace ZalvoPlan {

// Below this many pixels every stage is over too quickly to be worth a line.
inline constexpr std::int64_t kProgressPixelThreshold = 1'000'000;

// Shown only on a terminal, for plates of at least the threshold, and never
// with --quiet.
bool ShouldShowProgress(bool quiet, bool stderrIsTerminal, std::int64_t pixelCount);

// Prints "zalvo-plan: <stage> ..." when a stage starts and completes the same
// line with its time when it ends. Inert when not enabled.
class Progress {
public:
    Progress(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}

    void Started(const std::string& stage);
    void Finished(const StageTiming& timing);
    StageObserver Observer();

private:
    std::ostream& out_;
    bool enabled_;
};

}  // namespace ZalvoPlan
