#include "CommandLine.h"

#include "ImageDecoding.h"
#include "OutputFiles.h"
#include "Picture.h"
#include "Pipeline.h"
#include "PlanSetup.h"
#include "Progress.h"
#include "Report.h"
#include "SamplePlate.h"
#include "Units.h"

#include <CLI/CLI.hpp>
#include <Logging/Logging.h>

#include <cmath>
#include <filesystem>
#include <optional>

namespace ZalvoPlan {
namespace {

const std::string kLogCategory = "zalvo.zalvoting";

const char* const kDescription =
    "zalvo-plan: plans a cut line across a plate image and writes it as JSON, SVG and PNG.\n"
    "Without an image it plans the built-in sample plate.\n";

const char* const kFooter =
    "Colours: white or near-white (brightness 192 and above) is free; black or near-black\n"
    "(below 64) is impassable content; the grey in between is content a line may cross at\n"
    "a high cost; strongly red pixels (red 192 or more, and at least 128 above green and\n"
    "blue) are corridor seeds, impassable content through which a corridor is carved.\n"
    "Transparency is laid over white. Brightness is the Rec. 601 luma of the 8-bit colour.\n"
    "Lengths take a unit: mm, cm, in, pt (1/72 in), mpt (1/1000 pt) or px (at the resolution).\n"
    "Exit codes: 0 plan written (status ok or no-path), 1 planning failed, 2 bad command line,\n"
    "image or parameter, 3 outputs could not be written.";

// Everything the command line says, before validation.
struct Options {
    std::string input;
    std::string sampleSize;
    std::optional<double> resolution;
    std::string minimumDistance = kDefaultMinimumDistance;
    std::string preferredDistance = kDefaultPreferredDistance;
    std::string penalty = "none";
    std::string rowPolicy = "plate-usage";
    PlanParameters plan;
    std::string out = "plan";
    bool png = true;
    bool quiet = false;
    std::vector<unsigned> logLevels;
};

CLI::Validator NonNegativeFinite(double maximum) {
    return CLI::Validator(
        [maximum](std::string& text) -> std::string {
            double value = 0.0;
            if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < 0.0 || value > maximum) {
                return "must be a number from 0 to " + std::to_string(static_cast<long long>(maximum));
            }
            return {};
        },
        "0.." + std::to_string(static_cast<long long>(maximum)));
}

void DefineOptions(CLI::App& app, Options& o) {
    app.option_defaults()->always_capture_default();
    const auto integer = CLI::Range(0, kMaximumIntegerParameter);

    app.add_option("image", o.input, "Plate image: PNG, PBM, PGM or PPM (omit for the built-in sample)")
        ->group("Input");
    app.add_option("--sample-size", o.sampleSize, "Size of the built-in sample, <columns>x<rows> (default 640x320)")
        ->group("Input");
    app.add_option("--resolution", o.resolution,
                   "Pixels per inch; default: the PNG's physical size chunk, else 300 (the sample: 300)")
        ->check(CLI::Range(kMinimumResolution, kMaximumResolution))->group("Input");

    app.add_option("--min-distance", o.minimumDistance,
                   "Distance from content that the line must keep (a blocked margin), with a unit: "
                   "mm, cm, in, pt, mpt or px")->group("Distances");
    app.add_option("--preferred-distance", o.preferredDistance,
                   "Distance from content beyond which the line is no longer pushed away (a cost ramp)")
        ->group("Distances");

    app.add_option("--penalty", o.penalty,
                   "Extra cost per pixel of the line: none; middle (the line prefers the plate's middle rows: "
                   "weight x distance from the middle row / half the height); slope (weight x steepness of the "
                   "cost ramp, keeping the shifted line away from content)")
        ->check(CLI::IsMember({"none", "middle", "slope"}))->group("Costs");
    app.add_option("--penalty-weight", o.plan.penaltyWeight, "Largest penalty per pixel")
        ->check(NonNegativeFinite(kMaximumWeight))->group("Costs");
    app.add_option("--shift-penalty", o.plan.shiftPenalty,
                   "Cost per row when the found line is moved up or down as a whole")
        ->check(NonNegativeFinite(kMaximumWeight))->group("Costs");
    app.add_option("--clearance", o.plan.clearance,
                   "Free rows that must remain beyond the line after it is moved (pixels)")
        ->check(integer)->group("Costs");

    app.add_option("--transition-half-width", o.plan.transitionHalfWidth,
                   "Half the width of the window in which a vertical step is placed (pixels)")
        ->check(integer)->group("Wiggle rooms");
    app.add_option("--minimum-band", o.plan.minimumBand,
                   "Fewest free rows a straight horizontal piece must keep (pixels)")
        ->check(integer)->group("Wiggle rooms");
    app.add_option("--sufficient-band", o.plan.sufficientBand,
                   "Free rows beyond which a horizontal piece asks for no more (pixels)")
        ->check(integer)->group("Wiggle rooms");
    app.add_option("--split-column", o.plan.splitColumns,
                   "Column at which horizontal pieces are always broken; repeatable")
        ->check(CLI::Range(0, std::numeric_limits<std::int32_t>::max()))->allow_extra_args(false)
        ->group("Wiggle rooms");

    app.add_option("--row-policy", o.rowPolicy,
                   "How horizontal pieces choose their rows: plate-usage (all as close as they can to one "
                   "common row, the middle of the line) or stagger (each on the row the line itself runs at)")
        ->check(CLI::IsMember({"plate-usage", "stagger"}))->group("Row adjustment");
    app.add_option("--existing-clearance", o.plan.existingClearance,
                   "Clearance the content already has (pixels)")->check(integer)->group("Row adjustment");
    app.add_option("--wanted-clearance", o.plan.wantedClearance,
                   "Clearance wanted on each side of a horizontal piece (pixels)")->check(integer)->group("Row adjustment");
    app.add_option("--corner-radius", o.plan.cornerRadius,
                   "Radius of the corners where horizontal and vertical pieces meet (pixels)")
        ->check(integer)->group("Row adjustment");
    app.add_option("--minimum-width", o.plan.minimumWidth,
                   "Smallest acceptable free width around a horizontal piece (pixels)")
        ->check(integer)->group("Row adjustment");
    app.add_option("--line-width", o.plan.lineWidth, "Width of the cut line (pixels)")
        ->check(integer)->group("Row adjustment");

    app.add_option("--out", o.out, "Directory for plan.json, plan.svg and plan.png (created if missing)")
        ->group("Output");
    app.add_flag("--png,!--no-png", o.png, "Also write the picture as a PNG raster (on by default)")->group("Output");
    app.add_flag("--quiet", o.quiet, "No progress display and no summary")->group("Output");
    app.add_option("--log-level", o.logLevels,
                   "Enable the library's diagnostic text on stderr: level 20 (the final terrain), 21 (the "
                   "backtraced path, pixel by pixel) or 30 (the initial and eroded terrain and the erosion "
                   "profile); repeatable")
        ->check(CLI::IsMember({20u, 21u, 30u}))->allow_extra_args(false)->group("Output");
}

// Enables the requested library log levels for the duration of a run.
class LogLevels {
public:
    explicit LogLevels(const std::vector<unsigned>& levels) : levels_(levels) {
        for (unsigned level : levels_) Logging::EnableLevel(kLogCategory, level);
    }
    ~LogLevels() {
        for (unsigned level : levels_) Logging::DisableLevel(kLogCategory, level);
    }
    LogLevels(const LogLevels&) = delete;
    LogLevels& operator=(const LogLevels&) = delete;

private:
    std::vector<unsigned> levels_;
};

struct LoadedPlate {
    PlateImage image;
    ReportContext context;
};

LoadedPlate LoadPlate(const Options& o) {
    LoadedPlate loaded;
    if (o.input.empty()) {
        const PlateSize size = o.sampleSize.empty() ? PlateSize{kSampleColumns, kSampleRows} : ParsePlateSize(o.sampleSize);
        loaded.image = MakeSamplePlate(size.columns, size.rows);
        loaded.context.source = "sample";
    } else {
        if (!o.sampleSize.empty()) throw InputError("--sample-size applies only to the built-in sample, not to an image");
        loaded.image = ReadPlateImage(o.input);
        loaded.context.source = std::filesystem::path(o.input).filename().string();
    }
    if (o.resolution) {
        loaded.context.resolutionSource = "option";
    } else if (loaded.image.resolution) {
        loaded.context.resolutionSource = o.input.empty() ? "sample" : "file";
    } else {
        loaded.context.resolutionSource = "default";
    }
    return loaded;
}

double ResolveResolution(const Options& o, const LoadedPlate& plate) {
    return o.resolution ? *o.resolution : ResolutionFromImage(plate.image, "--resolution");
}

PlanParameters ResolveParameters(const Options& o, const LoadedPlate& plate) {
    PlanParameters parameters = o.plan;
    parameters.resolution = ResolveResolution(o, plate);
    parameters.penalty = o.penalty == "middle" ? PenaltyModel::Middle
                         : o.penalty == "slope" ? PenaltyModel::Slope
                                                : PenaltyModel::None;
    parameters.rowPolicy = o.rowPolicy == "stagger" ? RowPolicy::Stagger : RowPolicy::PlateUsage;
    parameters.minimumDistance = DistanceInMilliPoints(o.minimumDistance, "--min-distance", parameters.resolution, plate.image);
    parameters.preferredDistance =
        DistanceInMilliPoints(o.preferredDistance, "--preferred-distance", parameters.resolution, plate.image);
    ValidateSplitColumns(parameters.splitColumns, plate.image, "--split-column");
    return parameters;
}

void PrintSummary(std::ostream& out, const PlanResult& result, const std::vector<std::filesystem::path>& written) {
    if (result.HasPath()) {
        out << "zalvo-plan: ok: a cut line of " << result.sparsePath.size() << " corners through "
            << result.rooms.size() << " rooms\n";
    } else {
        out << "zalvo-plan: no-path: no line crosses this plate\n";
    }
    for (const auto& path : written) out << "  wrote " << path.string() << '\n';
}

int Run(const Options& o, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const LogLevels logLevels(o.logLevels);
    std::vector<StageTiming> readTiming;
    const LoadedPlate plate = StageClock({}, readTiming).Run("readImage", [&] { return LoadPlate(o); });
    const PlanParameters parameters = ResolveParameters(o, plate);
    ReportContext context = plate.context;
    context.minimumDistanceText = o.minimumDistance;
    context.preferredDistanceText = o.preferredDistance;

    const std::int64_t pixelCount = std::int64_t{plate.image.columns} * plate.image.rows;
    Progress progress(err, ShouldShowProgress(o.quiet, errIsTerminal, pixelCount));
    PlanResult result = RunPlan(plate.image, parameters, progress.Observer());
    result.timings.insert(result.timings.begin(), readTiming.front());

    StageClock clock(progress.Observer(), result.timings);
    std::vector<OutputFile> files;
    files.push_back({"plan.svg", clock.Run("renderSvg", [&] { return RenderSvg(plate.image, result); })});
    if (o.png) {
        const auto png = clock.Run("renderPng", [&] { return RenderPng(plate.image, result); });
        files.push_back({"plan.png", std::string(png.begin(), png.end())});
    }
    files.insert(files.begin(), {"plan.json", FormatJson(BuildReport(plate.image, parameters, result, context))});
    const auto written = WriteOutputFiles(o.out, files);
    if (!o.quiet) PrintSummary(out, result, written);
    return kExitSuccess;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   bool errIsTerminal) {
    CLI::App app{kDescription, "zalvo-plan"};
    app.footer(kFooter);
    Options options;
    DefineOptions(app, options);
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitSuccess;
    } catch (const CLI::ParseError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        return kExitBadInput;
    }
    try {
        return Run(options, out, err, errIsTerminal);
    } catch (const InputError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        return kExitBadInput;
    } catch (const OutputError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        return kExitOutputFailed;
    } catch (const std::bad_alloc&) {
        err << "zalvo-plan: error: out of memory\n";
        return kExitPlanFailed;
    } catch (const std::exception& error) {
        err << "zalvo-plan: error: planning failed: " << error.what() << '\n';
        return kExitPlanFailed;
    }
}

}  // namespace ZalvoPlan
