#include "support/Printers.h"

namespace Zalvo {
namespace {

// The box and the stretch range, which every room with a box has.
template <class Room>
void PrintBoxFields(const Room& room, std::ostream& out) {
    out << "minColumn: " << room.minColumn << ", maxColumn: " << room.maxColumn << ", maxRow: " << room.maxRow
        << ", minRow: " << room.minRow << ", firstStretch: " << room.firstStretch
        << ", endStretch: " << room.endStretch;
}

}  // namespace

void PrintTo(const Pixel& pixel, std::ostream* out) { *out << '(' << pixel.x << ", " << pixel.y << ')'; }

void PrintTo(const HorizontalRoom& room, std::ostream* out) {
    *out << "HorizontalRoom{";
    PrintBoxFields(room, *out);
    *out << ", row: " << room.row << '}';
}

void PrintTo(const VerticalRoom& room, std::ostream* out) {
    *out << "VerticalRoom{";
    PrintBoxFields(room, *out);
    *out << ", column: " << room.column << '}';
}

void PrintTo(const NoRoom& room, std::ostream* out) {
    *out << "NoRoom{pixels: [";
    for (std::size_t i = 0; i < room.pixels.size(); ++i) {
        if (i > 0) *out << ", ";
        PrintTo(room.pixels[i], out);
    }
    *out << "], firstStretch: " << room.firstStretch << ", endStretch: " << room.endStretch << '}';
}

}  // namespace Zalvo
