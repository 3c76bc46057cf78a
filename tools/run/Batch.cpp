#include "run/Batch.h"

#include "output/OutputFiles.h"
#include "output/Report.h"
#include "plan/Interruption.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
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

// Why an entry with an image's name cannot be planned as a file, or empty.
std::string WhyNotAFile(const fs::directory_entry& entry) {
    std::error_code error;
    if (entry.is_regular_file(error)) return {};
    if (entry.is_symlink(error) && !fs::exists(entry.path(), error)) return "a broken symbolic link";
    if (entry.is_directory(error)) return "a folder, not an image";
    return "not a regular file";
}

void AddImagesIn(const fs::path& folder, BatchInputs& inputs) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (IsImageFile(entry.path())) entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& entry : entries) {
        if (auto why = WhyNotAFile(entry); why.empty()) {
            inputs.plates.push_back(entry.path());
        } else {
            inputs.skipped.emplace_back(entry.path(), std::move(why));
        }
    }
}

// Longest folder name kept, in bytes: room for a "-<copy>" suffix within the
// 255 bytes most file systems allow.
constexpr std::size_t kMaximumFolderNameBytes = 240;
// Names a plate's folder must never take: the batch's own files.
constexpr std::array<const char*, 2> kReservedNames{"summary.csv", "summary.json"};

std::string SafeFolderName(std::string name) {
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) c = '_';
    }
    for (std::size_t i = 0; i < name.size() && name[i] == '.'; ++i) name[i] = '_';
    if (name.size() > kMaximumFolderNameBytes) {
        std::size_t cut = kMaximumFolderNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
        name.resize(cut);
    }
    return name.empty() ? "_" : name;
}

// The key under which two names count as the same: ASCII letters folded.
std::string FoldedCase(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
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

BatchInputs ExpandInputs(const std::vector<std::string>& inputs) {
    BatchInputs expanded;
    for (const auto& input : inputs) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            AddImagesIn(input, expanded);
        } else {
            expanded.plates.emplace_back(input);
        }
    }
    return expanded;
}

std::vector<std::string> OutputFolderNames(const std::vector<fs::path>& plates) {
    std::map<std::string, int> stems;
    for (const auto& plate : plates) ++stems[FoldedCase(plate.stem().string())];
    std::set<std::string> taken;
    for (const char* reserved : kReservedNames) taken.insert(reserved);
    std::vector<std::string> names;
    for (const auto& plate : plates) {
        const bool sharedStem = stems[FoldedCase(plate.stem().string())] > 1;
        const std::string base = SafeFolderName((sharedStem ? plate.filename() : plate.stem()).string());
        std::string name = base;
        for (int copy = 2; taken.count(FoldedCase(name)) != 0; ++copy) name = base + "-" + std::to_string(copy);
        taken.insert(FoldedCase(name));
        names.push_back(name);
    }
    return names;
}

std::string SummaryCsv(const std::vector<BatchRow>& rows) {
    std::string csv = "file,folder,status,corners,seconds,error\n";
    for (const auto& row : rows) {
        csv += CsvField(row.file) + ',' + CsvField(row.folder) + ',' + row.outcome.status + ',' +
               std::to_string(row.outcome.corners) + ',' + Seconds(row.outcome.seconds) + ',' +
               CsvField(row.outcome.error) + '\n';
    }
    return csv;
}

std::string SummaryJson(const std::vector<BatchRow>& rows) {
    const auto orNull = [](const std::string& text) {
        return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
    };
    nlohmann::ordered_json summary = nlohmann::ordered_json::array();
    for (const auto& row : rows) {
        summary.push_back({{"file", row.file},
                           {"folder", orNull(row.folder)},
                           {"status", row.outcome.status},
                           {"corners", row.outcome.corners},
                           {"seconds", row.outcome.seconds},
                           {"error", orNull(row.outcome.error)}});
    }
    return FormatJson(summary);
}

namespace {

// Every plate, one worker per thread, each taking the next plate not yet
// taken; after a stop signal no worker takes another.
void PlanAll(const JobOptions& options, const std::vector<fs::path>& plates, const BatchSettings& settings,
             std::vector<BatchRow>& rows, std::ostream& out, std::ostream& err) {
    std::atomic<std::size_t> next{0};
    std::size_t finished = 0;
    std::mutex printing;  // one whole line at a time, and the count with it
    const auto work = [&] {
        for (std::size_t i = next++; i < plates.size() && StopSignal() == 0; i = next++) {
            PlateSource source{PlateSource::Kind::File, plates[i].string(), {}};
            rows[i].outcome = PlanPlate(options, source, settings.out / rows[i].folder, ProgressSettings{});
            if (rows[i].outcome.written.empty()) rows[i].folder.clear();
            const std::lock_guard lock(printing);
            ++finished;
            const auto& outcome = rows[i].outcome;
            const bool failed = outcome.failure != Failure::None;
            if (failed || !settings.quiet) {
                (failed ? err : out) << "zalvo-plan: [" << finished << '/' << plates.size() << "] " << rows[i].file
                                     << (rows[i].folder.empty() ? "" : " -> " + rows[i].folder) << ": "
                                     << OutcomeLine(outcome) << " (" << Seconds(outcome.seconds) << " s)\n"
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
}

// A plate that a stop signal kept from being planned, or cut short: it has
// no folder of this run.
void MarkInterrupted(BatchRow& row) {
    row.outcome.status = "interrupted";
    row.outcome.failure = Failure::Interrupted;
    row.outcome.error = "the batch was stopped before this plate was planned";
    row.folder.clear();
}

BatchRow SkippedRow(const fs::path& entry, const std::string& why) {
    BatchRow row{entry.string(), {}, {}};
    row.outcome.status = "skipped";
    row.outcome.error = why;
    return row;
}

}  // namespace

int RunBatch(const JobOptions& options, const BatchInputs& inputs, const BatchSettings& settings, std::ostream& out,
             std::ostream& err) {
    const auto folders = OutputFolderNames(inputs.plates);
    std::vector<BatchRow> rows;
    for (std::size_t i = 0; i < inputs.plates.size(); ++i) rows.push_back({inputs.plates[i].string(), folders[i], {}});
    for (const auto& [entry, why] : inputs.skipped) {
        err << "zalvo-plan: skipped " << entry.string() << ": " << why << '\n';
    }
    PlanAll(options, inputs.plates, settings, rows, out, err);

    std::vector<PlateOutcome> outcomes;
    std::size_t interrupted = 0;
    for (auto& row : rows) {
        if (row.outcome.status.empty()) MarkInterrupted(row);
        if (row.outcome.failure == Failure::Interrupted) ++interrupted;
        outcomes.push_back(row.outcome);
    }
    if (interrupted != 0) {
        err << "zalvo-plan: stopped by a signal: " << CountOf(interrupted, "plate")
            << " not planned, listed as interrupted in the summary\n";
    }
    for (const auto& [entry, why] : inputs.skipped) rows.push_back(SkippedRow(entry, why));
    try {
        const auto written =
            WriteOutputFiles(settings.out, {{"summary.csv", SummaryCsv(rows)}, {"summary.json", SummaryJson(rows)}});
        if (!settings.quiet) {
            for (const auto& path : written) out << "  wrote " << path.string() << '\n';
        }
    } catch (const OutputError& error) {
        err << "zalvo-plan: error: " << error.what() << '\n';
        const int code = ExitCodeFor(outcomes);
        return code == kExitBadInput || code == ExitCodeForSignal(StopSignal()) ? code : kExitOutputFailed;
    }
    return ExitCodeFor(outcomes);
}

}  // namespace ZalvoPlan
