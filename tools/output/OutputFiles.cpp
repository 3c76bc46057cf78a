#include "output/OutputFiles.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>

namespace ZalvoPlan {
namespace {

namespace fs = std::filesystem;

// Appended to a replaced file's name inside the staging folder until the new
// set is in place, so a failure can put it back.
constexpr const char* kPreviousSuffix = ".previous";

// The kinds of file a run writes: a folder holding only these, under the
// base names being written now, holds nothing of the user's.
constexpr std::array<const char*, 4> kOutputExtensions{".json", ".svg", ".png", ".html"};

std::atomic<FileSystemStepHook> stepHook{nullptr};

void Step(const char* step) {
    if (const auto hook = stepHook.load()) hook(step);
}

// A folder inside `parent`: on the same file system as what it replaces, so
// every move into place is a rename that cannot half-happen. Unique per
// process and call, as batch workers write concurrently.
fs::path CreateStagingFolder(const fs::path& parent) {
    static std::atomic<unsigned> counter{0};
    const fs::path staging = parent / (kStagingPrefix + std::to_string(::getpid()) + '-' + std::to_string(counter++));
    std::error_code error;
    if (!fs::create_directory(staging, error)) {
        throw OutputError("cannot create a staging folder in " + parent.string() +
                          (error ? ": " + error.message() : ": it exists"));
    }
    Step("create staging folder");
    return staging;
}

void WriteWhole(const fs::path& path, const std::string& contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (file) file.close();
    if (!file) throw OutputError("cannot write " + path.string() + ": " + std::strerror(errno));
    Step("write file");
}

void WriteAll(const fs::path& folder, const std::vector<OutputFile>& files) {
    for (const auto& file : files) WriteWhole(folder / file.name, file.contents);
}

// Only a missing name or a regular file may be replaced: a folder (or
// anything else) in an output's place is the user's and stays untouched.
void CheckReplaceable(const fs::path& final) {
    std::error_code error;
    const auto status = fs::symlink_status(final, error);
    if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular) return;
    throw OutputError("cannot write " + final.string() + ": something other than a file is in its place");
}

void Rename(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    if (error) throw OutputError("cannot move " + from.string() + " to " + to.string() + ": " + error.message());
    Step("rename");
}

// Moves the staged files into place, keeping each replaced file in the
// staging folder until all are moved; on failure undoes every move.
class FileByFileSwap {
public:
    explicit FileByFileSwap(fs::path staging) : staging_(std::move(staging)) {}

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
    fs::path staging_;
    std::vector<fs::path> placed_;
    std::vector<std::pair<fs::path, fs::path>> replaced_;
};

void RemoveStaging(const fs::path& staging) {
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    Step("remove staging folder");
}

std::vector<fs::path> WriteFileByFile(const fs::path& directory, const std::vector<OutputFile>& files) {
    std::vector<fs::path> finals;
    for (const auto& file : files) {
        finals.push_back(directory / file.name);
        CheckReplaceable(finals.back());
    }
    const fs::path staging = CreateStagingFolder(directory);
    FileByFileSwap swap(staging);
    try {
        WriteAll(staging, files);
        for (std::size_t i = 0; i < files.size(); ++i) swap.Place(files[i].name, finals[i]);
    } catch (...) {
        swap.Undo();
        RemoveStaging(staging);
        throw;
    }
    RemoveStaging(staging);
    return finals;
}

// Whether `directory` holds nothing but regular files named like this run's
// outputs, so trading the whole folder loses nothing of the user's.
bool HoldsOnlyOutputs(const fs::path& directory, const std::vector<OutputFile>& files) {
    std::set<std::string> ours;
    for (const auto& file : files) {
        for (const char* extension : kOutputExtensions) ours.insert(fs::path(file.name).stem().string() + extension);
    }
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error)) {
        if (!entry->is_regular_file(error) || entry->is_symlink(error) ||
            ours.count(entry->path().filename().string()) == 0) {
            return false;
        }
    }
    return !error;
}

// `directory` as a whole path without a trailing separator: "plan/" names
// the folder plan, whose parent is the working folder.
fs::path AbsoluteFolder(const fs::path& directory) {
    fs::path folder = fs::absolute(directory).lexically_normal();
    return folder.has_filename() ? folder : folder.parent_path();
}

// Puts the staged folder in the place of `directory` in one step: a rename
// where there is nothing yet, else an exchange of the two names, after which
// the staging name holds the old set. False, with nothing changed, where the
// file system will not (a mount point, a file system without exchange).
bool TradePlaces(const fs::path& staging, const fs::path& directory) {
    if (!fs::exists(fs::symlink_status(directory))) {
        Rename(staging, directory);
        return true;
    }
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, directory.c_str(), RENAME_EXCHANGE) != 0) return false;
    Step("exchange folders");
    return true;
}

// The files in place as a whole folder, or none where it could not be traded.
std::optional<std::vector<fs::path>> ReplaceFolder(const fs::path& staging, const fs::path& directory,
                                                   const std::vector<OutputFile>& files) {
    bool traded = false;
    try {
        WriteAll(staging, files);
        traded = TradePlaces(staging, AbsoluteFolder(directory));
    } catch (...) {
        RemoveStaging(staging);
        throw;
    }
    RemoveStaging(staging);
    if (!traded) return std::nullopt;
    std::vector<fs::path> finals;
    for (const auto& file : files) finals.push_back(directory / file.name);
    return finals;
}

// A folder that may trade places: a real folder (not a link to one) that
// holds nothing of the user's, and neither the working folder nor one it
// lies in, which must stay where they are.
bool MayTradePlaces(const fs::path& directory, const std::vector<OutputFile>& files) {
    std::error_code error;
    const auto status = fs::symlink_status(directory, error);
    if (status.type() == fs::file_type::not_found) return true;
    if (status.type() != fs::file_type::directory || !HoldsOnlyOutputs(directory, files)) return false;
    const fs::path folder = fs::weakly_canonical(directory, error);
    const fs::path working = fs::current_path(error);
    if (error || !folder.has_relative_path()) return false;
    const auto [mismatch, end] = std::mismatch(folder.begin(), folder.end(), working.begin(), working.end());
    return mismatch != folder.end();
}

// A staging folder beside `directory` (its parent made first, as the output
// path asks for it), or none where the parent takes no new folder.
std::optional<fs::path> TryStagingBeside(const fs::path& directory) {
    const fs::path parent = directory.parent_path();
    std::error_code ignored;
    fs::create_directories(parent, ignored);
    try {
        return CreateStagingFolder(parent);
    } catch (const OutputError&) {
        return std::nullopt;
    }
}

}  // namespace

void SetFileSystemStepHook(FileSystemStepHook hook) { stepHook.store(hook); }

std::vector<fs::path> WriteOutputFiles(const fs::path& directory, const std::vector<OutputFile>& files) {
    if (MayTradePlaces(directory, files)) {
        if (const auto staging = TryStagingBeside(AbsoluteFolder(directory))) {
            if (auto finals = ReplaceFolder(*staging, directory, files)) return *finals;
        }
    }
    std::error_code error;
    fs::create_directories(directory, error);
    if (error || !fs::is_directory(directory)) {
        throw OutputError("cannot create the output directory " + directory.string() +
                          (error ? ": " + error.message() : ": a file of that name exists"));
    }
    return WriteFileByFile(directory, files);
}

}  // namespace ZalvoPlan
