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

struct Pipe {
  FileDescriptor readEnd;
  FileDescriptor writeEnd;
};

Result<Pipe> openPipe() {
  int fds[2] = {-1, -1};
  if (sys::pipe(fds) != 0) return Failure{errno};
  return Pipe{FileDescriptor(fds[0]), FileDescriptor(fds[1])};
}

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

std::string_view nameOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

}  // namespace

ChildProcess::~ChildProcess() {
  if (m_pid > 0) {
    kill();
    static_cast<void>(reap());
  }
}

Result<void> ChildProcess::start(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& environment) {
  m_startError = EINVAL;
  if (argv.empty() || m_pid > 0) return Failure{m_startError};
  Result<Pipe> out = openPipe();
  if (!out) return Failure{m_startError = out.error()};
  Result<Pipe> err = openPipe();
  if (!err) return Failure{m_startError = err.error()};
  SpawnSetup setup;
  if (const int error = setup.prepare(out->writeEnd.get(), err->writeEnd.get()))
    return Failure{m_startError = error};
  const std::vector<char*> args = pointers(argv);
  const std::vector<char*> envp = pointers(environment);
  pid_t pid = -1;
  if (const int error =
          sys::spawn(&pid, args[0], setup.actions(), setup.attributes(), args.data(), envp.data()))
    return Failure{m_startError = error};
  m_pid = pid;
  // The write ends close as `out` and `err` go: only the child writes now,
  // and our copies would keep the pipes from ending.
  m_out = std::move(out->readEnd);
  m_err = std::move(err->readEnd);
  return {};
}

void ChildProcess::kill() {
  // SIGKILL, not SIGTERM: what we run only reads, so it has nothing to
  // tidy up, and the wait for it must not depend on it obliging. Should
  // the signal fail, the closed pipes still end a child that writes,
  // which would otherwise block on a full pipe for ever.
  sys::signalProcess(m_pid, SIGKILL);
  m_out = FileDescriptor();
  m_err = FileDescriptor();
}

Result<int> ChildProcess::reap() {
  const pid_t pid = std::exchange(m_pid, -1);
  int status = 0;
  while (sys::waitProcess(pid, &status, 0) < 0)
    if (errno != EINTR) return Failure{errno};
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Result<ChildExit> ChildProcess::finish(const std::function<bool(std::string_view)>& onOutput) {
  if (m_pid <= 0) return Failure{m_startError};
  ChildExit exit;
  int error = 0;
  pollfd fds[2] = {{m_out.get(), POLLIN, 0}, {m_err.get(), POLLIN, 0}};
  char buffer[64 * 1024];
  while (error == 0 && !exit.stopped && (fds[0].fd >= 0 || fds[1].fd >= 0)) {
    const int ready = sys::poll(fds, 2, kTickMilliseconds);
    if (ready < 0) {
      if (errno != EINTR) error = errno;
      continue;
    }
    if (ready == 0) {
      exit.stopped = !onOutput({});
      continue;
    }
    for (pollfd& entry : fds) {
      if (entry.fd < 0 || entry.revents == 0) continue;
      const ssize_t got = sys::readPipe(entry.fd, buffer, sizeof buffer);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got < 0) {
        error = errno;
        break;
      }
      if (got == 0) {
        entry.fd = -1;
        continue;
      }
      const std::string_view piece(buffer, static_cast<std::size_t>(got));
      if (&entry == &fds[0]) {
        exit.stopped = !onOutput(piece);
        if (exit.stopped) break;
      } else if (exit.errorOutput.size() < kErrorOutputLimit) {
        exit.errorOutput.append(piece.substr(0, kErrorOutputLimit - exit.errorOutput.size()));
      }
    }
  }
  if (exit.stopped || error != 0) kill();
  m_out = FileDescriptor();
  m_err = FileDescriptor();
  const Result<int> status = reap();
  if (error != 0) return Failure{error};
  if (!status) return Failure{status.error()};
  if (!exit.stopped) exit.exitStatus = *status;
  return exit;
}

Result<ChildExit> runChild(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment,
                           const std::function<bool(std::string_view)>& onOutput) {
  ChildProcess child;
  if (Result<void> started = child.start(argv, environment); !started)
    return Failure{started.error()};
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
