// A host with its own logging library and geometry headers, linking a Zalvo built against them: the library must ask
// the host's logging library, and the package must hand the host's headers on.
#include <Logging/Logging.h>
#include <zalvo/zalvo.h>

#include <iostream>
#include <sstream>

#if !defined(HOST_ORVEX)
#error "the package handed on Zalvo's stand-in geometry header, not the host's"
#endif

int main() {
    const std::string category = Zalvo::LogCategory;
    Logging::EnableLevel(category, 30);
    std::ostringstream captured;
    std::streambuf* const previous = std::clog.rdbuf(captured.rdbuf());
    const Zalvo::Terrain terrain(3, std::vector<std::uint8_t>(4, 0));
    const auto path = Zalvo::FindShortestPixelPath(terrain, [](const Zalvo::Pixel&) { return 0.0; });
    std::clog.rdbuf(previous);

    if (!path || path->size() != 3) return 1;
    if (Logging::QuestionsAbout(category) == 0) {
        std::cout << "the library never asked the host's logging library\n";
        return 2;
    }
    if (captured.str() != "Shortest pixel path ends at row: 0\n") {
        std::cout << "the library's log did not reach the host's std::clog: \"" << captured.str() << "\"\n";
        return 3;
    }
    std::cout << "consumer ok\n";
    return 0;
}
