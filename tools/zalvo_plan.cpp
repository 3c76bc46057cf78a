// First main job: a sample terrain in memory, its cheapest line, and a dump.
#include <zalvo/zalvo.h>

#include <iostream>

int main() {
    Zalvo::Terrain terrain(40, std::vector<std::uint8_t>(16, 0));
    const auto path = Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
    if (!path) {
        std::cout << "no path\n";
        return 0;
    }
    for (const auto& p : *path) std::cout << '(' << p.x << ", " << p.y << ") ";
    std::cout << '\n';
}
