// The one way the library writes diagnostic text.
//
// The level is asked anew for each message; only when it is on is a Guard
// taken and the writer called, so text that exists only for a message (a
// terrain dump) is never produced while its level is off.
#pragma once

#include <Logging/Logging.h>
#include <zalvo/zalvo.h>

#include <iostream>
#include <string>

namespace Zalvo::Detail {

// The category as the logging library takes it, built once.
inline const std::string& LogCategoryString() {
    static const std::string category = LogCategory;
    return category;
}

// Writes one message at `level`: `write(std::clog)` must insert the whole
// text, its final std::endl included.
template <class Writer>
void LogMessage(unsigned level, Writer&& write) {
    if (!Logging::HasLevel(LogCategoryString(), level)) return;
    Logging::Guard guard;
    write(std::clog);
}

}  // namespace Zalvo::Detail
