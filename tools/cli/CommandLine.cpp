#include "cli/CommandLine.h"

#include "input/ImageDecoding.h"
#include "input/PlateImage.h"
#include "input/Units.h"
#include "output/Picture.h"
#include "plan/Options.h"
#include "run/Batch.h"
#include "run/PlateJob.h"
#include "run/Progress.h"

#include <Logging/Logging.h>
#include <zalvo/zalvo.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <new>
#include <string_view>
#include <thread>

namespace ZalvoPlan {
namespace {

// More workers than this would only wait for memory and cores.
constexpr std::int64_t kMaximumJobs = 1024;
// A picture needs room for a few pixels per side at least.
constexpr std::int64_t kSmallestPictureSize = 16;
constexpr std::int64_t kLargestPictureSize = 1'000'000;
const std::string kStandardInput = "-";

const char* const kDescription =
    "zalvo-plan: plans a cut line across a plate image and writes it as JSON, SVG, PNG and an interactive\n"
    "HTML view. Without an image it plans the built-in sample plate; with several images or a folder it\n"
    "plans them all, each into its own folder under --out; '-' reads one image from standard input.\n";

const char* const kFooter =
    "Colours: white or near-white (brightness 192 and above) is free; black or near-black\n"
    "(below 64) is impassable content; the grey in between is content a line may cross at\n"
    "a high cost; strongly red pixels (red 192 or more, and at least 128 above green and\n"
    "blue) are corridor seeds, impassable content through which a corridor is carved.\n"
    "Transparency is laid over white. Brightness is the Rec. 601 luma of the 8-bit colour.\n"
    "Lengths take a unit, written without a space: mm, cm, in, pt (1/72 in), mpt (1/1000 pt)\n"
    "or px (at the resolution).\n"
    "Exit codes: 0 plan written (status ok or no-path), 1 planning failed, 2 bad command line,\n"
    "image or parameter (in a batch: any bad image), 3 outputs could not be written.";

// Everything the command line says, before validation.
struct Options {
    std::vector<std::string> inputs;
    JobOptions job;
    std::string out = "plan";
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    bool quiet = false;
    ProgressChoice progress = ProgressChoice::Automatic;
    bool version = false;
    std::vector<unsigned> logLevels;
};

// Checks a number's text before CLI11 converts it, so the message says what
// is wrong with it in plain words. A whole number is handed on in plain
// digits, so that "1e3" means 1000 and not a conversion error.
CLI::Validator NumberFrom(double minimum, double maximum, bool whole) {
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            double value = 0.0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc::result_out_of_range) return "'" + text + "' is out of range";
            if (error != std::errc() || end != text.data() + text.size() || std::isnan(value)) {
                return "'" + text + "' is not a number";
            }
            if (whole && value != std::floor(value)) return "'" + text + "' is not a whole number";
            if (!(value >= minimum && value <= maximum)) {
                char range[96];
                std::snprintf(range, sizeof range, " is out of range: it must be from %g to %.0f", minimum, maximum);
                return "'" + text + "'" + range;
            }
            // In range, so the conversion is exact and defined; +0.0 drops the sign of -0.
            if (whole) text = std::to_string(static_cast<std::int64_t>(value + 0.0));
            return {};
        },
        "");
}

CLI::Validator WholeNumber(std::int64_t minimum, std::int64_t maximum) {
    return NumberFrom(static_cast<double>(minimum), static_cast<double>(maximum), true);
}

// 0 for the plate's full size, or a size with room for a few pixels per side.
CLI::Validator PictureSize() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            std::string whole = text;
            if (const auto problem = WholeNumber(0, kLargestPictureSize)(whole); !problem.empty()) return problem;
            if (whole != "0" && std::stoll(whole) < kSmallestPictureSize) {
                return "'" + text + "' is out of range: it must be 0 (full size) or from " +
                       std::to_string(kSmallestPictureSize) + " to " + std::to_string(kLargestPictureSize);
            }
            text = whole;
            return {};
        },
        "");
}

void DefineInputOptions(CLI::App& app, Options& o) {
    app.add_option("images", o.inputs,
                   "Plate images (PNG, PBM, PGM or PPM) or folders of them; '-' reads one image from standard "
                   "input; none: the built-in sample")
        ->option_text("IMAGE ...")
        ->group("Input");
    app.add_option("--sample-size", o.job.sampleSize, "Size of the built-in sample, <columns>x<rows> (default 640x320)")
        ->option_text("CxR")
        ->group("Input");
}

// What the help shows for a value of this kind.
const char* Placeholder(OptionKind kind) {
    switch (kind) {
        case OptionKind::Resolution: return "PPI";
        case OptionKind::Length: return "LENGTH";
        case OptionKind::Choice: return "NAME";
        case OptionKind::Pixels: return "N";
        case OptionKind::Number: return "NUMBER";
        case OptionKind::Columns: break;
    }
    return "X";
}

// "Width of the cut line (pixels; default 3)"; a choice then lists its
// names and what each means.
std::string HelpOf(const PlanOption& option) {
    const bool repeatable = option.Kind() == OptionKind::Columns;
    std::string help = option.help + std::string(" (") + UnitOf(option.Kind()) +
                       (repeatable ? "; repeat for more" : "") + "; default " + option.DefaultText() + ")";
    for (std::size_t i = 0; i < option.Choices().size(); ++i) {
        const OptionChoice& choice = option.Choices()[i];
        help += (i == 0 ? ": " : "; ") + std::string(choice.name) + " (" + choice.meaning + ")";
    }
    return help;
}

// The option bound to its field of `request`, its value checked as its kind and limits say.
CLI::Option* AddPlanOption(CLI::App& app, const PlanOption& option, PlanRequest& request) {
    const std::string flag = option.flag;
    const std::string help = HelpOf(option);
    const auto number = [&option](bool whole) { return NumberFrom(option.minimum, option.maximum, whole); };
    return std::visit(
        Overloaded{
            [&](ResolutionField field) { return app.add_option(flag, request.*field, help)->transform(number(false)); },
            [&](const DistanceField& field) { return app.add_option(flag, (request.*field.given).text, help); },
            [&](const ChoiceField& field) {
                std::vector<std::string> names;
                for (const auto& choice : field.choices) names.emplace_back(choice.name);
                return app.add_option(flag, request.*field.given, help)->check(CLI::IsMember(names));
            },
            [&](PixelsField field) { return app.add_option(flag, request.plan.*field, help)->transform(number(true)); },
            [&](NumberField field) {
                return app.add_option(flag, request.plan.*field, help)->transform(number(false));
            },
            [&](ColumnsField field) {
                return app.add_option(flag, request.plan.*field, help)
                    ->transform(number(true))
                    ->allow_extra_args(false);
            }},
        option.field);
}

void DefinePlanOptions(CLI::App& app, Options& o) {
    for (const PlanOption& option : PlanOptions()) {
        AddPlanOption(app, option, o.job.request)->option_text(Placeholder(option.Kind()))->group(option.group);
    }
}

void DefineOutputOptions(CLI::App& app, Options& o) {
    app.add_option("--out", o.out,
                   "Folder for the outputs, created if missing (default plan); in a batch, each plate gets a "
                   "folder in it named after its file, next to summary.csv and summary.json")
        ->option_text("DIR")
        ->group("Output");
    app.add_option("-o,--name", o.job.baseName, "Base name of the outputs: NAME.json, .svg, .png, .html (default plan)")
        ->option_text("NAME")
        ->group("Output");
    // Callbacks rather than flags bound to a bool: CLI11 would show "{false}" in the help.
    app.add_flag_callback(
           "--no-svg", [&o] { o.job.svg = false; }, "Leave out the SVG picture")
        ->group("Output");
    app.add_flag_callback(
           "--png", [&o] { o.job.png = true; }, "Write the PNG picture (the default)")
        ->group("Output");
    app.add_flag_callback(
           "--no-png", [&o] { o.job.png = false; }, "Leave out the PNG picture")
        ->group("Output");
    app.add_option("--picture-max-size", o.job.pictureMaxSize,
                   "Scale the pictures down so that neither side is longer than this many pixels; 0: the plate's "
                   "full size (default " +
                       std::to_string(kDefaultPictureMaxSize) + ")")
        ->transform(PictureSize())
        ->option_text("PIXELS")
        ->group("Output");
    app.add_option("-j,--jobs", o.jobs, "Plates planned at once in a batch (default: the number of cores)")
        ->transform(WholeNumber(1, kMaximumJobs))
        ->option_text("N")
        ->group("Output");
    app.add_flag("-q,--quiet", o.quiet, "No progress display and no summary on standard output")->group("Output");
    // Only declared here: CLI11 runs flag callbacks in declaration order, not in the order given, so
    // ChosenProgress reads the arguments themselves.
    static const std::string progressHelp = "Show the live progress display even when standard error is not a terminal";
    static const std::string noProgressHelp = "Never show the progress display";
    app.add_flag("--progress", progressHelp)->group("Output");
    app.add_flag("--no-progress", noProgressHelp)->group("Output");
    app.add_option("--log-level", o.logLevels,
                   "Enable the library's diagnostic text on stderr: level 20 (the final terrain), 21 (the "
                   "backtraced path, pixel by pixel) or 30 (the initial and eroded terrain and the erosion "
                   "profile); repeat for more")
        ->check(CLI::IsMember(std::vector<unsigned>(Zalvo::LogLevels::All.begin(), Zalvo::LogLevels::All.end())))
        ->allow_extra_args(false)
        ->option_text("LEVEL")
        ->group("Output");
    app.add_flag("-V,--version", o.version, "Print the version and exit")->group("Output");
}

// Enables the requested library log levels for the duration of a run.
class LogLevels {
public:
    explicit LogLevels(const std::vector<unsigned>& levels) : levels_(levels) {
        for (unsigned level : levels_) Logging::EnableLevel(Zalvo::LogCategory, level);
    }
    ~LogLevels() {
        for (unsigned level : levels_) Logging::DisableLevel(Zalvo::LogCategory, level);
    }
    LogLevels(const LogLevels&) = delete;
    LogLevels& operator=(const LogLevels&) = delete;

private:
    std::vector<unsigned> levels_;
};

// The last of --progress and --no-progress given decides.
ProgressChoice ChosenProgress(const std::vector<std::string>& arguments) {
    for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
        if (*argument == "--progress") return ProgressChoice::On;
        if (*argument == "--no-progress") return ProgressChoice::Off;
    }
    return ProgressChoice::Automatic;
}

bool IsLengthUnit(std::string_view text) {
    constexpr std::array<std::string_view, 6> kUnitNames{"mm", "cm", "in", "pt", "mpt", "px"};
    return std::find(kUnitNames.begin(), kUnitNames.end(), text) != kUnitNames.end();
}

bool IsPlainNumber(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "--min-distance 2 mm" would otherwise read "mm" as an image to plan: name
// the value that lost its unit to the space instead.
void RefuseDetachedUnits(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        std::string option = arguments[i];
        std::string value;
        std::size_t unitAt = i + 2;
        if (const auto equals = option.find('='); equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
            unitAt = i + 1;
        } else {
            value = arguments[i + 1];
        }
        const bool lengthOption = std::any_of(PlanOptions().begin(), PlanOptions().end(), [&](const PlanOption& o) {
            return o.Kind() == OptionKind::Length && option == o.flag;
        });
        if (lengthOption && unitAt < arguments.size() && IsPlainNumber(value) && IsLengthUnit(arguments[unitAt])) {
            throw InputError(option + " '" + value + "' lacks its unit: write it as '" + value + arguments[unitAt] +
                             "', without a space");
        }
    }
}

void CheckOutputNames(const Options& o) {
    if (o.out.empty()) throw InputError("--out needs a folder name; it is empty");
    const std::string& name = o.job.baseName;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        throw InputError("-o '" + name + "' must be a plain file name, without a folder");
    }
}

bool IsBatch(const std::vector<std::string>& inputs) {
    std::error_code error;
    return inputs.size() > 1 || (inputs.size() == 1 && inputs.front() != kStandardInput &&
                                 std::filesystem::is_directory(inputs.front(), error));
}

PlateSource SingleSource(const Options& o, std::istream& in) {
    if (o.inputs.empty()) return {};
    if (o.inputs.front() != kStandardInput) return {PlateSource::Kind::File, o.inputs.front(), {}};
    return {PlateSource::Kind::StandardInput, kStandardInput, ReadBoundedStream(in, "standard input")};
}

int RunSingle(const Options& o, std::istream& in, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const ProgressSettings progress{&err, o.progress, o.quiet, errIsTerminal};
    const PlateOutcome outcome = PlanPlate(o.job, SingleSource(o, in), o.out, progress);
    for (const auto& warning : outcome.warnings) err << "zalvo-plan: warning: " << warning << '\n';
    if (outcome.failure == Failure::Interrupted) {
        err << "zalvo-plan: stopped by a signal; the earlier outputs in " << o.out << " are as they were\n";
    } else if (outcome.failure != Failure::None) {
        err << "zalvo-plan: error: " << outcome.error << '\n';
    } else if (!o.quiet) {
        out << "zalvo-plan: " << OutcomeLine(outcome) << '\n';
        for (const auto& path : outcome.written) out << "  wrote " << path.string() << '\n';
    }
    return ExitCodeFor({outcome});
}

int Run(const Options& o, std::istream& in, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    CheckOutputNames(o);
    const LogLevels logLevels(o.logLevels);
    if (!IsBatch(o.inputs)) return RunSingle(o, in, out, err, errIsTerminal);
    for (const auto& input : o.inputs) {
        if (input == kStandardInput) throw InputError("'-' (standard input) can only be planned alone");
    }
    if (!o.job.sampleSize.empty()) throw InputError("--sample-size applies only to the built-in sample, not to images");
    const auto inputs = ExpandInputs(o.inputs);
    if (inputs.plates.empty()) throw InputError("no PNG, PBM, PGM or PPM images in the folders given");
    return RunBatch(o.job, inputs, BatchSettings{o.out, o.jobs, o.quiet}, out, err);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err,
                   bool errIsTerminal) {
    CLI::App app{kDescription, "zalvo-plan"};
    app.footer(kFooter);
    app.get_formatter()->column_width(34);
    Options options;
    DefineInputOptions(app, options);
    DefinePlanOptions(app, options);
    DefineOutputOptions(app, options);
    try {
        RefuseDetachedUnits(arguments);
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
        options.progress = ChosenProgress(arguments);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitSuccess;
    } catch (const CLI::ParseError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        return kExitBadInput;
    } catch (const InputError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        return kExitBadInput;
    }
    if (options.version) {
        out << "zalvo-plan " << ZALVO_VERSION << '\n';
        return kExitSuccess;
    }
    try {
        return Run(options, in, out, err, errIsTerminal);
    } catch (const InputError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        return kExitBadInput;
    } catch (const std::bad_alloc&) {
        err << "zalvo-plan: error: out of memory\n";
        return kExitPlanFailed;
    }
}

}  // namespace ZalvoPlan
