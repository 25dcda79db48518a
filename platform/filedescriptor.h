#pragma once

#include <utility>

#include "platform/result.h"

namespace qorv {

/// Owns an open file descriptor and closes it when it goes. That close is
/// unchecked, which is right only where a failed close loses nothing: a
/// descriptor only read from, or one given up after a failure. A write
/// path calls `close()` and reports what it gives.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  /// Takes `fd`; -1, what a failed open gives, is none.
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      m_fd = other.release();
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }

  /// Gives the descriptor up to the caller, who closes it.
  int release() { return std::exchange(m_fd, -1); }

  /// Closes now, naming the caller's place to the failure points. Even a
  /// failed close releases the descriptor (Linux, POSIX 2024); its error may
  /// be the first news of a write that did not reach the disk.
  Result<void> close(const char* file = __builtin_FILE(), int line = __builtin_LINE());

 private:
  void reset() noexcept;

  int m_fd = -1;
};

}  // namespace qorv
