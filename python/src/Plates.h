// The two kinds of plate create_terrain accepts: numpy masks, read in C++
// without the GIL, and any Python object with the plate's methods.
#pragma once

#include "Arrays.h"
#include "input/PlateImage.h"

#include <optional>
#include <string>

namespace ZalvoPython {

// What the library was told about the plate, for messages about its size.
struct PlateRecord {
    std::optional<std::int32_t> columns;
    std::optional<std::int32_t> rows;
    std::optional<double> resolution;

    std::string Describe(double minimumMilliPoints, double preferredMilliPoints) const;
};

class MaskPlate final : public Zalvo::PlateInterface {
public:
    MaskPlate(const Grid<std::uint8_t>& occupied, double resolution) : occupied_(occupied), resolution_(resolution) {}

    double GetResolution() const override { return resolution_; }
    std::int32_t GetPixelColumnCount() const override { return occupied_.columns; }
    std::int32_t GetPixelRowCount() const override { return occupied_.rows; }
    std::int32_t GetContentCount() const override { return ZalvoPlan::CountOccupiedPixels(*this); }
    bool IsPixelOnContentEdge(const Zalvo::Pixel& pixel) const override {
        return ZalvoPlan::IsOccupiedPixelOnEdge(*this, pixel);
    }
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override {
        return occupied_.Contains(pixel) && occupied_.At(pixel.x, pixel.y) != 0;
    }

private:
    CellView<std::uint8_t> occupied_;
    double resolution_;
};

// Calls the object's get_resolution, get_pixel_column_count,
// get_pixel_row_count, get_content_count, is_pixel_on_content_edge((x, y))
// and is_pixel_occupied((x, y)), with the GIL held, and records what the
// counts and the resolution were.
class PythonPlate final : public Zalvo::PlateInterface {
public:
    explicit PythonPlate(py::object plate) : plate_(std::move(plate)) {}

    double GetResolution() const override;
    std::int32_t GetPixelColumnCount() const override;
    std::int32_t GetPixelRowCount() const override;
    std::int32_t GetContentCount() const override;
    bool IsPixelOnContentEdge(const Zalvo::Pixel& pixel) const override;
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override;

    const PlateRecord& Record() const { return record_; }

private:
    py::object Call(const char* method) const;
    py::object Call(const char* method, const Zalvo::Pixel& pixel) const;

    py::object plate_;
    mutable PlateRecord record_;
};

}  // namespace ZalvoPython
