#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/dirwalk.h"
#include "platform/filesystem.h"

namespace qorv {

/// What ParallelWalker does whatever its values are.
class ParallelWalkerBase {
 public:
  /// Where the walk starts, as for DirectoryWalker.
  std::string rootFolder;
  /// Read by the workers: it must not change while a walk runs.
  FileFilter filter;
  /// Workers: 0 for as many as the processors the process may run on; 1 for
  /// none, the walk and the per-file work running on the calling thread as
  /// DirectoryWalker walks.
  unsigned threads = 0;
  /// The most descriptors the walk holds at once, folders and listings and
  /// the per-file work's together; 0 for enough to keep every worker busy,
  /// within half of what the process may hold. At least 9.
  std::size_t descriptorLimit = 0;
  /// Whether to keep the walk out of a sub-folder, given its path relative
  /// to `rootFolder`, ending in "/". Asked on a worker, before the folder is
  /// opened, once per sub-folder the walk reaches, but not in walk order:
  /// it must decide by the path alone, touching nothing that another
  /// thread changes. An error it throws ends the walk where the folder
  /// stands in walk order.
  std::function<bool(std::string_view relativeFolder)> skipFolder;
  /// Called on the calling thread, in walk order, for each sub-folder that
  /// `skipFolder` kept the walk out of.
  std::function<void(std::string_view relativeFolder)> onFolderSkipped;
  /// Called on the calling thread, every few hundredths of a second, while
  /// the walk waits for its workers: a window lets its events run here. An
  /// error it throws ends the walk.
  std::function<void()> onWaiting;

  /// As DirectoryWalker::walk: true when every folder was listed; false when
  /// a listing failure ended the walk (the first in walk order) or at once
  /// when a walk is in progress. Whatever a handler, `skipFolder`, the
  /// filter or the per-file work throws passes to the caller, after
  /// everything before it in walk order was reported, and ends the walk: so
  /// does a stop the caller asks for by throwing from a handler. The
  /// workers never run ahead of the calling thread by more than a bounded
  /// number of files and folders, and hold a bounded number of descriptors.
  bool walk();
  bool isWalking() const { return m_walking; }
  const DirectoryWalker::ListingFailure& failure() const { return m_failure; }

  /// The values of the per-file work for the files of one part of a
  /// listing: made on a worker, handed over on the calling thread.
  class FileValues {
   public:
    virtual ~FileValues() = default;
    /// On a worker: runs the work for the next file of the part, in the
    /// folder at `relativeFolder`.
    virtual void add(Folder& folder, std::string_view relativeFolder, std::string_view name) = 0;
    /// On the calling thread: reports the `index`-th file of the part.
    virtual void report(std::size_t index, const std::string& path, std::string_view name) = 0;
  };

 protected:
  explicit ParallelWalkerBase(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}
  virtual ~ParallelWalkerBase() = default;
  ParallelWalkerBase(const ParallelWalkerBase&) = delete;
  ParallelWalkerBase& operator=(const ParallelWalkerBase&) = delete;

  /// On a worker: an empty set of values for `files` files.
  virtual std::unique_ptr<FileValues> newValues(std::size_t files) = 0;
  /// On the calling thread, with one thread: the work and the report of one file.
  virtual void walkOne(const FoundFile& file) = 0;
  /// Where the part of a reported path after `rootFolder` and its "/" starts.
  std::size_t relativeStart() const {
    return rootFolder.size() + (rootFolder.empty() || rootFolder.back() != '/' ? 1 : 0);
  }

 private:
  class Engine;
  bool walkOnCallingThread();

  FileSystem& m_fileSystem;
  bool m_walking = false;
  DirectoryWalker::ListingFailure m_failure;
};

/// Walks like DirectoryWalker, and reports the same files in the same
/// order, but lists folders and runs a per-file work (a file's time, its
/// head, its digest) on a pool of worker threads, a little ahead of the
/// calling thread, which gets each file with the work's value strictly in
/// walk order. Links, refused and vanished folders and every failure count
/// as in DirectoryWalker; the failure that ends a walk is the first in walk
/// order, whatever failed first in time, and what workers found past it is
/// dropped.
///
/// The work runs on a worker for every file that passes the filter, given
/// the open folder holding it, that folder's path relative to `rootFolder`
/// ("" or ending in "/", as `skipFolder` gets it) and the file's name, so
/// that it may decide by the path, too, whether to read the file at all.
/// It must touch nothing that
/// another thread uses, and hold at most one descriptor at a time; what it
/// throws ends the walk at that file.
template <class Value>
class ParallelWalker : public ParallelWalkerBase {
 public:
  using FileWork =
      std::function<Value(Folder& folder, std::string_view relativeFolder, std::string_view name)>;
  /// A file as the calling thread gets it. The value may be moved from.
  struct File {
    const std::string& path;
    std::string_view name;
    Value& value;
  };

  ParallelWalker(FileSystem& fileSystem, FileWork work)
      : ParallelWalkerBase(fileSystem), m_work(std::move(work)) {}

  /// Called on the calling thread, in walk order, once per reported file.
  std::function<void(const File& file)> onFileFound;

 private:
  class Values final : public FileValues {
   public:
    Values(ParallelWalker& walker, std::size_t files) : m_walker(walker) {
      m_values.reserve(files);
    }
    void add(Folder& folder, std::string_view relativeFolder, std::string_view name) override {
      m_values.push_back(Slot{m_walker.m_work(folder, relativeFolder, name)});
    }
    void report(std::size_t index, const std::string& path, std::string_view name) override {
      if (m_walker.onFileFound) m_walker.onFileFound(File{path, name, m_values[index].value});
    }

   private:
    struct Slot {  // not vector<bool>'s proxies
      Value value;
    };
    ParallelWalker& m_walker;
    std::vector<Slot> m_values;
  };

  std::unique_ptr<FileValues> newValues(std::size_t files) override {
    return std::make_unique<Values>(*this, files);
  }
  void walkOne(const FoundFile& file) override {
    const std::string_view path = file.path;
    const std::string_view relativeFolder =
        path.substr(relativeStart(), path.size() - relativeStart() - file.name.size());
    Value value = m_work(file.folder, relativeFolder, file.name);
    if (onFileFound) onFileFound(File{file.path, file.name, value});
  }

  FileWork m_work;
};

}  // namespace qorv
