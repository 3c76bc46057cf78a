// Shared pieces of the fuzz harnesses: turning fuzzer bytes into terrains,
// paths, rooms and host callables, and the rule that decides whether what the
// library did is acceptable.
//
// A harness may only see the library return, or throw an exception that the
// public header documents for the situation the harness created (an empty
// callable, a throwing host, bad sizes). Anything else aborts with a report,
// which libFuzzer and the replay program both treat as a finding.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <zalvo/zalvo.h>

#include <Logging/Logging.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <new>
#include <set>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <variant>
#include <vector>

namespace ZalvoFuzz {

// What the harnesses' host callables throw. It is not a std::exception, so it
// only arrives if the library let it pass untouched (a library that caught
// and rewrapped exceptions would turn it into something else).
struct HostError {};

[[noreturn]] inline void Fail(const char* entry, const char* what, const char* detail = "") {
    std::fprintf(stderr, "\n*** finding in %s: %s %s\n", entry, what, detail);
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool holds, const char* entry, const char* what) {
    if (!holds) Fail(entry, what);
}

// The exceptions a call may end with, given what the harness passed in.
struct Allowed {
    bool invalidArgument = false;
    bool lengthError = false;      // only with the message "vector too long"
    bool badFunctionCall = false;  // only when an empty callable was passed
    bool host = false;             // only when a host callable may throw
};

// Runs `call`. Returns true when it returned and false when it threw an
// allowed exception; aborts on everything else.
template <class Call>
bool Survives(const char* entry, const Allowed& allowed, Call&& call) {
    try {
        call();
        return true;
    } catch (const HostError&) {
        if (!allowed.host) Fail(entry, "host exception without a throwing host");
    } catch (const std::bad_function_call&) {
        if (!allowed.badFunctionCall) Fail(entry, "bad_function_call without an empty callable");
    } catch (const std::invalid_argument& error) {
        if (!allowed.invalidArgument) Fail(entry, "undocumented invalid_argument:", error.what());
    } catch (const std::length_error& error) {
        if (!allowed.lengthError) Fail(entry, "undocumented length_error:", error.what());
        if (std::string(error.what()) != "vector too long") Fail(entry, "length_error text:", error.what());
    } catch (const std::exception& error) {
        Fail(entry, "undocumented exception:", error.what());
    } catch (...) {
        Fail(entry, "unknown exception");
    }
    return false;
}

// Diagnostic text is produced (so the dump code runs) but thrown away.
class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Enables a fuzzed subset of the library's levels for this input.
inline void ConfigureLogging(FuzzedDataProvider& in) {
    // Never destroyed: std::clog still flushes its buffer at exit.
    static DiscardBuffer* const discard = new DiscardBuffer;
    static const bool silenced = (std::clog.rdbuf(discard), true);
    (void)silenced;
    const auto levels = in.ConsumeIntegral<std::uint8_t>();
    Logging::DisableAllLevels();
    if (levels & 1u) Logging::EnableLevel(Zalvo::LogCategory, 20);
    if (levels & 2u) Logging::EnableLevel(Zalvo::LogCategory, 21);
    if (levels & 4u) Logging::EnableLevel(Zalvo::LogCategory, 30);
}

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

// Mostly small values, sometimes the edges of the 32-bit range.
inline std::int32_t ConsumeInt(FuzzedDataProvider& in, std::int32_t low, std::int32_t high) {
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 7: return min + in.ConsumeIntegralInRange<std::int32_t>(0, 3);
        case 8: return max - in.ConsumeIntegralInRange<std::int32_t>(0, 3);
        case 9: return in.ConsumeIntegral<std::int32_t>();
        default: return in.ConsumeIntegralInRange<std::int32_t>(low, high);
    }
}

// Penalties: ordinary values most of the time, then the awkward ones.
inline double ConsumeCost(FuzzedDataProvider& in) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    static const double palette[] = {0.0,
                                     0.0,
                                     0.5,
                                     1.0,
                                     3.0,
                                     7.25,
                                     30.0,
                                     100.0,
                                     1e9,
                                     1e300,
                                     -0.0,
                                     -0.25,
                                     -1.0,
                                     -3.0,
                                     -1e9,
                                     inf,
                                     -inf,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::denorm_min()};
    constexpr int benign = 10;
    constexpr int count = static_cast<int>(sizeof(palette) / sizeof(palette[0]));
    const int pick = in.ConsumeIntegralInRange<int>(0, count + 2);
    if (pick < benign) return palette[pick];
    // Half of the other picks fall back to a benign value, so about a quarter
    // of all penalties are exotic: enough to hit them, few enough to let
    // most searches finish with a path.
    if (in.ConsumeBool()) return palette[in.ConsumeIntegralInRange<int>(0, benign - 1)];
    if (pick >= count) return in.ConsumeFloatingPoint<double>();
    return palette[pick];
}

inline bool IsPlainCost(double value) { return std::isfinite(value) && value >= 0.0; }

inline std::int32_t SaturatingAdd(std::int32_t value, std::int64_t delta) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value + delta, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// ---------------------------------------------------------------------------
// Host callables
// ---------------------------------------------------------------------------

// A per-cell table of penalties read through a hash of the pixel, that may
// throw HostError on a chosen call. Shared by the copies of the std::function
// that the library may make.
struct CostTable {
    std::vector<double> values;
    std::uint64_t throwAtCall = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t calls = 0;

    bool Throws() const { return throwAtCall != std::numeric_limits<std::uint64_t>::max(); }
    bool Plain() const {
        for (const double v : values)
            if (!IsPlainCost(v)) return false;
        return true;
    }
    double Next(std::uint64_t key) {
        if (calls++ == throwAtCall) throw HostError{};
        return values[key % values.size()];
    }
};

inline std::shared_ptr<CostTable> ConsumeCostTable(FuzzedDataProvider& in) {
    auto table = std::make_shared<CostTable>();
    const int size = in.ConsumeIntegralInRange<int>(1, 6);
    for (int i = 0; i < size; ++i) table->values.push_back(ConsumeCost(in));
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) table->throwAtCall = in.ConsumeIntegralInRange<std::uint64_t>(0, 64);
    return table;
}

inline std::uint64_t PixelKey(const Zalvo::Pixel& p) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.x)) * 73856093u ^
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.y)) * 19349663u;
}

// A pixel cost, or an empty function (then `empty` is set).
inline Zalvo::PixelCostFunction MakePixelCost(const std::shared_ptr<CostTable>& table, bool empty) {
    if (empty) return {};
    return [table](const Zalvo::Pixel& p) { return table->Next(PixelKey(p)); };
}

// ---------------------------------------------------------------------------
// Grids and paths
// ---------------------------------------------------------------------------

inline std::uint8_t ConsumeHeight(FuzzedDataProvider& in) {
    const auto raw = in.ConsumeIntegral<std::uint8_t>();
    switch (raw % 8) {
        case 0:
        case 1: return 0;
        case 2: return static_cast<std::uint8_t>(raw % Zalvo::Heights::Corridor);
        case 3: return Zalvo::Heights::Corridor;
        case 4: return Zalvo::Heights::Crossable;
        case 5: return Zalvo::Heights::FractionalRing;
        case 6: return Zalvo::Heights::Impassable;
        default: return raw;
    }
}

// A grid of up to maxColumns x maxRows: a base height, painted rectangles
// (rows wrap, columns clip) and single cells, so that short inputs already
// give walls, valleys and corridors.
inline Zalvo::Terrain ConsumeTerrain(FuzzedDataProvider& in, int maxColumns, int maxRows) {
    const int columns = in.ConsumeIntegralInRange<int>(0, maxColumns);
    const int rows = in.ConsumeIntegralInRange<int>(0, maxRows);
    Zalvo::Terrain terrain(static_cast<std::size_t>(columns),
                           std::vector<std::uint8_t>(static_cast<std::size_t>(rows), ConsumeHeight(in)));
    if (columns == 0 || rows == 0) return terrain;
    const int paints = in.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < paints; ++i) {
        const int x0 = in.ConsumeIntegralInRange<int>(0, columns - 1);
        const int y0 = in.ConsumeIntegralInRange<int>(0, rows - 1);
        const int width = in.ConsumeIntegralInRange<int>(1, columns);
        const int height = in.ConsumeIntegralInRange<int>(1, rows);
        const std::uint8_t value = ConsumeHeight(in);
        for (int x = x0; x < std::min(columns, x0 + width); ++x)
            for (int y = y0; y < y0 + height; ++y)
                terrain[static_cast<std::size_t>(x)][static_cast<std::size_t>(y % rows)] = value;
    }
    const int cells = in.ConsumeIntegralInRange<int>(0, 16);
    for (int i = 0; i < cells; ++i) {
        const auto x = in.ConsumeIntegralInRange<std::size_t>(0, static_cast<std::size_t>(columns - 1));
        const auto y = in.ConsumeIntegralInRange<std::size_t>(0, static_cast<std::size_t>(rows - 1));
        terrain[x][y] = ConsumeHeight(in);
    }
    return terrain;
}

// Sometimes breaks the rectangular shape (the library must reject it) or
// leaves the first column empty.
inline void MaybeDeform(FuzzedDataProvider& in, Zalvo::Terrain& terrain) {
    if (terrain.empty() || in.ConsumeIntegralInRange<int>(0, 15) != 0) return;
    const auto column = in.ConsumeIntegralInRange<std::size_t>(0, terrain.size() - 1);
    terrain[column].resize(in.ConsumeIntegralInRange<std::size_t>(0, terrain[column].size() + 2), ConsumeHeight(in));
}

inline bool Rectangular(const Zalvo::Terrain& terrain) {
    for (const auto& column : terrain)
        if (column.size() != terrain.front().size()) return false;
    return true;
}

// A coordinate around 0 .. size - 1: mostly on or next to the grid,
// sometimes wrapped several times, rarely at the edges of the 32-bit range.
// With `far` false the coordinate stays within a few grid sizes.
inline std::int32_t ConsumeCoordinate(FuzzedDataProvider& in, std::int32_t size, bool far = true) {
    switch (in.ConsumeIntegralInRange<int>(0, far ? 15 : 13)) {
        case 13: return in.ConsumeIntegralInRange<std::int32_t>(-3 * size - 3, 3 * size + 3);
        case 14: return ConsumeInt(in, -2, size + 1);
        case 15: return in.ConsumeIntegral<std::int32_t>();
        default: return in.ConsumeIntegralInRange<std::int32_t>(-1, size);
    }
}

// A path of up to maxLength pixels, either a walk of 8-neighbour steps (as
// the search returns) or free points. With `far` false the points stay within
// a few grid sizes, so that bridging the gaps between them stays cheap.
inline std::vector<Zalvo::Pixel> ConsumePath(FuzzedDataProvider& in, std::int32_t columns, std::int32_t rows,
                                             int maxLength, bool far) {
    const int length = in.ConsumeIntegralInRange<int>(0, maxLength);
    std::vector<Zalvo::Pixel> path;
    const bool walk = in.ConsumeBool();
    Zalvo::Pixel at{in.ConsumeIntegralInRange<std::int32_t>(0, std::max(0, columns - 1)),
                    ConsumeCoordinate(in, rows, far)};
    for (int i = 0; i < length; ++i) {
        path.push_back(at);
        if (walk) {
            const auto step = in.ConsumeIntegralInRange<int>(0, 8);
            at.x = std::min(std::max(at.x + (step % 3 == 0 ? 1 : step % 3 - 1), -1), columns);
            at.y = SaturatingAdd(at.y, step / 3 - 1);  // a walk may start at the range's edge
        } else {
            at = {ConsumeCoordinate(in, columns, far), ConsumeCoordinate(in, rows, far)};
        }
    }
    return path;
}

// ---------------------------------------------------------------------------
// Wiggle rooms
// ---------------------------------------------------------------------------

inline Zalvo::WiggleRoom ConsumeRoom(FuzzedDataProvider& in, std::int32_t span) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 2);
    auto value = [&] { return ConsumeInt(in, -span / 4, span); };
    if (kind == 2) {
        Zalvo::NoRoom room;
        const int pixels = in.ConsumeIntegralInRange<int>(0, 6) == 0 ? 0 : in.ConsumeIntegralInRange<int>(1, 8);
        for (int i = 0; i < pixels; ++i) room.pixels.push_back({value(), value()});
        room.firstStretch = value();
        room.endStretch = value();
        return room;
    }
    const std::int32_t minColumn = value();
    // Boxes are mostly in order, sometimes inverted or spanning the range.
    const std::int32_t maxColumn =
        in.ConsumeBool() ? value() : SaturatingAdd(minColumn, in.ConsumeIntegralInRange<int>(0, 40));
    const std::int32_t minRow = value();
    const std::int32_t maxRow =
        in.ConsumeBool() ? value() : SaturatingAdd(minRow, in.ConsumeIntegralInRange<int>(0, 40));
    const std::int32_t first = value();
    const std::int32_t end = value();
    const std::int32_t line = value();
    if (kind == 0) return Zalvo::HorizontalRoom{minColumn, maxColumn, maxRow, minRow, first, end, line};
    return Zalvo::VerticalRoom{minColumn, maxColumn, maxRow, minRow, first, end, line};
}

// The parameters shared by both row adjustments.
struct RowParameters {
    std::int32_t existingClearance, wantedClearance, cornerRadius, minimumWidth, lineWidth;
};

inline RowParameters ConsumeRowParameters(FuzzedDataProvider& in) {
    RowParameters p{};
    p.existingClearance = ConsumeInt(in, -4, 12);
    p.wantedClearance = ConsumeInt(in, -4, 12);
    p.cornerRadius = ConsumeInt(in, -4, 24);
    p.minimumWidth = ConsumeInt(in, -4, 16);
    p.lineWidth = ConsumeInt(in, -4, 16);
    return p;
}

// Everything but the rows of HorizontalRoom elements must come back as it was.
inline void RequireOnlyRowsChanged(const char* entry, const std::vector<Zalvo::WiggleRoom>& before,
                                   const std::vector<Zalvo::WiggleRoom>& after) {
    Require(before.size() == after.size(), entry, "room count changed");
    for (std::size_t i = 0; i < before.size(); ++i) {
        Require(before[i].index() == after[i].index(), entry, "room kind changed");
        if (const auto* h = std::get_if<Zalvo::HorizontalRoom>(&after[i])) {
            auto same = std::get<Zalvo::HorizontalRoom>(before[i]);
            same.row = h->row;
            Require(same == *h, entry, "a field other than row changed");
        } else {
            Require(before[i] == after[i], entry, "a VerticalRoom or NoRoom changed");
        }
    }
}

inline bool HasEmptyNoRoom(const std::vector<Zalvo::WiggleRoom>& rooms) {
    for (const auto& room : rooms)
        if (const auto* n = std::get_if<Zalvo::NoRoom>(&room); n && n->pixels.empty()) return true;
    return false;
}

// Both row adjustments, then the sparse path of each result.
inline void AdjustAndSparsen(std::vector<Zalvo::WiggleRoom> rooms, const std::vector<Zalvo::Pixel>& path,
                             const RowParameters& p) {
    const Allowed rejects{.invalidArgument = true};
    std::vector<Zalvo::WiggleRoom> usage, stagger;
    const bool usageDone = Survives("AdjustHorizontalRoomRowsForOptimalPlateUsage", rejects, [&] {
        usage = Zalvo::AdjustHorizontalRoomRowsForOptimalPlateUsage(rooms, path, p.existingClearance, p.wantedClearance,
                                                                    p.cornerRadius, p.minimumWidth, p.lineWidth);
    });
    if (usageDone) RequireOnlyRowsChanged("AdjustHorizontalRoomRowsForOptimalPlateUsage", rooms, usage);
    Require(!(usageDone && path.empty()), "AdjustHorizontalRoomRowsForOptimalPlateUsage", "accepted an empty path");
    const bool staggerDone = Survives("AdjustHorizontalRoomRowsForPreferringStagger", rejects, [&] {
        stagger = Zalvo::AdjustHorizontalRoomRowsForPreferringStagger(
            rooms, path, p.existingClearance, p.wantedClearance, p.cornerRadius, p.minimumWidth, p.lineWidth);
    });
    if (staggerDone) RequireOnlyRowsChanged("AdjustHorizontalRoomRowsForPreferringStagger", rooms, stagger);
    for (const auto* sequence : {&rooms, &usage, &stagger}) {
        std::vector<Zalvo::Pixel> sparse;
        const bool done = Survives("CalculateSparsePixelPathThroughWiggleRooms", rejects,
                                   [&] { sparse = Zalvo::CalculateSparsePixelPathThroughWiggleRooms(*sequence); });
        Require(!(done && HasEmptyNoRoom(*sequence)), "CalculateSparsePixelPathThroughWiggleRooms",
                "accepted a NoRoom without pixels");
        Require(!(done && sequence->empty() && !sparse.empty()), "CalculateSparsePixelPathThroughWiggleRooms",
                "no rooms must give an empty path");
    }
}

}  // namespace ZalvoFuzz
