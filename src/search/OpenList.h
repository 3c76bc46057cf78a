// The open list of the cheapest-line search.
//
// Entries are filings of pixels under a key (g, f): f ascending, then g
// descending, and two keys are the same only when both doubles compare
// equal (so -0.0 and 0.0 are one key). One key may be filed many times, once
// per pixel; taking a key takes all of its filings at once, and filings of
// the same key made while its pixels are expanded form it anew.
//
// With penalties of zero or more, f never falls along a chain (a step right
// costs at least the 1 it takes off the columns left), so the keys taken
// off rise monotonically. That makes a radix heap fit: filings are bucketed
// by the highest bit in which their f differs from the last f taken, and a
// filing moves only towards lower buckets, a few times over its life,
// through sequential vectors instead of the random walk of a comparison
// heap's sift-down. The bits of a positive double order like its value.
//
// Filings that break the order (f at or below zero, or below the last f
// taken: negative penalties, or an ulp of rounding) go to a small 4-ary heap
// instead. All of them lie strictly below every bucketed f, so they are
// always taken first and no key is ever split between the two.
#pragma once

#include <zalvo/zalvo.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zalvo::Detail {

// A pixel filed in the open list, with the number of cells of the chain
// whose cost it was filed with.
struct Filing {
    Pixel pixel;
    std::uint64_t cells;
};

struct OpenEntry {
    double f;
    double g;
    Filing filing;
};

inline bool ComesBefore(const OpenEntry& a, const OpenEntry& b) {
    return a.f < b.f || (a.f == b.f && a.g > b.g);
}

inline bool SameKey(const OpenEntry& a, const OpenEntry& b) { return a.f == b.f && a.g == b.g; }

struct OpenList {
    // Bucket 0 holds the filings whose f has exactly the bits `floorBits`,
    // as a heap with the largest g on top; bucket i > 0 those whose f
    // differs from `floorBits` first in bit i - 1 (counting from the least
    // significant). Bit 63, the sign, is zero for all of them.
    std::array<std::vector<OpenEntry>, 64> buckets;
    std::uint64_t floorBits = 0;
    std::size_t bucketed = 0;
    // The filings below the floor, as a 4-ary heap in ComesBefore order.
    std::vector<OpenEntry> belowFloor;
};

void FileEntry(OpenList& open, const Filing& filing, double g, double f);

inline bool IsEmpty(const OpenList& open) { return open.bucketed == 0 && open.belowFloor.empty(); }

void ClearOpenList(OpenList& open);

// The cheapest entry of a non-empty list. Not const: it may first move the
// lowest bucket's filings down so that the cheapest key lies in bucket 0.
const OpenEntry& PeekCheapest(OpenList& open);

// Removes every filing of the cheapest key of a non-empty list, appends its
// pixels to `batch` (in no particular order) and returns the key.
OpenEntry TakeCheapestKey(OpenList& open, std::vector<Filing>& batch);

// A filing of the cheapest f, which is taken next unless a cheaper one is
// filed first; null when none can be found cheaply. For prefetching only.
const Filing* UpcomingFiling(OpenList& open);

}  // namespace Zalvo::Detail
