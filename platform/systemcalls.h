#pragma once

// The system calls the platform folder makes, each behind a failure point
// (platform/faultpoints.h), so that a sweep can fail every one of them in
// turn. For the platform's own sources only; each behaves as the call it
// names, and in a build without fault points it is that call.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/faultpoints.h"

namespace qorv::sys {

// Each call names the place it is made from: the builtins, as default
// arguments, stand for the caller's file and line (GCC and clang alike);
// and what it works on, so that a sweep can tell its calls apart by path
// whatever order threads make them in. A descriptor is known by the path it
// was opened by from the open to the close.

inline int open(const char* path, int flags, mode_t mode = 0, const char* file = __builtin_FILE(),
                int line = __builtin_LINE()) {
  const FaultSubject subject{AT_FDCWD, path};
  if (injectedFault("open", file, line, subject)) return -1;
  const int fd = ::open(path, flags, mode);
  rememberDescriptor(fd, subject);
  return fd;
}

inline int openAt(int folderFd, const char* path, int flags, mode_t mode = 0,
                  const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  const FaultSubject subject{folderFd, path};
  if (injectedFault("openat", file, line, subject)) return -1;
  const int fd = ::openat(folderFd, path, flags, mode);
  rememberDescriptor(fd, subject);
  return fd;
}

inline int close(int fd, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  const bool fail = injectedFault("close", file, line, {fd});
  forgetDescriptor(fd);
  // A close that fails still releases the descriptor (Linux, POSIX 2024).
  const int closed = ::close(fd);
  return fail ? -1 : closed;
}

inline ssize_t read(int fd, void* buffer, std::size_t size, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  return injectedFault("read", file, line, {fd}) ? -1 : ::read(fd, buffer, size);
}

inline ssize_t write(int fd, const void* bytes, std::size_t size,
                     const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("write", file, line, {fd}) ? -1 : ::write(fd, bytes, size);
}

inline int fsync(int fd, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("fsync", file, line, {fd}) ? -1 : ::fsync(fd);
}

inline int fstat(int fd, struct stat* st, const char* file = __builtin_FILE(),
                 int line = __builtin_LINE()) {
  return injectedFault("fstat", file, line, {fd}) ? -1 : ::fstat(fd, st);
}

inline int statAt(int folderFd, const char* path, struct stat* st, int flags,
                  const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("fstatat", file, line, {folderFd, path})
             ? -1
             : ::fstatat(folderFd, path, st, flags);
}

inline int stat(const char* path, struct stat* st, const char* file = __builtin_FILE(),
                int line = __builtin_LINE()) {
  return injectedFault("stat", file, line, {AT_FDCWD, path}) ? -1 : ::stat(path, st);
}

inline int lstat(const char* path, struct stat* st, const char* file = __builtin_FILE(),
                 int line = __builtin_LINE()) {
  return injectedFault("lstat", file, line, {AT_FDCWD, path}) ? -1 : ::lstat(path, st);
}

inline int accessAt(int folderFd, const char* path, int mode, int flags,
                    const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("faccessat", file, line, {folderFd, path})
             ? -1
             : ::faccessat(folderFd, path, mode, flags);
}

inline int fchmod(int fd, mode_t mode, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
  return injectedFault("fchmod", file, line, {fd}) ? -1 : ::fchmod(fd, mode);
}

/// fcntl(F_DUPFD_CLOEXEC): a second descriptor of the same open file.
inline int duplicate(int fd, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (injectedFault("fcntl", file, line, {fd})) return -1;
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  rememberDescriptor(copy, {fd});
  return copy;
}

inline DIR* openDirectory(int fd, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE()) {
  return injectedFault("fdopendir", file, line, {fd}) ? nullptr : ::fdopendir(fd);
}

/// readdir: null with errno 0 at the end, null with errno set on a failure.
inline dirent* readDirectory(DIR* dir, const char* file = __builtin_FILE(),
                             int line = __builtin_LINE()) {
  return injectedFault("readdir", file, line, {::dirfd(dir)}) ? nullptr : ::readdir(dir);
}

inline int closeDirectory(DIR* dir, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE()) {
  const bool fail = injectedFault("closedir", file, line, {::dirfd(dir)});
  forgetDescriptor(::dirfd(dir));
  const int closed = ::closedir(dir);
  return fail ? -1 : closed;
}

inline int lock(int fd, int operation, const char* file = __builtin_FILE(),
                int line = __builtin_LINE()) {
  return injectedFault("flock", file, line, {fd}) ? -1 : ::flock(fd, operation);
}

inline int linkAt(int fromFolderFd, const char* from, int toFolderFd, const char* to, int flags,
                  const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("linkat", file, line, {fromFolderFd, from, toFolderFd, to})
             ? -1
             : ::linkat(fromFolderFd, from, toFolderFd, to, flags);
}

inline int unlinkAt(int folderFd, const char* path, int flags, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  return injectedFault("unlinkat", file, line, {folderFd, path})
             ? -1
             : ::unlinkat(folderFd, path, flags);
}

inline int unlink(const char* path, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
  return injectedFault("unlink", file, line, {AT_FDCWD, path}) ? -1 : ::unlink(path);
}

inline int renameAt(int fromFolderFd, const char* from, int toFolderFd, const char* to,
                    const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("renameat", file, line, {fromFolderFd, from, toFolderFd, to})
             ? -1
             : ::renameat(fromFolderFd, from, toFolderFd, to);
}

inline char* realPath(const char* path, char* resolved, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE()) {
  return injectedFault("realpath", file, line, {AT_FDCWD, path}) ? nullptr
                                                                 : ::realpath(path, resolved);
}

/// sched_getaffinity of this process: the processors it may run on.
inline int processorAffinity(cpu_set_t* set, const char* file = __builtin_FILE(),
                             int line = __builtin_LINE()) {
  return injectedFault("sched_getaffinity", file, line) ? -1
                                                        : ::sched_getaffinity(0, sizeof *set, set);
}

/// getrlimit(RLIMIT_NOFILE): how many descriptors the process may hold.
inline int openFileLimit(rlimit* limit, const char* file = __builtin_FILE(),
                         int line = __builtin_LINE()) {
  return injectedFault("getrlimit", file, line) ? -1 : ::getrlimit(RLIMIT_NOFILE, limit);
}

inline int makeFolder(const char* path, mode_t mode, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE()) {
  return injectedFault("mkdir", file, line) ? -1 : ::mkdir(path, mode);
}

/// pipe2(O_CLOEXEC).
inline int pipe(int fds[2], const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("pipe2", file, line) ? -1 : ::pipe2(fds, O_CLOEXEC);
}

// How often a child's output is polled and read depends on how fast it
// writes, not on what the program does: as failure points they would
// renumber every call after them from run to run, and the sweep could not
// fail the same call twice. A pipe's read end fails with nothing but what
// the child does, which the exit status reports.

/// poll: not a failure point.
inline int poll(pollfd* fds, nfds_t count, int timeout) { return ::poll(fds, count, timeout); }

/// read from a child's pipe: not a failure point.
inline ssize_t readPipe(int fd, void* buffer, std::size_t size) { return ::read(fd, buffer, size); }

/// posix_spawnp: 0 or the error number, as the call returns it (no errno).
inline int spawn(pid_t* pid, const char* program, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, char* const argv[], char* const envp[],
                 const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (injectedFault("posix_spawnp", file, line)) return errno;
  return ::posix_spawnp(pid, program, actions, attributes, argv, envp);
}

inline pid_t waitProcess(pid_t pid, int* status, int options, const char* file = __builtin_FILE(),
                         int line = __builtin_LINE()) {
  // A child must be reaped even when the sweep fails the call; the failure
  // is reported after the real wait, so that no zombie stays behind.
  const bool fail = injectedFault("waitpid", file, line);
  const int faultError = errno;
  const pid_t result = ::waitpid(pid, status, options);
  if (fail && result >= 0) {
    errno = faultError;
    return -1;
  }
  return result;
}

inline int signalProcess(pid_t pid, int signal, const char* file = __builtin_FILE(),
                         int line = __builtin_LINE()) {
  return injectedFault("kill", file, line) ? -1 : ::kill(pid, signal);
}

}  // namespace qorv::sys
