#include "platform/filecontent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/systemcalls.h"

namespace qorv {

namespace {

/// Appends what `fd` holds, up to its end or `limit` bytes in all, to
/// `content`: 0, or the error number with `content` emptied.
int readUpTo(int fd, std::size_t limit, std::string& content) {
  char buffer[64 * 1024];
  while (content.size() < limit) {
    const ssize_t got = sys::read(fd, buffer, std::min(sizeof buffer, limit - content.size()));
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      content.clear();
      return error;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return 0;
}

}  // namespace

bool readFileContent(const std::string& path, std::string& content) {
  content.clear();
  // Non-blocking, so that a pipe at `path` is refused rather than waited on.
  // A read for its own sake: what fails reads as nothing, and closing a
  // file that was only read loses nothing.
  const int fd = sys::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (sys::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    sys::close(fd);
    return false;
  }
  content.reserve(static_cast<std::size_t>(st.st_size));
  const bool whole = readUpTo(fd, std::string::npos, content) == 0;
  sys::close(fd);
  return whole;
}

int readFileForUpdate(const std::string& path, std::string& content, std::size_t limit,
                      LinkPolicy links) {
  content.clear();
  const int flags =
      O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == LinkPolicy::Refuse ? O_NOFOLLOW : 0);
  const int fd = sys::open(path.c_str(), flags);
  if (fd < 0) return errno;
  struct stat st;
  if (sys::fstat(fd, &st) != 0) {
    const int error = errno;
    sys::close(fd);
    return error;
  }
  if (!S_ISREG(st.st_mode)) {
    sys::close(fd);
    return S_ISDIR(st.st_mode) ? EISDIR : EPERM;
  }
  content.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
  if (const int error = readUpTo(fd, limit, content)) {
    sys::close(fd);
    return error;
  }
  if (sys::close(fd) != 0) {
    content.clear();
    return errno;
  }
  return 0;
}

int removeIfPlainFile(const std::string& path) {
  struct stat st;
  if (sys::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (!S_ISREG(st.st_mode)) return 0;
  return sys::unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
}

int pathError(const std::string& path) {
  struct stat st;
  return sys::stat(path.c_str(), &st) == 0 ? 0 : errno;
}

bool isWritableFile(const std::string& path) {
  return sys::accessAt(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool appendToFile(const std::string& path, const std::string& text) {
  const int fd =
      sys::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return false;
  // One write call, so that copies of the program appending at the same
  // time do not interleave their lines.
  const ssize_t written = sys::write(fd, text.data(), text.size());
  const bool closed = sys::close(fd) == 0;
  return written == static_cast<ssize_t>(text.size()) && closed;
}

}  // namespace qorv
