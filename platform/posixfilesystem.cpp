#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/filesystem.h"
#include "platform/systemcalls.h"

namespace qorv {

namespace {

ListStatus statusOf(int error) {
  if (error == EACCES || error == EPERM) return {ListStatus::AccessDenied, error};
  // A link that leads round in a circle leads nowhere, as a dangling one does.
  if (error == ENOENT || error == ENOTDIR || error == ELOOP) return {ListStatus::Gone, error};
  return {ListStatus::Failed, error};
}

/// Whether the listed entry is a folder, into `isFolder`.
ListStatus classify(int folderFd, const dirent& entry, bool& isFolder) {
  isFolder = entry.d_type == DT_DIR;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return ListStatus::success();
  // Links count as what they lead to. One that leads nowhere, or where this
  // process may not look, is taken for a file, whose time then cannot be
  // read either; a failure to read what it leads to is the listing's.
  struct stat st;
  if (sys::statAt(folderFd, entry.d_name, &st, 0) != 0) {
    const ListStatus status = statusOf(errno);
    return status.kind == ListStatus::Failed ? status : ListStatus::success();
  }
  isFolder = S_ISDIR(st.st_mode);
  return ListStatus::success();
}

class PosixListing final : public FolderListing {
 public:
  explicit PosixListing(DIR* dir) : m_dir(dir) {}
  ~PosixListing() override {
    // Only after a failure that ended the listing early: nothing is read
    // any more, so nothing is lost if this close fails.
    if (m_dir) sys::closeDirectory(m_dir);
  }

  ListStatus next(ListedEntry& entry) override {
    errno = 0;
    const dirent* found = sys::readDirectory(m_dir);
    if (!found) {
      if (errno != 0) return statusOf(errno);
      return {ListStatus::NoMoreEntries, 0};
    }
    entry.name = found->d_name;
    if (const ListStatus status = classify(dirfd(m_dir), *found, entry.isFolder);
        status.kind != ListStatus::Ok)
      return status;
    // Linux keeps no hidden or system attributes: a leading full stop is an
    // ordinary name here.
    entry.hidden = false;
    entry.system = false;
    return ListStatus::success();
  }

  ListStatus close() override {
    DIR* dir = m_dir;
    m_dir = nullptr;
    if (sys::closeDirectory(dir) != 0) return {ListStatus::Failed, errno};
    return ListStatus::success();
  }

 private:
  DIR* m_dir;
};

class PosixFileReader final : public FileReader {
 public:
  PosixFileReader(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
  // Opened for reading only: a failed close loses nothing.
  ~PosixFileReader() override { sys::close(m_fd); }

  ListStatus read(std::string& bytes, std::size_t upTo) override {
    // No room past the size the file had when opened: the room is filled
    // with zeros first, and most pages are smaller than a step.
    if (m_size > 0) upTo = static_cast<std::size_t>(std::min<std::uint64_t>(upTo, m_size));
    std::size_t have = bytes.size();
    if (have >= upTo) return ListStatus::success();
    bytes.resize(upTo);
    while (have < upTo) {
      const ssize_t got = sys::read(m_fd, bytes.data() + have, upTo - have);
      if (got < 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        bytes.resize(have);
        return statusOf(error);
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
    return ListStatus::success();
  }

  bool atEnd() const override { return m_atEnd; }

 private:
  int m_fd;
  std::uint64_t m_size;
  bool m_atEnd = false;
};

class PosixFolder final : public Folder {
 public:
  PosixFolder(int fd, FolderId id) : m_fd(fd), m_id(id) {}
  // A folder is opened for reading only, so a failed close loses nothing.
  ~PosixFolder() override { sys::close(m_fd); }

  FolderId id() const override { return m_id; }

  ListStatus list(std::unique_ptr<FolderListing>& listing) override {
    // The listing gets its own descriptor, so that this folder's stays open
    // for reaching the sub-folders after the listing has ended.
    const int fd = sys::duplicate(m_fd);
    if (fd < 0) return statusOf(errno);
    DIR* dir = sys::openDirectory(fd);
    if (!dir) {
      const int error = errno;
      sys::close(fd);
      return statusOf(error);
    }
    rewinddir(dir);
    listing = std::make_unique<PosixListing>(dir);
    return ListStatus::success();
  }

  ListStatus openSubfolder(std::string_view name, std::unique_ptr<Folder>& folder) override {
    return openAt(m_fd, terminated(name), folder);
  }

  ListStatus lastWriteTime(std::string_view name, std::optional<DateTime>& time) override {
    time.reset();
    struct stat st;
    if (sys::statAt(m_fd, terminated(name), &st, 0) != 0) return statusOf(errno);
    // A time that the calendar cannot hold (EOVERFLOW) is out of range, as
    // one past the year 9999 is.
    std::tm tm{};
    if (!localtime_r(&st.st_mtim.tv_sec, &tm)) return ListStatus::success();
    const int year = tm.tm_year + 1900;
    if (year < 1 || year > 9999) return ListStatus::success();
    // File times are held to two-second steps.
    time = DateTime{{year, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, tm.tm_sec & ~1}};
    return ListStatus::success();
  }

  ListStatus openFile(std::string_view name, std::unique_ptr<FileReader>& file) override {
    const char* path = terminated(name);
    struct stat st;
    if (sys::statAt(m_fd, path, &st, 0) != 0) return statusOf(errno);
    if (!S_ISREG(st.st_mode)) return {ListStatus::NotRegular, 0};
    // Non-blocking, and the type checked again on what was opened: the
    // entry may have been replaced by a FIFO since it was looked at.
    const int fd = sys::openAt(m_fd, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return statusOf(errno);
    if (sys::fstat(fd, &st) != 0) {
      const int error = errno;
      sys::close(fd);
      return statusOf(error);
    }
    if (!S_ISREG(st.st_mode)) {
      sys::close(fd);
      return {ListStatus::NotRegular, 0};
    }
    file = std::make_unique<PosixFileReader>(fd, static_cast<std::uint64_t>(st.st_size));
    return ListStatus::success();
  }

  static ListStatus openAt(int parentFd, const char* path, std::unique_ptr<Folder>& folder) {
    const int fd = sys::openAt(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return statusOf(errno);
    struct stat st;
    if (sys::fstat(fd, &st) != 0) {
      const int error = errno;
      sys::close(fd);
      return statusOf(error);
    }
    folder = std::make_unique<PosixFolder>(
        fd, FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
    return ListStatus::success();
  }

 private:
  /// `name` as a C string, in a buffer kept for the next call: a scan asks
  /// for the time of every file it reports.
  const char* terminated(std::string_view name) {
    m_name.assign(name);
    return m_name.c_str();
  }

  int m_fd;
  FolderId m_id;
  std::string m_name;
};

class PosixFileSystem final : public FileSystem {
 public:
  ListStatus openFolder(const std::string& path, std::unique_ptr<Folder>& folder) override {
    return PosixFolder::openAt(AT_FDCWD, path.c_str(), folder);
  }
};

}  // namespace

FileSystem& localFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
  struct stat st;
  if (sys::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace qorv
