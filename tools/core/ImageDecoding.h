// Reading plate images: PNG (any colour type and depth; transparency is laid
// over white), and the netpbm formats PBM, PGM and PPM, binary and plain.
#pragma once

#include "PlateImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZalvoPlan {

// Reads and decodes the file at `path`, choosing the format by its first
// bytes. Throws InputError naming the file and the problem: missing,
// unreadable, empty, unsupported format, truncated or corrupt data.
PlateImage ReadPlateImage(const std::string& path);

// Decodes an image held in memory; `name` only labels error messages.
PlateImage DecodePlateImage(const std::vector<std::uint8_t>& bytes, const std::string& name);

// The netpbm decoders. PBM: 1 is black. PGM and PPM: samples scaled from
// their maximum value (1..65535) to 8 bits.
PlateImage DecodeNetpbm(const std::vector<std::uint8_t>& bytes, const std::string& name);
PlateImage DecodePng(const std::vector<std::uint8_t>& bytes, const std::string& name);

// The horizontal pixel density of a PNG's pHYs chunk, in pixels per inch
// rounded to a tenth (300 dpi is stored as 11811 per metre); none when the chunk is absent, its unit is not the
// metre, or its density is 0.
std::optional<double> PngResolution(const std::vector<std::uint8_t>& bytes);
// The figure behind it: the pHYs chunk's horizontal pixels per metre.
std::optional<std::uint32_t> PngPixelsPerMetre(const std::vector<std::uint8_t>& bytes);

}  // namespace ZalvoPlan
