#include "wiggle/Stretches.h"

#include "cells/Cells.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace Zalvo::Detail {

namespace {

// A candidate run becomes a horizontal room only when it overlaps fewer other
// runs than a quarter of its pixels: a run that mostly repeats its neighbours
// gives the line no room of its own.
constexpr double kOwnPixelsPerOverlap = 0.25;

// The entry checked that the row count fits 32 bits.
std::int32_t RowCountOf(const Terrain& terrain) { return static_cast<std::int32_t>(RowCount(terrain)); }

std::size_t WrappedRow(const Terrain& terrain, std::int32_t y) {
    return static_cast<std::size_t>(PositiveModulo(y, RowCountOf(terrain)));
}

bool BlocksAt(const Terrain& terrain, std::int32_t x, std::size_t row) {
    return BlocksLine(terrain[static_cast<std::size_t>(x)][row]);
}

// The free rows above and below a pixel in its own column, at most a row
// count each way; the columns are left at the pixel's own.
Box FreeRows(const Terrain& terrain, const Pixel& pixel) {
    const std::int32_t rows = RowCountOf(terrain);
    const auto& column = terrain[static_cast<std::size_t>(pixel.x)];
    const std::int32_t ownRow = PositiveModulo(pixel.y, rows);
    std::int32_t up = 0;
    for (std::int32_t r = ownRow; up < rows; ++up) {
        r = r + 1 == rows ? 0 : r + 1;
        if (BlocksLine(column[static_cast<std::size_t>(r)])) break;
    }
    std::int32_t down = 0;
    for (std::int32_t r = ownRow; down < rows; ++down) {
        r = r == 0 ? rows - 1 : r - 1;
        if (BlocksLine(column[static_cast<std::size_t>(r)])) break;
    }
    return {pixel.x, pixel.x, pixel.y + up, pixel.y - down};
}

std::int32_t LeftFreeEnd(const Terrain& terrain, const Pixel& pixel) {
    const std::size_t row = WrappedRow(terrain, pixel.y);
    std::int32_t left = pixel.x - 1;
    while (left >= 0 && !BlocksAt(terrain, left, row)) --left;
    return left + 1;
}

// The scan to the right stops at column count - 2: the last two columns never
// widen a box.
std::int32_t RightFreeEnd(const Terrain& terrain, const Pixel& pixel) {
    const auto lastScanColumn = static_cast<std::int32_t>(terrain.size()) - 2;
    const std::size_t row = WrappedRow(terrain, pixel.y);
    std::int32_t right = pixel.x + 1;
    while (right <= lastScanColumn && !BlocksAt(terrain, right, row)) ++right;
    return right - 1;
}

// Narrows a stretch's columns to the span of its own first and last pixel.
void NarrowColumns(Stretch& stretch) {
    stretch.box.minColumn = std::max(stretch.box.minColumn, SpanStart(stretch));
    stretch.box.maxColumn = std::min(stretch.box.maxColumn, SpanEnd(stretch));
}

// The band a run starting on `height` free rows must keep: the sufficient
// band when it has that much, otherwise what it has, capped by the minimum.
std::int64_t RequiredBand(std::int64_t height, std::int32_t sufficientBand, std::int32_t minimumBand) {
    if (height >= sufficientBand) return sufficientBand;
    return std::min<std::int64_t>(height, minimumBand);
}

bool RangesOverlap(const StretchRange& a, const StretchRange& b) {
    return std::max(a.first, b.first) < std::min(a.second, b.second);
}

// The first split column (other than the active one) within [xlo, xhi).
std::optional<std::int32_t> SplitWithin(const std::vector<std::int32_t>& splitColumns,
                                        std::optional<std::int32_t> active, std::int32_t xlo, std::int32_t xhi) {
    for (const std::int32_t v : splitColumns) {
        if (active && v == *active) continue;
        if (xlo <= v && v < xhi) return v;
    }
    return std::nullopt;
}

// The end of the run starting at stretch s; may set a new active split column.
std::int32_t RunEnd(const Stretches& stretches, std::int32_t s, std::int32_t sufficientBand, std::int32_t minimumBand,
                    const std::vector<std::int32_t>& splitColumns, std::optional<std::int32_t>& activeSplit) {
    const auto count = static_cast<std::int32_t>(stretches.size());
    const Stretch& start = StretchAt(stretches, s);
    std::int32_t bandTop = start.box.maxRow;
    std::int32_t bandBottom = start.box.minRow;
    const std::int64_t want = RequiredBand(BoxHeight(start.box), sufficientBand, minimumBand);
    std::int32_t e = s + 1;
    for (; e < count; ++e) {
        const Stretch& next = StretchAt(stretches, e);
        const std::int32_t hi = std::min(bandTop, next.box.maxRow);
        const std::int32_t lo = std::max(bandBottom, next.box.minRow);
        if (std::int64_t{hi} - lo + 1 < want) break;
        // A stretch with more room than the start ends the run.
        if (want < RequiredBand(BoxHeight(next.box), sufficientBand, minimumBand)) break;
        bandTop = hi;
        bandBottom = lo;
        const std::int32_t xlo = std::min(SpanStart(start), SpanStart(next));
        const std::int32_t xhi = std::max(SpanEnd(start), SpanEnd(next));
        if (const auto split = SplitWithin(splitColumns, activeSplit, xlo, xhi)) {
            activeSplit = split;
            break;
        }
    }
    return e;
}

}  // namespace

RoomSettings DeriveRoomSettings(std::int32_t transitionHalfWidth, std::int32_t minimumBand,
                                std::int32_t sufficientBand) {
    RoomSettings settings;
    settings.minimumBand = std::max(1, minimumBand);
    settings.sufficientBand = std::max(settings.minimumBand, sufficientBand);
    const std::int64_t window =
        std::min<std::int64_t>(2 * std::int64_t{transitionHalfWidth}, std::numeric_limits<std::int32_t>::max());
    settings.transitionWidth = static_cast<std::int32_t>(std::max<std::int64_t>(window, settings.sufficientBand));
    settings.transitionHalfWidth = transitionHalfWidth;
    return settings;
}

const Stretch& StretchAt(const Stretches& stretches, std::int32_t index) {
    return stretches[static_cast<std::size_t>(index)];
}

std::int32_t SpanStart(const Stretch& stretch) { return std::min(stretch.pixels.front().x, stretch.pixels.back().x); }

std::int32_t SpanEnd(const Stretch& stretch) { return std::max(stretch.pixels.front().x, stretch.pixels.back().x); }

Box FreeBox(const Terrain& terrain, const Pixel& pixel) {
    Box box = FreeRows(terrain, pixel);
    box.minColumn = LeftFreeEnd(terrain, pixel);
    box.maxColumn = RightFreeEnd(terrain, pixel);
    return box;
}

std::vector<Box> FreeBoxes(const std::vector<Pixel>& path, const Terrain& terrain) {
    std::vector<Box> boxes(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const Pixel& pixel = path[i];
        boxes[i] = FreeRows(terrain, pixel);
        // Right of its predecessor on the same row, a pixel's scan to the left
        // tests the predecessor's cell and then goes on as the predecessor's.
        const bool continuesLeftScan = i > 0 && path[i - 1] == Pixel{pixel.x - 1, pixel.y};
        if (!continuesLeftScan)
            boxes[i].minColumn = LeftFreeEnd(terrain, pixel);
        else if (BlocksAt(terrain, pixel.x - 1, WrappedRow(terrain, pixel.y)))
            boxes[i].minColumn = pixel.x;
        else
            boxes[i].minColumn = boxes[i - 1].minColumn;
    }
    const auto lastScanColumn = static_cast<std::int32_t>(terrain.size()) - 2;
    for (std::size_t i = path.size(); i-- > 0;) {
        const Pixel& pixel = path[i];
        const bool continuesRightScan = i + 1 < path.size() && path[i + 1] == Pixel{pixel.x + 1, pixel.y};
        if (!continuesRightScan)
            boxes[i].maxColumn = RightFreeEnd(terrain, pixel);
        else if (pixel.x + 1 > lastScanColumn || BlocksAt(terrain, pixel.x + 1, WrappedRow(terrain, pixel.y)))
            boxes[i].maxColumn = pixel.x;
        else
            boxes[i].maxColumn = boxes[i + 1].maxColumn;
    }
    return boxes;
}

Stretches BuildStretches(const std::vector<Pixel>& path, const Terrain& terrain) {
    const std::vector<Box> boxes = FreeBoxes(path, terrain);
    Stretches stretches;
    for (std::size_t i = 0; i < path.size(); ++i) {
        // Boxes are compared before the columns of a stretch are narrowed.
        if (i > 0 && boxes[i] == boxes[i - 1]) {
            stretches.back().pixels.push_back(path[i]);
            continue;
        }
        if (!stretches.empty()) NarrowColumns(stretches.back());
        stretches.push_back({{path[i]}, boxes[i]});
    }
    if (!stretches.empty()) NarrowColumns(stretches.back());
    return stretches;
}

NoRoom StretchNoRoom(const Stretches& stretches, std::int32_t first, std::int32_t end) {
    NoRoom room{{}, first, end};
    for (std::int32_t j = first; j < end; ++j) {
        const auto& pixels = StretchAt(stretches, j).pixels;
        room.pixels.insert(room.pixels.end(), pixels.begin(), pixels.end());
    }
    return room;
}

HorizontalRoom StretchHorizontalRoom(const Stretches& stretches, std::int32_t first, std::int32_t end) {
    HorizontalRoom room{std::numeric_limits<std::int32_t>::max(),
                        std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max(),
                        std::numeric_limits<std::int32_t>::min(),
                        first,
                        end,
                        0};
    for (std::int32_t j = first; j < end; ++j) {
        const Stretch& stretch = StretchAt(stretches, j);
        room.minColumn = std::min(room.minColumn, stretch.pixels.front().x);
        room.maxColumn = std::max(room.maxColumn, stretch.pixels.back().x);
        room.maxRow = std::min(room.maxRow, stretch.box.maxRow);
        room.minRow = std::max(room.minRow, stretch.box.minRow);
    }
    room.row = Middle(room.maxRow, room.minRow);
    return room;
}

std::vector<StretchRange> BuildCandidateRuns(const Stretches& stretches, std::int32_t sufficientBand,
                                             std::int32_t minimumBand, const std::vector<std::int32_t>& splitColumns) {
    std::vector<StretchRange> candidates;
    std::optional<std::int32_t> activeSplit;
    const auto count = static_cast<std::int32_t>(stretches.size());
    for (std::int32_t s = 0; s < count; ++s) {
        // Stretches wholly at or left of the active split start nothing.
        if (activeSplit && SpanEnd(StretchAt(stretches, s)) <= *activeSplit) continue;
        const std::int32_t e = RunEnd(stretches, s, sufficientBand, minimumBand, splitColumns, activeSplit);
        if (candidates.empty() || candidates.back().second < e) candidates.emplace_back(s, e);
    }
    return candidates;
}

std::vector<RunRecord> ClassifyCandidateRuns(const Stretches& stretches, const std::vector<StretchRange>& candidates) {
    std::vector<std::size_t> pixelsBefore(stretches.size() + 1, 0);
    for (std::size_t j = 0; j < stretches.size(); ++j)
        pixelsBefore[j + 1] = pixelsBefore[j] + stretches[j].pixels.size();

    std::vector<RunRecord> records;
    records.reserve(candidates.size());
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        const auto [s0, s1] = candidates[k];
        const std::size_t pixels =
            pixelsBefore[static_cast<std::size_t>(s1)] - pixelsBefore[static_cast<std::size_t>(s0)];
        std::size_t overlaps = 0;
        for (std::size_t j = k; j > 0 && RangesOverlap(candidates[j - 1], candidates[k]); --j) ++overlaps;
        for (std::size_t j = k + 1; j < candidates.size() && RangesOverlap(candidates[j], candidates[k]); ++j)
            ++overlaps;
        const bool horizontal = static_cast<double>(pixels) * kOwnPixelsPerOverlap > static_cast<double>(overlaps);
        records.push_back({horizontal ? RunKind::Horizontal : RunKind::NoRoom, s0, s1});
    }
    return records;
}

std::vector<RunRecord> MergeNoRoomRecords(const std::vector<RunRecord>& records) {
    std::vector<RunRecord> merged;
    for (const RunRecord& record : records) {
        if (record.kind == RunKind::NoRoom && !merged.empty() && merged.back().kind == RunKind::NoRoom)
            merged.back().end = record.end;
        else
            merged.push_back(record);
    }
    return merged;
}

std::vector<RunRecord> TrimNoRoomRecords(std::vector<RunRecord> records) {
    std::optional<std::int32_t> horizontalEnd;
    for (RunRecord& record : records) {
        if (record.kind == RunKind::Horizontal)
            horizontalEnd = record.end;
        else if (horizontalEnd)
            record.first = std::min(record.end, std::max(record.first, *horizontalEnd));
    }
    std::optional<std::int32_t> horizontalStart;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (it->kind == RunKind::Horizontal)
            horizontalStart = it->first;
        else if (horizontalStart)
            it->end = std::min(it->end, std::max(it->first, *horizontalStart));
    }
    return records;
}

std::vector<RunRecord> RemoveEmptyRecords(const std::vector<RunRecord>& records) {
    std::vector<RunRecord> kept;
    std::copy_if(records.begin(), records.end(), std::back_inserter(kept),
                 [](const RunRecord& record) { return record.first != record.end; });
    return kept;
}

std::vector<RunRecord> DropRedundantHorizontalRuns(const std::vector<RunRecord>& records) {
    std::vector<RunRecord> kept;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const RunRecord& record = records[i];
        const bool redundant = record.kind == RunKind::Horizontal && !kept.empty() &&
                               kept.back().kind == RunKind::Horizontal && i + 1 < records.size() &&
                               records[i + 1].kind == RunKind::Horizontal && kept.back().end > records[i + 1].first;
        if (!redundant) kept.push_back(record);
    }
    return kept;
}

std::vector<RunRecord> BuildRunRecords(const Stretches& stretches, std::int32_t sufficientBand,
                                       std::int32_t minimumBand, const std::vector<std::int32_t>& splitColumns) {
    const auto candidates = BuildCandidateRuns(stretches, sufficientBand, minimumBand, splitColumns);
    auto records = MergeNoRoomRecords(ClassifyCandidateRuns(stretches, candidates));
    records = MergeNoRoomRecords(RemoveEmptyRecords(TrimNoRoomRecords(std::move(records))));
    return DropRedundantHorizontalRuns(records);
}

std::vector<WiggleRoom> BuildInitialRooms(const std::vector<RunRecord>& records, const Stretches& stretches) {
    std::vector<WiggleRoom> rooms;
    rooms.reserve(records.size());
    for (const RunRecord& record : records) {
        if (record.kind == RunKind::Horizontal)
            rooms.emplace_back(StretchHorizontalRoom(stretches, record.first, record.end));
        else
            rooms.emplace_back(StretchNoRoom(stretches, record.first, record.end));
    }
    return rooms;
}

}  // namespace Zalvo::Detail
