#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"

namespace qorv {

/// The filter every file must pass.
class FileFilter {
 public:
  const std::vector<std::string>& masks() const { return m_masks; }
  /// The masks in upper case, same order; kept in step with `masks`.
  const std::vector<std::string>& upperMasks() const { return m_upperMasks; }
  void setMasks(std::vector<std::string> masks);

 private:
  std::vector<std::string> m_masks;
  std::vector<std::string> m_upperMasks;
};

class DirectoryWalker;

/// A file the walk reports: its full path, and the open folder holding it,
/// through which its time can be read however long the path is.
struct FoundFile {
  const std::string& path;
  Folder& folder;
  std::string_view name;
};

/// Finds every file under `rootFolder` whose name matches one of the
/// masks, depth first: the files of a folder are reported while it is
/// listed, in the file system's order, then its sub-folders are walked.
/// Links to folders are followed, except to a folder the walk is already
/// inside, so link cycles end. A refused folder counts as empty, and a
/// sub-folder that is gone by the time it is opened is skipped; any other
/// listing failure (an input/output error, too many open files, a failed
/// end of a listing) ends the whole walk, and `failure` says where.
class DirectoryWalker {
 public:
  explicit DirectoryWalker(FileSystem& fileSystem = localFileSystem());

  /// Where the walk starts. Reported paths begin with it exactly, then
  /// folder names each followed by "/", then the file name.
  std::string rootFolder;
  FileFilter filter;
  /// Called once per reported file, from inside `walk`. An error it throws
  /// ends the walk and passes to the caller of `walk`.
  std::function<void(DirectoryWalker& sender, const FoundFile& file)> onFileFound;
  /// Asked before the walk enters a sub-folder, with its path relative to
  /// `rootFolder`, ending in "/" ("blog/tags/"), in walk order; true keeps
  /// the walk out of it: the folder is neither opened nor listed. An error
  /// it throws ends the walk, as from `onFileFound`.
  std::function<bool(std::string_view relativeFolder)> skipFolder;

  /// True when every folder was listed without a failure. False when a
  /// listing failure ended the walk (the root folder missing among them),
  /// or at once, doing nothing, when a walk is already in progress. Throws
  /// EmptyMaskError when a file meets an empty mask, and whatever
  /// `onFileFound` throws.
  bool walk();
  bool isWalking() const { return m_walking; }

  /// What ended the last walk early: the folder whose listing failed (its
  /// path as reported paths begin, ending in "/"), the error number (0
  /// after a walk that listed every folder), and how it counts: `Gone` when
  /// the root folder is missing or no folder, else `Failed`.
  struct ListingFailure {
    std::string folder;
    int error = 0;
    FailureKind kind = FailureKind::Failed;
  };
  const ListingFailure& failure() const { return m_failure; }

 private:
  struct Frame;
  bool walkTree();
  Result<void> reopen(std::vector<Frame>& descent, std::size_t level, Folder* child);
  bool listFolder(Frame& frame);
  /// Ends the walk with a failure of the folder that `m_path` names up to
  /// `pathLength`.
  bool fail(std::size_t pathLength, int error, FailureKind kind = FailureKind::Failed);
  bool passes(std::string_view name);

  FileSystem& m_fileSystem;
  bool m_walking = false;
  ListingFailure m_failure;
  std::string m_path;
  std::set<FolderId> m_onPath;
  std::string m_upperName;
};

}  // namespace qorv
