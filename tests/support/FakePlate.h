// A plate held in memory for tests: a pixel class per pixel, and a record of every call the library makes on it (and
// on the isImpassable callable it hands out), in order.
#pragma once

#include <zalvo/zalvo.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

namespace ZalvoTest {

enum class PixelClass : std::uint8_t { Free, Crossable, Impassable };

class FakePlate : public Zalvo::PlateInterface {
public:
    enum class Member : std::uint8_t {
        GetResolution,
        GetPixelColumnCount,
        GetPixelRowCount,
        GetContentCount,
        IsPixelOnContentEdge,
        IsPixelOccupied,
        IsImpassable,  // the callable from IsImpassableFunction()
    };

    struct Call {
        Member member;
        Zalvo::Pixel pixel;  // {0, 0} for members without a pixel
        friend bool operator==(const Call&, const Call&) = default;
    };

    // All pixels free. Negative counts are reported as they are, and the plate then has no pixels at all.
    FakePlate(std::int32_t columns, std::int32_t rows, double resolution = 72.0);

    // One string per row, one character per column: '.' free, 'M' crossable,
    // 'X' impassable (the characters of the terrain dump).
    static FakePlate FromRows(std::initializer_list<std::string> rows, double resolution = 72.0);

    // Called before each recorded call returns its answer; may throw to play a failing host.
    void SetCallHook(std::function<void(const Call&)> hook) { hook_ = std::move(hook); }

    // Answers from the pixel classes and records its calls on this plate. The plate must outlive the callable.
    Zalvo::ImpassableFunction IsImpassableFunction() const;

    const std::vector<Call>& Calls() const { return calls_; }
    std::size_t CountOf(Member member) const;

    double GetResolution() const override;
    std::int32_t GetPixelColumnCount() const override;
    std::int32_t GetPixelRowCount() const override;
    std::int32_t GetContentCount() const override;
    bool IsPixelOnContentEdge(const Zalvo::Pixel& pixel) const override;
    bool IsPixelOccupied(const Zalvo::Pixel& pixel) const override;

private:
    void Record(Member member, const Zalvo::Pixel& pixel = {}) const;
    // Throws for a pixel off the plate: the library asked for one.
    std::size_t IndexOf(const Zalvo::Pixel& pixel) const;

    std::int32_t columns_;
    std::int32_t rows_;
    double resolution_;
    std::vector<PixelClass> classes_;  // row by row
    std::function<void(const Call&)> hook_;
    mutable std::vector<Call> calls_;
};

std::ostream& operator<<(std::ostream& out, FakePlate::Member member);
std::ostream& operator<<(std::ostream& out, const FakePlate::Call& call);

}  // namespace ZalvoTest
