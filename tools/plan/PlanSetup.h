// From what a user asks for to the plan's parameters: the checks against the
// plate that every front end of the planner applies, so the command line and
// the Python package accept and refuse the same plates, resolutions and
// distances.
#pragma once

#include "input/PlateImage.h"
#include "plan/Options.h"

namespace ZalvoPlan {

// What `request` asks of `image`, as the plan's parameters:
//   - the resolution from the request, else the file's own, checked like a
//     given one (a PNG may declare one pixel per metre), else the default;
//   - each distance read at that resolution (one that came measured keeps its
//     millipoints), and refused when wider than the plate could ever need:
//     every erosion ring beyond the plate's width and height together costs a
//     full pass over the plate for nothing;
//   - each choice's name as its value;
//   - split columns beyond the plate's last column refused;
//   - the numbers as given: their limits are the front end's to check, where
//     it reads them.
// Throws InputError naming the option as `spelling` writes it.
PlanParameters ResolvePlan(const PlanRequest& request, const PlateImage& image, OptionSpelling spelling);

// Where ResolvePlan takes the resolution from: "option", "file" or "default".
const char* ResolutionSource(const PlanRequest& request, const PlateImage& image);

}  // namespace ZalvoPlan
