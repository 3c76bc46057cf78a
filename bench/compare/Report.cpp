#include "Report.h"

#include <fstream>
#include <iomanip>
#include <sstream>

namespace ZalvoCompare {
namespace {

std::string Optional(const std::optional<double>& value, int decimals, const std::string& suffix = "") {
    return value ? Fixed(*value, decimals) + suffix : "";
}

std::string Millions(std::uint64_t count) { return Fixed(static_cast<double>(count) / 1e6, 2) + " M"; }

void PrintSuite(std::ostream& out, const std::vector<SuiteRow>& suite) {
    out << "| plate family | input | Zalvo CPU ns per cell | bounded textbook CPU ns per cell | Zalvo / bounded "
           "textbook | Zalvo's keys replayed without an open list / bounded textbook | penalty calls, Zalvo / "
           "textbook | search peak, bytes per cell above the input | result "
           "|\n|---|---|---:|---:|---:|---:|---:|---|---|\n";
    for (const SuiteRow& row : suite)
        out << "| " << row.family << " | " << row.input << " | " << Fixed(row.zalvoNanosecondsPerCell, 1) << " | "
            << Fixed(row.boundedNanosecondsPerCell, 1) << " | " << Fixed(row.Ratio(), 2) << " | "
            << Fixed(row.ReplayRatio(), 2) << " | " << Millions(row.zalvoPenaltyCalls) << " / "
            << Millions(row.boundedPenaltyCalls) << " | " << row.peak << " | " << row.result << " |\n";
    out << '\n';
}

}  // namespace

std::string Fixed(double value, int decimals) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

std::string Size::Label() const { return std::to_string(columns) + " x " + std::to_string(rows); }

std::string FormatCost(double cost) {
    std::ostringstream text;
    text << std::setprecision(17) << cost;
    return text.str();
}

void PrintReport(std::ostream& out, const Report& report) {
    if (!report.suite.empty()) PrintSuite(out, report.suite);
    out << "| measurement | input | CPU ns per cell (median) | x Zalvo | result |\n|---|---|---:|---:|---|\n";
    for (const Row& row : report.rows)
        out << "| " << row.measurement << " | " << row.input << " | " << Optional(row.nanosecondsPerCell, 1) << " | "
            << Optional(row.ratio, 2) << " | " << row.result << " |\n";
    out << "\nTargets (ratios from this run):\n";
    for (const Target& target : report.targets)
        out << "- " << target.description << ": " << Fixed(target.value, 2)
            << (target.atMost ? " (at most " : " (at least ") << Fixed(target.bound, 2)
            << "): " << (target.Holds() ? "holds" : "MISSED") << '\n';
    out << (report.resultsAgree ? "\nAll compared results agree.\n"
                                : "\nRESULTS DISAGREE: see the rows marked DIFFERENT.\n");
}

std::map<std::string, std::vector<std::string>> ReadTabSeparated(const std::string& path) {
    std::map<std::string, std::vector<std::string>> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string label;
        if (!std::getline(fields, label, '\t') || label.empty()) continue;
        std::vector<std::string>& values = lines[label];
        for (std::string field; std::getline(fields, field, '\t');) values.push_back(field);
    }
    return lines;
}

}  // namespace ZalvoCompare
