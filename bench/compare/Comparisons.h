// The two side-by-side comparisons and the single runs measured for memory.
#pragma once

#include "Report.h"

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
void CompareSearch(const Size& size, int repetitions,
                   const std::map<std::string, std::vector<std::string>>& skimage, bool checkTargets,
                   Report& report);

// Times CreateTerrain, the library's erosion and the literal erosion on a
// generated plate of `size` for thin (2 / 6 px) and thick (32 / 96 px) margins.
void CompareTerrain(const Size& size, int repetitions, Report& report);

// Adds the peak memory rows from the driver's lines: label, process peak
// (`/usr/bin/time -v`), resident size before the call and peak during it
// (KiB, from RunOnce), columns, rows.
void AddMemoryRows(const std::map<std::string, std::vector<std::string>>& memory, Report& report);

// One run for a peak-memory measurement: "search" (FindShortestPixelPath) or
// "terrain" (CreateTerrain, 32 / 96 px) once on a generated input of `size`.
// Prints the resident size before the call and the peak during it (KiB).
int RunOnce(const std::string& what, const Size& size);

}  // namespace ZalvoCompare
