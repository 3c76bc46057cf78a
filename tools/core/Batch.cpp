#include "Batch.h"

#include "CommandLine.h"
#include "OutputFiles.h"
#include "Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace ZalvoPlan {
namespace {

namespace fs = std::filesystem;

bool IsImageFile(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".png" || extension == ".pbm" || extension == ".pgm" || extension == ".ppm";
}

std::vector<fs::path> ImagesIn(const fs::path& folder) {
    std::vector<fs::path> images;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) && IsImageFile(entry.path())) images.push_back(entry.path());
    }
    std::sort(images.begin(), images.end());
    return images;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

}  // namespace

std::vector<fs::path> ExpandInputs(const std::vector<std::string>& inputs) {
    std::vector<fs::path> plates;
    for (const auto& input : inputs) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            const auto images = ImagesIn(input);
            plates.insert(plates.end(), images.begin(), images.end());
        } else {
            plates.emplace_back(input);
        }
    }
    return plates;
}

std::vector<std::string> OutputFolderNames(const std::vector<fs::path>& plates) {
    std::map<std::string, int> stems;
    for (const auto& plate : plates) ++stems[plate.stem().string()];
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const auto& plate : plates) {
        const std::string base = stems[plate.stem().string()] > 1 ? plate.filename().string() : plate.stem().string();
        std::string name = base;
        for (int copy = 2; taken.count(name) != 0; ++copy) name = base + "-" + std::to_string(copy);
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

std::string SummaryCsv(const std::vector<BatchRow>& rows) {
    std::string csv = "file,status,corners,seconds,error\n";
    for (const auto& row : rows) {
        csv += CsvField(row.file) + ',' + row.outcome.status + ',' + std::to_string(row.outcome.corners) + ',' +
               Seconds(row.outcome.seconds) + ',' + CsvField(row.outcome.error) + '\n';
    }
    return csv;
}

std::string SummaryJson(const std::vector<BatchRow>& rows) {
    nlohmann::ordered_json summary = nlohmann::ordered_json::array();
    for (const auto& row : rows) {
        summary.push_back({{"file", row.file},
                           {"status", row.outcome.status},
                           {"corners", row.outcome.corners},
                           {"seconds", row.outcome.seconds},
                           {"error", row.outcome.error.empty() ? nlohmann::ordered_json()
                                                               : nlohmann::ordered_json(row.outcome.error)}});
    }
    return FormatJson(summary);
}

int RunBatch(const JobOptions& options, const std::vector<fs::path>& plates, const BatchSettings& settings,
             std::ostream& out, std::ostream& err) {
    const auto folders = OutputFolderNames(plates);
    std::vector<BatchRow> rows(plates.size());
    std::atomic<std::size_t> next{0};
    std::size_t finished = 0;
    std::mutex printing;  // one whole line at a time, and the count with it

    const auto work = [&] {
        for (std::size_t i = next++; i < plates.size(); i = next++) {
            PlateSource source{PlateSource::Kind::File, plates[i].string(), {}};
            rows[i] = {plates[i].string(), PlanPlate(options, source, settings.out / folders[i], ProgressSettings{})};
            const std::lock_guard lock(printing);
            ++finished;
            const auto& outcome = rows[i].outcome;
            const bool failed = outcome.failure != Failure::None;
            if (failed || !settings.quiet) {
                (failed ? err : out) << "zalvo-plan: [" << finished << '/' << plates.size() << "] " << rows[i].file
                                     << ": " << OutcomeLine(outcome) << " (" << Seconds(outcome.seconds) << " s)\n"
                                     << std::flush;
            }
            for (const auto& warning : outcome.warnings) {
                err << "zalvo-plan: warning: " << rows[i].file << ": " << warning << '\n';
            }
        }
    };
    const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(settings.jobs, plates.size()));
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < workers; ++i) threads.emplace_back(work);
    work();
    for (auto& thread : threads) thread.join();

    std::vector<PlateOutcome> outcomes;
    for (const auto& row : rows) outcomes.push_back(row.outcome);
    try {
        const auto written =
            WriteOutputFiles(settings.out, {{"summary.csv", SummaryCsv(rows)}, {"summary.json", SummaryJson(rows)}});
        if (!settings.quiet) {
            for (const auto& path : written) out << "  wrote " << path.string() << '\n';
        }
    } catch (const OutputError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        const int code = ExitCodeFor(outcomes);
        return code == kExitBadInput ? code : kExitOutputFailed;
    }
    return ExitCodeFor(outcomes);
}

}  // namespace ZalvoPlan
