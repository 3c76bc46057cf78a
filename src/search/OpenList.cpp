#include "search/OpenList.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace Zalvo::Detail {
namespace {

// The filings below the floor form a 4-ary heap: half the levels of a
// binary one, and the four children of a node share a cache line or two.
constexpr std::size_t kArity = 4;

// Below this f the doubles are at most half a unit apart, so one f never
// holds the same g in two columns.
constexpr double kColumnOrderedF = 0x1p52;

// Bucket 0 is sorted by g, the largest last: among equal f, the chain that
// got further comes first.
constexpr auto SmallerG = [](const OpenEntry& a, const OpenEntry& b) { return a.g < b.g; };

// Levels up to this size are sorted by insertion: a spread leaves most
// levels this small, and a library sort's call costs more than the sorting.
constexpr std::size_t kInsertionSortedLevel = 16;

// A level is counted out column by column when its columns span at most this
// many per filing (plus a fixed allowance): the counts then cost no more than
// the moves. Wider levels, scattered over the plate, are sorted instead.
constexpr std::size_t kCountedColumnsPerFiling = 4;
constexpr std::size_t kCountedColumnsAllowance = 64;

// Sorts [first, last) by g with insertion: for short ranges.
void InsertionSortByG(OpenEntry* first, OpenEntry* last) {
    for (OpenEntry* next = first + 1; next < last; ++next) {
        const OpenEntry entry = *next;
        OpenEntry* hole = next;
        for (; hole > first && SmallerG(entry, hole[-1]); --hole) *hole = hole[-1];
        *hole = entry;
    }
}

}  // namespace

OpenList::OpenList(std::int32_t columns, std::int32_t rows, std::size_t largeLevel)
    : largeLevel_(std::max(largeLevel, static_cast<std::size_t>(columns))),
      lastColumn_(columns - 1),
      rowBits_(static_cast<int>(std::bit_width(static_cast<std::uint32_t>(rows - 1)))),
      rowMask_((std::uint32_t{1} << rowBits_) - 1),
      buckets_(kBuckets) {}

Pixel OpenList::PixelOf(std::uint32_t cell) const {
    return {static_cast<std::int32_t>(cell >> rowBits_), static_cast<std::int32_t>(cell & rowMask_)};
}

void OpenList::MarkEmptied(std::size_t bucket) {
    std::uint64_t& word = filled_[bucket / 64];
    word &= ~(std::uint64_t{1} << (bucket % 64));
    if (word == 0) filledWords_ &= ~(std::uint64_t{1} << (bucket / 64));
}

OpenChunk* OpenList::TakeChunk() {
    if (!freeChunks_) {
        chunks_.push_back(std::make_unique<OpenChunk>());
        return chunks_.back().get();
    }
    OpenChunk* chunk = freeChunks_;
    freeChunks_ = chunk->next;
    chunk->next = nullptr;
    return chunk;
}

void OpenList::ReturnChunk(OpenChunk* chunk) {
    chunk->next = freeChunks_;
    freeChunks_ = chunk;
}

void OpenList::ReturnChunks(ChunkedBucket& bucket) {
    if (bucket.tail) {
        bucket.tail->next = freeChunks_;
        freeChunks_ = bucket.head;
    }
    bucket = ChunkedBucket{};
}

// Flat ground makes wide fronts of one f, so bucket 0 can hold thousands of
// filings. Expanding its top key files the same-f successors with a larger g
// (each step adds at least 1), so they nearly always belong on top: a
// sorted vector takes them in constant time where a heap sifts.
void OpenList::PushBucketZero(const OpenEntry& entry) {
    if (bucketZero_.empty() || !(entry.g < bucketZero_.back().g)) {
        bucketZero_.push_back(entry);
        return;
    }
    bucketZero_.insert(std::upper_bound(bucketZero_.begin(), bucketZero_.end(), entry, SmallerG), entry);
}

// The first bucket above 0 that holds filings; the list must hold some there.
std::size_t OpenList::LowestFilledBucket() const {
    const auto word = static_cast<std::size_t>(std::countr_zero(filledWords_));
    return word * 64 + static_cast<std::size_t>(std::countr_zero(filled_[word]));
}

bool OpenList::IsLargeLevel(const ChunkedBucket& spread) const {
    return spread.size >= largeLevel_ && std::bit_cast<double>(spread.cheapestBits) < kColumnOrderedF;
}

// Raises the floor to the smallest f of the lowest filled bucket and
// spreads that bucket over the buckets below it: they are empty, and every
// filing of it now shares the floor's byte there and differs in a lower one.
// Filings of higher buckets keep their bucket: the floor's bytes above the
// spread bucket's do not change, and buckets of the same byte are named by
// the filing's own value of it. Each chunk goes back to the pool once it is spread, so a
// large level takes its column chunks from the chunks it frees.
void OpenList::RefillBucketZero() {
    const std::size_t lowest = LowestFilledBucket();
    ChunkedBucket spread = buckets_[lowest];
    buckets_[lowest] = ChunkedBucket{};
    MarkEmptied(lowest);
    floorBits_ = spread.cheapestBits;
    const bool byColumn = IsLargeLevel(spread);
    if (byColumn && levelColumns_.empty()) levelColumns_.resize(static_cast<std::size_t>(lastColumn_) + 1);
    for (OpenChunk* chunk = spread.head; chunk;) {
        const std::size_t count = spread.CountIn(chunk);
        for (std::size_t i = 0; i < count; ++i) {
            const OpenEntry& entry = chunk->entries[i];
            const std::uint64_t bits = Bits(F(entry));
            const std::size_t bucket = BucketOf(bits);
            if (bucket != 0) {
                Append(buckets_[bucket], entry, bits);
                MarkFilled(bucket);
            } else if (byColumn) {
                const std::int32_t column = ColumnOf(entry);
                Append(levelColumns_[static_cast<std::size_t>(column)], entry, bits);
                levelTop_ = std::max(levelTop_, column);
                ++levelStored_;
            } else {
                bucketZero_.push_back(entry);
            }
        }
        OpenChunk* next = chunk->next;
        ReturnChunk(chunk);
        chunk = next;
    }
    SortLevel();
}

// Orders bucket 0, a level of one f just spread, by g. Flat and evenly
// priced ground leaves levels of hundreds of filings at one f, too many to
// sort by comparisons cheaply (docs/performance.md). Within one f below 2^52
// a larger column means a larger g, so a level whose columns lie close
// together is put in order by counting its filings per column instead.
void OpenList::SortLevel() {
    const std::size_t size = bucketZero_.size();
    if (size <= kInsertionSortedLevel) {
        InsertionSortByG(bucketZero_.data(), bucketZero_.data() + size);
        return;
    }
    const auto [lowest, highest] = std::minmax_element(
        bucketZero_.begin(), bucketZero_.end(), [](const OpenEntry& a, const OpenEntry& b) { return a.cell < b.cell; });
    const std::uint32_t lowestColumn = lowest->cell >> rowBits_;
    const std::uint32_t highestColumn = highest->cell >> rowBits_;
    const std::size_t span = std::size_t{highestColumn - lowestColumn} + 1;
    if (std::bit_cast<double>(floorBits_) < kColumnOrderedF &&
        span <= kCountedColumnsPerFiling * size + kCountedColumnsAllowance) {
        SortLevelByColumn(lowestColumn, highestColumn);
        return;
    }
    std::sort(bucketZero_.begin(), bucketZero_.end(), SmallerG);
}

// Counts bucket 0's filings out by column, lowest first, then sorts each
// column's own filings by g. A column's filings at one f nearly always share
// one key (several rows of it); two g of one column round to one f only
// when they differ by less than f's own rounding.
void OpenList::SortLevelByColumn(std::uint32_t lowest, std::uint32_t highest) {
    const std::size_t span = std::size_t{highest - lowest} + 1;
    const auto slot = [this, lowest](const OpenEntry& entry) {
        return static_cast<std::size_t>((entry.cell >> rowBits_) - lowest);
    };
    levelCounts_.assign(span + 1, 0);
    for (const OpenEntry& entry : bucketZero_) ++levelCounts_[slot(entry) + 1];
    std::partial_sum(levelCounts_.begin(), levelCounts_.end(), levelCounts_.begin());
    levelScratch_.resize(bucketZero_.size());
    for (const OpenEntry& entry : bucketZero_) levelScratch_[levelCounts_[slot(entry)]++] = entry;
    bucketZero_.swap(levelScratch_);
    // levelCounts_[c] now ends column c's filings, and column c + 1's begin there.
    OpenEntry* columnBegin = bucketZero_.data();
    for (std::size_t column = 0; column < span; ++column) {
        OpenEntry* columnEnd = bucketZero_.data() + levelCounts_[column];
        if (columnEnd - columnBegin > 1) InsertionSortByG(columnBegin, columnEnd);
        columnBegin = columnEnd;
    }
}

// Whether the level's highest column holds the top key: its filings have a
// larger g than those of every lower column, so it comes first unless
// bucket 0's top lies in a higher column.
bool OpenList::LevelColumnComesFirst() const {
    return levelStored_ != 0 && (bucketZero_.empty() || ColumnOf(bucketZero_.back()) <= levelTop_);
}

// Moves the level's highest column into bucket 0, sorted, and finds the next
// column down that holds filings.
void OpenList::LoadLevelColumn() {
    const auto top = static_cast<std::size_t>(levelTop_);
    ChunkedBucket column = levelColumns_[top];
    levelColumns_[top] = ChunkedBucket{};
    const auto loaded = static_cast<std::ptrdiff_t>(bucketZero_.size());
    for (OpenChunk* chunk = column.head; chunk;) {
        bucketZero_.insert(bucketZero_.end(), chunk->entries.begin(),
                           chunk->entries.begin() + static_cast<std::ptrdiff_t>(column.CountIn(chunk)));
        OpenChunk* next = chunk->next;
        ReturnChunk(chunk);
        chunk = next;
    }
    levelStored_ -= column.size;
    std::sort(bucketZero_.begin() + loaded, bucketZero_.end(), SmallerG);
    // Filings of this column filed into bucket 0 directly (only an expansion
    // below the floor does that) interleave with it.
    if (loaded > 0 &&
        SmallerG(bucketZero_[static_cast<std::size_t>(loaded)], bucketZero_[static_cast<std::size_t>(loaded) - 1]))
        std::inplace_merge(bucketZero_.begin(), bucketZero_.begin() + loaded, bucketZero_.end(), SmallerG);
    if (levelStored_ == 0) {
        levelTop_ = -1;
        return;
    }
    do --levelTop_;
    while (!levelColumns_[static_cast<std::size_t>(levelTop_)].head);
}

void OpenList::PushBelowFloor(const OpenEntry& entry) {
    const OpenKey key = KeyOf(entry);
    belowFloor_.emplace_back();
    std::size_t hole = belowFloor_.size() - 1;
    while (hole > 0) {
        const std::size_t parent = (hole - 1) / kArity;
        if (!ComesBefore(key, KeyOf(belowFloor_[parent]))) break;
        belowFloor_[hole] = belowFloor_[parent];
        hole = parent;
    }
    belowFloor_[hole] = entry;
}

void OpenList::PopBelowFloor() {
    const OpenEntry last = belowFloor_.back();
    belowFloor_.pop_back();
    const std::size_t size = belowFloor_.size();
    if (size == 0) return;
    const OpenKey lastKey = KeyOf(last);
    std::size_t hole = 0;
    for (;;) {
        const std::size_t first = kArity * hole + 1;
        if (first >= size) break;
        std::size_t cheapest = first;
        const std::size_t end = std::min(first + kArity, size);
        for (std::size_t child = first + 1; child < end; ++child)
            if (ComesBefore(KeyOf(belowFloor_[child]), KeyOf(belowFloor_[cheapest]))) cheapest = child;
        if (!ComesBefore(KeyOf(belowFloor_[cheapest]), lastKey)) break;
        belowFloor_[hole] = belowFloor_[cheapest];
        hole = cheapest;
    }
    belowFloor_[hole] = last;
}

void OpenList::Clear() {
    for (ChunkedBucket& bucket : buckets_) ReturnChunks(bucket);
    if (levelStored_ != 0)
        for (ChunkedBucket& column : levelColumns_) ReturnChunks(column);
    levelStored_ = 0;
    levelTop_ = -1;
    filled_.fill(0);
    filledWords_ = 0;
    bucketZero_.clear();
    bucketed_ = 0;
    belowFloor_.clear();
}

OpenKey OpenList::PeekCheapest() {
    if (!belowFloor_.empty()) return KeyOf(belowFloor_.front());
    if (bucketZero_.empty() && levelStored_ == 0) RefillBucketZero();
    if (LevelColumnComesFirst()) LoadLevelColumn();
    return KeyOf(bucketZero_.back());
}

OpenKey OpenList::TakeCheapestKey(std::vector<Filing>& batch) {
    const OpenKey key = PeekCheapest();
    if (!belowFloor_.empty()) {
        do {
            batch.push_back(FilingOf(belowFloor_.front()));
            PopBelowFloor();
        } while (!belowFloor_.empty() && SameKey(KeyOf(belowFloor_.front()), key));
        return key;
    }
    // Every filing of bucket 0 has the key's f; those with its g are last.
    do {
        batch.push_back(FilingOf(bucketZero_.back()));
        bucketZero_.pop_back();
        --bucketed_;
    } while (!bucketZero_.empty() && bucketZero_.back().g == key.g);
    return key;
}

std::optional<Pixel> OpenList::UpcomingPixel() const {
    if (!belowFloor_.empty()) return PixelOf(belowFloor_.front());
    if (LevelColumnComesFirst()) return PixelOf(levelColumns_[static_cast<std::size_t>(levelTop_)].head->entries[0]);
    if (!bucketZero_.empty()) return PixelOf(bucketZero_.back());
    if (bucketed_ == 0) return std::nullopt;
    // The lowest filled bucket is spread next, and its cheapest filing
    // becomes the floor.
    return PixelOf(buckets_[LowestFilledBucket()].cheapestCell);
}

}  // namespace Zalvo::Detail
