// The text form of a terrain and of an erosion profile, as the diagnostic log
// shows them.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Zalvo::Detail {

// One character per height: '.' free, '0'..'9' the ramp band (height /
// Heights::RampBand, so '9' covers 234..251), 'o' corridor, 'M' 253, 'x'
// 254, 'X' 255.
char DumpCharacter(std::uint8_t height);

// One line per row, row 0 first, one character per column and no separators;
// each line ends with std::endl. A terrain without columns writes nothing.
std::ostream& WriteTerrain(std::ostream& out, const Terrain& terrain);

// One dump character per profile entry, in profile order.
std::string ProfileToText(const std::vector<std::uint8_t>& profile);

}  // namespace Zalvo::Detail
