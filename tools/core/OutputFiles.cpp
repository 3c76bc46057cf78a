#include "OutputFiles.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace ZalvoPlan {
namespace {

std::filesystem::path TemporaryName(const std::filesystem::path& final) {
    // Appended piece by piece: g++ 12 misreads "literal" + std::string&& under -O3 (-Wrestrict).
    std::string name = ".";
    name += final.filename().string();
    name += ".tmp-";
    name += std::to_string(::getpid());
    return final.parent_path() / name;
}

void WriteWhole(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (file) file.close();
    if (!file) throw OutputError("cannot write " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

std::vector<std::filesystem::path> WriteOutputFiles(const std::filesystem::path& directory,
                                                    const std::vector<OutputFile>& files) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory)) {
        throw OutputError("cannot create the output directory " + directory.string() +
                          (error ? ": " + error.message() : ": a file of that name exists"));
    }
    std::vector<std::filesystem::path> finals;
    std::vector<std::filesystem::path> temporaries;
    try {
        for (const auto& file : files) {
            finals.push_back(directory / file.name);
            temporaries.push_back(TemporaryName(finals.back()));
            WriteWhole(temporaries.back(), file.contents);
        }
        for (std::size_t i = 0; i < finals.size(); ++i) {
            std::filesystem::rename(temporaries[i], finals[i], error);
            if (error) throw OutputError("cannot rename into " + finals[i].string() + ": " + error.message());
        }
    } catch (...) {
        for (const auto& temporary : temporaries) std::filesystem::remove(temporary, error);
        throw;
    }
    return finals;
}

}  // namespace ZalvoPlan
