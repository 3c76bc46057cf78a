// Both row adjustments and the sparse path on room sequences built directly
// from fuzzer bytes: rooms the library itself never makes (a VerticalRoom at
// an end or beside another, empty NoRooms, inverted bands and column ranges,
// coordinates at the edges of the 32-bit range).
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ZalvoFuzz;
    FuzzedDataProvider in(data, size);
    const std::int32_t span = in.ConsumeIntegralInRange<std::int32_t>(1, 64);
    std::vector<Zalvo::WiggleRoom> rooms;
    const int count = in.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < count; ++i) rooms.push_back(ConsumeRoom(in, span));
    const std::vector<Zalvo::Pixel> path = ConsumePath(in, span, span, 24, true);
    AdjustAndSparsen(std::move(rooms), path, ConsumeRowParameters(in));
    return 0;
}
