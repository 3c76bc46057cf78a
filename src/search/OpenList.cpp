#include "search/OpenList.h"

#include <algorithm>
#include <bit>

namespace Zalvo::Detail {
namespace {

// The filings below the floor form a 4-ary heap: half the levels of a
// binary one, and the four children of a node share a cache line or two.
constexpr std::size_t kArity = 4;

void SiftUp(std::vector<OpenEntry>& heap, std::size_t hole, const OpenEntry& entry) {
    while (hole > 0) {
        const std::size_t parent = (hole - 1) / kArity;
        if (!ComesBefore(entry, heap[parent])) break;
        heap[hole] = heap[parent];
        hole = parent;
    }
    heap[hole] = entry;
}

void PopCheapest(std::vector<OpenEntry>& heap) {
    const OpenEntry last = heap.back();
    heap.pop_back();
    const std::size_t size = heap.size();
    if (size == 0) return;
    std::size_t hole = 0;
    for (;;) {
        const std::size_t first = kArity * hole + 1;
        if (first >= size) break;
        std::size_t cheapest = first;
        const std::size_t end = std::min(first + kArity, size);
        for (std::size_t child = first + 1; child < end; ++child)
            if (ComesBefore(heap[child], heap[cheapest])) cheapest = child;
        if (!ComesBefore(heap[cheapest], last)) break;
        heap[hole] = heap[cheapest];
        hole = cheapest;
    }
    heap[hole] = last;
}

// The largest bucket searched ahead for the filing to prefetch.
constexpr std::size_t kLookAhead = 64;

std::uint64_t Bits(double f) { return std::bit_cast<std::uint64_t>(f); }

// Bucket 0 keeps the largest g on top: among equal f, the chain that got
// further comes first.
constexpr auto SmallerG = [](const OpenEntry& a, const OpenEntry& b) { return a.g < b.g; };

std::size_t BucketOf(std::uint64_t bits, std::uint64_t floorBits) {
    return static_cast<std::size_t>(std::bit_width(bits ^ floorBits));
}

void PushBucketed(OpenList& open, const OpenEntry& entry) {
    const std::size_t bucket = BucketOf(Bits(entry.f), open.floorBits);
    open.buckets[bucket].push_back(entry);
    if (bucket == 0) std::push_heap(open.buckets[0].begin(), open.buckets[0].end(), SmallerG);
}

// The first bucket above 0 that holds filings; bucket 0 must be empty and
// the list not.
std::size_t LowestFilledBucket(const OpenList& open) {
    std::size_t lowest = 1;
    while (open.buckets[lowest].empty()) ++lowest;
    return lowest;
}

// The position of the cheapest filing of `bucket` (the first of equal ones).
std::size_t CheapestIn(const std::vector<OpenEntry>& bucket) {
    std::size_t cheapest = 0;
    for (std::size_t i = 1; i < bucket.size(); ++i)
        if (Bits(bucket[i].f) < Bits(bucket[cheapest].f)) cheapest = i;
    return cheapest;
}

// Raises the floor to the smallest f of the lowest filled bucket and
// spreads that bucket over the buckets below it: they are empty, and every
// filing of it now differs from the floor in a lower bit. Filings of higher
// buckets keep their bucket, since the floor's bits above the spread bucket
// do not change.
void RefillBucketZero(OpenList& open) {
    std::vector<OpenEntry>& spread = open.buckets[LowestFilledBucket(open)];
    open.floorBits = Bits(spread[CheapestIn(spread)].f);
    for (const OpenEntry& entry : spread) open.buckets[BucketOf(Bits(entry.f), open.floorBits)].push_back(entry);
    // The bucket keeps its buffer. Releasing large ones bounds the buckets'
    // memory by the filings open, but regrowing them slowed the search by
    // about a tenth.
    spread.clear();
    std::make_heap(open.buckets[0].begin(), open.buckets[0].end(), SmallerG);
}

}  // namespace

void FileEntry(OpenList& open, const Filing& filing, double g, double f) {
    const OpenEntry entry{f, g, filing};
    // `f > 0` also sends NaN below the floor, where the plain comparisons
    // order it as they always did.
    if (f > 0.0 && Bits(f) >= open.floorBits) {
        PushBucketed(open, entry);
        ++open.bucketed;
        return;
    }
    open.belowFloor.emplace_back();
    SiftUp(open.belowFloor, open.belowFloor.size() - 1, entry);
}

void ClearOpenList(OpenList& open) {
    for (auto& bucket : open.buckets) bucket.clear();
    open.bucketed = 0;
    open.belowFloor.clear();
}

const OpenEntry& PeekCheapest(OpenList& open) {
    if (!open.belowFloor.empty()) return open.belowFloor.front();
    if (open.buckets[0].empty()) RefillBucketZero(open);
    return open.buckets[0].front();
}

OpenEntry TakeCheapestKey(OpenList& open, std::vector<Filing>& batch) {
    const OpenEntry key = PeekCheapest(open);
    if (!open.belowFloor.empty()) {
        do {
            batch.push_back(open.belowFloor.front().filing);
            PopCheapest(open.belowFloor);
        } while (!open.belowFloor.empty() && SameKey(open.belowFloor.front(), key));
        return key;
    }
    // Every filing of bucket 0 has the key's f; those with its g are on top.
    std::vector<OpenEntry>& level = open.buckets[0];
    do {
        batch.push_back(level.front().filing);
        std::pop_heap(level.begin(), level.end(), SmallerG);
        level.pop_back();
        --open.bucketed;
    } while (!level.empty() && level.front().g == key.g);
    return key;
}

const Filing* UpcomingFiling(OpenList& open) {
    if (!open.belowFloor.empty()) return &open.belowFloor.front().filing;
    if (!open.buckets[0].empty()) return &open.buckets[0].front().filing;
    if (open.bucketed == 0) return nullptr;
    // The lowest filled bucket is spread next. It is usually small, so its
    // cheapest filing is worth finding now; a large one is not searched, as
    // filings of lower buckets can keep it from being spread for long.
    const std::vector<OpenEntry>& bucket = open.buckets[LowestFilledBucket(open)];
    if (bucket.size() > kLookAhead) return nullptr;
    return &bucket[CheapestIn(bucket)].filing;
}

}  // namespace Zalvo::Detail
