#include "tests/support/fakefilesystem.h"

#include <algorithm>
#include <stdexcept>

namespace qorv::test {

class TFakeFolderHandle;

namespace {

class TFakeListing final : public TFolderListing {
 public:
  TFakeListing(TFakeFileSystem& fs, const TFakeFileSystem::TFakeFolder& folder)
      : m_fs(fs), m_folder(folder) {
    m_fs.MaxOpenListings = std::max(m_fs.MaxOpenListings, ++m_fs.OpenListings);
  }
  ~TFakeListing() override {
    if (m_open) --m_fs.OpenListings;
  }

  TListStatus Next(TListedEntry& entry) override {
    if (m_folder.FailNextAfter >= 0 && m_next == static_cast<std::size_t>(m_folder.FailNextAfter))
      return m_folder.NextFailure;
    if (m_next == m_folder.Entries.size()) return {TListStatus::NoMoreEntries, 0};
    const auto& e = m_folder.Entries[m_next++];
    entry.Name = e.Name;
    entry.IsFolder = e.IsFolder;
    entry.Hidden = e.Hidden;
    entry.System = e.System;
    return TListStatus::Success();
  }

  TListStatus Close() override {
    if (m_open) --m_fs.OpenListings;
    m_open = false;
    return m_folder.CloseStatus;
  }

 private:
  TFakeFileSystem& m_fs;
  const TFakeFileSystem::TFakeFolder& m_folder;
  std::size_t m_next = 0;
  bool m_open = true;
};

}  // namespace

class TFakeFolderHandle final : public TFolder {
 public:
  TFakeFolderHandle(TFakeFileSystem& fs, int index) : m_fs(fs), m_index(index) {
    m_fs.MaxOpenFolders = std::max(m_fs.MaxOpenFolders, ++m_fs.OpenFolders);
  }
  ~TFakeFolderHandle() override { --m_fs.OpenFolders; }

  TFolderId Id() const override { return {1, static_cast<std::uint64_t>(m_index)}; }

  TListStatus List(std::unique_ptr<TFolderListing>& listing) override {
    const auto& folder = m_fs.m_folders[static_cast<std::size_t>(m_index)];
    m_fs.m_listed.push_back(m_index);
    if (folder.ListStatus.Kind != TListStatus::Ok) return folder.ListStatus;
    listing = std::make_unique<TFakeListing>(m_fs, folder);
    return TListStatus::Success();
  }

  TListStatus OpenSubfolder(std::string_view name, std::unique_ptr<TFolder>& out) override {
    // As on a real file system, ".." is the folder's own parent, also when
    // the folder was reached through a link.
    if (name == "..") return Open(m_fs, std::max(m_fs.m_parents[Index()].first, 0), out);
    const TFakeFileSystem::TEntry* entry = Find(name);
    if (!entry || !entry->IsFolder) return {TListStatus::Failed, 2};
    return Open(m_fs, entry->Target, out);
  }

  std::optional<TDateTime> LastWriteTime(std::string_view name) override {
    const TFakeFileSystem::TEntry* entry = Find(name);
    if (!entry) return std::nullopt;
    return entry->Time;
  }

  static TListStatus Open(TFakeFileSystem& fs, int index, std::unique_ptr<TFolder>& out) {
    const auto& folder = fs.m_folders[static_cast<std::size_t>(index)];
    if (folder.OpenStatus.Kind != TListStatus::Ok) return folder.OpenStatus;
    out = std::make_unique<TFakeFolderHandle>(fs, index);
    return TListStatus::Success();
  }

 private:
  std::size_t Index() const { return static_cast<std::size_t>(m_index); }
  const TFakeFileSystem::TEntry* Find(std::string_view name) const {
    for (const auto& e : m_fs.m_folders[static_cast<std::size_t>(m_index)].Entries)
      if (e.Name == name) return &e;
    return nullptr;
  }
  TFakeFileSystem& m_fs;
  int m_index;
};

TFakeFileSystem::TFakeFileSystem() {
  m_folders.emplace_back();
  m_parents.emplace_back(-1, "");
}

std::string TFakeFileSystem::FolderPath(int index) const {
  std::string path;
  for (; index > 0; index = m_parents[static_cast<std::size_t>(index)].first)
    path = m_parents[static_cast<std::size_t>(index)].second + (path.empty() ? "" : "/") + path;
  return path;
}

std::vector<std::string> TFakeFileSystem::ListedFolders() const {
  std::vector<std::string> paths;
  for (const int index : m_listed) paths.push_back(FolderPath(index));
  return paths;
}

int TFakeFileSystem::FolderIndex(const std::string& path, bool create) {
  int index = 0;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string name = path.substr(start, slash - start);
    start = slash + 1;
    if (name.empty()) continue;
    auto& entries = m_folders[static_cast<std::size_t>(index)].Entries;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const TEntry& e) { return e.Name == name && e.IsFolder; });
    if (it != entries.end()) {
      index = it->Target;
      continue;
    }
    if (!create) throw std::runtime_error("no folder " + path);
    const int created = static_cast<int>(m_folders.size());
    TEntry entry;
    entry.Name = name;
    entry.IsFolder = true;
    entry.Target = created;
    m_folders[static_cast<std::size_t>(index)].Entries.push_back(entry);
    m_folders.emplace_back();
    m_parents.emplace_back(index, name);
    index = created;
  }
  return index;
}

TFakeFileSystem::TEntry& TFakeFileSystem::AddFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const int folder = slash == std::string::npos ? 0 : FolderIndex(path.substr(0, slash), true);
  TEntry entry;
  entry.Name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto& entries = m_folders[static_cast<std::size_t>(folder)].Entries;
  entries.push_back(entry);
  return entries.back();
}

int TFakeFileSystem::AddFolder(const std::string& path) { return FolderIndex(path, true); }

void TFakeFileSystem::AddLink(const std::string& folder, const std::string& name,
                              const std::string& target) {
  TEntry entry;
  entry.Name = name;
  entry.IsFolder = true;
  entry.Target = FolderIndex(target, false);
  m_folders[static_cast<std::size_t>(FolderIndex(folder, true))].Entries.push_back(entry);
}

TFakeFileSystem::TFakeFolder& TFakeFileSystem::Folder(const std::string& path) {
  return m_folders[static_cast<std::size_t>(FolderIndex(path, false))];
}

TListStatus TFakeFileSystem::OpenFolder(const std::string& path, std::unique_ptr<TFolder>& folder) {
  if (path != kRoot) return {TListStatus::Failed, 2};
  return TFakeFolderHandle::Open(*this, 0, folder);
}

}  // namespace qorv::test
