#include "ToolTestSupport.h"

#include "cli/CommandLine.h"

#include <zlib.h>

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace ZalvoPlanTest {
namespace {

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::vector<std::uint8_t>& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    AppendBigEndian(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    static std::mt19937_64 random{std::random_device{}()};
    path_ = std::filesystem::temp_directory_path() /
            ("zalvo-plan-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchDirectory::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::filesystem::path ScratchDirectory::Write(const std::string& name, const std::string& text) const {
    const auto path = path_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::vector<std::string> ScratchDirectory::Entries(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

CommandResult RunPlanner(const std::vector<std::string>& arguments, const std::string& standardInput) {
    std::istringstream in(standardInput);
    std::ostringstream out, err;
    const int code = ZalvoPlan::RunCommandLine(arguments, in, out, err, false);
    return {code, out.str(), err.str()};
}

std::vector<std::uint8_t> PngBuilder::Build() const {
    const std::size_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const std::size_t rowBytes = (width * channels * bitDepth + 7) / 8;
    std::vector<std::uint8_t> raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), samples.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                   samples.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
    }
    uLongf compressedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> compressed(compressedSize);
    compress(compressed.data(), &compressedSize, raw.data(), static_cast<uLong>(raw.size()));
    compressed.resize(compressedSize);

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    AppendBigEndian(header, declaredWidth != 0 ? declaredWidth : width);
    AppendBigEndian(header, declaredHeight != 0 ? declaredHeight : height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    if (pixelsPerMetre >= 0) {
        std::vector<std::uint8_t> physical;
        AppendBigEndian(physical, static_cast<std::uint32_t>(pixelsPerMetre));
        AppendBigEndian(physical, static_cast<std::uint32_t>(pixelsPerMetre));
        physical.push_back(1);
        AppendChunk(png, "pHYs", physical);
    }
    if (colourType == 3) AppendChunk(png, "PLTE", palette);
    for (const auto& [type, data] : ancillary) AppendChunk(png, type, data);
    AppendChunk(png, "IDAT", compressed);
    AppendChunk(png, "IEND", {});
    return png;
}

}  // namespace ZalvoPlanTest
