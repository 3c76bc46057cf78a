// Reading plate images: PNG (any colour type and depth; transparency is laid
// over white), and the netpbm formats PBM, PGM and PPM, binary and plain.
#pragma once

#include "input/PlateImage.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace ZalvoPlan {

// Reads and decodes the file at `path`, choosing the format by its first
// bytes. Throws InputError naming the file and the problem: missing,
// unreadable, empty, unsupported format, truncated or corrupt data.
PlateImage ReadPlateImage(const std::string& path);

// Larger than any image the pixel limit admits in a compact format (a 16-bit
// binary PPM of 100 Mpx takes 600 MB); a bigger file or stream is refused
// before it fills the memory.
inline constexpr std::size_t kMaximumImageBytes = std::size_t{1} << 30;

// Everything `in` holds, up to `limit` bytes; throws InputError naming `name`
// beyond that or on a read error.
std::vector<std::uint8_t> ReadBoundedStream(std::istream& in, const std::string& name,
                                            std::size_t limit = kMaximumImageBytes);

// Decodes an image held in memory; `name` only labels error messages.
PlateImage DecodePlateImage(const std::vector<std::uint8_t>& bytes, const std::string& name);

// The netpbm decoders. PBM: 1 is black. PGM and PPM: samples scaled from
// their maximum value (1..65535) to 8 bits.
PlateImage DecodeNetpbm(const std::vector<std::uint8_t>& bytes, const std::string& name);
PlateImage DecodePng(const std::vector<std::uint8_t>& bytes, const std::string& name);

// Row-major 8-bit RGBA pixels, transparency laid over white exactly as the
// PNG reader lays it. Throws InputError for a size the planner refuses.
PlateImage DecodeRgbaPixels(const std::uint8_t* pixels, std::int32_t rows, std::int32_t columns,
                            const std::string& name);

// A PNG's pHYs chunk counts pixels per metre.
inline constexpr double kMetresPerInch = 0.0254;

// The horizontal pixel density of a PNG's pHYs chunk, in pixels per inch
// rounded to a tenth (300 dpi is stored as 11811 per metre); none when the chunk is absent, its unit is not the
// metre, or its density is 0.
std::optional<double> PngResolution(const std::vector<std::uint8_t>& bytes);
// The figure behind it: the pHYs chunk's horizontal pixels per metre.
std::optional<std::uint32_t> PngPixelsPerMetre(const std::vector<std::uint8_t>& bytes);

}  // namespace ZalvoPlan
