#include "core/dirwalk.h"

#include <memory>

#include "core/unicodecase.h"
#include "core/wildcard.h"

namespace qorv {

void FileFilter::setMasks(std::vector<std::string> masks) {
  m_masks = std::move(masks);
  m_upperMasks.clear();
  m_upperMasks.reserve(m_masks.size());
  for (const std::string& mask : m_masks) m_upperMasks.push_back(toUpper(mask));
}

namespace {

// Folders open at once below the root, at most. Each level of a descent
// would otherwise hold a descriptor, and a tree deeper than the process's
// descriptor limit (often 1024) could not be walked.
constexpr std::size_t kOpenFolderLimit = 32;

}  // namespace

/// One folder on the current descent path.
struct DirectoryWalker::Frame {
  /// Null while closed to spare descriptors; reopened when the walk returns.
  std::unique_ptr<Folder> folder;
  FolderId id;
  std::size_t pathLength = 0;  // of its path, a prefix of m_path ending in "/"
  std::vector<std::string> subfolders;
  std::size_t next = 0;
};

DirectoryWalker::DirectoryWalker(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

bool DirectoryWalker::walk() {
  if (m_walking) return false;
  m_failure = ListingFailure();
  m_walking = true;
  struct EndOfWalk {
    DirectoryWalker& walker;
    ~EndOfWalk() {
      walker.m_walking = false;
      walker.m_onPath.clear();
    }
  } endOfWalk{*this};
  return walkTree();
}

bool DirectoryWalker::walkTree() {
  // An explicit stack rather than recursion, and one path string shared by
  // all levels: trees of any depth fit in memory and on the stack. Only the
  // root and the deepest levels keep their folders open (see reopen).
  m_path = rootFolder;
  if (m_path.empty() || m_path.back() != '/') m_path += '/';
  Frame root;
  root.pathLength = m_path.size();
  Result<std::unique_ptr<Folder>> opened = m_fileSystem.openFolder(m_path);
  if (!opened) {
    const FailureKind kind = failureKind(opened.error());
    if (kind == FailureKind::AccessDenied) return true;
    return fail(m_path.size(), opened.error(), kind);
  }
  root.folder = std::move(*opened);
  root.id = root.folder->id();
  if (!listFolder(root)) return false;

  std::vector<Frame> descent;
  m_onPath.insert(root.id);
  descent.push_back(std::move(root));
  std::size_t firstOpen = 1;  // the levels from here up to the top are open
  for (;;) {
    Frame& top = descent.back();
    if (top.next == top.subfolders.size()) {
      m_onPath.erase(top.id);
      const std::unique_ptr<Folder> left = std::move(top.folder);
      descent.pop_back();
      if (descent.empty()) break;
      // The level the walk returns to may have been closed meanwhile.
      const std::size_t level = descent.size() - 1;
      if (level == 0) {
        firstOpen = 1;
      } else if (level < firstOpen) {
        firstOpen = level;
        Frame& back = descent[level];
        const Result<void> reopened = reopen(descent, level, left.get());
        // Gone or refused since it was listed: so are the sub-folders of it
        // still to be walked, as if they had vanished one by one.
        if (!reopened && failureKind(reopened.error()) != FailureKind::Failed)
          back.next = back.subfolders.size();
        else if (!reopened)
          return fail(back.pathLength, reopened.error());
      }
      continue;
    }
    const std::string& name = top.subfolders[top.next++];
    m_path.resize(top.pathLength);
    m_path.append(name).append("/");
    if (skipFolder && skipFolder(std::string_view(m_path).substr(descent.front().pathLength)))
      continue;
    Frame child;
    Result<std::unique_ptr<Folder>> subfolder = top.folder->openSubfolder(name);
    if (!subfolder) {
      // Refused, or gone since the listing named it (removed, or replaced by
      // a file): skipped, like a file that vanished before its time was read.
      if (failureKind(subfolder.error()) != FailureKind::Failed) continue;
      return fail(m_path.size(), subfolder.error());
    }
    child.folder = std::move(*subfolder);
    child.id = child.folder->id();
    // A link back to a folder the walk is inside would never end.
    if (!m_onPath.insert(child.id).second) continue;
    child.pathLength = m_path.size();
    if (!listFolder(child)) return false;
    descent.push_back(std::move(child));
    if (descent.size() - firstOpen > kOpenFolderLimit) descent[firstOpen++].folder.reset();
  }
  return true;
}

Result<void> DirectoryWalker::reopen(std::vector<Frame>& descent, std::size_t level,
                                     Folder* child) {
  // The parent of the folder just left is its "..", unless the walk came
  // into that folder through a link; the identity check tells.
  Frame& frame = descent[level];
  if (child) {
    Result<std::unique_ptr<Folder>> up = child->openSubfolder("..");
    if (up) {
      frame.folder = std::move(*up);
      if (frame.folder->id() == frame.id) return {};
    } else if (failureKind(up.error()) == FailureKind::Failed) {
      // An input/output error is the walk's, not a reason to try again
      // another way; a ".." that is refused or gone leaves the way by name.
      return Failure{up.error()};
    }
  }
  frame.folder.reset();
  // Otherwise down again by name from the root, which stays open. Every
  // folder on the way must still be the one the walk went through; one that
  // is another now is gone.
  std::unique_ptr<Folder> folder;
  Folder* at = descent[0].folder.get();
  for (std::size_t i = 1; i <= level; ++i) {
    const Frame& parent = descent[i - 1];
    Result<std::unique_ptr<Folder>> next = at->openSubfolder(parent.subfolders[parent.next - 1]);
    if (!next) return Failure{next.error()};
    // Another folder by that name now: the one the walk went through is gone.
    if ((*next)->id() != descent[i].id) return Failure{ENOENT};
    folder = std::move(*next);
    at = folder.get();
  }
  frame.folder = std::move(folder);
  return {};
}

bool DirectoryWalker::fail(std::size_t pathLength, int error, FailureKind kind) {
  m_failure.folder.assign(m_path, 0, pathLength);
  m_failure.error = error;
  m_failure.kind = kind;
  return false;
}

bool DirectoryWalker::listFolder(Frame& frame) {
  Result<std::unique_ptr<FolderListing>> started = frame.folder->list();
  if (!started) {
    if (failureKind(started.error()) != FailureKind::Failed) return true;
    return fail(frame.pathLength, started.error());
  }
  FolderListing& listing = **started;

  int failure = 0;
  std::string path;
  for (;;) {
    const Result<std::optional<ListedEntry>> next = listing.next();
    if (!next) {
      // Some folders refuse only when read (Linux's /proc/PID/map_files,
      // say), or vanish while they are: the same as refused or gone at the
      // start, apart from the files already found, which are there.
      if (failureKind(next.error()) != FailureKind::Failed)
        frame.subfolders.clear();
      else
        failure = next.error();
      break;
    }
    if (!*next) break;
    const ListedEntry& entry = **next;
    if (entry.isFolder) {
      if (entry.name != "." && entry.name != "..") frame.subfolders.emplace_back(entry.name);
      continue;
    }
    if (!passes(entry.name)) continue;
    path.assign(m_path, 0, frame.pathLength).append(entry.name);
    if (onFileFound) onFileFound(*this, FoundFile{path, *frame.folder, entry.name});
  }
  // A listing that cannot be closed may not have given every entry.
  const Result<void> closed = listing.close();
  if (failure == 0) failure = closed.error();
  if (failure != 0) return fail(frame.pathLength, failure);
  return true;
}

bool DirectoryWalker::passes(std::string_view name) {
  if (filter.masks().empty()) return true;
  toUpper(name, m_upperName);
  // Indexing rather than iterators: the masks are read afresh for every file.
  for (std::size_t i = 0; i < filter.upperMasks().size(); ++i) {
    if (wildcardMatch(filter.upperMasks()[i], m_upperName)) return true;
  }
  return false;
}

}  // namespace qorv
