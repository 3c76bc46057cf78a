// Shared helpers for the search tests: terrains and penalties that record
// how they were called.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ZalvoTest {

inline Zalvo::Terrain FlatTerrain(std::int32_t columns, std::int32_t rows, std::uint8_t height = 0) {
    return Zalvo::Terrain(static_cast<std::size_t>(columns),
                          std::vector<std::uint8_t>(static_cast<std::size_t>(rows), height));
}

inline void FillColumn(Zalvo::Terrain& terrain, std::int32_t x, std::uint8_t height) {
    for (auto& cell : terrain[static_cast<std::size_t>(x)]) cell = height;
}

// A penalty that remembers every pixel it was asked for, in order.
struct RecordingPenalty {
    std::shared_ptr<std::vector<Zalvo::Pixel>> calls = std::make_shared<std::vector<Zalvo::Pixel>>();
    std::function<double(const Zalvo::Pixel&)> value = [](const Zalvo::Pixel&) { return 0.0; };

    Zalvo::PixelCostFunction Function() const {
        return [calls = calls, value = value](const Zalvo::Pixel& pixel) {
            calls->push_back(pixel);
            return value(pixel);
        };
    }
};

using SearchFunction = std::optional<std::vector<Zalvo::Pixel>> (*)(const Zalvo::Terrain&,
                                                                    const Zalvo::PixelCostFunction&);

}  // namespace ZalvoTest
