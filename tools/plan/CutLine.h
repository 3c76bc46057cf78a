// The cut line as a list of corners: the sparse path without the points that
// only pad it.
#pragma once

#include <zalvo/zalvo.h>

#include <vector>

namespace ZalvoPlan {

// `sparse` with every point removed that lies on the straight segment between
// its neighbours (repeated points included), judged against the last point
// kept, so a long straight run of any slope shrinks to its two ends. The first
// and last points always stay; a line that turns back on itself keeps the
// point where it turns. Rows stay unwrapped, as in the sparse path.
std::vector<Zalvo::Pixel> RemoveCollinearPoints(const std::vector<Zalvo::Pixel>& sparse);

}  // namespace ZalvoPlan
