#include "platform/filecontent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/filedescriptor.h"
#include "platform/systemcalls.h"

namespace qorv {

namespace {

/// What `fd` holds, up to its end or `limit` bytes, appended to `content`.
Result<void> readUpTo(int fd, std::size_t limit, std::string& content) {
  char buffer[64 * 1024];
  while (content.size() < limit) {
    const ssize_t got = sys::read(fd, buffer, std::min(sizeof buffer, limit - content.size()));
    if (got < 0) {
      if (errno == EINTR) continue;
      return Failure{errno};
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return {};
}

/// A plain file opened for reading, and its size.
struct PlainFile {
  FileDescriptor fd;
  std::size_t size;
};

/// The plain file at `path`, opened with `flags` besides those of every
/// read. Non-blocking, so that a pipe at `path` is refused rather than
/// waited on.
Result<PlainFile> openPlainFile(const std::string& path, int flags) {
  FileDescriptor fd(sys::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | flags));
  if (!fd) return Failure{errno};
  struct stat st;
  if (sys::fstat(fd.get(), &st) != 0) return Failure{errno};
  if (!S_ISREG(st.st_mode)) return Failure{S_ISDIR(st.st_mode) ? EISDIR : EPERM};
  return PlainFile{std::move(fd), static_cast<std::size_t>(st.st_size)};
}

}  // namespace

Result<std::string> readFileContent(const std::string& path) {
  // A read for its own sake: closing a file that was only read loses nothing.
  const Result<PlainFile> file = openPlainFile(path, 0);
  if (!file) return Failure{file.error()};
  std::string content;
  content.reserve(file->size);
  if (const Result<void> read = readUpTo(file->fd.get(), std::string::npos, content); !read)
    return Failure{read.error()};
  return content;
}

Result<std::string> readFileForUpdate(const std::string& path, std::size_t limit,
                                      LinkPolicy links) {
  Result<PlainFile> file = openPlainFile(path, links == LinkPolicy::Refuse ? O_NOFOLLOW : 0);
  if (!file) return Failure{file.error()};
  std::string content;
  content.reserve(std::min(file->size, limit));
  if (const Result<void> read = readUpTo(file->fd.get(), limit, content); !read)
    return Failure{read.error()};
  // The file is about to be replaced by what this read lets through: a
  // close that reports an error leaves doubt about what was read.
  if (const Result<void> closed = file->fd.close(); !closed) return Failure{closed.error()};
  return content;
}

Result<void> removeIfPlainFile(const std::string& path) {
  struct stat st;
  if (sys::lstat(path.c_str(), &st) != 0) return resultOf(errno == ENOENT ? 0 : errno);
  if (!S_ISREG(st.st_mode)) return {};
  if (sys::unlink(path.c_str()) != 0 && errno != ENOENT) return Failure{errno};
  return {};
}

Result<void> lookUpPath(const std::string& path) {
  struct stat st;
  if (sys::stat(path.c_str(), &st) != 0) return Failure{errno};
  return {};
}

bool isWritableFile(const std::string& path) {
  return sys::accessAt(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

Result<void> appendToFile(const std::string& path, const std::string& text) {
  FileDescriptor fd(
      sys::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666));
  if (!fd) return Failure{errno};
  // One write call, so that copies of the program appending at the same
  // time do not interleave their lines.
  const ssize_t written = sys::write(fd.get(), text.data(), text.size());
  const int writeError = written < 0                                    ? errno
                         : written == static_cast<ssize_t>(text.size()) ? 0
                                                                        : EIO;
  const Result<void> closed = fd.close();
  if (writeError != 0) return Failure{writeError};
  return closed;
}

}  // namespace qorv
