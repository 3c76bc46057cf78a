// A 5 x 8 pixel font (7 rows and one for the descenders of g and p) for the words of the PNG picture's legend, which has no
// text renderer to lean on: the lower-case letters and the few signs the
// legend uses.
#pragma once

#include <array>
#include <cstdint>

namespace ZalvoPlan {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 8;

// A glyph's rows, top first; bit 4 is the leftmost pixel.
using GlyphRows = std::array<std::uint8_t, kGlyphHeight>;

// The glyph of `c`, or none for a character the font lacks (a space draws as nothing).
const GlyphRows* FindGlyph(char c);

}  // namespace ZalvoPlan
