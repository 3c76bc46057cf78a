#include "PngEncoding.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace ZalvoPlan {
namespace {

std::vector<std::uint8_t> Encode(png_image& png, const std::vector<std::uint8_t>& pixels, const void* colourMap) {
    png_alloc_size_t size = 0;
    const auto write = [&](void* memory) {
        return png_image_write_to_memory(&png, memory, &size, 0, pixels.data(), 0, colourMap);
    };
    if (!write(nullptr)) throw std::runtime_error(std::string("cannot encode a PNG picture: ") + png.message);
    std::vector<std::uint8_t> bytes(size);
    if (!write(bytes.data())) throw std::runtime_error(std::string("cannot encode a PNG picture: ") + png.message);
    bytes.resize(size);
    return bytes;
}

png_image BlankImage(std::uint32_t width, std::uint32_t height, png_uint_32 format) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = width;
    png.height = height;
    png.format = format;
    return png;
}

}  // namespace

std::vector<std::uint8_t> EncodeIndexedPng(std::uint32_t width, std::uint32_t height,
                                           const std::vector<std::uint8_t>& indices,
                                           const std::vector<PaletteEntry>& palette) {
    const bool transparent =
        std::any_of(palette.begin(), palette.end(), [](const PaletteEntry& entry) { return entry.alpha != 255; });
    png_image png =
        BlankImage(width, height, (transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB) | PNG_FORMAT_FLAG_COLORMAP);
    std::vector<std::uint8_t> colourMap;
    for (const auto& entry : palette) {
        colourMap.insert(colourMap.end(), {entry.red, entry.green, entry.blue});
        if (transparent) colourMap.push_back(entry.alpha);
    }
    png.colormap_entries = static_cast<png_uint_32>(palette.size());
    return Encode(png, indices, colourMap.data());
}

std::vector<std::uint8_t> EncodeGreyPng(std::uint32_t width, std::uint32_t height,
                                        const std::vector<std::uint8_t>& samples) {
    png_image png = BlankImage(width, height, PNG_FORMAT_GRAY);
    return Encode(png, samples, nullptr);
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i) group = group << 8 | (i < count ? bytes[at + i] : 0u);
        for (std::size_t i = 0; i < 4; ++i) {
            text += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3f] : '=';
        }
    }
    return text;
}

}  // namespace ZalvoPlan
