#include "platform/childprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/systemcalls.h"

extern char** environ;

namespace qorv {

namespace {

constexpr std::size_t kErrorOutputLimit = std::size_t{64} * 1024;
// How long a child may run without output before the caller is asked
// whether to go on: events then run often enough for a window to repaint.
constexpr int kTickMilliseconds = 20;

/// Both ends of a pipe, until one of them is handed on.
class Pipe {
 public:
  Pipe() = default;
  ~Pipe() {
    closeEnd(m_fds[0]);
    closeEnd(m_fds[1]);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int open() { return sys::pipe(m_fds) == 0 ? 0 : errno; }
  int writeEnd() const { return m_fds[1]; }
  /// The read end, now the caller's to close.
  int takeReadEnd() { return std::exchange(m_fds[0], -1); }

  static void closeEnd(int& fd) {
    // Only read from, or handed to the child: closing loses nothing.
    if (fd >= 0) sys::close(fd);
    fd = -1;
  }

 private:
  int m_fds[2] = {-1, -1};
};

/// The file actions and attributes of one spawn, released with the object.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&m_actions);
    posix_spawnattr_init(&m_attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&m_actions);
    posix_spawnattr_destroy(&m_attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  int prepare(int outFd, int errFd) {
    if (const int error = posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0))
      return error;
    if (const int error = posix_spawn_file_actions_adddup2(&m_actions, outFd, 1)) return error;
    if (const int error = posix_spawn_file_actions_adddup2(&m_actions, errFd, 2)) return error;
    // Descriptors of ours that lack O_CLOEXEC (a sitemap being written, say)
    // must not stay open in the child for as long as it runs.
    if (const int error = posix_spawn_file_actions_addclosefrom_np(&m_actions, 3)) return error;
    // The child starts with default signal handling and nothing blocked,
    // whatever the program embedding us has set up for itself.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&m_attributes, &none);
    posix_spawnattr_setsigdefault(&m_attributes, &defaults);
    return posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  const posix_spawn_file_actions_t* actions() const { return &m_actions; }
  const posix_spawnattr_t* attributes() const { return &m_attributes; }

 private:
  posix_spawn_file_actions_t m_actions;
  posix_spawnattr_t m_attributes;
};

std::vector<char*> pointers(const std::vector<std::string>& words) {
  std::vector<char*> list;
  list.reserve(words.size() + 1);
  // posix_spawn takes char* const[] for historical reasons; it writes nothing.
  for (const std::string& word : words) list.push_back(const_cast<char*>(word.c_str()));
  list.push_back(nullptr);
  return list;
}

/// Waits for the child to end; its exit status, or -1.
int reap(pid_t pid, int& error) {
  int status = 0;
  while (sys::waitProcess(pid, &status, 0) < 0) {
    if (errno == EINTR) continue;
    if (error == 0) error = errno;
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string_view nameOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

}  // namespace

ChildProcess::~ChildProcess() {
  if (m_pid > 0) {
    kill();
    int ignored = 0;
    reap(m_pid, ignored);
  }
  Pipe::closeEnd(m_out);
  Pipe::closeEnd(m_err);
}

int ChildProcess::start(const std::vector<std::string>& argv,
                        const std::vector<std::string>& environment) {
  if (argv.empty()) return m_startError = EINVAL;
  Pipe out;
  Pipe err;
  SpawnSetup setup;
  if ((m_startError = out.open()) != 0 || (m_startError = err.open()) != 0 ||
      (m_startError = setup.prepare(out.writeEnd(), err.writeEnd())) != 0)
    return m_startError;
  const std::vector<char*> args = pointers(argv);
  const std::vector<char*> envp = pointers(environment);
  pid_t pid = -1;
  if ((m_startError = sys::spawn(&pid, args[0], setup.actions(), setup.attributes(), args.data(),
                                 envp.data())) != 0)
    return m_startError;
  m_pid = pid;
  // The write ends close with `out` and `err`: only the child writes now,
  // and our copies would keep the pipes from ending.
  m_out = out.takeReadEnd();
  m_err = err.takeReadEnd();
  return 0;
}

void ChildProcess::kill() {
  // A child that is still writing would block on a full pipe for ever.
  // SIGKILL, not SIGTERM: what we run only reads, so it has nothing to
  // tidy up, and the wait for it must not depend on it obliging.
  sys::signalProcess(m_pid, SIGKILL);
  Pipe::closeEnd(m_out);
  Pipe::closeEnd(m_err);
}

ChildResult ChildProcess::finish(const std::function<bool(std::string_view)>& onOutput) {
  ChildResult result;
  if (m_pid <= 0) {
    result.error = m_startError != 0 ? m_startError : EINVAL;
    return result;
  }
  pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
  char buffer[64 * 1024];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const int ready = sys::poll(fds, 2, kTickMilliseconds);
    if (ready < 0) {
      if (errno == EINTR) continue;
      result.error = errno;
      break;
    }
    if (ready == 0) {
      if (!onOutput({})) {
        result.stopped = true;
        break;
      }
      continue;
    }
    for (pollfd& entry : fds) {
      if (entry.fd < 0 || entry.revents == 0) continue;
      const ssize_t got = sys::readPipe(entry.fd, buffer, sizeof buffer);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got < 0) {
        result.error = errno;
        break;
      }
      if (got == 0) {
        entry.fd = -1;
        continue;
      }
      const std::string_view piece(buffer, static_cast<std::size_t>(got));
      if (&entry == &fds[0]) {
        if (!onOutput(piece)) {
          result.stopped = true;
          break;
        }
      } else if (result.errorOutput.size() < kErrorOutputLimit) {
        result.errorOutput.append(piece.substr(0, kErrorOutputLimit - result.errorOutput.size()));
      }
    }
    if (result.stopped || result.error != 0) break;
  }
  if (result.stopped || result.error != 0) kill();
  Pipe::closeEnd(m_out);
  Pipe::closeEnd(m_err);
  const int status = reap(std::exchange(m_pid, -1), result.error);
  if (!result.stopped && result.error == 0) result.exitStatus = status;
  return result;
}

ChildResult runChild(const std::vector<std::string>& argv,
                     const std::vector<std::string>& environment,
                     const std::function<bool(std::string_view)>& onOutput) {
  ChildProcess child;
  child.start(argv, environment);
  return child.finish(onOutput);
}

std::vector<std::string> childEnvironment(std::initializer_list<std::string_view> removed,
                                          std::initializer_list<std::string_view> added) {
  auto dropped = [&](std::string_view name) {
    return std::find(removed.begin(), removed.end(), name) != removed.end() ||
           std::any_of(added.begin(), added.end(),
                       [&](std::string_view entry) { return nameOf(entry) == name; });
  };
  std::vector<std::string> entries;
  for (char** entry = environ; entry && *entry; ++entry)
    if (!dropped(nameOf(*entry))) entries.emplace_back(*entry);
  entries.insert(entries.end(), added.begin(), added.end());
  return entries;
}

}  // namespace qorv
