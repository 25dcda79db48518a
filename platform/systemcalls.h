#pragma once

// The system calls the platform folder makes, each behind a failure point
// (platform/faultpoints.h), so that a sweep can fail every one of them in
// turn. For the platform's own sources only; each behaves as the call it
// names, and in a build without fault points it is that call.

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

}  // namespace qorv::sys
