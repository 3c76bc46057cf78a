// The zalvo-plan command: options, validation, the run and its outputs.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace ZalvoPlan {

// Runs zalvo-plan with `arguments` (without the program name). The image '-'
// is read from `in`. Normal output goes to `out`, errors and warnings (one
// line each) and progress to `err`; progress by default only when
// `errIsTerminal`. Returns the exit code.
int RunCommandLine(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err,
                   bool errIsTerminal);

}  // namespace ZalvoPlan
