// Writing the outputs so that a failed run leaves nothing half-written: each
// file goes to a temporary name in the output directory first, and only when
// every file is complete are they renamed into place.
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

// Creates `directory` if needed, writes every file under a temporary name,
// then renames them all. On failure removes the temporaries and throws
// OutputError naming the file: no final name ever holds a partial file.
// Returns the final paths.
std::vector<std::filesystem::path> WriteOutputFiles(const std::filesystem::path& directory,
                                                    const std::vector<OutputFile>& files);

}  // namespace ZalvoPlan
