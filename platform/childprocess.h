#pragma once

#include <sys/types.h>

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

/// A program run without a shell: `start` starts it, `finish` reads its
/// output to the end and waits for it. Several may run at once, each read
/// in turn, so that the system calls made stay in the same order run after
/// run. One destroyed while it runs is killed and reaped.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  /// Starts the program `argv` (its first word looked up in PATH) with
  /// exactly `environment` (NAME=VALUE entries), standard input from
  /// /dev/null and no other descriptor of ours: 0, or the error number
  /// (ENOENT when there is no such program).
  int start(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

  /// Hands its standard output to `onOutput` piece by piece as it comes,
  /// and an empty piece whenever it has written nothing for 20 ms, until
  /// it ends or `onOutput` returns false (the program is then killed), and
  /// reaps it. So the caller can let events run and stop a program that
  /// works long without output. After a failed `start`, the result tells so.
  ChildResult finish(const std::function<bool(std::string_view)>& onOutput);

 private:
  void kill();

  int m_out = -1;
  int m_err = -1;
  pid_t m_pid = -1;
  int m_startError = 0;
};

/// Starts `argv` and finishes it (see ChildProcess).
ChildResult runChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment,
                     const std::function<bool(std::string_view)>& onOutput);

/// This process's environment without the variables named in `removed`,
/// followed by the NAME=VALUE entries of `added` (whose names are removed
/// from the rest too).
std::vector<std::string> childEnvironment(std::initializer_list<std::string_view> removed,
                                          std::initializer_list<std::string_view> added);

}  // namespace qorv
