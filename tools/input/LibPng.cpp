#include "input/LibPng.h"

#include "input/PlateImage.h"

#include <cstdio>

namespace ZalvoPlan {

void RecordPngErrorAndJump(png_structp png, png_const_charp message) {
    auto* error = static_cast<PngErrorMessage*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    png_longjmp(png, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

void RaisePngSizeLimits(png_structp png) {
    constexpr auto kLimit = static_cast<png_uint_32>(kMaximumPixelCount);
    png_set_user_limits(png, kLimit, kLimit);
}

}  // namespace ZalvoPlan
