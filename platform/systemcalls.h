#pragma once

// The system calls the platform folder makes, each behind a failure point
// (platform/faultpoints.h), so that a sweep can fail every one of them in
// turn. For the platform's own sources only; each behaves as the call it
// names, and in a build without fault points it is that call.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/faultpoints.h"

namespace qorv::sys {

// Each call names the place it is made from: the builtins, as default
// arguments, stand for the caller's file and line (GCC and clang alike).

inline int open(const char* path, int flags, mode_t mode = 0, const char* file = __builtin_FILE(),
                int line = __builtin_LINE()) {
  return injectedFault("open", file, line) ? -1 : ::open(path, flags, mode);
}

inline int openAt(int folderFd, const char* path, int flags, mode_t mode = 0,
                  const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("openat", file, line) ? -1 : ::openat(folderFd, path, flags, mode);
}

inline int close(int fd, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  if (injectedFault("close", file, line)) {
    // A close that fails still releases the descriptor (Linux, POSIX 2024).
    ::close(fd);
    return -1;
  }
  return ::close(fd);
}

inline ssize_t read(int fd, void* buffer, std::size_t size, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  return injectedFault("read", file, line) ? -1 : ::read(fd, buffer, size);
}

inline ssize_t write(int fd, const void* bytes, std::size_t size,
                     const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("write", file, line) ? -1 : ::write(fd, bytes, size);
}

inline int fsync(int fd, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("fsync", file, line) ? -1 : ::fsync(fd);
}

inline int fstat(int fd, struct stat* st, const char* file = __builtin_FILE(),
                 int line = __builtin_LINE()) {
  return injectedFault("fstat", file, line) ? -1 : ::fstat(fd, st);
}

inline int statAt(int folderFd, const char* path, struct stat* st, int flags,
                  const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("fstatat", file, line) ? -1 : ::fstatat(folderFd, path, st, flags);
}

inline int stat(const char* path, struct stat* st, const char* file = __builtin_FILE(),
                int line = __builtin_LINE()) {
  return injectedFault("stat", file, line) ? -1 : ::stat(path, st);
}

inline int lstat(const char* path, struct stat* st, const char* file = __builtin_FILE(),
                 int line = __builtin_LINE()) {
  return injectedFault("lstat", file, line) ? -1 : ::lstat(path, st);
}

inline int accessAt(int folderFd, const char* path, int mode, int flags,
                    const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("faccessat", file, line) ? -1 : ::faccessat(folderFd, path, mode, flags);
}

inline int fchmod(int fd, mode_t mode, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
  return injectedFault("fchmod", file, line) ? -1 : ::fchmod(fd, mode);
}

/// fcntl(F_DUPFD_CLOEXEC): a second descriptor of the same open file.
inline int duplicate(int fd, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("fcntl", file, line) ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

inline DIR* openDirectory(int fd, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE()) {
  return injectedFault("fdopendir", file, line) ? nullptr : ::fdopendir(fd);
}

/// readdir: null with errno 0 at the end, null with errno set on a failure.
inline dirent* readDirectory(DIR* dir, const char* file = __builtin_FILE(),
                             int line = __builtin_LINE()) {
  return injectedFault("readdir", file, line) ? nullptr : ::readdir(dir);
}

inline int closeDirectory(DIR* dir, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE()) {
  if (injectedFault("closedir", file, line)) {
    ::closedir(dir);
    return -1;
  }
  return ::closedir(dir);
}

inline int lock(int fd, int operation, const char* file = __builtin_FILE(),
                int line = __builtin_LINE()) {
  return injectedFault("flock", file, line) ? -1 : ::flock(fd, operation);
}

inline int linkAt(int fromFolderFd, const char* from, int toFolderFd, const char* to, int flags,
                  const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("linkat", file, line) ? -1
                                             : ::linkat(fromFolderFd, from, toFolderFd, to, flags);
}

inline int unlinkAt(int folderFd, const char* path, int flags, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  return injectedFault("unlinkat", file, line) ? -1 : ::unlinkat(folderFd, path, flags);
}

inline int unlink(const char* path, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
  return injectedFault("unlink", file, line) ? -1 : ::unlink(path);
}

inline int renameAt(int fromFolderFd, const char* from, int toFolderFd, const char* to,
                    const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  return injectedFault("renameat", file, line) ? -1
                                               : ::renameat(fromFolderFd, from, toFolderFd, to);
}

inline char* realPath(const char* path, char* resolved, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE()) {
  return injectedFault("realpath", file, line) ? nullptr : ::realpath(path, resolved);
}

}  // namespace qorv::sys
