#include "Logging/Logging.h"

#include <mutex>
#include <set>
#include <shared_mutex>
#include <utility>

namespace Logging {
namespace {

std::shared_mutex& LevelsMutex() {
    static std::shared_mutex mutex;
    return mutex;
}

std::set<std::pair<std::string, unsigned>>& EnabledLevels() {
    static std::set<std::pair<std::string, unsigned>> levels;
    return levels;
}

// Recursive so that a message written while a Guard is held (for example
// from inside a host callback) cannot deadlock its own thread.
std::recursive_mutex& WriterMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

}  // namespace

bool HasLevel(const std::string& category, unsigned level) {
    std::shared_lock lock(LevelsMutex());
    return EnabledLevels().count({category, level}) != 0;
}

void EnableLevel(const std::string& category, unsigned level) {
    std::unique_lock lock(LevelsMutex());
    EnabledLevels().emplace(category, level);
}

void DisableLevel(const std::string& category, unsigned level) {
    std::unique_lock lock(LevelsMutex());
    EnabledLevels().erase({category, level});
}

void DisableAllLevels() {
    std::unique_lock lock(LevelsMutex());
    EnabledLevels().clear();
}

Guard::Guard() { WriterMutex().lock(); }

Guard::~Guard() { WriterMutex().unlock(); }

}  // namespace Logging
