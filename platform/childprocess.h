#pragma once

#include <sys/types.h>

#include <cerrno>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filedescriptor.h"
#include "platform/result.h"

namespace qorv {

/// How a program run by `ChildProcess` ended, once it had started.
struct ChildExit {
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
  /// /dev/null and no other descriptor of ours. Fails with ENOENT when
  /// there is no such program.
  Result<void> start(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment);

  /// Hands its standard output to `onOutput` piece by piece as it comes,
  /// and an empty piece whenever it has written nothing for 20 ms, until
  /// it ends or `onOutput` returns false (the program is then killed), and
  /// reaps it. So the caller can let events run and stop a program that
  /// works long without output. Fails with the error of what failed on our
  /// side: the start (so that a caller may start several and look at each
  /// once, here), reading the output or the wait; the program has been
  /// ended and reaped all the same.
  Result<ChildExit> finish(const std::function<bool(std::string_view)>& onOutput);

 private:
  void kill();
  Result<int> reap();

  FileDescriptor m_out;
  FileDescriptor m_err;
  pid_t m_pid = -1;
  int m_startError = EINVAL;
};

/// Starts `argv` and finishes it (see ChildProcess).
Result<ChildExit> runChild(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment,
                           const std::function<bool(std::string_view)>& onOutput);

/// This process's environment without the variables named in `removed`,
/// followed by the NAME=VALUE entries of `added` (whose names are removed
/// from the rest too).
std::vector<std::string> childEnvironment(std::initializer_list<std::string_view> removed,
                                          std::initializer_list<std::string_view> added);

}  // namespace qorv
