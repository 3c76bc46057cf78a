// The planner's image reader on arbitrary bytes: PNG, PBM, PGM and PPM data
// must give a plate whose size matches its pixels, or a clean refusal (an
// InputError); anything else is a finding. The first byte picks how the bytes
// are taken: as they are (libFuzzer finds the formats' magic numbers), or
// behind a PNG signature or a netpbm magic number, to reach past the format
// check sooner.
#include "input/ImageDecoding.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Finding(const char* what, const char* detail) {
    std::fprintf(stderr, "\n*** finding in the image reader: %s %s\n", what, detail);
    std::fflush(stderr);
    std::abort();
}

std::vector<std::uint8_t> Framed(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::vector<std::uint8_t>> kPrefixes{
        {},         {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'},
        {'P', '1'}, {'P', '2'},
        {'P', '3'}, {'P', '4'},
        {'P', '5'}, {'P', '6'}};
    if (size == 0) return {};
    const auto& prefix = kPrefixes[data[0] % kPrefixes.size()];
    std::vector<std::uint8_t> bytes(prefix);
    bytes.insert(bytes.end(), data + 1, data + size);
    return bytes;
}

void CheckPlate(const ZalvoPlan::PlateImage& image) {
    if (image.columns < 1 || image.rows < 1) Finding("a plate without pixels", "");
    const auto pixels = static_cast<std::uint64_t>(image.columns) * static_cast<std::uint64_t>(image.rows);
    if (pixels > static_cast<std::uint64_t>(ZalvoPlan::kMaximumPixelCount)) Finding("a plate above the limit", "");
    if (image.classes.size() != pixels) Finding("pixel classes that do not fill the plate", "");
    if (image.resolution && !(*image.resolution >= 0.0)) Finding("a negative or NaN resolution", "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        CheckPlate(ZalvoPlan::DecodePlateImage(Framed(data, size), "fuzz"));
    } catch (const ZalvoPlan::InputError& error) {
        if (std::string(error.what()).rfind("fuzz: ", 0) != 0) Finding("a refusal that names no image:", error.what());
    } catch (const std::exception& error) {
        Finding("an exception other than InputError:", error.what());
    }
    return 0;
}
