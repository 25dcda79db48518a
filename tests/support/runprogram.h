#pragma once

#include <string>
#include <vector>

namespace qorv::test {

struct ProgramRun {
  /// The exit status; -1 when the program could not be started or did not
  /// exit by itself.
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs `argv` (its first word looked up in PATH) with an empty standard
/// input, and waits for it to end.
ProgramRun runProgram(const std::vector<std::string>& argv);

}  // namespace qorv::test
