// From what a user asks for to the plan's parameters: the defaults and limits
// that every front end of the planner applies, so the command line and the
// Python package accept and refuse the same plates, resolutions and distances.
#pragma once

#include "input/PlateImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZalvoPlan {

// Most plate images are drawn for 300 pixels per inch.
inline constexpr double kDefaultResolution = 300.0;
// Resolutions outside this range are typing errors, not plates.
inline constexpr double kMinimumResolution = 0.1;
inline constexpr double kMaximumResolution = 1'000'000.0;
// Whole-pixel parameters, weights and penalties beyond this are typing errors too.
inline constexpr std::int32_t kMaximumIntegerParameter = 1'000'000;
inline constexpr double kMaximumWeight = 1'000'000.0;

inline constexpr const char* kDefaultMinimumDistance = "0.5mm";
inline constexpr const char* kDefaultPreferredDistance = "1.5mm";

// The resolution of a plate for which the user gave none: the file's own,
// checked like a given one (a PNG may declare one pixel per metre), else the
// default. `option` names where the user can give one instead.
double ResolutionFromImage(const PlateImage& image, const std::string& option);

// `text` ("0.5mm", "3px") in millipoints at `resolution`; see CheckDistance.
double DistanceInMilliPoints(const std::string& text, const std::string& option, double resolution,
                             const PlateImage& image);

// Refuses a distance wider than the plate could ever need: every erosion ring
// beyond the plate's width and height together costs a full pass over the
// plate for nothing. `text` is the distance as the user gave it.
void CheckDistance(double milliPoints, const std::string& text, const std::string& option, double resolution,
                   const PlateImage& image);

// Refuses split columns beyond the plate's last column.
void ValidateSplitColumns(const std::vector<std::int32_t>& columns, const PlateImage& image, const std::string& option);

}  // namespace ZalvoPlan
