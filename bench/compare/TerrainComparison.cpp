#include "Alternatives.h"
#include "Comparisons.h"
#include "Grids.h"
#include "Timing.h"

#include "search/PlateFamilies.h"

#include "terrain/Erosion.h"
#include "terrain/ReferenceErosion.h"
#include "terrain/TerrainCreation.h"

#include <cmath>

namespace ZalvoCompare {
namespace {

struct Margins {
    const char* label;
    double minimumPixels;
    double preferredPixels;
    std::vector<std::uint8_t> profile;
    Samples create, erode, reference;
    bool sameAsReference = true;
};

// The generated plate has 72 pixels per inch, where a length in millipoints
// is 1000 x its length in pixels.
Zalvo::MilliPoints PixelsToMilliPoints(double pixels) { return Zalvo::MilliPoints(pixels * 1000.0); }

void RunRound(const ZalvoTest::DrawnPlate& plate, const Zalvo::ImpassableFunction& isImpassable,
              const Zalvo::Terrain& initial, Margins& margins, bool check) {
    const Zalvo::Terrain created = margins.create.Time([&] {
        return Zalvo::CreateTerrain(plate, isImpassable, {}, PixelsToMilliPoints(margins.minimumPixels),
                                    PixelsToMilliPoints(margins.preferredPixels));
    });
    Zalvo::Terrain eroded = initial;
    margins.erode.Time([&] {
        Zalvo::Detail::ErodeTerrain(eroded, margins.profile);
        return 0;
    });
    Zalvo::Terrain literal = initial;
    margins.reference.Time([&] {
        ZalvoTest::ReferenceErodeTerrain(literal, margins.profile);
        return 0;
    });
    // Without seeds no corridor is carved, so the whole creation must give
    // the eroded grid too.
    if (check) margins.sameAsReference = eroded == literal && created == eroded;
}

double ContentShare(const Zalvo::Terrain& initial) {
    double occupied = 0.0, cells = 0.0;
    for (const auto& column : initial) {
        for (const std::uint8_t height : column) occupied += height != 0 ? 1.0 : 0.0;
        cells += static_cast<double>(column.size());
    }
    return occupied / cells;
}

void AddMarginRows(const std::string& input, const Margins& margins, double floorNs, double cells, Report& report) {
    const auto perCell = [cells](const Samples& samples) { return samples.MedianNanoseconds() / cells; };
    const double erodeNs = perCell(margins.erode);
    if (!margins.sameAsReference) report.resultsAgree = false;
    report.rows.push_back(
        {"Zalvo erosion (ErodeTerrain)", input, erodeNs, 1.0,
         std::to_string(margins.profile.size()) + " profile entries; " + Fixed(erodeNs / floorNs, 2) + " x the floor"});
    report.rows.push_back({"literal ring-by-ring erosion (the tests' reference)", input, perCell(margins.reference),
                           perCell(margins.reference) / erodeNs,
                           margins.sameAsReference ? "same grid as Zalvo" : "grid DIFFERENT from Zalvo's"});
    report.rows.push_back({"Zalvo CreateTerrain (initial grid from the plate, erosion, corridors)", input,
                           perCell(margins.create), perCell(margins.create) / erodeNs, "ratio to the erosion alone"});
}

}  // namespace

Size PlateSize(bool quick) { return quick ? Size{800, 400} : Size{4000, 2000}; }

std::uint64_t PlateSeed(const Size& size) {
    return 0x9a1e'0000'0000ULL + static_cast<std::uint64_t>(size.columns) * 65'536U +
           static_cast<std::uint64_t>(size.rows);
}

void CompareTerrain(const Size& size, int repetitions, Report& report) {
    const ZalvoTest::DrawnPlate plate = ZalvoTest::MakeLabelPlate(size.columns, size.rows, 72.0, PlateSeed(size));
    const Zalvo::ImpassableFunction isImpassable = plate.ImpassableFunction();
    const Zalvo::Terrain initial = Zalvo::Detail::CreateInitialTerrain(plate, isImpassable);
    Margins thin{"2 / 6 px", 2.0, 6.0, {}, {}, {}, {}};
    Margins thick{"32 / 96 px", 32.0, 96.0, {}, {}, {}, {}};
    for (Margins* margins : {&thin, &thick})
        margins->profile =
            Zalvo::Detail::CreateErosionProfile(PixelsToMilliPoints(margins->minimumPixels),
                                                PixelsToMilliPoints(margins->preferredPixels), plate.GetResolution());
    Samples floor;
    for (int round = 0; round < repetitions; ++round) {
        floor.Time([&] { return ReadGridWriteTable(initial); });
        for (Margins* margins : {&thin, &thick}) RunRound(plate, isImpassable, initial, *margins, round == 0);
    }

    const double cells = size.Cells();
    const auto perCell = [cells](const Samples& samples) { return samples.MedianNanoseconds() / cells; };
    const std::string plateLabel = "plate " + size.Label();
    const double floorNs = perCell(floor);
    const double thickNs = perCell(thick.erode);
    report.rows.push_back({"floor: read every height, write one double per cell",
                           plateLabel,
                           floorNs,
                           {},
                           "content covers " + std::to_string(std::lround(100.0 * ContentShare(initial))) +
                               " % of the plate, " + std::to_string(plate.GetContentCount()) + " items"});
    for (const Margins* margins : {&thin, &thick})
        AddMarginRows(plateLabel + ", " + margins->label, *margins, floorNs, cells, report);
    report.targets.push_back(
        {"erosion 32 / 96 px / erosion 2 / 6 px on " + plateLabel, thickNs / perCell(thin.erode), 1.3, true});
    report.targets.push_back({"erosion 32 / 96 px / floor on " + plateLabel, thickNs / floorNs, 4.0, true});
}

}  // namespace ZalvoCompare
