// How GoogleTest prints the library's values in a failure message: field by field, instead of the bytes of the
// object. Found by argument-dependent lookup, so every test file that compares these values includes this header.
#pragma once

#include <zalvo/zalvo.h>

#include <ostream>

namespace Zalvo {

void PrintTo(const Pixel& pixel, std::ostream* out);
void PrintTo(const HorizontalRoom& room, std::ostream* out);
void PrintTo(const VerticalRoom& room, std::ostream* out);
void PrintTo(const NoRoom& room, std::ostream* out);

}  // namespace Zalvo
