// The open list on its own: whatever order keys are filed in (rising, as a
// search with penalties of zero or more files them, or falling back below
// the last key taken), each take must return the cheapest remaining key and
// exactly the filings of that key, and the prefetch hint must point at a
// filing of the cheapest f. Checked against a plain list of all
// filings, with keys drawn from a small set so that ties are common.
#include "search/OpenList.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace ZalvoTest {
namespace {

using Zalvo::Pixel;
using namespace Zalvo::Detail;

struct Model {
    std::vector<OpenEntry> entries;

    OpenEntry Cheapest() const {
        return *std::min_element(entries.begin(), entries.end(), ComesBefore);
    }
    // Removes the filings of `key` and returns their pixels, sorted.
    std::vector<Pixel> Take(const OpenEntry& key) {
        std::vector<Pixel> taken;
        for (const OpenEntry& entry : entries)
            if (SameKey(entry, key)) taken.push_back(entry.filing.pixel);
        std::erase_if(entries, [&key](const OpenEntry& entry) { return SameKey(entry, key); });
        std::sort(taken.begin(), taken.end());
        return taken;
    }
};

// Near the last key taken, mostly just above it, sometimes below; with
// signed zeros, negative keys, infinity and a wide range of magnitudes.
double KeyNear(std::mt19937& random, double last) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double near = std::isfinite(last) ? last : 1.0;
    switch (random() % 12) {
        case 0: return 0.0;
        case 1: return -0.0;
        case 2: return -static_cast<double>(random() % 4);
        case 3: return kInfinity;
        case 4: return near - static_cast<double>(random() % 3) * 0.5;
        case 5: return std::nextafter(near, -kInfinity);
        case 6: return near * 1e6;
        default: return near + static_cast<double>(random() % 6) * 0.25;
    }
}

class OpenListAgainstModel : public testing::TestWithParam<std::uint32_t> {};

TEST_P(OpenListAgainstModel, TakesTheCheapestKeyWithAllItsFilings) {
    std::mt19937 random(GetParam());
    OpenList open;
    Model model;
    double last = 1.0;
    std::int32_t nextPixel = 0;
    for (int step = 0; step < 3000; ++step) {
        if (model.entries.empty() || random() % 3 != 0) {
            const double f = KeyNear(random, last);
            const double g = random() % 8 == 0 ? -0.0 : static_cast<double>(random() % 3);
            const Filing filing{Pixel{nextPixel++, static_cast<std::int32_t>(random() % 5)}, 1};
            FileEntry(open, filing, g, f);
            model.entries.push_back(OpenEntry{f, g, filing});
            continue;
        }
        ASSERT_FALSE(IsEmpty(open));
        const OpenEntry expected = model.Cheapest();
        // The prefetch hint, when there is one, is a filing of the cheapest f.
        if (const Filing* upcoming = UpcomingFiling(open)) {
            const auto hinted = std::find_if(model.entries.begin(), model.entries.end(),
                                             [upcoming](const OpenEntry& e) { return e.filing.pixel == upcoming->pixel; });
            ASSERT_NE(hinted, model.entries.end());
            EXPECT_EQ(hinted->f, expected.f) << "step " << step;
        }
        std::vector<Filing> batch;
        const OpenEntry key = TakeCheapestKey(open, batch);
        ASSERT_TRUE(SameKey(key, expected)) << "step " << step << ": took f " << key.f << " g " << key.g
                                            << ", expected f " << expected.f << " g " << expected.g;
        std::vector<Pixel> pixels;
        for (const Filing& filing : batch) pixels.push_back(filing.pixel);
        std::sort(pixels.begin(), pixels.end());
        ASSERT_EQ(pixels, model.Take(expected)) << "step " << step;
        last = key.f;
    }
    EXPECT_EQ(IsEmpty(open), model.entries.empty());
    ClearOpenList(open);
    EXPECT_TRUE(IsEmpty(open));
    EXPECT_EQ(UpcomingFiling(open), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Seeds, OpenListAgainstModel, testing::Range<std::uint32_t>(1, 41));

}  // namespace
}  // namespace ZalvoTest
