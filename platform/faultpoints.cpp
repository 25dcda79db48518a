#include "platform/faultpoints.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qorv {

namespace {

struct FaultPlan {
  // Read once from the environment.
  std::string point;  // the point of the call that fails, or empty
  bool onward = false;
  int traceFd = -1;  // where each call's point is recorded, or -1

  // Changed by FaultScope too.
  long at = 0;    // the one call that fails, counted; 0 for none
  long from = 0;  // the first of the counted calls that all fail; 0 for none
  int error = EIO;
  std::string only;  // the one kind of call counted, or empty for all
  long calls = 0;    // counted so far
  std::string path;  // the path whose calls of kind `only` all fail, or empty

  // The run's state: paths are kept only while points are asked for.
  bool fired = false;                          // the point has failed, and `onward` holds
  std::unordered_map<int, std::string> paths;  // of the open descriptors
  std::unordered_map<std::string, long> seen;  // calls so far, by point without "#K"
  std::mutex mutex;

  bool byPoint() const { return traceFd >= 0 || !point.empty() || !path.empty(); }
};

long numberFrom(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::strtol(text, nullptr, 10) : 0;
}

FaultPlan& plan() {
  // Read once: the environment does not change during a run. The trace goes
  // through a descriptor of its own, opened with a plain call that is no
  // failure point itself.
  static FaultPlan current;
  static std::once_flag read;
  std::call_once(read, [] {
    current.at = numberFrom("QORV_FAULT_AT");
    current.from = numberFrom("QORV_FAULT_FROM");
    if (const long error = numberFrom("QORV_FAULT_ERRNO"); error > 0)
      current.error = static_cast<int>(error);
    if (const char* only = std::getenv("QORV_FAULT_CALL")) current.only = only;
    if (const char* point = std::getenv("QORV_FAULT_POINT")) current.point = point;
    current.onward = numberFrom("QORV_FAULT_ONWARD") != 0;
    if (const char* trace = std::getenv("QORV_FAULT_TRACE"))
      current.traceFd = ::open(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  });
  return current;
}

/// Points are one line each: a line break or a backslash in a path is
/// written as an escape.
void appendEscaped(std::string& text, const char* path) {
  for (; *path; ++path) {
    if (*path == '\n')
      text += "\\n";
    else if (*path == '\\')
      text += "\\\\";
    else
      text += *path;
  }
}

/// The path of one half of a subject, as the descriptors known so far tell
/// it; "?" stands for a descriptor opened elsewhere.
void appendPath(std::string& text, const FaultPlan& faults, int folder, const char* name) {
  if (name && (name[0] == '/' || folder == AT_FDCWD)) {
    appendEscaped(text, name);
    return;
  }
  if (folder < 0 && !name) return;
  const auto known = faults.paths.find(folder);
  if (known == faults.paths.end())
    text += '?';
  else
    text += known->second;  // escaped when it was remembered
  if (!name) return;
  if (text.empty() || text.back() != '/') text += '/';
  appendEscaped(text, name);
}

std::string pathOf(const FaultPlan& faults, const FaultSubject& subject) {
  std::string path;
  appendPath(path, faults, subject.folder, subject.name);
  if (subject.otherFolder >= 0 || subject.otherName) {
    path += " -> ";
    appendPath(path, faults, subject.otherFolder, subject.otherName);
  }
  return path;
}

/// "CALL FILE:LINE #K PATH", the path of FILE from the platform folder on,
/// so that traces of two checkouts compare.
std::string pointOf(FaultPlan& faults, const char* call, const char* file, int line,
                    const FaultSubject& subject) {
  if (const char* inside = std::strstr(file, "/platform/")) file = inside + 1;
  std::string place = std::string(call) + ' ' + file + ':' + std::to_string(line);
  const std::string path = pathOf(faults, subject);
  const long occurrence = ++faults.seen[place + ' ' + path];
  return place + " #" + std::to_string(occurrence) + ' ' + path;
}

}  // namespace

bool injectedFault(const char* call, const char* file, int line,
                   const FaultSubject& subject) noexcept {
  const int savedErrno = errno;
  FaultPlan& faults = plan();
  bool fail = false;
  {
    const std::lock_guard<std::mutex> lock(faults.mutex);
    if (!faults.only.empty() && faults.only != call) {
      errno = savedErrno;
      return false;
    }
    const long number = ++faults.calls;
    if (number == faults.at || (faults.from > 0 && number >= faults.from)) fail = true;
    if (!faults.path.empty() && pathOf(faults, subject) == faults.path) fail = true;
    if (faults.byPoint()) {
      std::string point = pointOf(faults, call, file, line, subject);
      if (faults.fired) fail = true;
      if (point == faults.point) {
        fail = true;
        faults.fired = faults.onward;
      }
      if (faults.traceFd >= 0) {
        point += '\n';
        // Under the lock, so that the trace keeps the order of the calls. A
        // trace that cannot be written shows as a short one; the run goes on.
        [[maybe_unused]] const ssize_t written =
            ::write(faults.traceFd, point.data(), point.size());
      }
    }
  }
  errno = fail ? faults.error : savedErrno;
  return fail;
}

void rememberDescriptor(int fd, const FaultSubject& subject) noexcept {
  if (fd < 0) return;
  FaultPlan& faults = plan();
  const std::lock_guard<std::mutex> lock(faults.mutex);
  if (faults.byPoint()) faults.paths[fd] = pathOf(faults, subject);
}

void forgetDescriptor(int fd) noexcept {
  FaultPlan& faults = plan();
  const std::lock_guard<std::mutex> lock(faults.mutex);
  faults.paths.erase(fd);
}

FaultScope::FaultScope(const char* call, long at, int error, bool onward) {
  FaultPlan& faults = plan();
  const std::lock_guard<std::mutex> lock(faults.mutex);
  m_saved = {faults.at, faults.from, faults.error, faults.calls};
  m_savedOnly = faults.only;
  faults.only = call ? call : "";
  faults.at = onward ? 0 : at;
  faults.from = onward ? at : 0;
  faults.error = error;
  faults.calls = 0;
}

FaultScope::FaultScope(const char* call, const std::string& path, int error)
    : FaultScope(call, 0, error) {
  FaultPlan& faults = plan();
  const std::lock_guard<std::mutex> lock(faults.mutex);
  m_savedPath = faults.path;
  faults.path = path;
}

FaultScope::~FaultScope() {
  FaultPlan& faults = plan();
  const std::lock_guard<std::mutex> lock(faults.mutex);
  faults.path = m_savedPath;
  faults.at = m_saved.at;
  faults.from = m_saved.from;
  faults.error = m_saved.error;
  faults.calls = m_saved.calls;
  faults.only = m_savedOnly;
}

}  // namespace qorv
