#include "Logging/Logging.h"

#include <map>
#include <mutex>
#include <set>
#include <utility>

namespace Logging {
namespace {

std::mutex& StateMutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<std::pair<std::string, unsigned>>& Enabled() {
    static std::set<std::pair<std::string, unsigned>> levels;
    return levels;
}

std::map<std::string, unsigned long long>& Questions() {
    static std::map<std::string, unsigned long long> questions;
    return questions;
}

}  // namespace

bool HasLevel(const std::string& category, unsigned level) {
    const std::lock_guard lock(StateMutex());
    ++Questions()[category];
    return Enabled().count({category, level}) != 0;
}

void EnableLevel(const std::string& category, unsigned level) {
    const std::lock_guard lock(StateMutex());
    Enabled().emplace(category, level);
}

void DisableAllLevels() {
    const std::lock_guard lock(StateMutex());
    Enabled().clear();
}

unsigned long long QuestionsAbout(const std::string& category) {
    const std::lock_guard lock(StateMutex());
    return Questions()[category];
}

Guard::Guard() = default;
Guard::~Guard() = default;

}  // namespace Logging
