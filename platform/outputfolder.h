#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace qorv {

/// A file being written into an `OutputFolder` under a temporary name,
/// which takes the place of its target only when published. Dropped before
/// that, it leaves the target as it was and no trace of itself.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  /// Buffered; a failed write is reported here or by a later step.
  virtual Result<void> write(std::string_view bytes) = 0;
  /// Before `prepare`: the file is to replace `name` in the same folder
  /// instead, checked as `OutputFolder::create` checks.
  virtual Result<void> retarget(const std::string& name) = 0;
  /// The content complete and on disk, still under its temporary name.
  virtual Result<void> prepare() = 0;
  /// After `prepare`: in place of its target; the rename is on disk once
  /// the folder is synced.
  virtual Result<void> publish() = 0;
};

/// A folder that files are written into together, each named relative to
/// it. Nothing is ever written, read or removed through a symbolic link.
class OutputFolder {
 public:
  virtual ~OutputFolder() = default;
  /// Starts the replacement of `name`; nothing is visible there yet. Fails
  /// with ELOOP for a link there, EISDIR for a folder, EPERM for what is no
  /// plain file, EACCES for a file this process may not write.
  virtual Result<std::unique_ptr<OutputFile>> create(const std::string& name) = 0;
  /// At most `limit` bytes from the start of the plain file `name`. Fails
  /// with ENOENT when there is none, ELOOP for a link, EISDIR or EPERM for
  /// what is no plain file.
  virtual Result<std::string> read(const std::string& name,
                                   std::size_t limit = static_cast<std::size_t>(-1)) = 0;
  /// Removes `name` if it is a plain file; a link, a folder or nothing
  /// there is left alone.
  virtual Result<void> removeIfPlainFile(const std::string& name) = 0;
  /// Makes the files published so far survive a power loss.
  virtual Result<void> sync() = 0;
};

/// Where writes go: the seam that lets the writers run on a file system in
/// memory, as `FileSystem` is for the reads.
class OutputFileSystem {
 public:
  virtual ~OutputFileSystem() = default;
  /// Opens `folder`, a path ending in "/" to which names are joined, or
  /// empty for the working folder.
  virtual Result<std::unique_ptr<OutputFolder>> openFolder(const std::string& folder) = 0;
};

/// The machine's own file system: files replaced through `AtomicFile`, all
/// of one folder under one lock.
OutputFileSystem& localOutputFileSystem();

}  // namespace qorv
