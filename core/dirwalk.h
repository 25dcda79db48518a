#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"

namespace qorv {

/// The filter every file must pass.
class TJvSearchParams {
 public:
  /// Search type flags; only the file mask test exists here.
  enum TSearchType : unsigned { stFileMask = 1u << 0 };
  unsigned SearchTypes = 0;

  const std::vector<std::string>& FileMasks() const { return m_masks; }
  /// The masks in upper case, same order; kept in step with `FileMasks`.
  const std::vector<std::string>& UpperFileMasks() const { return m_upperMasks; }
  void SetFileMasks(std::vector<std::string> masks);

 private:
  std::vector<std::string> m_masks;
  std::vector<std::string> m_upperMasks;
};

class TJvSearchFiles;

/// A file the walk reports: its full path, and the open folder holding it,
/// through which its time can be read however long the path is.
struct TFoundFile {
  const std::string& Path;
  TFolder& Folder;
  std::string_view Name;
};

/// Finds every file under `RootDirectory` whose name matches one of the
/// masks, depth first: the files of a folder are reported while it is
/// listed, in the file system's order, then its sub-folders are walked.
/// Links to folders are followed, except to a folder the walk is already
/// inside, so link cycles end. An unreadable folder counts as empty; any
/// other listing failure ends the whole walk.
class TJvSearchFiles {
 public:
  explicit TJvSearchFiles(TFileSystem& fileSystem = LocalFileSystem());

  /// Where the walk starts. Reported paths begin with it exactly, then
  /// folder names each followed by "/", then the file name.
  std::string RootDirectory;
  /// Levels below the root to descend into; 0 means no limit.
  int RecurseDepth = 0;
  TJvSearchParams FileParams;
  /// Called once per reported file, from inside `Walk`. An error it throws
  /// ends the walk and passes to the caller of `Walk`.
  std::function<void(TJvSearchFiles& sender, const TFoundFile& file)> OnFindFile;

  /// Whether `FoundFiles` is filled. The site scan turns it off: it reads
  /// the paths as they are reported, and a second copy of 100,000 paths
  /// would cost more memory than the page rows themselves.
  bool KeepFoundFiles = true;
  /// Full paths of the files reported by the current or last walk.
  std::vector<std::string> FoundFiles;
  /// Folders reported as results; files only are reported here, so it stays empty.
  std::vector<std::string> FoundFolders;

  /// True when every folder was listed without a failure. False when a
  /// listing failure ended the walk, or at once, doing nothing, when a walk
  /// is already in progress. Throws EWildcardError when a file meets an
  /// empty mask, and whatever `OnFindFile` throws.
  bool Walk();
  bool IsWalking() const { return m_walking; }

 private:
  struct TFrame;
  bool WalkTree();
  bool Reopen(std::vector<TFrame>& descent, std::size_t level, TFolder& child);
  bool ListFolder(TFrame& frame);
  bool Passes(std::string_view name);

  TFileSystem& m_fileSystem;
  bool m_walking = false;
  std::string m_path;
  std::set<TFolderId> m_onPath;
  std::string m_upperName;
};

}  // namespace qorv
