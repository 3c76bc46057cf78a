// Terrains written and read in the dump's characters, for readable tests.
#pragma once

#include "terrain/TerrainText.h"

#include <zalvo/zalvo.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ZalvoTest {

// The dump lines of `terrain`, row 0 first.
inline std::vector<std::string> DumpLines(const Zalvo::Terrain& terrain) {
    std::ostringstream out;
    Zalvo::Detail::WriteTerrain(out, terrain);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A terrain from dump lines, one per row. A digit d reads as 26 * d ('0' as 1).
inline Zalvo::Terrain FromDump(const std::vector<std::string>& rows) {
    static const std::string kSpecial = ".oMxX";
    static const std::uint8_t kSpecialHeights[] = {0, 252, 253, 254, 255};
    Zalvo::Terrain terrain(rows.empty() ? 0 : rows.front().size(), std::vector<std::uint8_t>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < terrain.size(); ++x) {
            const char c = rows[y].at(x);
            if (c >= '0' && c <= '9')
                terrain[x][y] = static_cast<std::uint8_t>(c == '0' ? 1 : (c - '0') * 26);
            else if (kSpecial.find(c) != std::string::npos)
                terrain[x][y] = kSpecialHeights[kSpecial.find(c)];
            else
                throw std::invalid_argument(std::string("unknown dump character ") + c);
        }
    }
    return terrain;
}

}  // namespace ZalvoTest
