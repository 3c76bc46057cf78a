#include "plan/Interruption.h"

#include <atomic>
#include <csignal>

namespace ZalvoPlan {
namespace {

// Lock-free, so the handler may store to it.
std::atomic<int> requestedStop{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
    if (requestedStop.exchange(signal) != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

}  // namespace

void InstallStopSignalHandlers() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
}

int StopSignal() { return requestedStop.load(std::memory_order_relaxed); }

void RequestStop(int signal) { requestedStop.store(signal); }

void ClearStopRequest() { requestedStop.store(0); }

void ThrowIfStopRequested() {
    if (StopSignal() != 0) throw Interrupted();
}

}  // namespace ZalvoPlan
