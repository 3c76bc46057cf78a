// PNG files made in memory, for the pictures and the interactive view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZalvoPlan {

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
};

// An indexed PNG: one palette index per pixel, row by row. With any entry
// not fully opaque the palette carries transparency.
std::vector<std::uint8_t> EncodeIndexedPng(std::uint32_t width, std::uint32_t height,
                                           const std::vector<std::uint8_t>& indices,
                                           const std::vector<PaletteEntry>& palette);

// An 8-bit grey PNG, one sample per pixel, row by row.
std::vector<std::uint8_t> EncodeGreyPng(std::uint32_t width, std::uint32_t height,
                                        const std::vector<std::uint8_t>& samples);

// Writes `count` rows of 8-bit RGB pixels, from row `first` on, into `rows`
// (row after row, 3 bytes a pixel).
using RgbBandFiller = std::function<void(std::uint32_t first, std::uint32_t count, std::uint8_t* rows)>;

// An RGB PNG made for speed over size (data a page reads, not a picture a
// person keeps), its rows made `bandRows` at a time by `fill`: a plate of
// 72 Mpx never needs all its pixels in memory at once.
std::vector<std::uint8_t> EncodeRgbPngByBands(std::uint32_t width, std::uint32_t height, std::uint32_t bandRows,
                                              const RgbBandFiller& fill);

// Row-major 8-bit RGBA pixels as a PNG compressed for speed, not size: for
// handing pixels to the PNG reader, not for keeping.
std::vector<std::uint8_t> EncodeRgbaPng(std::uint32_t width, std::uint32_t height, const std::uint8_t* pixels);

// Standard base64 with padding, for data: addresses.
std::string Base64(const std::vector<std::uint8_t>& bytes);

}  // namespace ZalvoPlan
