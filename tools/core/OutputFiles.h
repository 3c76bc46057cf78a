// Writing the outputs all or nothing: a failed run leaves the earlier outputs
// as they were, never a mix of old and new files. Everything is written into a
// staging folder beside the outputs first and moved into place only once every
// file is complete; a failed move puts the replaced files back.
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

// Creates `directory` if needed, writes every file into a staging folder in it,
// then moves them all into place. Refuses, before writing anything, to
// replace anything but a regular file. On failure restores what was there,
// removes the staging folder and throws OutputError naming the file. Returns
// the final paths.
std::vector<std::filesystem::path> WriteOutputFiles(const std::filesystem::path& directory,
                                                    const std::vector<OutputFile>& files);

}  // namespace ZalvoPlan
