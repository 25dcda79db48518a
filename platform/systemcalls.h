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
#include <source_location>

#include "platform/faultpoints.h"

namespace qorv::sys {

using Where = std::source_location;

inline int open(const char* path, int flags, mode_t mode = 0, const Where& at = Where::current()) {
  return injectedFault("open", at) ? -1 : ::open(path, flags, mode);
}

inline int openAt(int folderFd, const char* path, int flags, mode_t mode = 0,
                  const Where& at = Where::current()) {
  return injectedFault("openat", at) ? -1 : ::openat(folderFd, path, flags, mode);
}

inline int close(int fd, const Where& at = Where::current()) {
  if (injectedFault("close", at)) {
    // A close that fails still releases the descriptor (Linux, POSIX 2024).
    ::close(fd);
    return -1;
  }
  return ::close(fd);
}

inline ssize_t read(int fd, void* buffer, std::size_t size, const Where& at = Where::current()) {
  return injectedFault("read", at) ? -1 : ::read(fd, buffer, size);
}

inline ssize_t write(int fd, const void* bytes, std::size_t size,
                     const Where& at = Where::current()) {
  return injectedFault("write", at) ? -1 : ::write(fd, bytes, size);
}

inline int fsync(int fd, const Where& at = Where::current()) {
  return injectedFault("fsync", at) ? -1 : ::fsync(fd);
}

inline int fstat(int fd, struct stat* st, const Where& at = Where::current()) {
  return injectedFault("fstat", at) ? -1 : ::fstat(fd, st);
}

inline int statAt(int folderFd, const char* path, struct stat* st, int flags,
                  const Where& at = Where::current()) {
  return injectedFault("fstatat", at) ? -1 : ::fstatat(folderFd, path, st, flags);
}

inline int stat(const char* path, struct stat* st, const Where& at = Where::current()) {
  return injectedFault("stat", at) ? -1 : ::stat(path, st);
}

inline int lstat(const char* path, struct stat* st, const Where& at = Where::current()) {
  return injectedFault("lstat", at) ? -1 : ::lstat(path, st);
}

inline int accessAt(int folderFd, const char* path, int mode, int flags,
                    const Where& at = Where::current()) {
  return injectedFault("faccessat", at) ? -1 : ::faccessat(folderFd, path, mode, flags);
}

inline int fchmod(int fd, mode_t mode, const Where& at = Where::current()) {
  return injectedFault("fchmod", at) ? -1 : ::fchmod(fd, mode);
}

/// fcntl(F_DUPFD_CLOEXEC): a second descriptor of the same open file.
inline int duplicate(int fd, const Where& at = Where::current()) {
  return injectedFault("fcntl", at) ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

inline DIR* openDirectory(int fd, const Where& at = Where::current()) {
  return injectedFault("fdopendir", at) ? nullptr : ::fdopendir(fd);
}

/// readdir: null with errno 0 at the end, null with errno set on a failure.
inline dirent* readDirectory(DIR* dir, const Where& at = Where::current()) {
  return injectedFault("readdir", at) ? nullptr : ::readdir(dir);
}

inline int closeDirectory(DIR* dir, const Where& at = Where::current()) {
  if (injectedFault("closedir", at)) {
    ::closedir(dir);
    return -1;
  }
  return ::closedir(dir);
}

inline int lock(int fd, int operation, const Where& at = Where::current()) {
  return injectedFault("flock", at) ? -1 : ::flock(fd, operation);
}

inline int linkAt(int fromFolderFd, const char* from, int toFolderFd, const char* to, int flags,
                  const Where& at = Where::current()) {
  return injectedFault("linkat", at) ? -1 : ::linkat(fromFolderFd, from, toFolderFd, to, flags);
}

inline int unlinkAt(int folderFd, const char* path, int flags, const Where& at = Where::current()) {
  return injectedFault("unlinkat", at) ? -1 : ::unlinkat(folderFd, path, flags);
}

inline int unlink(const char* path, const Where& at = Where::current()) {
  return injectedFault("unlink", at) ? -1 : ::unlink(path);
}

inline int renameAt(int fromFolderFd, const char* from, int toFolderFd, const char* to,
                    const Where& at = Where::current()) {
  return injectedFault("renameat", at) ? -1 : ::renameat(fromFolderFd, from, toFolderFd, to);
}

inline char* realPath(const char* path, char* resolved, const Where& at = Where::current()) {
  return injectedFault("realpath", at) ? nullptr : ::realpath(path, resolved);
}

}  // namespace qorv::sys
