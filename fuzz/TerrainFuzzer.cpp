// CreateTerrain on a fuzzed plate: sizes (negative and absurd ones too),
// content, resolution and distances (zero, negative, NaN, infinite, huge),
// corridor seeds at and beyond the edges, and hosts that throw or pass an
// empty isImpassable. Checks the documented call sequence and the shape of
// the result.
#include "FuzzSupport.h"

namespace {

using namespace ZalvoFuzz;

enum Content : std::uint8_t { kFree, kCrossable, kImpassable };

// Which host call throws HostError, if any.
enum class Thrower { kNone, kRowCount, kColumnCount, kResolution, kOccupied, kImpassable };

class FuzzPlate final : public Zalvo::PlateInterface {
public:
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    double resolution = 72.0;
    std::vector<std::vector<std::uint8_t>> content;  // [x][y], only for small plates
    Thrower thrower = Thrower::kNone;
    std::uint64_t throwAtCall = 0;

    // What the library asked, in the order it asked.
    mutable int rowCountCalls = 0;
    mutable int columnCountCalls = 0;
    mutable int resolutionCalls = 0;
    mutable std::uint64_t occupiedCalls = 0;
    mutable std::uint64_t impassableCalls = 0;
    mutable std::uint64_t occupiedCount = 0;
    mutable bool awaitingImpassable = false;
    mutable Zalvo::Pixel lastOccupied{};

    double GetResolution() const override {
        ++resolutionCalls;
        Require(content.empty() || occupiedCalls == content.size() * content.front().size(), "CreateTerrain",
                "GetResolution asked before every pixel was read");
        MaybeThrow(Thrower::kResolution, 0);
        return resolution;
    }
    std::int32_t GetPixelColumnCount() const override {
        ++columnCountCalls;
        Require(rowCountCalls == 1, "CreateTerrain", "column count asked before the row count");
        MaybeThrow(Thrower::kColumnCount, 0);
        return columns;
    }
    std::int32_t GetPixelRowCount() const override {
        ++rowCountCalls;
        MaybeThrow(Thrower::kRowCount, 0);
        return rows;
    }
    std::int32_t GetContentCount() const override { Fail("CreateTerrain", "called GetContentCount"); }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override {
        Fail("CreateTerrain", "called IsPixelOnContentEdge");
    }
    bool IsPixelOccupied(const Zalvo::Pixel& p) const override {
        Require(!awaitingImpassable, "CreateTerrain", "isImpassable not asked right after an occupied pixel");
        Require(rowCountCalls == 1 && columnCountCalls == 1, "CreateTerrain", "IsPixelOccupied before both counts");
        if (content.empty()) Fail("CreateTerrain", "reads the pixels of an absurd plate instead of refusing it");
        const auto expected = static_cast<std::int64_t>(occupiedCalls);
        Require(p.x == expected % columns && p.y == expected / columns, "CreateTerrain",
                "IsPixelOccupied not row by row");
        MaybeThrow(Thrower::kOccupied, occupiedCalls);
        ++occupiedCalls;
        const bool occupied = At(p) != kFree;
        if (occupied) {
            ++occupiedCount;
            awaitingImpassable = true;
            lastOccupied = p;
        }
        return occupied;
    }
    // The isImpassable callable of the harness.
    bool IsImpassable(const Zalvo::Pixel& p) const {
        Require(awaitingImpassable && p == lastOccupied, "CreateTerrain",
                "isImpassable asked for a pixel that was not just found occupied");
        awaitingImpassable = false;
        MaybeThrow(Thrower::kImpassable, impassableCalls);
        ++impassableCalls;
        return At(p) == kImpassable;
    }
    std::uint8_t At(const Zalvo::Pixel& p) const {
        return content[static_cast<std::size_t>(p.x)][static_cast<std::size_t>(p.y)];
    }

private:
    void MaybeThrow(Thrower where, std::uint64_t call) const {
        if (thrower == where && call == throwAtCall) throw HostError{};
    }
};

// Plate sizes: small most of the time; sometimes negative, or so large in
// cells that building the grid would exhaust any machine.
void ConsumeSize(FuzzedDataProvider& in, FuzzPlate& plate) {
    constexpr std::int32_t huge = std::numeric_limits<std::int32_t>::max();
    switch (in.ConsumeIntegralInRange<int>(0, 15)) {
        case 13:  // negative
            plate.columns = in.ConsumeIntegralInRange<std::int32_t>(std::numeric_limits<std::int32_t>::min(), 40);
            plate.rows = in.ConsumeIntegralInRange<std::int32_t>(std::numeric_limits<std::int32_t>::min(), -1);
            if (in.ConsumeBool()) std::swap(plate.columns, plate.rows);
            return;
        case 14:  // absurd: at least 2^32 cells
            plate.columns = in.ConsumeIntegralInRange<std::int32_t>(1 << 16, huge);
            plate.rows = in.ConsumeIntegralInRange<std::int32_t>(1 << 16, huge);
            return;
        case 15:  // one count absurd, the other empty
            plate.columns = in.ConsumeBool() ? huge - in.ConsumeIntegralInRange<std::int32_t>(0, 3) : 0;
            plate.rows = plate.columns == 0 ? huge - in.ConsumeIntegralInRange<std::int32_t>(0, 3) : 0;
            return;
        default:
            plate.columns = in.ConsumeIntegralInRange<std::int32_t>(0, 40);
            plate.rows = in.ConsumeIntegralInRange<std::int32_t>(0, 40);
    }
}

void ConsumeContent(FuzzedDataProvider& in, FuzzPlate& plate) {
    if (plate.columns <= 0 || plate.rows <= 0 || plate.columns > 40 || plate.rows > 40) return;
    const auto columns = static_cast<std::size_t>(plate.columns);
    const auto rows = static_cast<std::size_t>(plate.rows);
    plate.content.assign(columns, std::vector<std::uint8_t>(rows, kFree));
    const int blobs = in.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < blobs; ++i) {
        const auto x0 = in.ConsumeIntegralInRange<std::size_t>(0, columns - 1);
        const auto y0 = in.ConsumeIntegralInRange<std::size_t>(0, rows - 1);
        const auto width = in.ConsumeIntegralInRange<std::size_t>(1, 8);
        const auto height = in.ConsumeIntegralInRange<std::size_t>(1, 8);
        const auto kind = static_cast<std::uint8_t>(in.ConsumeIntegralInRange<int>(kCrossable, kImpassable));
        for (std::size_t x = x0; x < std::min(columns, x0 + width); ++x)
            for (std::size_t y = y0; y < y0 + height; ++y) plate.content[x][y % rows] = kind;
    }
}

// Lengths in millipoints and a resolution: mostly ordinary, so that the
// profile stays short; sometimes values the library must refuse.
double ConsumeLength(FuzzedDataProvider& in) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    static const double odd[] = {-0.0, -1.0, -1000.0, -400.0, std::numeric_limits<double>::quiet_NaN(),
                                 inf,  -inf, 1e300,   1e15,   1.3e20};
    if (in.ConsumeIntegralInRange<int>(0, 11) != 0) return in.ConsumeFloatingPointInRange<double>(0.0, 20000.0);
    return odd[in.ConsumeIntegralInRange<std::size_t>(0, sizeof(odd) / sizeof(odd[0]) - 1)];
}

double ConsumeResolution(FuzzedDataProvider& in) {
    static const double odd[] = {
        0.0,    -0.0, -72.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        1e-300, 1e300};
    if (in.ConsumeIntegralInRange<int>(0, 11) != 0) return in.ConsumeFloatingPointInRange<double>(0.0, 600.0);
    return odd[in.ConsumeIntegralInRange<std::size_t>(0, sizeof(odd) / sizeof(odd[0]) - 1)];
}

std::set<Zalvo::Pixel> ConsumeSeeds(FuzzedDataProvider& in, const FuzzPlate& plate) {
    std::set<Zalvo::Pixel> seeds;
    const int count = in.ConsumeIntegralInRange<int>(0, 10);
    const std::int32_t columns = std::clamp(plate.columns, 0, 40);
    const std::int32_t rows = std::clamp(plate.rows, 0, 40);
    // A run of seeds along a line grows into a corridor; single seeds do not.
    Zalvo::Pixel at{ConsumeCoordinate(in, columns), ConsumeCoordinate(in, rows)};
    const int dx = in.ConsumeIntegralInRange<int>(-1, 1);
    const int dy = in.ConsumeIntegralInRange<int>(-1, 1);
    for (int i = 0; i < count; ++i) {
        seeds.insert(at);
        if (in.ConsumeIntegralInRange<int>(0, 3) == 0)
            at = {ConsumeCoordinate(in, columns), ConsumeCoordinate(in, rows)};
        else if (at.x > -1000 && at.x < 1000 && at.y > -1000 && at.y < 1000)
            at = {at.x + dx, at.y + dy};
    }
    return seeds;
}

void CheckResult(const FuzzPlate& plate, const Zalvo::Terrain& terrain) {
    const char* entry = "CreateTerrain";
    const auto columns = static_cast<std::size_t>(plate.columns);
    const auto rows = static_cast<std::size_t>(plate.rows);
    Require(terrain.size() == columns, entry, "wrong column count");
    for (const auto& column : terrain) Require(column.size() == rows, entry, "wrong row count");
    Require(plate.occupiedCalls == columns * rows, entry, "IsPixelOccupied not asked once per pixel");
    Require(plate.impassableCalls == plate.occupiedCount, entry, "isImpassable not asked once per occupied pixel");
    Require(plate.resolutionCalls == (columns == 0 ? 0 : 1), entry, "GetResolution call count");
    for (std::size_t x = 0; x < columns; ++x)
        for (std::size_t y = 0; y < rows; ++y)
            if (plate.content[x][y] != kFree)
                Require(terrain[x][y] >= Zalvo::Heights::Corridor, entry, "content lost its height");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    ConfigureLogging(in);
    FuzzPlate plate;
    ConsumeSize(in, plate);
    ConsumeContent(in, plate);
    plate.resolution = ConsumeResolution(in);
    const Zalvo::MilliPoints minimum(ConsumeLength(in));
    const Zalvo::MilliPoints preferred(ConsumeLength(in));
    const std::set<Zalvo::Pixel> seeds = ConsumeSeeds(in, plate);
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
        plate.thrower = static_cast<Thrower>(in.ConsumeIntegralInRange<int>(1, 5));
        plate.throwAtCall = in.ConsumeIntegralInRange<std::uint64_t>(0, 40);
    }
    const bool emptyImpassable = in.ConsumeIntegralInRange<int>(0, 31) == 0;
    Zalvo::ImpassableFunction isImpassable;
    if (!emptyImpassable) isImpassable = [&plate](const Zalvo::Pixel& p) { return plate.IsImpassable(p); };

    Zalvo::Terrain terrain;
    const Allowed allowed{
        .lengthError = true, .badFunctionCall = emptyImpassable, .host = plate.thrower != Thrower::kNone};
    const bool done = Survives("CreateTerrain", allowed,
                               [&] { terrain = Zalvo::CreateTerrain(plate, isImpassable, seeds, minimum, preferred); });
    if (plate.columns < 0 || plate.rows < 0) {
        Require(!done, "CreateTerrain", "accepted a negative plate size");
        Require(plate.occupiedCalls == 0, "CreateTerrain", "IsPixelOccupied called on a negative plate size");
    }
    if (done) CheckResult(plate, terrain);
    return 0;
}
