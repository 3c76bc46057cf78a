// The host's logging interface, with one addition of this host's own.
#pragma once

#include <string>

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

LOGGING_API bool HasLevel(const std::string& category, unsigned level);
LOGGING_API void EnableLevel(const std::string& category, unsigned level);
LOGGING_API void DisableAllLevels();

// This host's own: how often HasLevel was asked about `category`.
LOGGING_API unsigned long long QuestionsAbout(const std::string& category);

class LOGGING_API Guard {
public:
    Guard();
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

}  // namespace Logging
