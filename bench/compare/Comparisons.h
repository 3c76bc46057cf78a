// The two side-by-side comparisons and the single runs measured for memory.
#pragma once

#include "Report.h"

#include "search/PlateFamilies.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ZalvoCompare {

// Search grids of the comparison; the quick set only checks that everything
// runs.
std::vector<Size> SearchSizes(bool quick);
Size PlateSize(bool quick);

// The seed of the generated search grid of `size`, so that every tool and the
// scikit-image script see the same grid.
std::uint64_t SearchSeed(const Size& size);
std::uint64_t PlateSeed(const Size& size);

// Times the library's search, the literal reference, the textbook Dijkstra
// (settling everything, and stopping early), the Boost Graph Library and the
// floor on the grid of `size`, interleaving the tools in each of `repetitions`
// rounds. `skimage` holds the script's line for each size label: setup and
// search nanoseconds per cell, best cost. With `checkTargets` the speed
// targets are checked on this size.
void CompareSearch(const Size& size, int repetitions, const std::map<std::string, std::vector<std::string>>& skimage,
                   bool checkTargets, Report& report);

// The cost of `path` summed as the library's search sums it: the first cell
// with one straight step, then per cell (height cost + (cost so far + step))
// + penalty.
double PathCost(const Zalvo::Terrain& terrain, const std::vector<Zalvo::Pixel>& path,
                const Zalvo::PixelCostFunction& penalty);

// A plate family of the suite, with the sizes it is run at.
struct SuiteFamily {
    ZalvoTest::PlateFamily family;
    Size timed;     // where the searches are timed
    Size measured;  // where the library's peak memory is measured
    std::size_t index = 0;

    // Its label in the driver's memory lines.
    std::string MemoryKey() const;
};

// The families of the suite; the quick set shrinks them, `large` adds a
// 72-megapixel plate.
std::vector<SuiteFamily> SuiteFamilies(bool quick, bool large);
std::uint64_t FamilySeed(const SuiteFamily& family, const Size& size);

// Times the library against the bounded textbook Dijkstra on every family,
// alternating the two in each of `repetitions` rounds, and checks the ratio
// and memory targets. `memory` holds the driver's lines for the families'
// single runs. A non-empty `only` (a memory label) times that family alone.
void CompareSuite(bool quick, bool large, const std::string& only, int repetitions,
                  const std::map<std::string, std::vector<std::string>>& memory, Report& report);

// Times CreateTerrain, the library's erosion and the literal erosion on a
// generated plate of `size` for thin (2 / 6 px) and thick (32 / 96 px) margins.
void CompareTerrain(const Size& size, int repetitions, Report& report);

// Adds the peak memory rows from the driver's lines: label, process peak
// (`/usr/bin/time -v`), resident size before the call and peak during it
// (KiB, from RunOnce), columns, rows.
void AddMemoryRows(const std::map<std::string, std::vector<std::string>>& memory, Report& report);

// One run for a peak-memory measurement: "search" (FindShortestPixelPath) or
// "terrain" (CreateTerrain, 32 / 96 px) once on a generated input of `size`,
// or "family-N" (FindShortestPixelPath on the suite's family N, measured size;
// `size` is ignored). Prints the resident size before the call and the peak
// during it (KiB), and for a family its size.
int RunOnce(const std::string& what, const Size& size, bool quick, bool large);

}  // namespace ZalvoCompare
