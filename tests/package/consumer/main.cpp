// A host that only knows the installed package.
#include <Logging/Logging.h>
#include <zalvo/zalvo.h>

#include <iostream>

int main() {
    Logging::DisableAllLevels();
    const Zalvo::Terrain terrain(3, std::vector<std::uint8_t>(4, 0));
    const auto path = Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
    if (!path || path->size() != 3 || Zalvo::GetRowCount(terrain) != 4) return 1;
    std::cout << "consumer ok, Zalvo " << ZALVO_VERSION << '\n';
    return 0;
}
