#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace qorv {

/// Outcome of one step of listing a folder or reading an entry. `code` is
/// the operating system's error number when `kind` is not `Ok`.
struct ListStatus {
  /// `Gone`: the entry is not there (any more), or is no folder where a
  /// folder was asked for, or is a link that leads nowhere (ENOENT, ENOTDIR,
  /// ELOOP). `AccessDenied`: refused (EACCES, EPERM). `NotRegular`: no
  /// regular file where one was to be read (a FIFO, a device, a socket, a
  /// folder). `Failed`: anything else, an input/output error (EIO) among
  /// them.
  enum Kind { Ok, NoMoreEntries, AccessDenied, Gone, NotRegular, Failed };
  Kind kind = Ok;
  int code = 0;

  static ListStatus success() { return {}; }
};

/// One entry of a listing. `name` stays valid until the next call on the
/// listing that produced it.
struct ListedEntry {
  std::string_view name;
  /// A folder, or a link that leads to one.
  bool isFolder = false;
  bool hidden = false;
  bool system = false;
};

/// An open listing of one folder: entries in the order the file system
/// keeps them, "." and ".." included.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  /// The next entry; `NoMoreEntries` at the end, anything else is a failure
  /// (also one to tell whether a link leads to a folder).
  virtual ListStatus next(ListedEntry& entry) = 0;
  /// Ends the listing, which can fail too.
  virtual ListStatus close() = 0;
};

/// A regular file open for reading, from its start.
class FileReader {
 public:
  virtual ~FileReader() = default;
  /// Appends what follows to `bytes` until it holds `upTo` bytes or the
  /// file ends.
  virtual ListStatus read(std::string& bytes, std::size_t upTo) = 0;
  /// Whether the last read reached the end of the file.
  virtual bool atEnd() const = 0;
};

/// Identity of a folder on the machine, so that a walk can tell when a link
/// leads back to a folder it is already inside.
struct FolderId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend auto operator<=>(const FolderId&, const FolderId&) = default;
};

/// An open folder. Sub-folders and file times are reached relative to it,
/// so paths of any length work.
class Folder {
 public:
  virtual ~Folder() = default;
  virtual FolderId id() const = 0;
  /// Starts a listing of this folder.
  virtual ListStatus list(std::unique_ptr<FolderListing>& listing) = 0;
  /// Opens the entry `name` of this folder as a folder.
  virtual ListStatus openSubfolder(std::string_view name, std::unique_ptr<Folder>& folder) = 0;
  /// Last-write time of the entry `name` (links followed) in local time,
  /// seconds held to two-second steps, into `time`. `Ok` with `time` empty
  /// when the time lies outside the years 1 to 9999; `Gone`, `AccessDenied`
  /// or `Failed` when the time cannot be read.
  virtual ListStatus lastWriteTime(std::string_view name, std::optional<DateTime>& time) = 0;
  /// Opens the entry `name` (links followed) for reading. Only a regular
  /// file is opened: anything else gives `NotRegular` without being opened,
  /// as opening a FIFO would wait for a writer and opening a device may act
  /// on it.
  virtual ListStatus openFile(std::string_view name, std::unique_ptr<FileReader>& file) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// Opens the folder at `path` (absolute, or relative to the working folder).
  virtual ListStatus openFolder(const std::string& path, std::unique_ptr<Folder>& folder) = 0;
};

/// The machine's own file system.
FileSystem& localFileSystem();

/// Size of the file at `path` as its folder entry gives it (links followed);
/// nothing when there is no such entry.
std::optional<std::uint64_t> fileSize(const std::string& path);

}  // namespace qorv
