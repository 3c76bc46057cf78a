// plan.html: an interactive view of a plan in one self-contained file that
// loads nothing from the network. The plate travels inside it as one PNG data
// address holding each pixel's height and shade, the overlays as numbers; a canvas draws them with zoom and
// pan, line widths in screen pixels (so a line on a huge plate stays visible
// at every zoom), the pixel and height under the cursor, and the corners.
#pragma once

#include "input/PlateImage.h"
#include "output/Picture.h"
#include "plan/Pipeline.h"

#include <string>

namespace ZalvoPlan {

std::string RenderHtml(const PlateImage& image, const PlanResult& result);

}  // namespace ZalvoPlan
