// zalvo_compare: the library's search and terrain creation side by side with
// the alternatives, on the same generated inputs. bench/compare/run.sh runs
// the whole comparison; the modes:
//
//   zalvo_compare grids DIR [--quick]
//       writes the search grids (raw heights, column after column) and an
//       index grids.tsv for the scikit-image script
//   zalvo_compare families [--quick] [--large]
//       lists the memory labels of the suite's plate families, one a line
//   zalvo_compare table [--quick] [--large] [--repetitions N] [--skimage FILE] [--memory FILE]
//                       [--suite-only] [--family family-N]
//       times everything, prints the suite's table and the side-by-side
//       table, and exits with 1 when the tools disagree on a result; the last
//       two options time only the suite, or only one family of it (for
//       profiling one plate)
//   zalvo_compare once search|terrain COLUMNS ROWS
//       one call on a generated input; prints the resident size before it and
//       the peak during it (KiB)
//   zalvo_compare once family-N [--quick] [--large]
//       one search on the suite's family N at its memory size; prints the
//       resident size before it, the peak during it (KiB) and the size
#include "Comparisons.h"
#include "Grids.h"

#include <algorithm>
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
    bool large = false;
    bool suiteOnly = false;
    int repetitions = 5;
    std::string skimage;
    std::string memory;
    std::string family;  // only the family of this memory label (family-N)
};

TableOptions ParseTableOptions(const std::vector<std::string>& arguments) {
    TableOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--quick" || argument == "--large") {
            (argument == "--quick" ? options.quick : options.large) = true;
            continue;
        }
        if (argument == "--suite-only") {
            options.suiteOnly = true;
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
        else if (argument == "--family")
            options.family = value;
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
    const auto memory = ReadTabSeparated(options.memory);
    CompareSuite(options.quick, options.large, options.family, options.repetitions, memory, report);
    if (options.suiteOnly) {
        PrintReport(std::cout, report);
        return report.resultsAgree ? 0 : 1;
    }
    const std::vector<Size> sizes = SearchSizes(options.quick);
    for (const Size& size : sizes) {
        std::cerr << "comparing searches on " << size.Label() << " ..." << std::endl;
        CompareSearch(size, options.repetitions, skimage, &size == &sizes.back(), report);
    }
    std::cerr << "comparing erosions ..." << std::endl;
    CompareTerrain(PlateSize(options.quick), options.repetitions, report);
    AddMemoryRows(memory, report);
    PrintReport(std::cout, report);
    return report.resultsAgree ? 0 : 1;
}

bool HasFlag(const std::vector<std::string>& arguments, const std::string& flag) {
    return std::find(arguments.begin(), arguments.end(), flag) != arguments.end();
}

int ListFamilies(bool quick, bool large) {
    for (const SuiteFamily& family : SuiteFamilies(quick, large)) std::cout << family.MemoryKey() << '\n';
    return 0;
}

int Usage() {
    std::cerr << "usage: zalvo_compare grids DIR [--quick]\n"
                 "       zalvo_compare families [--quick] [--large]\n"
                 "       zalvo_compare table [--quick] [--large] [--repetitions N] [--skimage FILE] [--memory FILE]\n"
                 "                           [--suite-only] [--family family-N]\n"
                 "       zalvo_compare once search|terrain COLUMNS ROWS\n"
                 "       zalvo_compare once family-N [--quick] [--large]\n";
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
        const bool quick = HasFlag(arguments, "--quick");
        const bool large = HasFlag(arguments, "--large");
        if (!arguments.empty() && arguments[0] == "families") return ListFamilies(quick, large);
        if (arguments.size() >= 2 && arguments[0] == "once" && arguments[1].rfind("family-", 0) == 0)
            return RunOnce(arguments[1], {}, quick, large);
        if (arguments.size() == 4 && arguments[0] == "once")
            return RunOnce(arguments[1], {std::stoi(arguments[2]), std::stoi(arguments[3])}, false, false);
    } catch (const std::exception& error) {
        std::cerr << "zalvo_compare: " << error.what() << '\n';
        return 2;
    }
    return Usage();
}
