// One plate from its source to its written outputs: reading, checking the
// parameters, planning, drawing and writing, as the single run and every
// batch worker do it.
#pragma once

#include "output/Picture.h"
#include "plan/Pipeline.h"
#include "plan/PlanSetup.h"
#include "run/Progress.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace ZalvoPlan {

// Exit codes.
inline constexpr int kExitSuccess = 0;       // a plan was written ("ok" or "no-path")
inline constexpr int kExitPlanFailed = 1;    // the planning itself failed (e.g. out of memory)
inline constexpr int kExitBadInput = 2;      // bad command line, image or parameter
inline constexpr int kExitOutputFailed = 3;  // the outputs could not be written

struct PlateSource {
    enum class Kind { Sample, File, StandardInput };
    Kind kind = Kind::Sample;
    std::string path;                 // a File's path
    std::vector<std::uint8_t> bytes;  // what standard input held
};

// Everything the command line says about how to plan and write a plate.
struct JobOptions {
    std::string sampleSize;
    PlanRequest request;
    std::string baseName = "plan";  // the outputs are <baseName>.json, .svg, .png and .html
    bool svg = true;
    bool png = true;
    std::int32_t pictureMaxSize = kDefaultPictureMaxSize;  // 0: the plate's full size
};

// Where a live progress display may go: nowhere for batch workers.
struct ProgressSettings {
    std::ostream* err = nullptr;
    ProgressChoice choice = ProgressChoice::Automatic;
    bool quiet = false;
    bool errIsTerminal = false;
};

enum class Failure { None, BadInput, PlanFailed, OutputFailed, Interrupted };

struct PlateOutcome {
    std::string status;  // "ok", "no-path", "error" or "interrupted"
    std::size_t corners = 0;
    std::size_t rooms = 0;
    std::string reason;  // why there is no path
    double seconds = 0.0;
    Failure failure = Failure::None;
    std::string error;  // one line, for "error"
    std::vector<std::string> warnings;
    std::vector<std::filesystem::path> written;
};

// Plans the plate and writes its outputs into `directory`, all or nothing.
// Never throws: every failure is described in the outcome.
PlateOutcome PlanPlate(const JobOptions& options, const PlateSource& source, const std::filesystem::path& directory,
                       const ProgressSettings& progress);

// "1 room", "3 rooms".
std::string CountOf(std::size_t count, const std::string& singular);

// The line that tells how a plate went: "ok: a cut line of 5 corners through
// 1 room", "no-path: <reason>" or "error: <message>".
std::string OutcomeLine(const PlateOutcome& outcome);

// The exit code for a set of outcomes: 128 + the signal when a stop signal
// cut any plate short (130 for SIGINT, 143 for SIGTERM), else 2 when any
// input was bad, else 3 when any output could not be written, else 1 when any
// planning failed, else 0.
int ExitCodeFor(const std::vector<PlateOutcome>& outcomes);

}  // namespace ZalvoPlan
