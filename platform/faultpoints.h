#pragma once

#include <fcntl.h>

#include <string>

namespace qorv {

/// What a system call works on: a path (`name`, absolute or relative to the
/// working folder when `folder` is AT_FDCWD), a name inside the folder open
/// as `folder`, or, with `name` null, the open descriptor `folder` itself.
/// `other` is the second one of a call that names two (a rename, a link).
struct FaultSubject {
  int folder = -1;
  const char* name = nullptr;
  int otherFolder = -1;
  const char* otherName = nullptr;
};

/// A failure point in front of a system call, for the sweep that fails each
/// call of a run in turn (tests/reliability/eio-sweep). Built in only with
/// -DQORV_FAULT_POINTS=ON (the dev, nogui and asan presets); elsewhere each
/// function here is an empty constant that the compiler removes.
///
/// A call is known by its point: its name, the place in the platform's
/// sources that makes it, the path it works on (a descriptor stands for the
/// path it was opened by) and how many calls before it had that same name,
/// place and path. Unlike a count of all calls, points stay the same when
/// threads make the calls in another order. The environment steers them:
///   QORV_FAULT_TRACE=FILE   appends the point of each call to FILE, one a
///                           line: "CALL FILE:LINE #K PATH";
///   QORV_FAULT_POINT=LINE   makes the call with that point (a line of such
///                           a trace) fail;
///   QORV_FAULT_ONWARD=1     and every call after it as well, as a device
///                           that has gone away does;
///   QORV_FAULT_ERRNO=E      the error number a failed call gives (EIO, 5,
///                           by default);
/// and, in a run on one thread only, by the count of calls from 1:
///   QORV_FAULT_CALL=NAME    counts (and traces) only the calls of that name
///                           ("readdir", "fstatat", ...);
///   QORV_FAULT_AT=N         makes call N fail;
///   QORV_FAULT_FROM=N       makes call N and every call after it fail.
#ifdef QORV_FAULT_POINTS
/// Counts the call `call` made at line `line` of `file` on `subject`; true,
/// with errno set, when it is to fail. Safe on any thread.
bool injectedFault(const char* call, const char* file, int line,
                   const FaultSubject& subject = {}) noexcept;

/// Notes that the descriptor `fd`, a call's result, was opened by the
/// subject's path (or is a copy of the subject's descriptor), so that the
/// calls on it are known by that path. Nothing when `fd` is negative.
void rememberDescriptor(int fd, const FaultSubject& subject) noexcept;
/// Before `fd` is closed: its number may be another file's right after.
void forgetDescriptor(int fd) noexcept;

/// For tests in one process: while it lives, the `at`-th of
/// the calls named `call` (of all calls when null), counted from its start,
/// fails with `error` (and, `onward`, every one after it too), in place of
/// what the environment asks.
class FaultScope {
 public:
  FaultScope(const char* call, long at, int error, bool onward = false);
  /// For tests on any number of threads: while it lives, every call named
  /// `call` on `path` (as a trace names it) fails with `error`.
  FaultScope(const char* call, const std::string& path, int error);
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
  std::string m_savedPath;
};
#else
constexpr bool injectedFault(const char*, const char*, int, const FaultSubject& = {}) noexcept {
  return false;
}
constexpr void rememberDescriptor(int, const FaultSubject&) noexcept {}
constexpr void forgetDescriptor(int) noexcept {}
#endif

}  // namespace qorv
