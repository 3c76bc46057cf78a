#include "terrain/TerrainText.h"

#include "cells/Cells.h"

#include <algorithm>

namespace Zalvo::Detail {

char DumpCharacter(std::uint8_t height) {
    switch (height) {
        case Heights::Free: return '.';
        case Heights::Corridor: return 'o';
        case Heights::Crossable: return 'M';
        case Heights::FractionalRing: return 'x';
        case Heights::Impassable: return 'X';
        default: return static_cast<char>('0' + height / Heights::RampBand);
    }
}

std::ostream& WriteTerrain(std::ostream& out, const Terrain& terrain) {
    const std::size_t rows = RowCount(terrain);
    for (std::size_t y = 0; y < rows; ++y) {
        for (const auto& column : terrain) out << DumpCharacter(column[y]);
        out << std::endl;
    }
    return out;
}

std::string ProfileToText(const std::vector<std::uint8_t>& profile) {
    std::string text(profile.size(), ' ');
    std::transform(profile.begin(), profile.end(), text.begin(), DumpCharacter);
    return text;
}

}  // namespace Zalvo::Detail
