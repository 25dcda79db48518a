#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

/// How a program run by `runChild` ended.
struct ChildResult {
  /// 0, or the error number of what failed on our side: starting the
  /// program (ENOENT when it is not installed), reading its output or
  /// waiting for it. The program, if it started, has been ended and reaped.
  int error = 0;
  /// Its exit status when it exited by itself, otherwise -1.
  int exitStatus = -1;
  /// Ended because `onOutput` asked for it.
  bool stopped = false;
  /// The start of what it wrote to its standard error (64 KiB at most).
  std::string errorOutput;
};

/// Runs the program `argv` (its first word looked up in PATH) with exactly
/// `environment` (NAME=VALUE entries), standard input from /dev/null and no
/// other descriptor of ours. Its standard output is handed to `onOutput`
/// piece by piece as it comes; when that returns false, the program is
/// killed and reaped before the call returns. No shell is involved.
ChildResult runChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment,
                     const std::function<bool(std::string_view)>& onOutput);

/// This process's environment without the variables named in `removed`,
/// followed by the NAME=VALUE entries of `added` (whose names are removed
/// from the rest too).
std::vector<std::string> childEnvironment(std::initializer_list<std::string_view> removed,
                                          std::initializer_list<std::string_view> added);

}  // namespace qorv
