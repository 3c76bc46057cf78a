// The zalvo-plan command: options, validation, the run and its outputs.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace ZalvoPlan {

// Exit codes.
inline constexpr int kExitSuccess = 0;       // a plan was written ("ok" or "no-path")
inline constexpr int kExitPlanFailed = 1;    // the planning itself failed (e.g. out of memory)
inline constexpr int kExitBadInput = 2;      // bad command line, image or parameter
inline constexpr int kExitOutputFailed = 3;  // the outputs could not be written

// Runs zalvo-plan with `arguments` (without the program name). The image '-'
// is read from `in`. Normal output goes to `out`, errors and warnings (one
// line each) and progress to `err`; progress by default only when
// `errIsTerminal`. Returns the exit code.
int RunCommandLine(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err,
                   bool errIsTerminal);

}  // namespace ZalvoPlan
