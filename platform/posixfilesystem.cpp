#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/filesystem.h"

namespace qorv {

namespace {

TListStatus StatusOf(int error) {
  if (error == EACCES || error == EPERM) return {TListStatus::AccessDenied, error};
  return {TListStatus::Failed, error};
}

bool IsFolderEntry(int folderFd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  // Links count as what they lead to; a dangling one is taken for a file.
  struct stat st;
  return fstatat(folderFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

class TPosixListing final : public TFolderListing {
 public:
  explicit TPosixListing(DIR* dir) : m_dir(dir) {}
  ~TPosixListing() override {
    if (m_dir) closedir(m_dir);
  }

  TListStatus Next(TListedEntry& entry) override {
    errno = 0;
    const dirent* found = readdir(m_dir);
    if (!found) {
      if (errno != 0) return {TListStatus::Failed, errno};
      return {TListStatus::NoMoreEntries, 0};
    }
    entry.Name = found->d_name;
    entry.IsFolder = IsFolderEntry(dirfd(m_dir), *found);
    // Linux keeps no hidden or system attributes: a leading full stop is an
    // ordinary name here.
    entry.Hidden = false;
    entry.System = false;
    return TListStatus::Success();
  }

  TListStatus Close() override {
    DIR* dir = m_dir;
    m_dir = nullptr;
    if (closedir(dir) != 0) return {TListStatus::Failed, errno};
    return TListStatus::Success();
  }

 private:
  DIR* m_dir;
};

class TPosixFolder final : public TFolder {
 public:
  TPosixFolder(int fd, TFolderId id) : m_fd(fd), m_id(id) {}
  ~TPosixFolder() override { close(m_fd); }

  TFolderId Id() const override { return m_id; }

  TListStatus List(std::unique_ptr<TFolderListing>& listing) override {
    // The listing gets its own descriptor, so that this folder's stays open
    // for reaching the sub-folders after the listing has ended.
    const int fd = fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return StatusOf(errno);
    DIR* dir = fdopendir(fd);
    if (!dir) {
      const int error = errno;
      close(fd);
      return StatusOf(error);
    }
    rewinddir(dir);
    listing = std::make_unique<TPosixListing>(dir);
    return TListStatus::Success();
  }

  TListStatus OpenSubfolder(std::string_view name, std::unique_ptr<TFolder>& folder) override {
    return OpenAt(m_fd, Terminated(name), folder);
  }

  std::optional<TDateTime> LastWriteTime(std::string_view name) override {
    struct stat st;
    if (fstatat(m_fd, Terminated(name), &st, 0) != 0) return std::nullopt;
    std::tm tm{};
    if (!localtime_r(&st.st_mtim.tv_sec, &tm)) return std::nullopt;
    const int year = tm.tm_year + 1900;
    if (year < 1 || year > 9999) return std::nullopt;
    // File times are held to two-second steps.
    return TDateTime{{year, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, tm.tm_sec & ~1}};
  }

  static TListStatus OpenAt(int parentFd, const char* path, std::unique_ptr<TFolder>& folder) {
    const int fd = openat(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return StatusOf(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
      const int error = errno;
      close(fd);
      return StatusOf(error);
    }
    folder = std::make_unique<TPosixFolder>(fd, TFolderId{static_cast<std::uint64_t>(st.st_dev),
                                                          static_cast<std::uint64_t>(st.st_ino)});
    return TListStatus::Success();
  }

 private:
  /// `name` as a C string, in a buffer kept for the next call: a scan asks
  /// for the time of every file it reports.
  const char* Terminated(std::string_view name) {
    m_name.assign(name);
    return m_name.c_str();
  }

  int m_fd;
  TFolderId m_id;
  std::string m_name;
};

class TPosixFileSystem final : public TFileSystem {
 public:
  TListStatus OpenFolder(const std::string& path, std::unique_ptr<TFolder>& folder) override {
    return TPosixFolder::OpenAt(AT_FDCWD, path.c_str(), folder);
  }
};

}  // namespace

TFileSystem& LocalFileSystem() {
  static TPosixFileSystem fileSystem;
  return fileSystem;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace qorv
