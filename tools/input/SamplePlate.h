// The built-in sample plate, drawn in code so the planner runs anywhere
// without an input file. Its features are placed in fractions of the plate
// size, so every size shows the same picture:
//   - black blobs and a grey (crossable) blob;
//   - lines of text-like marks, one of them grey;
//   - a valley: a band of columns filled with content except for a channel
//     that runs from the lower rows across the row seam into the upper rows,
//     so the line must cross the seam to get through;
//   - a wall over the full height, which only a corridor crosses: a red seed
//     line runs across it on the middle row.
#pragma once

#include "input/PlateImage.h"

namespace ZalvoPlan {

inline constexpr std::int32_t kSampleColumns = 640;
inline constexpr std::int32_t kSampleRows = 320;
// The sample is drawn for this resolution (pixels per inch).
inline constexpr double kSampleResolution = 300.0;

// The sample at `columns` x `rows` (at least 64 x 32, so every feature keeps
// a few pixels). Throws InputError for a smaller or too large size.
PlateImage MakeSamplePlate(std::int64_t columns = kSampleColumns, std::int64_t rows = kSampleRows);

}  // namespace ZalvoPlan
