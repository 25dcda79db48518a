#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/filesystem.h"

namespace qorv {

namespace {

ListStatus statusOf(int error) {
  if (error == EACCES || error == EPERM) return {ListStatus::AccessDenied, error};
  return {ListStatus::Failed, error};
}

bool isFolderEntry(int folderFd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  // Links count as what they lead to; a dangling one is taken for a file.
  struct stat st;
  return fstatat(folderFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

class PosixListing final : public FolderListing {
 public:
  explicit PosixListing(DIR* dir) : m_dir(dir) {}
  ~PosixListing() override {
    if (m_dir) closedir(m_dir);
  }

  ListStatus next(ListedEntry& entry) override {
    errno = 0;
    const dirent* found = readdir(m_dir);
    if (!found) {
      if (errno != 0) return {ListStatus::Failed, errno};
      return {ListStatus::NoMoreEntries, 0};
    }
    entry.name = found->d_name;
    entry.isFolder = isFolderEntry(dirfd(m_dir), *found);
    // Linux keeps no hidden or system attributes: a leading full stop is an
    // ordinary name here.
    entry.hidden = false;
    entry.system = false;
    return ListStatus::success();
  }

  ListStatus close() override {
    DIR* dir = m_dir;
    m_dir = nullptr;
    if (closedir(dir) != 0) return {ListStatus::Failed, errno};
    return ListStatus::success();
  }

 private:
  DIR* m_dir;
};

class PosixFolder final : public Folder {
 public:
  PosixFolder(int fd, FolderId id) : m_fd(fd), m_id(id) {}
  ~PosixFolder() override { close(m_fd); }

  FolderId id() const override { return m_id; }

  ListStatus list(std::unique_ptr<FolderListing>& listing) override {
    // The listing gets its own descriptor, so that this folder's stays open
    // for reaching the sub-folders after the listing has ended.
    const int fd = fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return statusOf(errno);
    DIR* dir = fdopendir(fd);
    if (!dir) {
      const int error = errno;
      close(fd);
      return statusOf(error);
    }
    rewinddir(dir);
    listing = std::make_unique<PosixListing>(dir);
    return ListStatus::success();
  }

  ListStatus openSubfolder(std::string_view name, std::unique_ptr<Folder>& folder) override {
    return openAt(m_fd, terminated(name), folder);
  }

  std::optional<DateTime> lastWriteTime(std::string_view name) override {
    struct stat st;
    if (fstatat(m_fd, terminated(name), &st, 0) != 0) return std::nullopt;
    std::tm tm{};
    if (!localtime_r(&st.st_mtim.tv_sec, &tm)) return std::nullopt;
    const int year = tm.tm_year + 1900;
    if (year < 1 || year > 9999) return std::nullopt;
    // File times are held to two-second steps.
    return DateTime{{year, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, tm.tm_sec & ~1}};
  }

  static ListStatus openAt(int parentFd, const char* path, std::unique_ptr<Folder>& folder) {
    const int fd = openat(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return statusOf(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
      const int error = errno;
      close(fd);
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
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace qorv
