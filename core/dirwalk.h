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
  /// Search type flags; only the file mask test exists here.
  enum SearchType : unsigned { FileMask = 1u << 0 };
  unsigned searchTypes = 0;

  const std::vector<std::string>& masks() const { return m_masks; }
  /// The masks in upper case, same order; kept in step with `FileMasks`.
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

/// Finds every file under `RootDirectory` whose name matches one of the
/// masks, depth first: the files of a folder are reported while it is
/// listed, in the file system's order, then its sub-folders are walked.
/// Links to folders are followed, except to a folder the walk is already
/// inside, so link cycles end. An unreadable folder counts as empty; any
/// other listing failure ends the whole walk.
class DirectoryWalker {
 public:
  explicit DirectoryWalker(FileSystem& fileSystem = localFileSystem());

  /// Where the walk starts. Reported paths begin with it exactly, then
  /// folder names each followed by "/", then the file name.
  std::string rootFolder;
  /// Levels below the root to descend into; 0 means no limit.
  int maxDepth = 0;
  FileFilter filter;
  /// Called once per reported file, from inside `Walk`. An error it throws
  /// ends the walk and passes to the caller of `Walk`.
  std::function<void(DirectoryWalker& sender, const FoundFile& file)> onFileFound;

  /// Whether `FoundFiles` is filled. The site scan turns it off: it reads
  /// the paths as they are reported, and a second copy of 100,000 paths
  /// would cost more memory than the page rows themselves.
  bool keepFoundFiles = true;
  /// Full paths of the files reported by the current or last walk.
  std::vector<std::string> foundFiles;
  /// Folders reported as results; files only are reported here, so it stays empty.
  std::vector<std::string> foundFolders;

  /// True when every folder was listed without a failure. False when a
  /// listing failure ended the walk, or at once, doing nothing, when a walk
  /// is already in progress. Throws EWildcardError when a file meets an
  /// empty mask, and whatever `OnFindFile` throws.
  bool walk();
  bool isWalking() const { return m_walking; }

 private:
  struct Frame;
  bool walkTree();
  bool reopen(std::vector<Frame>& descent, std::size_t level, Folder& child);
  bool listFolder(Frame& frame);
  bool passes(std::string_view name);

  FileSystem& m_fileSystem;
  bool m_walking = false;
  std::string m_path;
  std::set<FolderId> m_onPath;
  std::string m_upperName;
};

}  // namespace qorv
