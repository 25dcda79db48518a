#include "platform/faultpoints.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qorv {

namespace {

struct FaultPlan {
  long at = 0;    // the one call that fails; 0 for none
  long from = 0;  // the first of the calls that all fail; 0 for none
  int error = EIO;
  std::string only;  // the one kind of call counted, or empty for all
  int traceFd = -1;  // where each call is recorded, or -1
  long calls = 0;    // counted so far
};

long numberFrom(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::strtol(text, nullptr, 10) : 0;
}

FaultPlan& plan() {
  // Read once: the environment does not change during a run. The trace goes
  // through a descriptor of its own, opened with a plain call that is no
  // failure point itself.
  static FaultPlan current = [] {
    FaultPlan made;
    made.at = numberFrom("QORV_FAULT_AT");
    made.from = numberFrom("QORV_FAULT_FROM");
    if (const long error = numberFrom("QORV_FAULT_ERRNO"); error > 0)
      made.error = static_cast<int>(error);
    if (const char* only = std::getenv("QORV_FAULT_CALL")) made.only = only;
    if (const char* trace = std::getenv("QORV_FAULT_TRACE"))
      made.traceFd = ::open(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return made;
  }();
  return current;
}

void trace(const FaultPlan& faults, long number, const char* call, const char* file, int line) {
  // The path from the platform folder on, so that traces of two checkouts compare.
  if (const char* inside = std::strstr(file, "/platform/")) file = inside + 1;
  char text[512];
  const int length = std::snprintf(text, sizeof text, "%ld %s %s:%d\n", number, call, file, line);
  if (length <= 0) return;
  const std::size_t size = std::min(static_cast<std::size_t>(length), sizeof text - 1);
  // A trace that cannot be written shows as a short one; the run goes on.
  [[maybe_unused]] const ssize_t written = ::write(faults.traceFd, text, size);
}

}  // namespace

bool injectedFault(const char* call, const char* file, int line) noexcept {
  const int savedErrno = errno;
  FaultPlan& faults = plan();
  if (!faults.only.empty() && faults.only != call) {
    errno = savedErrno;
    return false;
  }
  const long number = ++faults.calls;
  if (faults.traceFd >= 0) trace(faults, number, call, file, line);
  if (number == faults.at || (faults.from > 0 && number >= faults.from)) {
    errno = faults.error;
    return true;
  }
  errno = savedErrno;
  return false;
}

FaultScope::FaultScope(const char* call, long at, int error, bool onward) {
  FaultPlan& faults = plan();
  m_saved = {faults.at, faults.from, faults.error, faults.calls};
  m_savedOnly = faults.only;
  faults.only = call ? call : "";
  faults.at = onward ? 0 : at;
  faults.from = onward ? at : 0;
  faults.error = error;
  faults.calls = 0;
}

FaultScope::~FaultScope() {
  FaultPlan& faults = plan();
  faults.at = m_saved.at;
  faults.from = m_saved.from;
  faults.error = m_saved.error;
  faults.calls = m_saved.calls;
  faults.only = m_savedOnly;
}

}  // namespace qorv
