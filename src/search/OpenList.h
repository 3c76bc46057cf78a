// The open list of the cheapest-line search.
//
// Entries are filings of pixels under a key (g, f): f ascending, then g
// descending, and two keys are the same only when both doubles compare
// equal (so -0.0 and 0.0 are one key). One key may be filed many times, once
// per pixel; taking a key takes all of its filings at once, and filings of
// the same key made while its pixels are expanded form it anew.
//
// A filing's f is always (columns - 1 - x) + g, so the list stores only g,
// the pixel packed into 32 bits and the chain's length: 16 bytes a filing,
// and f is recomputed, bit for bit the same, where it is needed.
//
// With penalties of zero or more, f never falls along a chain (a step right
// costs at least the 1 it takes off the columns left), so the keys taken
// off rise monotonically. That makes a radix heap fit: filings are bucketed
// by the highest byte in which their f differs from the last f taken, and
// by their own value of that byte, and a filing moves only towards lower
// buckets, a couple of times over its life, through sequential runs of
// memory instead of the random walk of a comparison heap's sift-down. The
// bits of a positive double order like its value. The buckets above 0 are chains of fixed-size chunks drawn from one
// pool, and a bucket hands its chunks back as it is spread, so the list
// holds about as much memory as it has filings open, not the sum of every
// bucket's largest size.
//
// Flat ground puts whole regions of the plate at one f: every cell that a
// chain reaches by straight steps right over free ground costs x + 1 and has
// f = columns. A spread can so move millions of filings into bucket 0 at
// once. Within one f below 2^52 a larger g means a larger column (the sums
// (columns - 1 - x) + g round to the same f only within half an ulp, and
// columns differ by at least 1), so such a level is kept column by column in
// chunks and sorted one column at a time, the highest first, instead of in
// one vector sorted whole.
//
// Filings that break the order (f at or below zero, or below the last f
// taken: negative penalties, or an ulp of rounding) go to a small 4-ary heap
// instead. All of them lie strictly below every bucketed f, so they are
// always taken first and no key is ever split between the two.
#pragma once

#include <zalvo/zalvo.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace Zalvo::Detail {

// A pixel filed in the open list, with the number of cells of the chain
// whose cost it was filed with.
struct Filing {
    Pixel pixel;
    std::uint64_t cells;
};

struct OpenKey {
    double f;
    double g;
};

inline bool ComesBefore(const OpenKey& a, const OpenKey& b) { return a.f < b.f || (a.f == b.f && a.g > b.g); }

inline bool SameKey(const OpenKey& a, const OpenKey& b) { return a.f == b.f && a.g == b.g; }

// One filing as the list stores it. The search rejects grids of more than
// 2^31 cells, so a pixel packs into 32 bits and no chain is longer.
struct OpenEntry {
    double g;
    std::uint32_t cell;   // x << rowBits | y
    std::uint32_t cells;  // the chain's length
};

// Filings per chunk: 4 KiB of entries, long enough that following the
// chain costs nothing next to the moves, short enough that the partly filled
// last chunks of the few dozen buckets in use at a time stay small.
inline constexpr std::size_t kChunkEntries = 256;

// Every chunk of a bucket but its last is full, so the bucket's size alone
// says how many entries each holds, and filing touches no count beside the
// entry it writes.
struct OpenChunk {
    std::array<OpenEntry, kChunkEntries> entries;
    OpenChunk* next = nullptr;
};

// A bucket above 0, and its cheapest filing, kept as filings arrive so that
// spreading it needs no pass to find the new floor.
struct ChunkedBucket {
    OpenChunk* head = nullptr;
    OpenChunk* tail = nullptr;
    std::size_t size = 0;
    std::uint64_t cheapestBits = ~std::uint64_t{0};
    std::uint32_t cheapestCell = 0;

    // How many entries `chunk`, one of this bucket's, holds.
    std::size_t CountIn(const OpenChunk* chunk) const {
        return chunk == tail ? (size - 1) % kChunkEntries + 1 : kChunkEntries;
    }
};

// The fewest filings a spread must hold to be kept column by column (and at
// least one per column): below it one sort is cheap, and the columns' heads
// would cost more than they save.
inline constexpr std::size_t kLargeLevel = std::size_t{1} << 14;

class OpenList {
public:
    // A list for the pixels of a grid of `columns` x `rows`, at most 2^31
    // cells. Tests lower `largeLevel` to reach the column-by-column levels
    // on small inputs.
    OpenList(std::int32_t columns, std::int32_t rows, std::size_t largeLevel = kLargeLevel);
    OpenList(const OpenList&) = delete;
    OpenList& operator=(const OpenList&) = delete;

    void File(const Filing& filing, double g);
    bool IsEmpty() const { return bucketed_ == 0 && belowFloor_.empty(); }
    void Clear();

    // The cheapest key of a non-empty list. Not const: it may first move the
    // lowest bucket's filings down so that the cheapest key lies in bucket 0.
    OpenKey PeekCheapest();

    // Removes every filing of the cheapest key of a non-empty list, appends
    // its pixels to `batch` (in no particular order) and returns the key.
    OpenKey TakeCheapestKey(std::vector<Filing>& batch);

    // A pixel of the cheapest f, which is taken next unless a cheaper one is
    // filed first; none for an empty list. For prefetching only.
    std::optional<Pixel> UpcomingPixel() const;

private:
    // Bucket 0, then 256 buckets for each of the 8 bytes of f's bits.
    static constexpr std::size_t kDigitBits = 8;
    static constexpr std::size_t kDigitValues = std::size_t{1} << kDigitBits;
    static constexpr std::size_t kDigits = 64 / kDigitBits;
    static constexpr std::size_t kBuckets = 1 + kDigits * kDigitValues;
    static constexpr std::size_t kFilledWords = (kBuckets + 63) / 64;

    static std::uint64_t Bits(double f);
    double F(const OpenEntry& entry) const;
    OpenKey KeyOf(const OpenEntry& entry) const { return {F(entry), entry.g}; }
    Pixel PixelOf(std::uint32_t cell) const;
    Pixel PixelOf(const OpenEntry& entry) const { return PixelOf(entry.cell); }
    Filing FilingOf(const OpenEntry& entry) const { return {PixelOf(entry), entry.cells}; }
    std::size_t BucketOf(std::uint64_t bits) const;

    void PushBucketed(const OpenEntry& entry, std::uint64_t bits);
    void PushBucketZero(const OpenEntry& entry);
    bool IsLargeLevel(const ChunkedBucket& spread) const;
    std::int32_t ColumnOf(const OpenEntry& entry) const { return static_cast<std::int32_t>(entry.cell >> rowBits_); }
    bool LevelColumnComesFirst() const;
    void LoadLevelColumn();
    void Append(ChunkedBucket& bucket, const OpenEntry& entry, std::uint64_t bits);
    OpenChunk* TakeChunk();
    void ReturnChunks(ChunkedBucket& bucket);
    void ReturnChunk(OpenChunk* chunk);
    std::size_t LowestFilledBucket() const;
    void MarkFilled(std::size_t bucket);
    void MarkEmptied(std::size_t bucket);
    void RefillBucketZero();
    void SortLevel();
    void SortLevelByColumn(std::uint32_t lowest, std::uint32_t highest);

    void PushBelowFloor(const OpenEntry& entry);
    void PopBelowFloor();

    std::size_t largeLevel_;
    std::int32_t lastColumn_;
    int rowBits_;
    std::uint32_t rowMask_;

    // Bucket 0 holds the filings whose f has exactly the bits `floorBits_`,
    // sorted by g, the largest last; bucket 1 + 256 k + v those whose f
    // differs from `floorBits_` first in byte k (counting from the least
    // significant) and has the value v there, v above the floor's. Bit 63,
    // the sign, is zero for all of them. Bit i of `filled_` says whether
    // bucket i > 0 holds filings, and bit w of `filledWords_` whether word w
    // of `filled_` is not zero; bucket order is the order of their f.
    std::vector<OpenEntry> bucketZero_;
    // The rest of a large level of bucket 0, by column; `levelTop_` is the
    // highest column holding some of its `levelStored_` filings.
    std::vector<ChunkedBucket> levelColumns_;
    std::int32_t levelTop_ = -1;
    std::size_t levelStored_ = 0;
    // Scratch for ordering a level of bucket 0 by column: a count per
    // column, then the level in its new order.
    std::vector<std::uint32_t> levelCounts_;
    std::vector<OpenEntry> levelScratch_;
    std::vector<ChunkedBucket> buckets_;
    std::array<std::uint64_t, kFilledWords> filled_{};
    std::uint64_t filledWords_ = 0;
    std::uint64_t floorBits_ = 0;
    std::size_t bucketed_ = 0;

    std::vector<std::unique_ptr<OpenChunk>> chunks_;  // every chunk made
    OpenChunk* freeChunks_ = nullptr;

    // The filings below the floor, as a 4-ary heap in ComesBefore order.
    std::vector<OpenEntry> belowFloor_;
};

// Filing runs for every neighbour a search prices, inside the relaxation
// loop, so it is defined here where the compiler can inline it: as a call,
// it made the loop spill and reload its doubles around every filing (see
// docs/performance.md). Only the rare paths (a new chunk, bucket 0, the heap
// below the floor) stay out of line.

inline std::uint64_t OpenList::Bits(double f) { return std::bit_cast<std::uint64_t>(f); }

inline double OpenList::F(const OpenEntry& entry) const {
    // The search files f as (columns - 1 - x) + g; the same sum gives the
    // same bits.
    return static_cast<double>(lastColumn_ - static_cast<std::int32_t>(entry.cell >> rowBits_)) + entry.g;
}

inline std::size_t OpenList::BucketOf(std::uint64_t bits) const {
    const std::uint64_t differing = bits ^ floorBits_;
    if (differing == 0) return 0;
    const auto digit = static_cast<std::size_t>(std::bit_width(differing) - 1) / kDigitBits;
    const std::uint64_t value = (bits >> (digit * kDigitBits)) & (kDigitValues - 1);
    return 1 + digit * kDigitValues + static_cast<std::size_t>(value);
}

inline void OpenList::MarkFilled(std::size_t bucket) {
    filled_[bucket / 64] |= std::uint64_t{1} << (bucket % 64);
    filledWords_ |= std::uint64_t{1} << (bucket / 64);
}

inline void OpenList::Append(ChunkedBucket& bucket, const OpenEntry& entry, std::uint64_t bits) {
    const std::size_t filled = bucket.size % kChunkEntries;
    if (filled == 0) {
        OpenChunk* chunk = TakeChunk();
        (bucket.tail ? bucket.tail->next : bucket.head) = chunk;
        bucket.tail = chunk;
    }
    bucket.tail->entries[filled] = entry;
    ++bucket.size;
    if (bits < bucket.cheapestBits) {
        bucket.cheapestBits = bits;
        bucket.cheapestCell = entry.cell;
    }
}

inline void OpenList::PushBucketed(const OpenEntry& entry, std::uint64_t bits) {
    const std::size_t bucket = BucketOf(bits);
    if (bucket == 0) {
        PushBucketZero(entry);
        return;
    }
    Append(buckets_[bucket], entry, bits);
    MarkFilled(bucket);
}

inline void OpenList::File(const Filing& filing, double g) {
    const OpenEntry entry{
        g, static_cast<std::uint32_t>(filing.pixel.x) << rowBits_ | static_cast<std::uint32_t>(filing.pixel.y),
        static_cast<std::uint32_t>(filing.cells)};
    const double f = F(entry);
    // `f > 0` also sends NaN below the floor, where the plain comparisons
    // order it as they always did.
    if (f > 0.0 && Bits(f) >= floorBits_) {
        PushBucketed(entry, Bits(f));
        ++bucketed_;
        return;
    }
    PushBelowFloor(entry);
}

}  // namespace Zalvo::Detail
