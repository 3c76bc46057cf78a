// The one way the library writes diagnostic text.
//
// The level is asked anew for each message; only when it is on is a Guard
// taken and the writer called, so text that exists only for a message (a
// terrain dump) is never produced while its level is off.
#pragma once

#include <Logging/Logging.h>

#include <iostream>
#include <string>

namespace Zalvo::Detail {

inline const std::string& LogCategory() {
    static const std::string category = "zalvo.zalvoting";
    return category;
}

// Writes one message at `level`: `write(std::clog)` must insert the whole
// text, its final std::endl included.
template <class Writer>
void LogMessage(unsigned level, Writer&& write) {
    if (!Logging::HasLevel(LogCategory(), level)) return;
    Logging::Guard guard;
    write(std::clog);
}

}  // namespace Zalvo::Detail
