// The one table that the comparison prints, and the targets it checks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ZalvoCompare {

struct Size {
    std::int32_t columns = 0;
    std::int32_t rows = 0;

    // "4000 x 2000"
    std::string Label() const;
    double Cells() const { return static_cast<double>(columns) * static_cast<double>(rows); }
};

struct Row {
    std::string measurement;
    std::string input;
    std::optional<double> nanosecondsPerCell;
    std::optional<double> ratio;  // to the row's Zalvo measurement
    std::string result;
};

// A ratio measured in the run and the bound it must keep.
struct Target {
    std::string description;
    double value = 0.0;
    double bound = 0.0;
    bool atMost = true;  // value <= bound; otherwise value >= bound

    bool Holds() const { return atMost ? value <= bound : value >= bound; }
};

// One plate family of the suite: the library against the bounded textbook.
struct SuiteRow {
    std::string family;
    std::string input;  // size, resolution, margins, penalty
    double zalvoNanosecondsPerCell = 0.0;
    double boundedNanosecondsPerCell = 0.0;
    // The library's recorded keys replayed without an open list: what no
    // open list can go below.
    double replayNanosecondsPerCell = 0.0;
    std::uint64_t zalvoPenaltyCalls = 0;
    std::uint64_t boundedPenaltyCalls = 0;
    std::string peak;  // the search's peak bytes per cell above its input, or why not measured
    std::string result;

    double Ratio() const { return zalvoNanosecondsPerCell / boundedNanosecondsPerCell; }
    double ReplayRatio() const { return replayNanosecondsPerCell / boundedNanosecondsPerCell; }
};

struct Report {
    std::vector<SuiteRow> suite;
    std::vector<Row> rows;
    std::vector<Target> targets;
    bool resultsAgree = true;
};

void PrintReport(std::ostream& out, const Report& report);

// "label<TAB>field<TAB>field..." lines, as the scikit-image script and the
// driver's memory measurements write them; a missing file gives no lines.
std::map<std::string, std::vector<std::string>> ReadTabSeparated(const std::string& path);

// All 17 significant digits, so that two costs print alike only when equal.
std::string FormatCost(double cost);
std::string Fixed(double value, int decimals);

}  // namespace ZalvoCompare
