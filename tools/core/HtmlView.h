// plan.html: an interactive view of a plan in one self-contained file that
// loads nothing from the network. The plate's layers travel inside it as PNG
// data addresses, the overlays as numbers; a canvas draws them with zoom and
// pan, line widths in screen pixels (so a line on a huge plate stays visible
// at every zoom), the pixel and height under the cursor, and the corners.
#pragma once

#include "Pipeline.h"
#include "PlateImage.h"

#include <string>

namespace ZalvoPlan {

std::string RenderHtml(const PlateImage& image, const PlanResult& result);

}  // namespace ZalvoPlan
