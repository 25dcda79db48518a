#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "platform/systemcalls.h"

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

/// Gives the new file for `name` a fresh hidden name of its own, by `take`,
/// which tries one and fails with EEXIST when it is taken: 0 with the name
/// in `tempName`, or the error number with `tempName` empty.
template <class Take>
int takeFreshName(const std::string& name, std::string& tempName, Take take) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = "." + name + "." + randomSuffix() + ".tmp";
    if (take(tempName.c_str())) return 0;
    const int error = errno;
    if (error != EEXIST) {
      tempName.clear();
      return error;
    }
  }
  tempName.clear();
  return EEXIST;
}

int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = sys::write(fd, data, size);
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
/// `path` itself otherwise, and for a link that leads nowhere. 0, or the
/// error number when that cannot be told: replacing the link itself then
/// would part it from the file the user keeps elsewhere.
int resolveTarget(const std::string& path, std::string& target) {
  target = path;
  struct stat st;
  if (sys::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (!S_ISLNK(st.st_mode)) return 0;
  char resolved[PATH_MAX];
  if (!sys::realPath(path.c_str(), resolved)) return errno == ENOENT ? 0 : errno;
  target = resolved;
  return 0;
}

}  // namespace

Result<std::shared_ptr<ReplacementFolder>> ReplacementFolder::open(const std::string& path) {
  FileDescriptor fd(sys::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return Failure{errno};
  return std::shared_ptr<ReplacementFolder>(new ReplacementFolder(std::move(fd)));
}

Result<void> ReplacementFolder::sync() {
  // File systems that cannot sync a folder say so with EINVAL; their renames
  // are as safe as they can be made.
  if (sys::fsync(m_fd.get()) != 0 && errno != EINVAL) return Failure{errno};
  return {};
}

bool ReplacementFolder::lock() {
  if (m_lock == Untried) m_lock = sys::lock(m_fd.get(), LOCK_EX | LOCK_NB) == 0 ? Held : Refused;
  return m_lock == Held;
}

AtomicFile::~AtomicFile() { discard(); }

Result<void> AtomicFile::fail(int error) {
  if (m_error == 0) m_error = error;
  return Failure{m_error};
}

int AtomicFile::checkTarget(const std::string& name) {
  // A rename would replace anything, so what is there now is checked first:
  // a read-only file is not replaced behind its owner's back, and a device
  // or a pipe (a sitemap.xml linking to /dev/null, say) is never replaced by
  // a plain file, not even by root.
  struct stat old;
  if (m_links == LinkPolicy::Refuse) {
    if (sys::statAt(m_folder->fd(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == ENOENT ? 0 : errno;
    if (S_ISLNK(old.st_mode)) return ELOOP;
  }
  if (sys::statAt(m_folder->fd(), name.c_str(), &old, 0) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(old.st_mode)) return EISDIR;
  if (!S_ISREG(old.st_mode)) return EPERM;
  if (sys::accessAt(m_folder->fd(), name.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

Result<void> AtomicFile::begin(const std::string& path, LinkPolicy links,
                               std::shared_ptr<ReplacementFolder> folder) {
  discard();
  m_error = 0;
  m_path = path;
  m_links = links;
  std::string target = path;
  if (links == LinkPolicy::ReplaceTarget) {
    if (const int error = resolveTarget(path, target)) return fail(error);
  }
  const std::size_t slash = target.rfind('/');
  const std::string folderPath = slash == std::string::npos ? "."
                                 : slash == 0               ? "/"
                                                            : target.substr(0, slash);
  m_name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (m_name.empty()) return fail(EISDIR);

  if (folder) {
    m_folder = std::move(folder);
  } else {
    Result<std::shared_ptr<ReplacementFolder>> opened = ReplacementFolder::open(folderPath);
    if (!opened) return fail(opened.error());
    m_folder = std::move(*opened);
  }
  if (const int error = checkTarget(m_name)) return fail(error);

  // A nameless file cannot be left behind by a crash; where the file system
  // does not offer one, a named temporary file is the fallback. Any other
  // failure (an input/output error, a full disk) is the write's.
  m_fd = FileDescriptor(sys::openAt(m_folder->fd(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  m_anonymous = static_cast<bool>(m_fd);
  if (!m_anonymous && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return fail(errno);
  if (!m_anonymous) {
    const int error = takeFreshName(m_name, m_tempName, [this](const char* name) {
      m_fd = FileDescriptor(
          sys::openAt(m_folder->fd(), name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666));
      return static_cast<bool>(m_fd);
    });
    if (error != 0) return fail(error);
  }

  // The replacement keeps the permissions of the file it replaces; not
  // knowing them would silently make a private file readable by others.
  // Only a file system without permissions (FAT) refuses to set them.
  struct stat old;
  if (sys::statAt(m_folder->fd(), m_name.c_str(), &old, 0) != 0) {
    if (errno != ENOENT) return failAndDiscard(errno);
  } else if (S_ISREG(old.st_mode) && sys::fchmod(m_fd.get(), old.st_mode & 07777) != 0 &&
             errno != EPERM && errno != EOPNOTSUPP) {
    return failAndDiscard(errno);
  }
  m_buffer.reserve(kBufferSize);
  return {};
}

Result<void> AtomicFile::retarget(const std::string& name) {
  if (m_error != 0) return Failure{m_error};
  if (m_prepared || !m_folder) return fail(EINVAL);
  if (const int error = checkTarget(name)) return fail(error);
  const std::size_t slash = m_path.rfind('/');
  m_path = (slash == std::string::npos ? std::string() : m_path.substr(0, slash + 1)) + name;
  m_name = name;
  return {};
}

int AtomicFile::flush() {
  if (m_error != 0) return m_error;
  if (!m_fd) return fail(EBADF).error();
  const int error = writeAll(m_fd.get(), m_buffer.data(), m_buffer.size());
  m_buffer.clear();
  return error ? fail(error).error() : 0;
}

Result<void> AtomicFile::write(std::string_view bytes) {
  if (m_error != 0) return Failure{m_error};
  if (m_buffer.size() + bytes.size() > kBufferSize) {
    if (flush() != 0) return Failure{m_error};
    if (bytes.size() >= kBufferSize) {
      if (const int error = writeAll(m_fd.get(), bytes.data(), bytes.size())) return fail(error);
      return {};
    }
  }
  m_buffer.append(bytes);
  return {};
}

int AtomicFile::nameAnonymousFile() {
  const std::string self = "/proc/self/fd/" + std::to_string(m_fd.get());
  const auto linkAs = [&](const char* name) {
    return sys::linkAt(AT_FDCWD, self.c_str(), m_folder->fd(), name, AT_SYMLINK_FOLLOW) == 0;
  };
  // The file needs a name for the rename, and a crash between naming it and
  // the rename would leave that name behind. So the name is the same on every
  // replacement of this file and is taken under a lock on the folder: a name
  // a crash left is removed by the next replacement, and leftovers can never
  // pile up. The lock goes with the folder's descriptor, at the latest when
  // the process ends; it is never waited for, so nothing can hang here.
  if (m_folder->lock()) {
    const std::string fixed = "." + m_name + ".new";
    const bool cleared = sys::unlinkAt(m_folder->fd(), fixed.c_str(), 0) == 0 || errno == ENOENT;
    if (cleared) {
      if (linkAs(fixed.c_str())) {
        m_tempName = fixed;
        return 0;
      }
      // Only a name taken meanwhile leaves a fresh one to try; any other
      // failure (an input/output error, a full disk) is the write's.
      if (errno != EEXIST) return errno;
    }
  }
  // The lock taken (by another replacement in this folder right now) or not
  // offered, or a leftover that is not ours to remove: a fresh name then.
  return takeFreshName(m_name, m_tempName, linkAs);
}

Result<void> AtomicFile::prepare() {
  if (m_prepared) return resultOf(m_error);
  if (flush() != 0 || sys::fsync(m_fd.get()) != 0) return failAndDiscard(errno);
  if (m_anonymous) {
    if (const int error = nameAnonymousFile()) return failAndDiscard(error);
  }
  if (const Result<void> closed = m_fd.close(); !closed) return failAndDiscard(closed.error());
  m_prepared = true;
  return {};
}

Result<void> AtomicFile::publish() {
  if (m_error != 0) return Failure{m_error};
  if (!m_prepared) return fail(EINVAL);
  if (sys::renameAt(m_folder->fd(), m_tempName.c_str(), m_folder->fd(), m_name.c_str()) != 0)
    return failAndDiscard(errno);
  m_tempName.clear();
  m_prepared = false;
  m_folder.reset();
  return {};
}

Result<void> AtomicFile::commit() {
  const std::shared_ptr<ReplacementFolder> folder = m_folder;
  if (const Result<void> prepared = prepare(); !prepared) return prepared;
  if (const Result<void> published = publish(); !published) return published;
  // The new file is in place; the rename itself reaches the disk only with
  // its folder.
  return folder ? folder->sync() : Result<void>();
}

Result<void> AtomicFile::failAndDiscard(int error) {
  const Result<void> failed = fail(error);
  discard();
  return failed;
}

void AtomicFile::discard() {
  // Only ever after a failure, or in place of a replacement that was not
  // wanted: what fails here changes nothing of the target.
  m_fd = FileDescriptor();
  if (!m_tempName.empty() && m_folder) sys::unlinkAt(m_folder->fd(), m_tempName.c_str(), 0);
  m_tempName.clear();
  m_prepared = false;
  m_folder.reset();
  m_buffer.clear();
}

}  // namespace qorv
