// zalvo_compare: the library's search and terrain creation side by side with
// the alternatives, on the same generated inputs. bench/compare/run.sh runs
// the whole comparison; the modes:
//
//   zalvo_compare grids DIR [--quick]
//       writes the search grids (raw heights, column after column) and an
//       index grids.tsv for the scikit-image script
//   zalvo_compare table [--quick] [--repetitions N] [--skimage FILE] [--memory FILE]
//       times everything, prints one table, and exits with 1 when the tools
//       disagree on a result
//   zalvo_compare once search|terrain COLUMNS ROWS
//       one call on a generated input; prints the resident size before it and
//       the peak during it (KiB)
#include "Comparisons.h"
#include "Grids.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace ZalvoCompare;

struct TableOptions {
    bool quick = false;
    int repetitions = 5;
    std::string skimage;
    std::string memory;
};

TableOptions ParseTableOptions(const std::vector<std::string>& arguments) {
    TableOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--quick") {
            options.quick = true;
            continue;
        }
        if (i + 1 >= arguments.size()) throw std::invalid_argument("missing value after " + argument);
        const std::string& value = arguments[++i];
        if (argument == "--repetitions")
            options.repetitions = std::stoi(value);
        else if (argument == "--skimage")
            options.skimage = value;
        else if (argument == "--memory")
            options.memory = value;
        else
            throw std::invalid_argument("unknown option " + argument);
    }
    if (options.repetitions < 1) throw std::invalid_argument("--repetitions needs at least 1");
    return options;
}

int WriteGrids(const std::string& directory, bool quick) {
    std::ofstream index(directory + "/grids.tsv");
    for (const Size& size : SearchSizes(quick)) {
        const std::string path =
            directory + "/grid-" + std::to_string(size.columns) + "x" + std::to_string(size.rows) + ".u8";
        WriteHeights(MakeRampTerrain(size.columns, size.rows, SearchSeed(size)), path);
        index << size.Label() << '\t' << size.columns << '\t' << size.rows << '\t' << path << '\n';
    }
    return index ? 0 : 1;
}

int PrintTable(const TableOptions& options) {
    Report report;
    const auto skimage = ReadTabSeparated(options.skimage);
    const std::vector<Size> sizes = SearchSizes(options.quick);
    for (const Size& size : sizes) {
        std::cerr << "comparing searches on " << size.Label() << " ..." << std::endl;
        CompareSearch(size, options.repetitions, skimage, &size == &sizes.back(), report);
    }
    std::cerr << "comparing erosions ..." << std::endl;
    CompareTerrain(PlateSize(options.quick), options.repetitions, report);
    AddMemoryRows(ReadTabSeparated(options.memory), report);
    PrintReport(std::cout, report);
    return report.resultsAgree ? 0 : 1;
}

int Usage() {
    std::cerr << "usage: zalvo_compare grids DIR [--quick]\n"
                 "       zalvo_compare table [--quick] [--repetitions N] [--skimage FILE] [--memory FILE]\n"
                 "       zalvo_compare once search|terrain COLUMNS ROWS\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        if (arguments.size() >= 2 && arguments[0] == "grids")
            return WriteGrids(arguments[1], arguments.size() == 3 && arguments[2] == "--quick");
        if (!arguments.empty() && arguments[0] == "table")
            return PrintTable(ParseTableOptions({arguments.begin() + 1, arguments.end()}));
        if (arguments.size() == 4 && arguments[0] == "once")
            return RunOnce(arguments[1], {std::stoi(arguments[2]), std::stoi(arguments[3])});
    } catch (const std::exception& error) {
        std::cerr << "zalvo_compare: " << error.what() << '\n';
        return 2;
    }
    return Usage();
}
