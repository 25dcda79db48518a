#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/contentdigest.h"
#include "platform/datetime.h"
#include "platform/result.h"

namespace qorv {

/// How a failed step of listing a folder or reading an entry counts, by
/// its error number. `Gone`: the entry is not there (any more), or is no
/// folder where a folder was asked for, or is a link that leads nowhere
/// (ENOENT, ENOTDIR, ELOOP). `AccessDenied`: refused (EACCES, EPERM).
/// `Failed`: anything else, an input/output error (EIO) among them.
enum class FailureKind { Gone, AccessDenied, Failed };

constexpr FailureKind failureKind(int error) {
  if (error == EACCES || error == EPERM) return FailureKind::AccessDenied;
  // A link that leads round in a circle leads nowhere, as a dangling one does.
  if (error == ENOENT || error == ENOTDIR || error == ELOOP) return FailureKind::Gone;
  return FailureKind::Failed;
}

/// One entry of a listing. `name` stays valid until the next call on the
/// listing that produced it.
struct ListedEntry {
  std::string_view name;
  /// A folder, or a link that leads to one.
  bool isFolder = false;
};

/// An open listing of one folder: entries in the order the file system
/// keeps them, "." and ".." included.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  /// The next entry, nothing at the end; it fails also when it cannot be
  /// told whether a link leads to a folder.
  virtual Result<std::optional<ListedEntry>> next() = 0;
  /// Ends the listing, which can fail too.
  virtual Result<void> close() = 0;
};

/// A regular file open for reading, from its start.
class FileReader {
 public:
  virtual ~FileReader() = default;
  /// Appends what follows to `bytes` until it holds `upTo` bytes or the
  /// file ends; gives whether it ended.
  virtual Result<bool> read(std::string& bytes, std::size_t upTo) = 0;
};

/// Identity of a folder on the machine, so that a walk can tell when a link
/// leads back to a folder it is already inside.
struct FolderId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend auto operator<=>(const FolderId&, const FolderId&) = default;
};

/// An open folder. Sub-folders and file times are reached relative to it,
/// so paths of any length work. Its calls may come from several threads at
/// once; a listing, from one thread at a time.
class Folder {
 public:
  virtual ~Folder() = default;
  virtual FolderId id() const = 0;
  /// Starts a listing of this folder.
  virtual Result<std::unique_ptr<FolderListing>> list() = 0;
  /// Opens the entry `name` of this folder as a folder.
  virtual Result<std::unique_ptr<Folder>> openSubfolder(std::string_view name) = 0;
  /// Last-write time of the entry `name` (links followed) in local time,
  /// seconds held to two-second steps; nothing when the time lies outside
  /// the years 1 to 9999.
  virtual Result<std::optional<DateTime>> lastWriteTime(std::string_view name) = 0;
  /// The first `limit` bytes (or all, if fewer) of the plain file `name`
  /// of this folder, links followed. Fails with the error of opening or
  /// reading it (ENOENT when there is none), EISDIR for a folder, EPERM for
  /// another entry that is no plain file (a pipe, a device). Touches nothing
  /// this folder keeps between calls, so reads of several files may run at
  /// once.
  virtual Result<std::string> readFile(std::string_view name, std::size_t limit) = 0;
  /// Opens the entry `name` (links followed) for reading. Only a regular
  /// file is opened: for anything else it gives none, without opening it, as
  /// opening a FIFO would wait for a writer and opening a device may act on
  /// it.
  virtual Result<std::unique_ptr<FileReader>> openFile(std::string_view name) = 0;
  /// Last-write time of the entry `name` (links followed) as the file
  /// system keeps it, in seconds since 1970-01-01T00:00:00Z, for
  /// `FileSystem::localTime` to read. Threads that read times this way do
  /// not wait for each other: the C library turns a time into local time
  /// under one lock for the whole process.
  virtual Result<std::int64_t> writeTime(std::string_view name) = 0;
  /// The digest of the whole content of the entry `name` (links followed);
  /// nothing, without opening it, when it is no plain file, as `openFile`.
  /// This one reads it through `openFile` at once; a folder of the system
  /// streams it.
  virtual Result<std::optional<ContentDigest>> digest(std::string_view name);
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// Opens the folder at `path` (absolute, or relative to the working folder).
  virtual Result<std::unique_ptr<Folder>> openFolder(const std::string& path) = 0;
  /// A time that `Folder::writeTime` gave, as `Folder::lastWriteTime` gives
  /// it: in local time, held to two-second steps, nothing outside the years
  /// 1 to 9999.
  virtual std::optional<DateTime> localTime(std::int64_t seconds) = 0;
};

/// The machine's own file system.
FileSystem& localFileSystem();

}  // namespace qorv
