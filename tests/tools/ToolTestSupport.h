// Helpers for the planner's tests: scratch directories, hand-made image
// files, and running the command in-process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ZalvoPlanTest {

// A fresh empty directory, removed with everything in it at the end.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::filesystem::path Write(const std::string& name, const std::string& text) const;
    // The names of the entries in `directory` (empty when it does not exist).
    static std::vector<std::string> Entries(const std::filesystem::path& directory);

private:
    std::filesystem::path path_;
};

std::string ReadText(const std::filesystem::path& path);

struct CommandResult {
    int exitCode = 0;
    std::string out;
    std::string err;
};

// Runs zalvo-plan with `arguments`, stderr taken as not a terminal, and
// `standardInput` as what standard input holds.
CommandResult RunPlanner(const std::vector<std::string>& arguments, const std::string& standardInput = "");

// A PNG file built chunk by chunk, so tests can add a pHYs chunk or break it.
struct PngBuilder {
    PngBuilder(std::uint32_t width_, std::uint32_t height_, std::uint8_t colourType_,
               std::vector<std::uint8_t> samples_)
        : width(width_), height(height_), colourType(colourType_), samples(std::move(samples_)) {}

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 8;
    std::uint8_t colourType = 2;        // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    std::vector<std::uint8_t> palette;  // RGB triples, for colour type 3
    std::vector<std::uint8_t> samples;  // the raw rows, without filter bytes
    std::int64_t pixelsPerMetre = -1;   // a pHYs chunk in metres when >= 0
    // Chunks put before the image data (e.g. gAMA, tRNS), as type and data.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> ancillary;
    // The size the header declares, where it should lie about the samples.
    std::uint32_t declaredWidth = 0;
    std::uint32_t declaredHeight = 0;

    std::vector<std::uint8_t> Build() const;
};

}  // namespace ZalvoPlanTest
