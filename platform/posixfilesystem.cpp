#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/filedescriptor.h"
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

class PosixFolder final : public Folder {
 public:
  // A folder is opened for reading only, so a failed close loses nothing.
  PosixFolder(FileDescriptor fd, FolderId id) : m_fd(std::move(fd)), m_id(id) {}

  FolderId id() const override { return m_id; }

  ListStatus list(std::unique_ptr<FolderListing>& listing) override {
    // The listing gets its own descriptor, so that this folder's stays open
    // for reaching the sub-folders after the listing has ended.
    FileDescriptor fd(sys::duplicate(m_fd.get()));
    if (!fd) return statusOf(errno);
    DIR* dir = sys::openDirectory(fd.get());
    if (!dir) return statusOf(errno);
    // The listing closes it now.
    fd.release();
    rewinddir(dir);
    listing = std::make_unique<PosixListing>(dir);
    return ListStatus::success();
  }

  ListStatus openSubfolder(std::string_view name, std::unique_ptr<Folder>& folder) override {
    return openAt(m_fd.get(), terminated(name), folder);
  }

  ListStatus lastWriteTime(std::string_view name, std::optional<DateTime>& time) override {
    time.reset();
    struct stat st;
    if (sys::statAt(m_fd.get(), terminated(name), &st, 0) != 0) return statusOf(errno);
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

  static ListStatus openAt(int parentFd, const char* path, std::unique_ptr<Folder>& folder) {
    FileDescriptor fd(sys::openAt(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return statusOf(errno);
    struct stat st;
    if (sys::fstat(fd.get(), &st) != 0) return statusOf(errno);
    folder = std::make_unique<PosixFolder>(
        std::move(fd),
        FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
    return ListStatus::success();
  }

 private:
  /// `name` as a C string, in a buffer kept for the next call: a scan asks
  /// for the time of every file it reports.
  const char* terminated(std::string_view name) {
    m_name.assign(name);
    return m_name.c_str();
  }

  FileDescriptor m_fd;
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

}  // namespace qorv
