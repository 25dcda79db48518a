#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace qorv::test {

/// An in-memory folder tree with failures on demand, for walks whose
/// listing order or failures a real file system cannot be made to show.
class TFakeFileSystem final : public TFileSystem {
 public:
  struct TEntry {
    std::string Name;
    bool IsFolder = false;
    bool Hidden = false;
    bool System = false;
    std::optional<TDateTime> Time = TDateTime{{2006, 3, 5}, {9, 5, 6}};
    int Target = -1;  // folder index of a folder entry
  };
  struct TFakeFolder {
    std::vector<TEntry> Entries;  // in listing order
    TListStatus OpenStatus;       // what opening the folder gives
    TListStatus ListStatus;       // what starting its listing gives
    int FailNextAfter = -1;       // Next() fails after this many entries
    TListStatus NextFailure{TListStatus::Failed, 5};
    TListStatus CloseStatus;
  };

  TFakeFileSystem();

  /// Adds "path" (folders separated by "/", relative to the root "ROOT/")
  /// as a file, creating the folders on the way; returns the entry.
  TEntry& AddFile(const std::string& path);
  /// Adds a folder (and its parents); returns its index.
  int AddFolder(const std::string& path);
  /// Adds a folder entry `name` in `folder` that leads to the folder `target`.
  void AddLink(const std::string& folder, const std::string& name, const std::string& target);
  TFakeFolder& Folder(const std::string& path);

  /// The root folder's path, as a walk would be given it.
  static constexpr const char* kRoot = "ROOT/";

  TListStatus OpenFolder(const std::string& path, std::unique_ptr<TFolder>& folder) override;

  /// Open listings right now, and the most ever open at once.
  int OpenListings = 0;
  int MaxOpenListings = 0;
  /// Open folders right now, and the most ever open at once.
  int OpenFolders = 0;
  int MaxOpenFolders = 0;
  /// Paths of the folders listed so far, in order ("" for the root).
  std::vector<std::string> ListedFolders() const;

 private:
  friend class TFakeFolderHandle;
  int FolderIndex(const std::string& path, bool create);
  std::string FolderPath(int index) const;
  std::vector<TFakeFolder> m_folders;
  std::vector<std::pair<int, std::string>> m_parents;  // parent index and name
  std::vector<int> m_listed;
};

}  // namespace qorv::test
