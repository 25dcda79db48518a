#pragma once

#include <string>

namespace qorv {

/// A failure point in front of a system call, for the sweep that fails each
/// call of a run in turn (tests/reliability/eio-sweep). Built in only with
/// -DQORV_FAULT_POINTS=ON (the dev and asan presets); elsewhere it is a
/// constant false that the compiler removes.
///
/// With fault points built in, every call is counted from 1, and the
/// environment steers them:
///   QORV_FAULT_TRACE=FILE  appends "N CALL FILE:LINE" for each call to FILE;
///   QORV_FAULT_AT=N        makes call N fail;
///   QORV_FAULT_FROM=N      makes call N and every call after it fail, as a
///                          device that has gone away does;
///   QORV_FAULT_ERRNO=E     the error number a failed call gives (EIO, 5, by
///                          default);
///   QORV_FAULT_CALL=NAME   counts (and traces) only the calls of that name
///                          ("readdir", "fstatat", ...), so that a test can
///                          fail, say, the first listing step.
#ifdef QORV_FAULT_POINTS
/// Counts the call `call` made at line `line` of `file`; true, with errno
/// set, when it is to fail.
bool injectedFault(const char* call, const char* file, int line) noexcept;

/// For tests in one process: while it lives, the `at`-th of the calls named
/// `call` (of all calls when null), counted from its start, fails with
/// `error` (and, `onward`, every one after it too), in place of what the
/// environment asks.
class FaultScope {
 public:
  FaultScope(const char* call, long at, int error, bool onward = false);
  ~FaultScope();
  FaultScope(const FaultScope&) = delete;
  FaultScope& operator=(const FaultScope&) = delete;

 private:
  struct Saved {
    long at;
    long from;
    int error;
    long calls;
  };
  Saved m_saved{};
  std::string m_savedOnly;
};
#else
constexpr bool injectedFault(const char*, const char*, int) noexcept { return false; }
#endif

}  // namespace qorv
