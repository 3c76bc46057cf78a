#include "ToolTestSupport.h"

#include "cli/CommandLine.h"
#include "input/SamplePlate.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace ZalvoPlanTest {
namespace {

void AppendBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void AppendChunk(Bytes& out, const std::string& type, const Bytes& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    Bytes body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    AppendBigEndian(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "zalvo-plan-test-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
}
ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}
fs::path ScratchDirectory::Write(const std::string& name, const std::string& text) const {
    std::ofstream(path / name, std::ios::binary) << text;
    return path / name;
}
std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename());
    return names;
}
std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
Json ReadReport(const fs::path& path) {
    Json report = ReadJson(path);
    report.erase("timings");
    return report;
}
CommandResult RunPlanner(const std::vector<std::string>& arguments, const std::string& standardInput) {
    std::istringstream in(standardInput);
    std::ostringstream out, err;
    const int code = ZalvoPlan::RunCommandLine(arguments, in, out, err, false);
    return {code, out.str(), err.str()};
}
ZalvoPlan::PlanParameters SampleParameters(double minimum, double preferred) {
    ZalvoPlan::PlanParameters parameters;
    parameters.resolution = ZalvoPlan::kSampleResolution;
    parameters.minimumDistance = minimum;
    parameters.preferredDistance = preferred;
    return parameters;
}
const SamplePlan& TheSamplePlan() {
    static const ZalvoPlan::PlateImage image = ZalvoPlan::MakeSamplePlate();
    static const SamplePlan sample{image, ZalvoPlan::RunPlan(image, SampleParameters())};
    return sample;
}
Bytes PngBuilder::Build() const {
    const std::size_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const std::size_t rowBytes = (width * channels * bitDepth + 7) / 8;
    Bytes raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), samples.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                   samples.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
    }
    uLongf compressedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes compressed(compressedSize);
    compress(compressed.data(), &compressedSize, raw.data(), static_cast<uLong>(raw.size()));
    compressed.resize(compressedSize);
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}, header, physical;
    AppendBigEndian(header, declaredWidth != 0 ? declaredWidth : width);
    AppendBigEndian(header, declaredHeight != 0 ? declaredHeight : height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    if (pixelsPerMetre >= 0) {
        AppendBigEndian(physical, static_cast<std::uint32_t>(pixelsPerMetre));
        AppendBigEndian(physical, static_cast<std::uint32_t>(pixelsPerMetre));
        physical.push_back(physicalUnit);
        AppendChunk(png, "pHYs", physical);
    }
    if (colourType == 3) AppendChunk(png, "PLTE", palette);
    for (const auto& [type, data] : ancillary) AppendChunk(png, type, data);
    AppendChunk(png, "IDAT", compressed);
    AppendChunk(png, "IEND", {});
    return png;
}
std::int64_t DecodedPng::Count(ZalvoPlan::Colour colour, std::uint32_t firstRow, std::uint32_t endRow) const {
    std::int64_t count = 0;
    for (std::uint32_t y = firstRow; y < std::min(endRow, height); ++y) {
        for (std::uint32_t x = 0; x < width; ++x) count += At(x, y) == colour;
    }
    return count;
}
DecodedPng DecodeRgb(const std::string& bytes, const ZalvoPlan::Colour* background) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
    png.format = PNG_FORMAT_RGB;
    Bytes rgb(PNG_IMAGE_SIZE(png));
    const auto colour = background ? png_color{background->red, background->green, background->blue} : png_color{};
    if (!png_image_finish_read(&png, background ? &colour : nullptr, rgb.data(), 0, nullptr)) return {};
    return {png.width, png.height, std::move(rgb)};
}
pugi::xml_document ParseXml(const std::string& text) {
    pugi::xml_document document;
    const auto parsed = document.load_string(text.c_str());
    EXPECT_TRUE(parsed) << parsed.description() << " at byte " << parsed.offset;
    return document;
}
pugi::xml_document ParseHtml(const std::string& html) {
    std::map<std::size_t, std::string> inserts;  // text to put before a byte of `html`
    const auto each = [&](const std::string& part, const auto& at) {
        for (auto found = html.find(part); found != std::string::npos; found = html.find(part, found + 1)) at(found);
    };
    for (const std::string bare : {" checked", " hidden"}) {
        each(bare, [&](std::size_t at) {
            if (html[at + bare.size()] == ' ' || html[at + bare.size()] == '>') inserts[at + bare.size()] += "=\"\"";
        });
    }
    for (const char* element : {"<meta ", "<input ", "<img ", "<br>"}) {
        each(element, [&](std::size_t at) {
            if (const auto end = html.find('>', at); html[end - 1] != '/') inserts[end] += "/";
        });
    }
    for (const std::string element : {"script", "style"}) {
        each("<" + element, [&](std::size_t at) {
            inserts[html.find('>', at) + 1] += "<![CDATA[";
            inserts[html.find("</" + element + ">", at)] += "]]>";
        });
    }
    std::string xml;
    std::size_t from = 0;
    for (const auto& [at, text] : inserts) {
        xml += html.substr(from, at - from) + text;
        from = at;
    }
    return ParseXml(xml + html.substr(from));
}

}  // namespace ZalvoPlanTest
