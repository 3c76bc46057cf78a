#include "run/PlateJob.h"

#include "input/ImageDecoding.h"
#include "input/SamplePlate.h"
#include "input/Units.h"
#include "output/HtmlView.h"
#include "output/OutputFiles.h"
#include "output/Picture.h"
#include "output/Report.h"
#include "plan/Interruption.h"
#include "plan/PlanSetup.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <future>
#include <memory>
#include <new>

namespace ZalvoPlan {
namespace {

struct LoadedPlate {
    PlateImage image;
    ReportContext context;
};

PlateImage ReadSource(const JobOptions& o, const PlateSource& source) {
    if (source.kind == PlateSource::Kind::Sample) {
        const PlateSize size =
            o.sampleSize.empty() ? PlateSize{kSampleColumns, kSampleRows} : ParsePlateSize(o.sampleSize);
        return MakeSamplePlate(size.columns, size.rows);
    }
    if (!o.sampleSize.empty()) throw InputError("--sample-size applies only to the built-in sample, not to an image");
    if (source.kind == PlateSource::Kind::StandardInput) return DecodePlateImage(source.bytes, "standard input");
    return ReadPlateImage(source.path);
}

std::string SourceName(const PlateSource& source) {
    switch (source.kind) {
        case PlateSource::Kind::Sample: return "sample";
        case PlateSource::Kind::StandardInput: return "-";
        case PlateSource::Kind::File: break;
    }
    return std::filesystem::path(source.path).filename().string();
}

LoadedPlate LoadPlate(const JobOptions& o, const PlateSource& source) {
    LoadedPlate loaded;
    loaded.image = ReadSource(o, source);
    loaded.context.source = SourceName(source);
    loaded.context.resolutionSource = ResolutionSource(o.request, loaded.image);
    if (source.kind == PlateSource::Kind::Sample && loaded.context.resolutionSource == "file") {
        loaded.context.resolutionSource = "sample";
    }
    loaded.context.request = o.request;
    return loaded;
}

std::vector<std::string> ParameterWarnings(const PlanRequest& request, const PlanParameters& parameters) {
    std::vector<std::string> warnings;
    if (parameters.preferredDistance < parameters.minimumDistance) {
        warnings.push_back("--preferred-distance " + request.preferredDistance.text + " is less than --min-distance " +
                           request.minimumDistance.text + ": there is no cost ramp beyond the blocked margin");
    }
    return warnings;
}

// The display and its ticker, alive for one plate when progress is shown.
struct LiveProgress {
    explicit LiveProgress(std::ostream& err) : display(err), ticker(display) {}
    ProgressDisplay display;
    ProgressTicker ticker;
};

std::unique_ptr<LiveProgress> StartProgress(const ProgressSettings& settings, const PlateImage& image) {
    const std::int64_t pixels = std::int64_t{image.columns} * image.rows;
    if (settings.err == nullptr ||
        !ShouldShowProgress(settings.choice, settings.quiet, settings.errIsTerminal, pixels)) {
        return nullptr;
    }
    return std::make_unique<LiveProgress>(*settings.err);
}

void PlanAndWrite(const JobOptions& o, const PlateSource& source, const std::filesystem::path& directory,
                  const ProgressSettings& settings, PlateOutcome& outcome) {
    std::vector<StageTiming> readTiming;
    const LoadedPlate plate = StageClock({}, readTiming).Run("readImage", [&] { return LoadPlate(o, source); });
    const PlanParameters parameters = ResolvePlan(o.request, plate.image, OptionSpelling::CommandLine);
    ReportContext context = plate.context;
    context.warnings = outcome.warnings = ParameterWarnings(o.request, parameters);

    const auto progress = StartProgress(settings, plate.image);
    const StageObserver observer = progress ? progress->display.Observer() : StageObserver{};
    PlanResult result = RunPlan(plate.image, parameters, observer);
    result.timings.insert(result.timings.begin(), readTiming.front());

    // The pictures and the view are independent, and each takes a while on a
    // large plate. The view works out its own shades; the two pictures share
    // theirs, worked out while the view is drawn.
    std::string svg, html;
    std::vector<std::uint8_t> png;
    std::shared_future<std::vector<CellShade>> shades;
    if (o.svg || o.png) {
        shades = std::async(std::launch::async, [&] { return PlateShades(plate.image, result.terrain); }).share();
    }
    std::vector<StageClock::Piece> drawing;
    drawing.emplace_back("renderHtml", [&] { html = RenderHtml(plate.image, result); });
    if (o.svg) {
        drawing.emplace_back("renderSvg",
                             [&] { svg = RenderSvg(plate.image, result, shades.get(), o.pictureMaxSize); });
    }
    if (o.png) {
        drawing.emplace_back("renderPng",
                             [&] { png = RenderPng(plate.image, result, shades.get(), o.pictureMaxSize); });
    }
    StageClock(observer, result.timings).RunTogether("drawPictures", drawing);

    std::vector<OutputFile> files;
    if (o.svg) files.push_back({o.baseName + ".svg", std::move(svg)});
    if (o.png) files.push_back({o.baseName + ".png", std::string(png.begin(), png.end())});
    files.push_back({o.baseName + ".html", std::move(html)});
    files.insert(files.begin(),
                 {o.baseName + ".json", FormatJson(BuildReport(plate.image, parameters, result, context))});
    outcome.written = WriteOutputFiles(directory, files);
    outcome.status = result.HasPath() ? "ok" : "no-path";
    outcome.reason = result.noPathReason;
    outcome.corners = result.cutLine.size();
    outcome.rooms = result.rooms.size();
}

}  // namespace

PlateOutcome PlanPlate(const JobOptions& options, const PlateSource& source, const std::filesystem::path& directory,
                       const ProgressSettings& progress) {
    PlateOutcome outcome;
    const auto start = std::chrono::steady_clock::now();
    const auto fail = [&outcome](Failure failure, const std::string& message) {
        outcome.status = "error";
        outcome.failure = failure;
        outcome.error = message;
    };
    try {
        PlanAndWrite(options, source, directory, progress, outcome);
    } catch (const Interrupted&) {
        fail(Failure::Interrupted, "stopped by a signal before its outputs were written");
        outcome.status = "interrupted";
    } catch (const InputError& error) {
        fail(Failure::BadInput, error.what());
    } catch (const OutputError& error) {
        fail(Failure::OutputFailed, error.what());
    } catch (const std::bad_alloc&) {
        fail(Failure::PlanFailed, "out of memory");
    } catch (const std::exception& error) {
        fail(Failure::PlanFailed, std::string("planning failed: ") + error.what());
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

std::string CountOf(std::size_t count, const std::string& singular) {
    return std::to_string(count) + ' ' + singular + (count == 1 ? "" : "s");
}

std::string OutcomeLine(const PlateOutcome& outcome) {
    if (outcome.status == "ok") {
        return "ok: a cut line of " + CountOf(outcome.corners, "corner") + " through " + CountOf(outcome.rooms, "room");
    }
    if (outcome.status == "no-path") return "no-path: " + outcome.reason;
    return outcome.status + ": " + outcome.error;
}

int ExitCodeFor(const std::vector<PlateOutcome>& outcomes) {
    const auto any = [&outcomes](Failure failure) {
        for (const auto& outcome : outcomes) {
            if (outcome.failure == failure) return true;
        }
        return false;
    };
    if (any(Failure::Interrupted)) return ExitCodeForSignal(StopSignal() != 0 ? StopSignal() : SIGINT);
    if (any(Failure::BadInput)) return kExitBadInput;
    if (any(Failure::OutputFailed)) return kExitOutputFailed;
    if (any(Failure::PlanFailed)) return kExitPlanFailed;
    return kExitSuccess;
}

}  // namespace ZalvoPlan
