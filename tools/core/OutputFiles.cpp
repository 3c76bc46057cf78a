#include "OutputFiles.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace ZalvoPlan {
namespace {

namespace fs = std::filesystem;

// Appended to a replaced file's name inside the staging folder until the new
// set is in place, so a failure can put it back.
constexpr const char* kPreviousSuffix = ".previous";

// A folder beside the outputs: on the same file system, so every move into
// place is a rename that cannot half-happen. Unique per process and call, as
// batch workers write concurrently.
fs::path CreateStagingFolder(const fs::path& directory) {
    static std::atomic<unsigned> counter{0};
    std::string name = ".zalvo-plan-staging-";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter++);
    const fs::path staging = directory / name;
    std::error_code error;
    if (!fs::create_directory(staging, error)) {
        throw OutputError("cannot create a staging folder in " + directory.string() +
                          (error ? ": " + error.message() : ": it exists"));
    }
    return staging;
}

void WriteWhole(const fs::path& path, const std::string& contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (file) file.close();
    if (!file) throw OutputError("cannot write " + path.string() + ": " + std::strerror(errno));
}

// Only a missing name or a regular file may be replaced: a folder (or
// anything else) in an output's place is the user's and stays untouched.
void CheckReplaceable(const fs::path& final) {
    std::error_code error;
    const auto status = fs::symlink_status(final, error);
    if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular) return;
    throw OutputError("cannot write " + final.string() + ": something other than a file is in its place");
}

// Moves the staged files into place, keeping each replaced file in the
// staging folder until all are moved; on failure undoes every move.
class Swap {
public:
    explicit Swap(fs::path staging) : staging_(std::move(staging)) {}

    void Place(const std::string& name, const fs::path& final) {
        const fs::path previous = staging_ / (name + kPreviousSuffix);
        if (fs::exists(fs::symlink_status(final))) {
            Rename(final, previous);
            replaced_.push_back({final, previous});
        }
        Rename(staging_ / name, final);
        placed_.push_back(final);
    }

    void Undo() noexcept {
        std::error_code ignored;
        for (const auto& final : placed_) fs::remove(final, ignored);
        for (const auto& [final, previous] : replaced_) fs::rename(previous, final, ignored);
    }

private:
    static void Rename(const fs::path& from, const fs::path& to) {
        std::error_code error;
        fs::rename(from, to, error);
        if (error) throw OutputError("cannot move " + from.string() + " to " + to.string() + ": " + error.message());
    }

    fs::path staging_;
    std::vector<fs::path> placed_;
    std::vector<std::pair<fs::path, fs::path>> replaced_;
};

}  // namespace

std::vector<fs::path> WriteOutputFiles(const fs::path& directory, const std::vector<OutputFile>& files) {
    std::error_code error;
    fs::create_directories(directory, error);
    if (error || !fs::is_directory(directory)) {
        throw OutputError("cannot create the output directory " + directory.string() +
                          (error ? ": " + error.message() : ": a file of that name exists"));
    }
    std::vector<fs::path> finals;
    for (const auto& file : files) {
        finals.push_back(directory / file.name);
        CheckReplaceable(finals.back());
    }
    const fs::path staging = CreateStagingFolder(directory);
    Swap swap(staging);
    try {
        for (const auto& file : files) WriteWhole(staging / file.name, file.contents);
        for (std::size_t i = 0; i < files.size(); ++i) swap.Place(files[i].name, finals[i]);
    } catch (...) {
        swap.Undo();
        fs::remove_all(staging, error);
        throw;
    }
    fs::remove_all(staging, error);
    return finals;
}

}  // namespace ZalvoPlan
