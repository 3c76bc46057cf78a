// What the PNG reader and writer share around libpng: its errors turned into
// messages, and its size limits raised to the planner's own.
#pragma once

#include <png.h>

#include <string>

namespace ZalvoPlan {

// libpng reports errors through a callback that must not return; it records
// the message here and jumps back to the setjmp of the call in progress.
struct PngErrorMessage {
    char text[256] = "unknown libpng error";
};

[[noreturn]] void RecordPngErrorAndJump(png_structp png, png_const_charp message);
void IgnorePngWarning(png_structp png, png_const_charp message);

// libpng refuses any side above 1,000,000 pixels by default; the planner's
// own pixel limit is the only bound it needs.
void RaisePngSizeLimits(png_structp png);

}  // namespace ZalvoPlan
