#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace qorv {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

std::string randomSuffix() {
  static std::mt19937_64 generator{std::random_device{}() ^ static_cast<std::uint64_t>(getpid())};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  std::uint64_t value = generator();
  for (int i = 0; i < 10; ++i) {
    suffix += kDigits[value % 36];
    value /= 36;
  }
  return suffix;
}

int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

/// The file a link at `path` leads to, so that replacing it keeps the link;
/// `path` itself otherwise.
std::string resolveTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved)) return resolved;
  return path;
}

}  // namespace

AtomicFile::~AtomicFile() { discard(); }

int AtomicFile::fail(int error) {
  if (m_error == 0) m_error = error;
  return m_error;
}

int AtomicFile::begin(const std::string& path) {
  discard();
  m_error = 0;
  m_path = path;
  const std::string target = resolveTarget(path);
  const std::size_t slash = target.rfind('/');
  m_folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  m_name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (m_name.empty()) return fail(EISDIR);

  m_folderFd = open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_folderFd < 0) return fail(errno);

  // A rename would replace anything, so what is there now is checked first:
  // a read-only file is not replaced behind its owner's back, and a device
  // or a pipe (a sitemap.xml linking to /dev/null, say) is never replaced by
  // a plain file, not even by root.
  struct stat old;
  const bool exists = fstatat(m_folderFd, m_name.c_str(), &old, 0) == 0;
  if (exists && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode)) return fail(EPERM);
  if (exists && S_ISREG(old.st_mode) &&
      faccessat(m_folderFd, m_name.c_str(), W_OK, AT_EACCESS) != 0)
    return fail(errno);

  // A nameless file cannot be left behind by a crash; where the file system
  // does not offer one, a named temporary file is the fallback.
  m_fd = openat(m_folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  m_anonymous = m_fd >= 0;
  if (!m_anonymous) {
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
      m_tempName = "." + m_name + "." + randomSuffix() + ".tmp";
      m_fd = openat(m_folderFd, m_tempName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
      if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
      m_tempName.clear();
      return fail(errno);
    }
  }

  // The replacement keeps the permissions of the file it replaces.
  if (exists && S_ISREG(old.st_mode)) fchmod(m_fd, old.st_mode & 07777);
  m_buffer.reserve(kBufferSize);
  return 0;
}

int AtomicFile::flush() {
  if (m_error != 0) return m_error;
  if (m_fd < 0) return fail(EBADF);
  const int error = writeAll(m_fd, m_buffer.data(), m_buffer.size());
  m_buffer.clear();
  return error ? fail(error) : 0;
}

int AtomicFile::write(std::string_view bytes) {
  if (m_error != 0) return m_error;
  if (m_buffer.size() + bytes.size() > kBufferSize) {
    if (flush() != 0) return m_error;
    if (bytes.size() >= kBufferSize) {
      const int error = writeAll(m_fd, bytes.data(), bytes.size());
      return error ? fail(error) : 0;
    }
  }
  m_buffer.append(bytes);
  return 0;
}

int AtomicFile::nameAnonymousFile() {
  const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
  // The file needs a name for the rename, and a crash between naming it and
  // the rename would leave that name behind. So the name is the same on every
  // replacement of this file and is taken under a lock on the folder: a name
  // a crash left is removed by the next replacement, and leftovers can never
  // pile up. The lock goes with the folder's descriptor, at the latest when
  // the process ends; it is never waited for, so nothing can hang here.
  if (flock(m_folderFd, LOCK_EX | LOCK_NB) == 0) {
    const std::string fixed = "." + m_name + ".new";
    const bool cleared = unlinkat(m_folderFd, fixed.c_str(), 0) == 0 || errno == ENOENT;
    if (cleared &&
        linkat(AT_FDCWD, self.c_str(), m_folderFd, fixed.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      m_tempName = fixed;
      return 0;
    }
  }
  // The lock taken (by another replacement in this folder right now) or not
  // offered, or a leftover that is not ours to remove: a fresh name then.
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_tempName = "." + m_name + "." + randomSuffix() + ".tmp";
    if (linkat(AT_FDCWD, self.c_str(), m_folderFd, m_tempName.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return 0;
    const int error = errno;
    m_tempName.clear();
    if (error != EEXIST) return error;
  }
  return EEXIST;
}

int AtomicFile::commit() {
  if (flush() != 0 || fsync(m_fd) != 0) {
    fail(errno);
    const int error = m_error;
    discard();
    return error;
  }
  if (m_anonymous) {
    const int error = nameAnonymousFile();
    if (error != 0) {
      fail(error);
      discard();
      return error;
    }
  }
  const int fd = m_fd;
  m_fd = -1;
  if (close(fd) != 0) {
    const int error = fail(errno);
    discard();
    return error;
  }
  if (renameat(m_folderFd, m_tempName.c_str(), m_folderFd, m_name.c_str()) != 0) {
    const int error = fail(errno);
    discard();
    return error;
  }
  m_tempName.clear();
  // Makes the rename itself survive a power loss; file systems that cannot
  // sync a folder say so with EINVAL, which changes nothing for the file.
  fsync(m_folderFd);
  close(m_folderFd);
  m_folderFd = -1;
  return 0;
}

void AtomicFile::discard() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  if (!m_tempName.empty() && m_folderFd >= 0) unlinkat(m_folderFd, m_tempName.c_str(), 0);
  m_tempName.clear();
  if (m_folderFd >= 0) close(m_folderFd);
  m_folderFd = -1;
  m_buffer.clear();
}

}  // namespace qorv
