#include "tests/support/fakefilesystem.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace qorv::test {

class FakeFolderHandle;

namespace {

class FakeListing final : public FolderListing {
 public:
  FakeListing(FakeFileSystem& fs, const FakeFileSystem::FakeFolder& folder)
      : m_fs(fs), m_folder(folder) {
    m_fs.maxOpenListings = std::max(m_fs.maxOpenListings, ++m_fs.openListings);
  }
  ~FakeListing() override {
    if (m_open) --m_fs.openListings;
  }

  Result<std::optional<ListedEntry>> next() override {
    if (m_folder.failNextAfter >= 0 && m_next == static_cast<std::size_t>(m_folder.failNextAfter))
      return Failure{m_folder.nextError};
    if (m_next == m_folder.entries.size()) return std::optional<ListedEntry>();
    const auto& e = m_folder.entries[m_next++];
    return std::optional<ListedEntry>(ListedEntry{e.name, e.isFolder});
  }

  Result<void> close() override {
    if (m_open) --m_fs.openListings;
    m_open = false;
    return resultOf(m_folder.closeError);
  }

 private:
  FakeFileSystem& m_fs;
  const FakeFileSystem::FakeFolder& m_folder;
  std::size_t m_next = 0;
  bool m_open = true;
};

}  // namespace

class FakeFolderHandle final : public Folder {
 public:
  FakeFolderHandle(FakeFileSystem& fs, int index) : m_fs(fs), m_index(index) {
    m_fs.maxOpenFolders = std::max(m_fs.maxOpenFolders, ++m_fs.openFolders);
  }
  ~FakeFolderHandle() override { --m_fs.openFolders; }

  FolderId id() const override { return {1, static_cast<std::uint64_t>(m_index)}; }

  Result<std::unique_ptr<FolderListing>> list() override {
    const auto& folder = m_fs.m_folders[static_cast<std::size_t>(m_index)];
    m_fs.m_listed.push_back(m_index);
    if (folder.listError != 0) return Failure{folder.listError};
    return std::unique_ptr<FolderListing>(std::make_unique<FakeListing>(m_fs, folder));
  }

  Result<std::unique_ptr<Folder>> openSubfolder(std::string_view name) override {
    // As on a real file system, ".." is the folder's own parent, also when
    // the folder was reached through a link.
    if (name == "..") return open(m_fs, std::max(m_fs.m_parents[index()].first, 0));
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (!entry->isFolder) return Failure{ENOTDIR};
    return open(m_fs, entry->target);
  }

  Result<std::optional<DateTime>> lastWriteTime(std::string_view name) override {
    const FakeFileSystem::Entry* entry = find(name);
    if (!entry) return Failure{ENOENT};
    if (entry->timeError != 0) return Failure{entry->timeError};
    return entry->time;
  }

  static Result<std::unique_ptr<Folder>> open(FakeFileSystem& fs, int index) {
    const auto& folder = fs.m_folders[static_cast<std::size_t>(index)];
    if (folder.openError != 0) return Failure{folder.openError};
    return std::unique_ptr<Folder>(std::make_unique<FakeFolderHandle>(fs, index));
  }

 private:
  std::size_t index() const { return static_cast<std::size_t>(m_index); }
  const FakeFileSystem::Entry* find(std::string_view name) const {
    for (const auto& e : m_fs.m_folders[static_cast<std::size_t>(m_index)].entries)
      if (e.name == name) return &e;
    return nullptr;
  }
  FakeFileSystem& m_fs;
  int m_index;
};

FakeFileSystem::FakeFileSystem() {
  m_folders.emplace_back();
  m_parents.emplace_back(-1, "");
}

std::string FakeFileSystem::folderPath(int index) const {
  std::string path;
  for (; index > 0; index = m_parents[static_cast<std::size_t>(index)].first) {
    if (!path.empty()) path.insert(0, "/");
    path.insert(0, m_parents[static_cast<std::size_t>(index)].second);
  }
  return path;
}

std::vector<std::string> FakeFileSystem::listedFolders() const {
  std::vector<std::string> paths;
  for (const int index : m_listed) paths.push_back(folderPath(index));
  return paths;
}

int FakeFileSystem::folderIndex(const std::string& path, bool create) {
  int index = 0;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string name = path.substr(start, slash - start);
    start = slash + 1;
    if (name.empty()) continue;
    auto& entries = m_folders[static_cast<std::size_t>(index)].entries;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& e) { return e.name == name && e.isFolder; });
    if (it != entries.end()) {
      index = it->target;
      continue;
    }
    if (!create) throw std::runtime_error("no folder " + path);
    const int created = static_cast<int>(m_folders.size());
    Entry entry;
    entry.name = name;
    entry.isFolder = true;
    entry.target = created;
    m_folders[static_cast<std::size_t>(index)].entries.push_back(entry);
    m_folders.emplace_back();
    m_parents.emplace_back(index, name);
    index = created;
  }
  return index;
}

FakeFileSystem::Entry& FakeFileSystem::addFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const int folder = slash == std::string::npos ? 0 : folderIndex(path.substr(0, slash), true);
  Entry entry;
  entry.name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto& entries = m_folders[static_cast<std::size_t>(folder)].entries;
  entries.push_back(entry);
  return entries.back();
}

int FakeFileSystem::addFolder(const std::string& path) { return folderIndex(path, true); }

void FakeFileSystem::addLink(const std::string& folder, const std::string& name,
                             const std::string& target) {
  Entry entry;
  entry.name = name;
  entry.isFolder = true;
  entry.target = folderIndex(target, false);
  m_folders[static_cast<std::size_t>(folderIndex(folder, true))].entries.push_back(entry);
}

FakeFileSystem::FakeFolder& FakeFileSystem::folder(const std::string& path) {
  return m_folders[static_cast<std::size_t>(folderIndex(path, false))];
}

Result<std::unique_ptr<Folder>> FakeFileSystem::openFolder(const std::string& path) {
  if (path != kRoot) return Failure{ENOENT};
  return FakeFolderHandle::open(*this, 0);
}

}  // namespace qorv::test
