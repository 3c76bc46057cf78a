// Stand-in for the host's logging library.
//
// Zalvo asks HasLevel(category, level) before each diagnostic message and
// holds a Guard while it writes the message to std::clog. Hosts (and tests)
// switch levels on and off per category. Nothing is enabled at start.
//
// Guard: while one exists on a thread, Guards on other threads wait, so the
// lines of one message are never interleaved with another thread's. A thread
// may nest Guards.
#pragma once

#include <string>

// Exported from the logging DLL when it is built (LOGGING_BUILDING_LIBRARY),
// imported by everyone else on Windows; default visibility elsewhere.
#if defined(_WIN32)
#if defined(LOGGING_BUILDING_LIBRARY)
#define LOGGING_API __declspec(dllexport)
#else
#define LOGGING_API __declspec(dllimport)
#endif
#else
#define LOGGING_API __attribute__((visibility("default")))
#endif

namespace Logging {

// True when `level` is enabled for `category`. Thread-safe.
LOGGING_API bool HasLevel(const std::string& category, unsigned level);

// Host-side controls; all thread-safe.
LOGGING_API void EnableLevel(const std::string& category, unsigned level);
LOGGING_API void DisableLevel(const std::string& category, unsigned level);
LOGGING_API void DisableAllLevels();

// Scope of one message: serialises writers across threads.
class LOGGING_API Guard {
public:
    Guard();
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

}  // namespace Logging
