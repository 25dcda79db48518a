#pragma once

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace qorv::test {

/// An in-memory folder tree with failures on demand, for walks whose
/// listing order or failures a real file system cannot be made to show.
/// Walks may read it from several threads at once; the tree is built, and
/// changed, while no walk runs or under `lock()`.
class FakeFileSystem final : public FileSystem {
 public:
  struct Entry {
    std::string name;
    bool isFolder = false;
    std::optional<DateTime> time = DateTime{{2006, 3, 5}, {9, 5, 6}};
    /// The error number reading the time fails with; 0: `time` is read.
    int timeError = 0;
    /// What the file holds, and the error numbers that opening it and
    /// reading from it fail with (0: they do not).
    std::string content;
    int openError = 0;
    int readError = 0;
    /// A FIFO, a device or a socket: listed as a file, never opened.
    bool special = false;
    int target = -1;  // folder index of a folder entry
  };
  struct FakeFolder {
    std::vector<Entry> entries;  // in listing order
    // The error numbers the steps fail with; 0 for none.
    int openError = 0;       // opening the folder
    int listError = 0;       // starting its listing
    int failNextAfter = -1;  // next() fails after this many entries
    int nextError = EIO;     // with this
    int closeError = 0;      // ending its listing
  };

  FakeFileSystem();

  /// Adds "path" (folders separated by "/", relative to the root "ROOT/")
  /// as a file, creating the folders on the way; returns the entry.
  Entry& addFile(const std::string& path);
  /// Adds a folder (and its parents); returns its index.
  int addFolder(const std::string& path);
  /// Adds a folder entry `name` in `folder` that leads to the folder `target`.
  void addLink(const std::string& folder, const std::string& name, const std::string& target);
  FakeFolder& folder(const std::string& path);

  /// The root folder's path, as a walk would be given it.
  static constexpr const char* kRoot = "ROOT/";

  Result<std::unique_ptr<Folder>> openFolder(const std::string& path) override;
  /// The entries' times read as UTC: `writeTime` gives them in seconds.
  std::optional<DateTime> localTime(std::int64_t seconds) override;
  static std::int64_t secondsOf(const DateTime& moment);

  /// Held by every call of a walk: a test that changes the tree during a
  /// walk on threads holds it too.
  std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_mutex); }
  /// Every call then waits a little, a different while each time, so that
  /// threads take turns in many orders.
  bool jitter = false;

  /// Open listings right now, and the most ever open at once.
  int openListings = 0;
  int maxOpenListings = 0;
  /// Open folders right now, and the most ever open at once.
  int openFolders = 0;
  int maxOpenFolders = 0;
  /// Files read whole so far, and files opened to be read in steps.
  int fileReads = 0;
  int fileOpens = 0;
  /// The most folders and listings ever open at once, together: what a
  /// real file system would count as descriptors.
  int maxOpenDescriptors = 0;
  /// Paths of the folders listed so far, in order ("" for the root).
  std::vector<std::string> listedFolders() const;

 private:
  friend class FakeFolderHandle;
  int folderIndex(const std::string& path, bool create);
  std::string folderPath(int index) const;
  std::vector<FakeFolder> m_folders;
  std::vector<std::pair<int, std::string>> m_parents;  // parent index and name
  std::vector<int> m_listed;
  std::mutex m_mutex;
};

}  // namespace qorv::test
