// The host geometry library's own coordinate header, reduced to what Zalvo uses: a length in millipoints held as one
// double. HOST_ORVEX tells a test that this header, not Zalvo's stand-in, was compiled.
#pragma once

#define HOST_ORVEX 1

namespace Orvex {

struct MilliPointCoordinateSystem {};

template <class System, int Dimensions>
class CoordinateBase {
public:
    constexpr CoordinateBase() noexcept = default;
    constexpr explicit CoordinateBase(double millipoints) noexcept : length_(millipoints) {}
    constexpr double Value() const noexcept { return length_; }

private:
    double length_ = 0.0;
};

}  // namespace Orvex
