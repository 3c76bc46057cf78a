#include "support/FakePlate.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

namespace ZalvoTest {

using Zalvo::Pixel;

FakePlate::FakePlate(std::int32_t columns, std::int32_t rows, double resolution)
    : columns_(columns), rows_(rows), resolution_(resolution) {
    if (columns > 0 && rows > 0) {
        classes_.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), PixelClass::Free);
    }
}

FakePlate FakePlate::FromRows(std::initializer_list<std::string> rows, double resolution) {
    const std::size_t width = rows.size() == 0 ? 0 : rows.begin()->size();
    FakePlate plate(static_cast<std::int32_t>(width), static_cast<std::int32_t>(rows.size()), resolution);
    std::int32_t y = 0;
    for (const std::string& row : rows) {
        if (row.size() != width) throw std::invalid_argument("FakePlate rows differ in length");
        for (std::size_t x = 0; x < width; ++x) {
            const char c = row[x];
            const Pixel pixel{static_cast<std::int32_t>(x), y};
            if (c == 'M') {
                plate.classes_[plate.IndexOf(pixel)] = PixelClass::Crossable;
            } else if (c == 'X') {
                plate.classes_[plate.IndexOf(pixel)] = PixelClass::Impassable;
            } else if (c != '.') {
                throw std::invalid_argument(std::string("FakePlate: unknown pixel '") + c + "'");
            }
        }
        ++y;
    }
    return plate;
}

std::size_t FakePlate::IndexOf(const Pixel& pixel) const {
    if (pixel.x < 0 || pixel.x >= columns_ || pixel.y < 0 || pixel.y >= rows_)
        throw std::out_of_range("FakePlate: pixel off the plate");
    return static_cast<std::size_t>(pixel.y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(pixel.x);
}

void FakePlate::Record(Member member, const Pixel& pixel) const {
    calls_.push_back({member, pixel});
    if (hook_) hook_(calls_.back());
}

Zalvo::ImpassableFunction FakePlate::IsImpassableFunction() const {
    return [this](const Pixel& pixel) {
        Record(Member::IsImpassable, pixel);
        return classes_[IndexOf(pixel)] == PixelClass::Impassable;
    };
}

std::size_t FakePlate::CountOf(Member member) const {
    return static_cast<std::size_t>(
        std::count_if(calls_.begin(), calls_.end(), [member](const Call& call) { return call.member == member; }));
}

double FakePlate::GetResolution() const {
    Record(Member::GetResolution);
    return resolution_;
}

std::int32_t FakePlate::GetPixelColumnCount() const {
    Record(Member::GetPixelColumnCount);
    return columns_;
}

std::int32_t FakePlate::GetPixelRowCount() const {
    Record(Member::GetPixelRowCount);
    return rows_;
}

std::int32_t FakePlate::GetContentCount() const {
    Record(Member::GetContentCount);
    return 0;
}

bool FakePlate::IsPixelOnContentEdge(const Pixel& pixel) const {
    Record(Member::IsPixelOnContentEdge, pixel);
    return false;
}

bool FakePlate::IsPixelOccupied(const Pixel& pixel) const {
    Record(Member::IsPixelOccupied, pixel);
    return classes_[IndexOf(pixel)] != PixelClass::Free;
}

std::ostream& operator<<(std::ostream& out, FakePlate::Member member) {
    switch (member) {
        case FakePlate::Member::GetResolution: return out << "GetResolution";
        case FakePlate::Member::GetPixelColumnCount: return out << "GetPixelColumnCount";
        case FakePlate::Member::GetPixelRowCount: return out << "GetPixelRowCount";
        case FakePlate::Member::GetContentCount: return out << "GetContentCount";
        case FakePlate::Member::IsPixelOnContentEdge: return out << "IsPixelOnContentEdge";
        case FakePlate::Member::IsPixelOccupied: return out << "IsPixelOccupied";
        case FakePlate::Member::IsImpassable: return out << "isImpassable";
    }
    return out << "?";
}

std::ostream& operator<<(std::ostream& out, const FakePlate::Call& call) {
    return out << call.member << "(" << call.pixel.x << ", " << call.pixel.y << ")";
}

}  // namespace ZalvoTest
