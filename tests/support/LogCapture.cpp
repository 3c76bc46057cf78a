#include "support/LogCapture.h"

namespace ZalvoTest {

LogCapture::LogCapture(std::initializer_list<unsigned> levels) : previous_(std::clog.rdbuf(stream_.rdbuf())) {
    Logging::DisableAllLevels();
    for (const unsigned level : levels) Logging::EnableLevel(Zalvo::LogCategory, level);
}

LogCapture::~LogCapture() {
    Logging::DisableAllLevels();
    std::clog.rdbuf(previous_);
}

std::vector<std::string> LogCapture::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(stream_.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace ZalvoTest
