// Stopping a run cleanly on SIGINT or SIGTERM. The signal handler only
// records the signal; the planner looks at it where stopping is safe: a batch
// starts no new plate, and a plate being planned is abandoned at its next
// stage or penalty call, before its outputs are put in place, so nothing is
// left half-written. A second signal ends the process at once, for a run
// that will not stop.
#pragma once

#include <stdexcept>

namespace ZalvoPlan {

// Thrown where a requested stop abandons a plate.
class Interrupted : public std::runtime_error {
public:
    Interrupted() : std::runtime_error("interrupted") {}
};

// Installs the handlers for SIGINT and SIGTERM, and ignores SIGPIPE: a closed
// standard output then fails the writes to it, which the planner shrugs off,
// instead of killing a batch with its plates unplanned.
void InstallStopSignalHandlers();

// The signal that asked the run to stop, or 0.
int StopSignal();
// What the handler does; a test asks for a stop the same way.
void RequestStop(int signal);
void ClearStopRequest();

// Throws Interrupted once a stop has been requested.
void ThrowIfStopRequested();

// The shell's exit code for a run ended by `signal`: 130 for SIGINT, 143 for SIGTERM.
inline constexpr int ExitCodeForSignal(int signal) { return 128 + signal; }

}  // namespace ZalvoPlan
