// The generated inputs that every compared tool receives.
#pragma once

#include <zalvo/zalvo.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ZalvoCompare {

// The search's price of a cell height: ramps 0..251 cost h * 30 / 251,
// corridors 30, crossable content 100, the outermost margin ring 1e7 and
// impassable cells 1e9. Every alternative prices cells with this table, so
// their best costs are comparable with the library's.
const std::array<double, 256>& HeightCostTable();

// A plate-sized height grid: blobs of 255 covering a tenth of the cells (rows
// wrapping, like the search sees them) inside ramps that fall from 251 to 1
// over `rampWidth` cells, 0 elsewhere. The same seed gives the same grid.
Zalvo::Terrain MakeRampTerrain(std::int32_t columns, std::int32_t rows, std::uint64_t seed);

// The same grid as one array, column after column (index x * rows + y).
std::vector<std::uint8_t> Flatten(const Zalvo::Terrain& terrain);

// Writes the heights column after column as raw bytes, the layout that the
// scikit-image script reads back.
void WriteHeights(const Zalvo::Terrain& terrain, const std::string& path);

// A plate of labels on a sheet: shelves of rectangular items with gaps
// between them; an item is either a solid picture or lines of glyph strokes.
// Pictures are impassable, text is crossable on every third item.
class GeneratedPlate final : public Zalvo::PlateInterface {
public:
    GeneratedPlate(std::int32_t columns, std::int32_t rows, std::uint64_t seed);

    double GetResolution() const override { return 72.0; }
    std::int32_t GetPixelColumnCount() const override { return columns_; }
    std::int32_t GetPixelRowCount() const override { return rows_; }
    std::int32_t GetContentCount() const override { return contentCount_; }
    bool IsPixelOnContentEdge(const Zalvo::Pixel&) const override { return false; }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override { return Cell(pixel) != Free; }
    bool IsPixelImpassable(const Zalvo::Pixel& pixel) const { return Cell(pixel) == Impassable; }

private:
    enum Kind : std::uint8_t { Free, Crossable, Impassable };

    Kind Cell(const Zalvo::Pixel& pixel) const {
        return kinds_[static_cast<std::size_t>(pixel.y) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(pixel.x)];
    }
    void Fill(std::int32_t x, std::int32_t y, Kind kind) {
        kinds_[static_cast<std::size_t>(y) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(x)] = kind;
    }
    void PlacePicture(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    void PlaceText(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, Kind kind,
                   std::uint64_t seed);
    void PlaceTextLine(std::int32_t left, std::int32_t line, std::int32_t width, Kind kind,
                       std::mt19937_64& random);

    std::int32_t columns_;
    std::int32_t rows_;
    std::int32_t contentCount_ = 0;
    std::vector<Kind> kinds_;  // row after row, as the plate is asked
};

}  // namespace ZalvoCompare
