#include "terrain/Erosion.h"

#include "terrain/TerrainCreation.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <span>
#include <stdexcept>

// Every x86-64 processor has SSE2; MSVC says so through _M_X64, not __SSE2__.
#if defined(__SSE2__) || defined(_M_X64)
#define ZALVO_ERODE_WITH_SSE2 1
#include <emmintrin.h>
#endif

namespace Zalvo::Detail {

namespace {

double ToPixels(MilliPoints length, double resolution) {
    return length.Value() / MilliPointsPerPoint * resolution / PointsPerInch;
}

// `wholePixels` is already a whole number (or NaN). The range test happens on
// the double, before the conversion that would be undefined outside it;
// -0.0 passes and converts to 0. A profile longer than the largest plate side
// could change no cell, and would only fill gigabytes with entries.
std::uint64_t ToProfileLength(double wholePixels) {
    if (!(wholePixels > -1.0 && wholePixels <= kMaxPlateSide)) throw std::length_error("vector too long");
    return static_cast<std::uint64_t>(wholePixels);
}

// One step further, saturating at `cap` (which is at least 1). Free of
// branches so that the loops over a column vectorise.
template <class Distance>
Distance Step(Distance distance, Distance cap) {
    return static_cast<Distance>(std::min<Distance>(distance, static_cast<Distance>(cap - 1)) + 1);
}

template <class Distance>
Distance NearestOfThree(const Distance* column, std::size_t above, std::size_t y, std::size_t below) {
    return std::min(std::min(column[above], column[y]), column[below]);
}

// Lets `column` take one step from its neighbour column: straight across or
// diagonally, rows wrapping.
template <class Distance>
void RelaxFromNeighbourColumn(Distance* column, const Distance* neighbour, std::size_t rows, Distance cap) {
    const auto relax = [&](std::size_t above, std::size_t y, std::size_t below) {
        column[y] = std::min(column[y], Step(NearestOfThree(neighbour, above, y, below), cap));
    };
    const std::size_t last = rows - 1;
    relax(last, 0, rows > 1 ? 1 : 0);
    for (std::size_t y = 1; y < last; ++y) relax(y - 1, y, y + 1);
    if (rows > 1) relax(last - 1, last, 0);
}

// Lets every cell of a line take one step from its predecessor in the
// direction of iteration; returns the value of the last cell.
template <class Iterator, class Distance>
Distance SweepLine(Iterator first, Iterator last, Distance cap) {
    Distance reached = *first;
    for (Iterator cell = std::next(first); cell != last; ++cell) *cell = reached = std::min(*cell, Step(reached, cap));
    return reached;
}

#if defined(ZALVO_ERODE_WITH_SSE2)
// Byte distances, the usual case, sixteen cells at a time: within a block
// every cell takes the best of the cells 1, 2, 4 and 8 before it (each
// already holding the best of its own predecessors), after the block has
// taken the last cell before it. Saturating adds stand in for Step: every
// value is at most `cap`, so min() with the cell caps the sum.

template <int Lanes>
__m128i TakeFromLowerLanes(__m128i block) {
    const __m128i shifted = _mm_or_si128(_mm_slli_si128(block, Lanes), _mm_srli_si128(_mm_set1_epi8(-1), 16 - Lanes));
    return _mm_min_epu8(block, _mm_adds_epu8(shifted, _mm_set1_epi8(Lanes)));
}

template <int Lanes>
__m128i TakeFromHigherLanes(__m128i block) {
    const __m128i shifted = _mm_or_si128(_mm_srli_si128(block, Lanes), _mm_slli_si128(_mm_set1_epi8(-1), 16 - Lanes));
    return _mm_min_epu8(block, _mm_adds_epu8(shifted, _mm_set1_epi8(Lanes)));
}

std::uint8_t SweepLine(std::uint8_t* first, std::uint8_t* last, std::uint8_t cap) {
    const __m128i stepsAfter = _mm_setr_epi8(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    std::uint8_t reached = *first;
    std::uint8_t* cell = first + 1;
    for (; last - cell >= 16; cell += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell));
        block = _mm_min_epu8(block, _mm_adds_epu8(_mm_set1_epi8(static_cast<char>(reached)), stepsAfter));
        block = TakeFromLowerLanes<8>(TakeFromLowerLanes<4>(TakeFromLowerLanes<2>(TakeFromLowerLanes<1>(block))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cell), block);
        reached = static_cast<std::uint8_t>(_mm_extract_epi16(block, 7) >> 8);
    }
    for (; cell != last; ++cell) *cell = reached = std::min(*cell, Step(reached, cap));
    return reached;
}

std::uint8_t SweepLine(std::reverse_iterator<std::uint8_t*> first, std::reverse_iterator<std::uint8_t*> last,
                       std::uint8_t cap) {
    const __m128i stepsBefore = _mm_setr_epi8(16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    std::uint8_t* const begin = last.base();
    std::uint8_t* end = first.base() - 1;  // one past the cells still to sweep
    std::uint8_t reached = *end;
    for (; end - begin >= 16; end -= 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
        block = _mm_min_epu8(block, _mm_adds_epu8(_mm_set1_epi8(static_cast<char>(reached)), stepsBefore));
        block = TakeFromHigherLanes<8>(TakeFromHigherLanes<4>(TakeFromHigherLanes<2>(TakeFromHigherLanes<1>(block))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(end - 16), block);
        reached = static_cast<std::uint8_t>(_mm_cvtsi128_si32(block) & 0xFF);
    }
    while (end != begin) {
        --end;
        *end = reached = std::min(*end, Step(reached, cap));
    }
    return reached;
}
#endif

// Propagates distances along the column in the direction of iteration, then
// once more across the seam for as long as that still improves a cell: a
// shortest way never passes the seam twice.
template <class Iterator, class Distance>
void SweepCyclic(Iterator first, Iterator last, Distance cap) {
    Distance reached = SweepLine(first, last, cap);
    for (Iterator cell = first; cell != last; ++cell) {
        reached = Step(reached, cap);
        if (reached >= *cell) break;
        *cell = reached;
    }
}

}  // namespace

// Every shortest way can be bent into steps that move right or down followed
// by steps that move left or up, so one pass over the columns left to right
// and one right to left find it.
template <class Distance>
void SweepCylinderDistances(const Terrain& terrain, std::uint8_t threshold, Distance cap,
                            std::vector<Distance>& distances, const FinishColumn<Distance>& finish) {
    const std::size_t columns = terrain.size();
    const std::size_t rows = RowCount(terrain);
    distances.resize(columns * rows);
    if (distances.empty()) return;

    Distance* const first = distances.data();
    for (std::size_t x = 0; x < columns; ++x) {
        Distance* column = first + x * rows;
        const std::uint8_t* heights = terrain[x].data();
        for (std::size_t y = 0; y < rows; ++y) column[y] = heights[y] >= threshold ? 0 : cap;
        if (x > 0) RelaxFromNeighbourColumn(column, column - rows, rows, cap);
        SweepCyclic(column, column + rows, cap);
    }
    for (std::size_t x = columns; x-- > 0;) {
        Distance* column = first + x * rows;
        if (x + 1 < columns) RelaxFromNeighbourColumn(column, column + rows, rows, cap);
        SweepCyclic(std::make_reverse_iterator(column + rows), std::make_reverse_iterator(column), cap);
        finish(x, static_cast<const Distance*>(column));
    }
}

template void SweepCylinderDistances(const Terrain&, std::uint8_t, std::uint8_t, std::vector<std::uint8_t>&,
                                     const FinishColumn<std::uint8_t>&);
template void SweepCylinderDistances(const Terrain&, std::uint8_t, std::uint16_t, std::vector<std::uint16_t>&,
                                     const FinishColumn<std::uint16_t>&);
template void SweepCylinderDistances(const Terrain&, std::uint8_t, std::uint32_t, std::vector<std::uint32_t>&,
                                     const FinishColumn<std::uint32_t>&);

namespace {

// Largest distance between two cells of a non-empty grid, in steps.
std::uint64_t GridDiameter(const Terrain& terrain) {
    return std::max<std::uint64_t>(terrain.size() - 1, RowCount(terrain) / 2);
}

template <class Distance>
void RaiseCells(std::uint8_t* heights, const Distance* distances, std::size_t count, const std::uint8_t* heightAt) {
    for (std::size_t y = 0; y < count; ++y) heights[y] = std::max(heights[y], heightAt[distances[y]]);
}

template <class Distance>
void RaiseColumn(std::uint8_t* heights, const Distance* distances, std::size_t rows, const std::uint8_t* heightAt,
                 Distance /*cap*/) {
    RaiseCells(heights, distances, rows, heightAt);
}

#if defined(ZALVO_ERODE_WITH_SSE2)
// Most blocks of a sparse plate lie wholly on content (distance 0) or beyond
// the last ring (the cap), where nothing changes.
void RaiseColumn(std::uint8_t* heights, const std::uint8_t* distances, std::size_t rows, const std::uint8_t* heightAt,
                 std::uint8_t cap) {
    const __m128i source = _mm_setzero_si128();
    const __m128i beyond = _mm_set1_epi8(static_cast<char>(cap));
    std::size_t y = 0;
    for (; y + 16 <= rows; y += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(distances + y));
        const __m128i unchanged = _mm_or_si128(_mm_cmpeq_epi8(block, source), _mm_cmpeq_epi8(block, beyond));
        if (_mm_movemask_epi8(unchanged) != 0xFFFF) RaiseCells(heights + y, distances + y, 16, heightAt);
    }
    RaiseCells(heights + y, distances + y, rows - y, heightAt);
}
#endif

// Raises every cell to at least `rings[d - 1]`, where d is its distance to
// the nearest cell of `threshold` or more (cells at distance 0 and beyond the
// last ring keep their height).
//
// Every caller passes rings that only ever raise the cells they are meant
// for: a ring of a hard entry (254, 255) lies where only cells below 254 are,
// a ring of 253 where only cells below 253 are, and a ramp ring (threshold 1)
// where only free cells are. So max() raises exactly the cells a ring of
// the profile, applied one at a time, would raise.
template <class Distance>
void RaiseByDistance(Terrain& terrain, std::uint8_t threshold, const std::vector<std::uint8_t>& rings,
                     std::vector<Distance>& distances) {
    if (rings.empty()) return;
    // Distances from the cap on are "beyond the last ring"; no distance
    // exceeds the grid's diameter.
    const auto cap = static_cast<Distance>(std::min<std::uint64_t>(rings.size(), GridDiameter(terrain)) + 1);
    std::vector<std::uint8_t> heightAt(std::size_t{cap} + 1, 0);
    std::copy_n(rings.begin(), cap - 1, heightAt.begin() + 1);
    SweepCylinderDistances<Distance>(terrain, threshold, cap, distances, [&](std::size_t x, const Distance* column) {
        RaiseColumn(terrain[x].data(), column, terrain[x].size(), heightAt.data(), cap);
    });
}

bool IsHardEntry(std::uint8_t entry) { return entry >= Heights::FractionalRing; }

using Entry = std::vector<std::uint8_t>::const_iterator;

Entry EndOfRun(Entry run, Entry end) {
    const bool hard = IsHardEntry(*run);
    return std::find_if(run, end, [hard](std::uint8_t entry) { return IsHardEntry(entry) != hard; });
}

// Entries of 0 grow no ring.
void AppendRampRings(Entry run, Entry end, std::vector<std::uint8_t>& rings) {
    std::copy_if(run, end, std::back_inserter(rings), [](std::uint8_t entry) { return entry != 0; });
}

// True when the terrain has only free cells and cells of 253 and more, as a
// plate's initial terrain does.
bool HoldsOnlyFreeAndBlocked(const Terrain& terrain) {
    // Heights 1 .. 252 map to 0 .. 251 and 0 to 255: a minimum, which
    // vectorises where an early exit would not.
    std::uint8_t lowest = Heights::Impassable;
    for (const auto& column : terrain)
        for (const std::uint8_t height : column) lowest = std::min(lowest, static_cast<std::uint8_t>(height - 1));
    return lowest >= Heights::Crossable - 1;
}

// A run of hard entries grows the margin of 253 around all content and, inside
// it, the rings of the entries around 254 and more. When a run of ramp
// entries follows on a terrain of only free and blocked cells, everything
// non-zero after the hard run is exactly the margin, so the ramp rings simply
// continue the margin's distances and the same sweep draws them.
//
// Returns the end of the entries applied.
template <class Distance>
Entry ErodeHardRun(Terrain& terrain, Entry run, Entry end, std::vector<Distance>& distances) {
    const Entry hardEnd = EndOfRun(run, end);
    std::vector<std::uint8_t> margin(static_cast<std::size_t>(hardEnd - run), Heights::Crossable);
    Entry applied = hardEnd;
    if (hardEnd != end && HoldsOnlyFreeAndBlocked(terrain)) {
        applied = EndOfRun(hardEnd, end);
        AppendRampRings(hardEnd, applied, margin);
    }
    RaiseByDistance(terrain, Heights::Crossable, margin, distances);
    RaiseByDistance(terrain, Heights::FractionalRing, std::vector<std::uint8_t>(run, hardEnd), distances);
    return applied;
}

template <class Distance>
Entry ErodeRampRun(Terrain& terrain, Entry run, Entry end, std::vector<Distance>& distances) {
    const Entry rampEnd = EndOfRun(run, end);
    std::vector<std::uint8_t> rings;
    AppendRampRings(run, rampEnd, rings);
    RaiseByDistance(terrain, std::uint8_t{1}, rings, distances);
    return rampEnd;
}

template <class Distance>
void ErodeRuns(Terrain& terrain, const std::vector<std::uint8_t>& profile) {
    std::vector<Distance> distances;
    for (Entry run = profile.begin(); run != profile.end();)
        run = IsHardEntry(*run) ? ErodeHardRun(terrain, run, profile.end(), distances)
                                : ErodeRampRun(terrain, run, profile.end(), distances);
}

}  // namespace

std::vector<std::uint8_t> CreateErosionProfile(MilliPoints minimumDistance, MilliPoints preferredDistance,
                                               double resolution) {
    const double hardPixels = ToPixels(minimumDistance, resolution);
    const std::uint64_t hardLength = ToProfileLength(std::ceil(hardPixels));
    const double fraction = std::fmod(hardPixels, 1.0);
    const std::uint64_t totalLength =
        std::max(hardLength, ToProfileLength(std::round(ToPixels(preferredDistance, resolution))));
    const std::uint64_t rampLength = totalLength - hardLength;

    std::vector<std::uint8_t> profile(totalLength, 0);
    if (hardLength >= 1) {
        std::fill_n(profile.begin(), hardLength - 1, Heights::Impassable);
        profile[hardLength - 1] = fraction > 0.0 ? Heights::FractionalRing : Heights::Impassable;
    }
    const double ramp = static_cast<double>(rampLength);
    for (std::uint64_t k = 0; k < rampLength; ++k)
        profile[hardLength + k] =
            static_cast<std::uint8_t>(static_cast<double>(rampLength - k) * Heights::HighestRamp / ramp);
    return profile;
}

void ErodeTerrain(Terrain& terrain, const std::vector<std::uint8_t>& profile) {
    if (RowCount(terrain) == 0 || profile.empty()) return;
    // The narrowest distance type that holds every distance a sweep needs.
    const std::uint64_t cap = std::min<std::uint64_t>(profile.size(), GridDiameter(terrain)) + 1;
    if (cap <= std::numeric_limits<std::uint8_t>::max())
        ErodeRuns<std::uint8_t>(terrain, profile);
    else if (cap <= std::numeric_limits<std::uint16_t>::max())
        ErodeRuns<std::uint16_t>(terrain, profile);
    else
        ErodeRuns<std::uint32_t>(terrain, profile);
}

}  // namespace Zalvo::Detail
