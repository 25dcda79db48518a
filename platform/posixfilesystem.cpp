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
    return openAt(m_fd.get(), terminated(name));
  }

  Result<std::optional<DateTime>> lastWriteTime(std::string_view name) override {
    struct stat st;
    if (sys::statAt(m_fd.get(), terminated(name), &st, 0) != 0) return Failure{errno};
    // A time that the calendar cannot hold (EOVERFLOW) is out of range, as
    // one past the year 9999 is.
    std::tm tm{};
    if (!localtime_r(&st.st_mtim.tv_sec, &tm)) return std::optional<DateTime>();
    const int year = tm.tm_year + 1900;
    if (year < 1 || year > 9999) return std::optional<DateTime>();
    // File times are held to two-second steps.
    return std::optional<DateTime>(
        DateTime{{year, tm.tm_mon + 1, tm.tm_mday}, {tm.tm_hour, tm.tm_min, tm.tm_sec & ~1}});
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
  Result<std::unique_ptr<Folder>> openFolder(const std::string& path) override {
    return PosixFolder::openAt(AT_FDCWD, path.c_str());
  }
};

}  // namespace

FileSystem& localFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace qorv
