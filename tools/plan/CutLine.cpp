#include "plan/CutLine.h"

#include <cstdint>

namespace ZalvoPlan {
namespace {

// True when `middle` lies on the closed segment from `from` to `to`. 64-bit
// products: unwrapped rows may use the whole 32-bit range.
bool LiesBetween(const Zalvo::Pixel& from, const Zalvo::Pixel& middle, const Zalvo::Pixel& to) {
    const std::int64_t ax = std::int64_t{middle.x} - from.x;
    const std::int64_t ay = std::int64_t{middle.y} - from.y;
    const std::int64_t bx = std::int64_t{to.x} - middle.x;
    const std::int64_t by = std::int64_t{to.y} - middle.y;
    // Each difference fits in 33 bits, so neither product overflows.
    const bool collinear = ax * by == ay * bx;
    const bool sameDirection = ax * bx + ay * by >= 0;
    return collinear && sameDirection;
}

}  // namespace

std::vector<Zalvo::Pixel> RemoveCollinearPoints(const std::vector<Zalvo::Pixel>& sparse) {
    if (sparse.size() < 3) return sparse;
    std::vector<Zalvo::Pixel> corners{sparse.front()};
    for (std::size_t i = 1; i + 1 < sparse.size(); ++i) {
        if (!LiesBetween(corners.back(), sparse[i], sparse[i + 1])) corners.push_back(sparse[i]);
    }
    corners.push_back(sparse.back());
    return corners;
}

}  // namespace ZalvoPlan
