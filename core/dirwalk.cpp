#include "core/dirwalk.h"

#include <memory>

#include "core/unicodecase.h"
#include "core/wildcard.h"

namespace qorv {

void TJvSearchParams::SetFileMasks(std::vector<std::string> masks) {
  m_masks = std::move(masks);
  m_upperMasks.clear();
  m_upperMasks.reserve(m_masks.size());
  for (const std::string& mask : m_masks) m_upperMasks.push_back(ToUpper(mask));
}

namespace {

// Folders open at once below the root, at most. Each level of a descent
// would otherwise hold a descriptor, and a tree deeper than the process's
// descriptor limit (often 1024) could not be walked.
constexpr std::size_t kOpenFolderLimit = 32;

}  // namespace

/// One folder on the current descent path.
struct TJvSearchFiles::TFrame {
  /// Null while closed to spare descriptors; reopened when the walk returns.
  std::unique_ptr<TFolder> Folder;
  TFolderId Id;
  std::size_t PathLength = 0;  // of its path, a prefix of m_path ending in "/"
  std::vector<std::string> Subfolders;
  std::size_t Next = 0;
};

TJvSearchFiles::TJvSearchFiles(TFileSystem& fileSystem) : m_fileSystem(fileSystem) {}

bool TJvSearchFiles::Walk() {
  if (m_walking) return false;
  FoundFiles.clear();
  FoundFolders.clear();
  m_walking = true;
  struct TEndOfWalk {
    TJvSearchFiles& Walker;
    ~TEndOfWalk() {
      Walker.m_walking = false;
      Walker.m_onPath.clear();
    }
  } endOfWalk{*this};
  return WalkTree();
}

bool TJvSearchFiles::WalkTree() {
  // An explicit stack rather than recursion, and one path string shared by
  // all levels: trees of any depth fit in memory and on the stack. Only the
  // root and the deepest levels keep their folders open (see Reopen).
  m_path = RootDirectory;
  if (m_path.empty() || m_path.back() != '/') m_path += '/';
  TFrame root;
  root.PathLength = m_path.size();
  const TListStatus opened = m_fileSystem.OpenFolder(m_path, root.Folder);
  if (opened.Kind == TListStatus::AccessDenied) return true;
  if (opened.Kind != TListStatus::Ok) return false;
  root.Id = root.Folder->Id();
  if (!ListFolder(root)) return false;

  std::vector<TFrame> descent;
  m_onPath.insert(root.Id);
  descent.push_back(std::move(root));
  std::size_t firstOpen = 1;  // the levels from here up to the top are open
  for (;;) {
    TFrame& top = descent.back();
    const bool deeper =
        RecurseDepth == 0 || descent.size() <= static_cast<std::size_t>(RecurseDepth);
    if (!deeper || top.Next == top.Subfolders.size()) {
      m_onPath.erase(top.Id);
      const std::unique_ptr<TFolder> left = std::move(top.Folder);
      descent.pop_back();
      if (descent.empty()) break;
      // The level the walk returns to may have been closed meanwhile.
      const std::size_t level = descent.size() - 1;
      if (level == 0) {
        firstOpen = 1;
      } else if (level < firstOpen) {
        firstOpen = level;
        if (!Reopen(descent, level, *left)) return false;
      }
      continue;
    }
    const std::string& name = top.Subfolders[top.Next++];
    TFrame child;
    const TListStatus status = top.Folder->OpenSubfolder(name, child.Folder);
    if (status.Kind == TListStatus::AccessDenied) continue;
    if (status.Kind != TListStatus::Ok) return false;
    child.Id = child.Folder->Id();
    // A link back to a folder the walk is inside would never end.
    if (!m_onPath.insert(child.Id).second) continue;
    m_path.resize(top.PathLength);
    m_path.append(name).append("/");
    child.PathLength = m_path.size();
    if (!ListFolder(child)) return false;
    descent.push_back(std::move(child));
    if (descent.size() - firstOpen > kOpenFolderLimit) descent[firstOpen++].Folder.reset();
  }
  return true;
}

bool TJvSearchFiles::Reopen(std::vector<TFrame>& descent, std::size_t level, TFolder& child) {
  // The parent of the folder just left is its "..", unless the walk came
  // into that folder through a link; the identity check tells.
  TFrame& frame = descent[level];
  if (child.OpenSubfolder("..", frame.Folder).Kind == TListStatus::Ok &&
      frame.Folder->Id() == frame.Id)
    return true;
  // Otherwise down again by name from the root, which stays open. Every
  // folder on the way must still be the one the walk went through.
  std::unique_ptr<TFolder> folder;
  TFolder* at = descent[0].Folder.get();
  for (std::size_t i = 1; i <= level; ++i) {
    const TFrame& parent = descent[i - 1];
    std::unique_ptr<TFolder> next;
    if (at->OpenSubfolder(parent.Subfolders[parent.Next - 1], next).Kind != TListStatus::Ok ||
        next->Id() != descent[i].Id)
      return false;
    folder = std::move(next);
    at = folder.get();
  }
  frame.Folder = std::move(folder);
  return true;
}

bool TJvSearchFiles::ListFolder(TFrame& frame) {
  std::unique_ptr<TFolderListing> listing;
  const TListStatus started = frame.Folder->List(listing);
  if (started.Kind == TListStatus::AccessDenied) return true;
  if (started.Kind != TListStatus::Ok) return false;

  bool failed = false;
  TListedEntry entry;
  std::string path;
  for (;;) {
    const TListStatus next = listing->Next(entry);
    if (next.Kind == TListStatus::NoMoreEntries) break;
    if (next.Kind != TListStatus::Ok) {
      failed = true;
      break;
    }
    if (entry.Hidden && entry.System) continue;
    if (entry.IsFolder) {
      if (entry.Name != "." && entry.Name != "..") frame.Subfolders.emplace_back(entry.Name);
      continue;
    }
    if (!Passes(entry.Name)) continue;
    path.assign(m_path, 0, frame.PathLength).append(entry.Name);
    if (KeepFoundFiles) FoundFiles.push_back(path);
    if (OnFindFile) OnFindFile(*this, TFoundFile{path, *frame.Folder, entry.Name});
  }
  if (listing->Close().Kind != TListStatus::Ok) failed = true;
  return !failed;
}

bool TJvSearchFiles::Passes(std::string_view name) {
  if ((FileParams.SearchTypes & TJvSearchParams::stFileMask) == 0) return true;
  if (FileParams.FileMasks().empty()) return true;
  ToUpper(name, m_upperName);
  // Indexing rather than iterators: the masks are read afresh for every file.
  for (std::size_t i = 0; i < FileParams.UpperFileMasks().size(); ++i) {
    if (WildcardMatch(FileParams.UpperFileMasks()[i], m_upperName)) return true;
  }
  return false;
}

}  // namespace qorv
