#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <string>

#include "platform/filedescriptor.h"
#include "platform/filesystem.h"
#include "platform/plainfile.h"
#include "platform/systemcalls.h"

namespace qorv {

namespace {

/// Whether the listed entry is a folder.
Result<bool> isFolderEntry(int folderFd, const dirent& entry) {
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
  // Links count as what they lead to. One that leads nowhere, or where this
  // process may not look, is taken for a file, whose time then cannot be
  // read either; a failure to read what it leads to is the listing's.
  struct stat st;
  if (sys::statAt(folderFd, entry.d_name, &st, 0) != 0) {
    if (failureKind(errno) == FailureKind::Failed) return Failure{errno};
    return false;
  }
  return S_ISDIR(st.st_mode);
}

/// A name as a C string. On the stack: calls on one folder come from
/// several threads, and a scan makes one for every file it reports.
class CName {
 public:
  explicit CName(std::string_view name) {
    if (name.size() < sizeof m_buffer) {
      name.copy(m_buffer, name.size());
      m_buffer[name.size()] = '\0';
      m_text = m_buffer;
    } else {
      // Longer than a name can be: the call fails with ENAMETOOLONG.
      m_long.assign(name);
      m_text = m_long.c_str();
    }
  }
  operator const char*() const { return m_text; }

 private:
  char m_buffer[NAME_MAX + 1];
  std::string m_long;
  const char* m_text;
};

std::optional<DateTime> localFileTime(std::int64_t seconds) {
  // A time that the calendar cannot hold (EOVERFLOW) is out of range, as
  // one past the year 9999 is.
  const auto time = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (!localtime_r(&time, &tm)) return std::nullopt;
  const int year = tm.tm_year + 1900;
  if (year < 1 || year > 9999) return std::nullopt;
  // File times are held to two-second steps.
  return DateTime{{year, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, tm.tm_sec & ~1}};
}

class PosixListing final : public FolderListing {
 public:
  explicit PosixListing(DIR* dir) : m_dir(dir) {}
  ~PosixListing() override {
    // Only after a failure that ended the listing early: nothing is read
    // any more, so nothing is lost if this close fails.
    if (m_dir) sys::closeDirectory(m_dir);
  }

  Result<std::optional<ListedEntry>> next() override {
    errno = 0;
    const dirent* found = sys::readDirectory(m_dir);
    if (!found) {
      if (errno != 0) return Failure{errno};
      return std::optional<ListedEntry>();
    }
    const Result<bool> isFolder = isFolderEntry(dirfd(m_dir), *found);
    if (!isFolder) return Failure{isFolder.error()};
    return std::optional<ListedEntry>(ListedEntry{found->d_name, *isFolder});
  }

  Result<void> close() override {
    DIR* dir = m_dir;
    m_dir = nullptr;
    if (sys::closeDirectory(dir) != 0) return Failure{errno};
    return {};
  }

 private:
  DIR* m_dir;
};

class PosixFileReader final : public FileReader {
 public:
  // Opened for reading only, so a failed close loses nothing.
  PosixFileReader(FileDescriptor fd, std::uint64_t size) : m_fd(std::move(fd)), m_size(size) {}

  Result<bool> read(std::string& bytes, std::size_t upTo) override {
    // No room past the size the file had when opened: the room is filled
    // with zeros first, and most pages are smaller than a step.
    if (m_size > 0) upTo = static_cast<std::size_t>(std::min<std::uint64_t>(upTo, m_size));
    std::size_t have = bytes.size();
    if (have >= upTo) return m_atEnd;
    bytes.resize(upTo);
    while (have < upTo) {
      const ssize_t got = sys::read(m_fd.get(), bytes.data() + have, upTo - have);
      if (got < 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        bytes.resize(have);
        return Failure{error};
      }
      if (got == 0) {
        m_atEnd = true;
        break;
      }
      have += static_cast<std::size_t>(got);
      // The size the file had when opened spares the read that would only
      // report its end; a file that grows since is read as it was.
      if (m_size > 0 && have >= m_size) {
        m_atEnd = true;
        break;
      }
    }
    bytes.resize(have);
    return m_atEnd;
  }

 private:
  FileDescriptor m_fd;
  std::uint64_t m_size;
  bool m_atEnd = false;
};

class PosixFolder final : public Folder {
 public:
  // A folder is opened for reading only, so a failed close loses nothing.
  PosixFolder(FileDescriptor fd, FolderId id) : m_fd(std::move(fd)), m_id(id) {}

  FolderId id() const override { return m_id; }

  Result<std::unique_ptr<FolderListing>> list() override {
    // The listing gets its own descriptor, so that this folder's stays open
    // for reaching the sub-folders after the listing has ended.
    FileDescriptor fd(sys::duplicate(m_fd.get()));
    if (!fd) return Failure{errno};
    DIR* dir = sys::openDirectory(fd.get());
    if (!dir) return Failure{errno};
    // The listing closes it now.
    fd.release();
    rewinddir(dir);
    return std::unique_ptr<FolderListing>(std::make_unique<PosixListing>(dir));
  }

  Result<std::unique_ptr<Folder>> openSubfolder(std::string_view name) override {
    return openAt(m_fd.get(), CName(name));
  }

  Result<std::optional<DateTime>> lastWriteTime(std::string_view name) override {
    const Result<std::int64_t> seconds = writeTime(name);
    if (!seconds) return Failure{seconds.error()};
    return localFileTime(*seconds);
  }

  Result<std::int64_t> writeTime(std::string_view name) override {
    struct stat st;
    if (sys::statAt(m_fd.get(), CName(name), &st, 0) != 0) return Failure{errno};
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
  }

  Result<std::string> readFile(std::string_view name, std::size_t limit) override {
    const CName path(name);
    // Non-blocking, so that a pipe is refused rather than waited on; only
    // read, so its close loses nothing.
    Result<PlainFile> file = asPlainFile(FileDescriptor(
        sys::openAt(m_fd.get(), path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)));
    if (!file) return Failure{file.error()};
    std::string content;
    content.reserve(std::min(file->size, limit));
    if (const Result<void> read = readUpTo(file->fd.get(), limit, content); !read)
      return Failure{read.error()};
    return content;
  }

  Result<std::unique_ptr<FileReader>> openFile(std::string_view name) override {
    const CName path(name);
    struct stat st;
    if (sys::statAt(m_fd.get(), path, &st, 0) != 0) return Failure{errno};
    if (!S_ISREG(st.st_mode)) return std::unique_ptr<FileReader>();
    // Non-blocking, and the type checked again on what was opened: the
    // entry may have been replaced by a FIFO since it was looked at.
    FileDescriptor fd(sys::openAt(m_fd.get(), path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return Failure{errno};
    if (sys::fstat(fd.get(), &st) != 0) return Failure{errno};
    if (!S_ISREG(st.st_mode)) return std::unique_ptr<FileReader>();
    return std::unique_ptr<FileReader>(
        std::make_unique<PosixFileReader>(std::move(fd), static_cast<std::uint64_t>(st.st_size)));
  }

  Result<std::optional<ContentDigest>> digest(std::string_view name) override {
    return digestFileAt(m_fd.get(), CName(name));
  }

  static Result<std::unique_ptr<Folder>> openAt(int parentFd, const char* path) {
    FileDescriptor fd(sys::openAt(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return Failure{errno};
    struct stat st;
    if (sys::fstat(fd.get(), &st) != 0) return Failure{errno};
    return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(
        std::move(fd),
        FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)}));
  }

 private:
  FileDescriptor m_fd;
  FolderId m_id;
};

class PosixFileSystem final : public FileSystem {
 public:
  Result<std::unique_ptr<Folder>> openFolder(const std::string& path) override {
    return PosixFolder::openAt(AT_FDCWD, path.c_str());
  }

  std::optional<DateTime> localTime(std::int64_t seconds) override {
    return localFileTime(seconds);
  }
};

}  // namespace

Result<std::optional<ContentDigest>> Folder::digest(std::string_view name) {
  Result<std::unique_ptr<FileReader>> reader = openFile(name);
  if (!reader) return Failure{reader.error()};
  if (!*reader) return std::optional<ContentDigest>();
  std::string bytes;
  for (std::size_t upTo = std::size_t{64} * 1024;; upTo *= 2) {
    const Result<bool> ended = (*reader)->read(bytes, upTo);
    if (!ended) return Failure{ended.error()};
    if (*ended) break;
  }
  return std::optional<ContentDigest>(digestBytes(bytes));
}

FileSystem& localFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace qorv
