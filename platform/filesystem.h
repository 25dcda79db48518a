#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace qorv {

/// Outcome of one step of listing a folder. `Code` is the operating
/// system's error number when `Kind` is not `Ok`.
struct TListStatus {
  enum TKind { Ok, NoMoreEntries, AccessDenied, Failed };
  TKind Kind = Ok;
  int Code = 0;

  static TListStatus Success() { return {}; }
};

/// One entry of a listing. `Name` stays valid until the next call on the
/// listing that produced it.
struct TListedEntry {
  std::string_view Name;
  /// A folder, or a link that leads to one.
  bool IsFolder = false;
  bool Hidden = false;
  bool System = false;
};

/// An open listing of one folder: entries in the order the file system
/// keeps them, "." and ".." included.
class TFolderListing {
 public:
  virtual ~TFolderListing() = default;
  /// The next entry; `NoMoreEntries` at the end, anything else is a failure.
  virtual TListStatus Next(TListedEntry& entry) = 0;
  /// Ends the listing, which can fail too.
  virtual TListStatus Close() = 0;
};

/// Identity of a folder on the machine, so that a walk can tell when a link
/// leads back to a folder it is already inside.
struct TFolderId {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  friend auto operator<=>(const TFolderId&, const TFolderId&) = default;
};

/// An open folder. Sub-folders and file times are reached relative to it,
/// so paths of any length work.
class TFolder {
 public:
  virtual ~TFolder() = default;
  virtual TFolderId Id() const = 0;
  /// Starts a listing of this folder.
  virtual TListStatus List(std::unique_ptr<TFolderListing>& listing) = 0;
  /// Opens the entry `name` of this folder as a folder.
  virtual TListStatus OpenSubfolder(std::string_view name, std::unique_ptr<TFolder>& folder) = 0;
  /// Last-write time of the entry `name` in local time, seconds held to
  /// two-second steps; nothing when the entry is gone or its time cannot be
  /// read or lies outside the years 1 to 9999.
  virtual std::optional<TDateTime> LastWriteTime(std::string_view name) = 0;
};

class TFileSystem {
 public:
  virtual ~TFileSystem() = default;
  /// Opens the folder at `path` (absolute, or relative to the working folder).
  virtual TListStatus OpenFolder(const std::string& path, std::unique_ptr<TFolder>& folder) = 0;
};

/// The machine's own file system.
TFileSystem& LocalFileSystem();

/// Size of the file at `path` as its folder entry gives it (links followed);
/// nothing when there is no such entry.
std::optional<std::uint64_t> FileSize(const std::string& path);

}  // namespace qorv
