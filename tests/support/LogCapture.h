// Captures what the library writes to std::clog and controls log levels for the duration of a test.
#pragma once

#include <Logging/Logging.h>
#include <zalvo/zalvo.h>

#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace ZalvoTest {

class LogCapture {
public:
    // Enables `levels` for the library's category and redirects std::clog.
    explicit LogCapture(std::initializer_list<unsigned> levels);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string Text() const { return stream_.str(); }
    // The captured text split at newlines (a trailing newline gives no
    // extra element, an empty line gives an empty element).
    std::vector<std::string> Lines() const;

private:
    std::ostringstream stream_;
    std::streambuf* previous_;
};

}  // namespace ZalvoTest
