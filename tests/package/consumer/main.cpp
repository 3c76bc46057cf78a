// A host that only knows the installed package. Besides calling the library it checks that the library's diagnostics
// reach the host's own std::clog: on Windows that holds only when host and DLL share one C++ runtime.
#include <Logging/Logging.h>
#include <zalvo/zalvo.h>

#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr unsigned kEndRowLevel = 30;  // the search's "ends at row" message

}  // namespace

int main() {
    Logging::DisableAllLevels();
    Logging::EnableLevel(Zalvo::LogCategory, kEndRowLevel);
    std::ostringstream captured;
    std::streambuf* const previous = std::clog.rdbuf(captured.rdbuf());
    const Zalvo::Terrain terrain(3, std::vector<std::uint8_t>(4, 0));
    const auto path = Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
    std::clog.rdbuf(previous);
    Logging::DisableAllLevels();

    if (!path || path->size() != 3 || Zalvo::GetRowCount(terrain) != 4) return 1;
    if (captured.str() != "Shortest pixel path ends at row: 0\n") {
        std::cout << "the library's log did not reach the host's std::clog: \"" << captured.str() << "\"\n";
        return 2;
    }
    std::cout << "consumer ok, Zalvo " << ZALVO_VERSION << '\n';
    return 0;
}
