// Terrains written and read in the dump's characters, for readable tests.
#pragma once

#include "terrain/TerrainText.h"

#include <zalvo/zalvo.h>

#include <sstream>
#include <string>
#include <vector>

namespace ZalvoTest {

// Dump lines from one string, a word per row: "X.. ..." is two rows.
inline std::vector<std::string> Rows(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> rows;
    for (std::string row; in >> row;) rows.push_back(row);
    return rows;
}

// The dump lines of `terrain`, row 0 first.
inline std::vector<std::string> DumpLines(const Zalvo::Terrain& terrain) {
    std::ostringstream out;
    Zalvo::Detail::WriteTerrain(out, terrain);
    return Rows(out.str());
}

// A terrain from dump lines, one per row: a digit d reads as 26 * d ('0' as 1),
// '.', 'o', 'M', 'x' and 'X' as 0, 252, 253, 254 and 255.
inline Zalvo::Terrain FromDump(const std::vector<std::string>& rows) {
    Zalvo::Terrain terrain(rows.empty() ? 0 : rows.front().size(), std::vector<std::uint8_t>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < terrain.size(); ++x) {
            const char c = rows[y].at(x);
            if (c >= '0' && c <= '9')
                terrain[x][y] = static_cast<std::uint8_t>(c == '0' ? 1 : (c - '0') * 26);
            else
                terrain[x][y] = std::vector<std::uint8_t>{0, 252, 253, 254, 255}.at(std::string(".oMxX").find(c));
        }
    }
    return terrain;
}

}  // namespace ZalvoTest
