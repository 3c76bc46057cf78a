// Writing the outputs all or nothing: a failed or killed run leaves the
// earlier outputs as they were, never a mix of old and new files.
//
// A folder that holds nothing but the planner's outputs (a batch plate's
// folder, or --out of a single run) is replaced as a whole: the new set is
// written into a staging folder beside it, which then trades places with it
// in one rename, so at every instant the old set or the new set is in place.
// A folder the user shares with other files cannot be traded: its outputs are
// staged in a folder inside it and moved into place one by one, and a failed
// move puts the replaced files back.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace ZalvoPlan {

struct OutputFile {
    std::string name;  // file name inside the output directory
    std::string contents;
};

class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Staging folders begin with this; no output folder ever does.
inline constexpr const char* kStagingPrefix = ".zalvo-plan-staging-";

// Creates `directory` if needed and puts `files` in it as described above.
// Refuses, before writing anything, to replace anything but a regular file.
// On failure restores what was there, removes the staging folder and throws
// OutputError naming the file. Returns the final paths.
std::vector<std::filesystem::path> WriteOutputFiles(const std::filesystem::path& directory,
                                                    const std::vector<OutputFile>& files);

// Called after each change WriteOutputFiles makes to the file system, with a
// word for it; a test ends the process there to see what a kill at that
// instant leaves behind. Null (the default) calls nothing.
using FileSystemStepHook = void (*)(const char* step);
void SetFileSystemStepHook(FileSystemStepHook hook);

}  // namespace ZalvoPlan
