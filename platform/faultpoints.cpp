#include "platform/faultpoints.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qorv {

namespace {

struct FaultPlan {
  long at = 0;    // the one call that fails; 0 for none
  long from = 0;  // the first of the calls that all fail; 0 for none
  int error = EIO;
  const char* only = nullptr;  // the one kind of call counted, or null for all
  int traceFd = -1;            // where each call is recorded, or -1
};

long numberFrom(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::strtol(text, nullptr, 10) : 0;
}

const FaultPlan& plan() {
  // Read once: the environment does not change during a run. The trace goes
  // through a descriptor of its own, opened with plain calls that are no
  // failure points themselves.
  static const FaultPlan kPlan = [] {
    FaultPlan made;
    made.at = numberFrom("QORV_FAULT_AT");
    made.from = numberFrom("QORV_FAULT_FROM");
    if (const long error = numberFrom("QORV_FAULT_ERRNO"); error > 0)
      made.error = static_cast<int>(error);
    made.only = std::getenv("QORV_FAULT_CALL");
    if (const char* trace = std::getenv("QORV_FAULT_TRACE"))
      made.traceFd = ::open(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return made;
  }();
  return kPlan;
}

std::atomic<long> calls{0};

}  // namespace

bool injectedFault(const char* call, const std::source_location& where) noexcept {
  const int savedErrno = errno;
  const FaultPlan& faults = plan();
  if (faults.only && std::strcmp(call, faults.only) != 0) {
    errno = savedErrno;
    return false;
  }
  const long number = ++calls;
  if (faults.traceFd >= 0) {
    // The path from the platform folder on, so that traces of two checkouts compare.
    const char* file = where.file_name();
    if (const char* inside = std::strstr(file, "/platform/")) file = inside + 1;
    char line[512];
    const int length = std::snprintf(line, sizeof line, "%ld %s %s:%u\n", number, call, file,
                                     static_cast<unsigned>(where.line()));
    if (length > 0) {
      const auto size = static_cast<std::size_t>(length) < sizeof line
                            ? static_cast<std::size_t>(length)
                            : sizeof line - 1;
      // A trace that cannot be written shows up as a short trace; the run goes on.
      [[maybe_unused]] const ssize_t written = ::write(faults.traceFd, line, size);
    }
  }
  if (number == faults.at || (faults.from > 0 && number >= faults.from)) {
    errno = faults.error;
    return true;
  }
  errno = savedErrno;
  return false;
}

}  // namespace qorv
