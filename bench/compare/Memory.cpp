#include "Comparisons.h"
#include "Grids.h"

#include <malloc.h>

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace ZalvoCompare {
namespace {

constexpr double BytesPerKilobyte = 1024.0;  // the kernel and /usr/bin/time count KiB
constexpr double BytesPerMegabyte = 1e6;

std::string Megabytes(double kilobytes) { return Fixed(kilobytes * BytesPerKilobyte / BytesPerMegabyte, 0) + " MB"; }

// A "VmRSS:" or "VmHWM:" value of /proc/self/status, in KiB.
double StatusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1));
    throw std::runtime_error("no " + field + " in /proc/self/status");
}

// Releases what building the input left behind and restarts the kernel's
// peak counter, so that the next peak belongs to the call alone.
double SettleAndResetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKilobytes("VmRSS");
}

// The driver's line for `what`: process peak (time -v), resident size before
// the call, peak during it (KiB), columns, rows.
void AddMemoryRow(const std::map<std::string, std::vector<std::string>>& memory, const std::string& what,
                  const std::string& measurement, const std::string& unitNote, Report& report) {
    const auto run = memory.find(what);
    if (run == memory.end() || run->second.size() < 5) {
        report.rows.push_back({measurement, "", {}, {}, "not measured"});
        return;
    }
    const std::vector<std::string>& fields = run->second;
    const Size size{std::stoi(fields[3]), std::stoi(fields[4])};
    const double before = std::stod(fields[1]);
    const double during = std::stod(fields[2]);
    report.rows.push_back({measurement,
                           size.Label(),
                           {},
                           {},
                           "peak " + Megabytes(during) + " during the call, " + Megabytes(before) + " before it: " +
                               Fixed((during - before) * BytesPerKilobyte / size.Cells(), 1) + " bytes per cell " +
                               unitNote + "; process peak " + Megabytes(std::stod(fields[0])) + " (time -v)"});
}

}  // namespace

void AddMemoryRows(const std::map<std::string, std::vector<std::string>>& memory, Report& report) {
    AddMemoryRow(memory, "search", "peak memory, Zalvo FindShortestPixelPath", "for the search (target about 9)",
                 report);
    AddMemoryRow(memory, "terrain", "peak memory, Zalvo CreateTerrain 32 / 96 px",
                 "for the creation (the grid itself is 1)", report);
}

int RunOnce(const std::string& what, const Size& size, bool quick, bool large) {
    if (what.rfind("family-", 0) == 0) {
        const std::vector<SuiteFamily> families = SuiteFamilies(quick, large);
        const SuiteFamily& family = families.at(std::stoul(what.substr(what.find('-') + 1)));
        const Size& measured = family.measured;
        const Zalvo::Terrain terrain =
            ZalvoTest::MakeFamilyTerrain(family.family, measured.columns, measured.rows, FamilySeed(family, measured));
        const Zalvo::PixelCostFunction penalty = ZalvoTest::FamilyPenalty(family.family, terrain);
        const double before = SettleAndResetPeak();
        const auto path = Zalvo::FindShortestPixelPath(terrain, penalty);
        std::cout << before << '\t' << StatusKilobytes("VmHWM") << '\t' << measured.columns << '\t' << measured.rows
                  << '\n';
        return 0;
    }
    if (what == "search") {
        const Zalvo::Terrain terrain = MakeRampTerrain(size.columns, size.rows, SearchSeed(size));
        const double before = SettleAndResetPeak();
        const auto path = Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
        std::cout << before << '\t' << StatusKilobytes("VmHWM") << '\n';
        return path ? 0 : 1;
    }
    if (what == "terrain") {
        const ZalvoTest::DrawnPlate plate = ZalvoTest::MakeLabelPlate(size.columns, size.rows, 72.0, PlateSeed(size));
        const double before = SettleAndResetPeak();
        const Zalvo::Terrain terrain = Zalvo::CreateTerrain(plate, plate.ImpassableFunction(), {},
                                                            Zalvo::MilliPoints(32'000.0), Zalvo::MilliPoints(96'000.0));
        std::cout << before << '\t' << StatusKilobytes("VmHWM") << '\n';
        return terrain.empty() ? 1 : 0;
    }
    throw std::invalid_argument("unknown single run: " + what);
}

}  // namespace ZalvoCompare
