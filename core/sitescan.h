#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dirwalk.h"
#include "core/excludepatterns.h"
#include "core/generatorsettings.h"
#include "core/leftout.h"
#include "core/pagelist.h"
#include "core/parallelwalker.h"
#include "core/robotsrules.h"
#include "platform/datetime.h"
#include "platform/filesystem.h"
#include "platform/localeformats.h"

namespace qorv {

/// The two inputs of a run, which the scan reads when it needs them: the
/// site URL afresh for every file, so that a change made while a scan runs
/// applies to the files after it.
class ScanInputs {
 public:
  virtual ~ScanInputs() = default;
  virtual std::string localFolder() const = 0;
  virtual std::string siteUrl() const = 0;
};

/// The mask list of a `fileMask` text: the pieces between the ";" of its
/// one line (`fileMaskOnOneLine`), blanks kept, empty pieces kept as empty
/// masks except a final one.
std::vector<std::string> splitFileMask(std::string_view fileMask);

/// What the disk says of one reported file. Read on a worker thread of the
/// scan, without touching anything the scan shares.
struct FileFacts {
  /// The last-write time as the file system keeps it (`Folder::writeTime`):
  /// it becomes local time where the row is made, as the C library turns
  /// times into local time under one lock that would hold the workers up.
  Result<std::int64_t> writeTime;
};

/// Turns the local copy of a site into the page list: a root row for the
/// site URL, then one unticked row per matching file, in walk order, with
/// the URL the file is published under. The exclude patterns and, when
/// asked, the scan folder's robots.txt leave pages out (never the root
/// row); what they left out is listed in `leftOut`.
class SiteScanner {
 public:
  SiteScanner(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
              const LocaleFormats& formats, FileSystem& fileSystem = localFileSystem());

  /// The local moment for the root row; the machine's clock by default.
  std::function<DateTime()> now;
  /// Called after every reported file, also when it gave no row: the
  /// window lets pending events run here so the list grows visibly.
  std::function<void()> onFileDone;
  /// Called every few hundredths of a second while the scan waits for its
  /// worker threads, for the same purpose.
  std::function<void()> onWaiting;
  /// The threads that list folders and read files while the rows are made
  /// on the thread that runs the scan: 0 for as many as the processors the
  /// process may run on, 1 for none (all on the scan's thread). The rows,
  /// the left-out list and every failure are the same whatever the count.
  unsigned threads = 1;

  /// One scan. Returns false, doing nothing, when a scan is already
  /// running. Throws what the walk throws (an empty mask), and IoError when
  /// a folder cannot be listed, a file's time cannot be read for another
  /// reason than being gone or refused, or robots.txt (when obeyed) cannot
  /// be read for another reason than being missing; the rows added until
  /// then stay. A scan folder that is missing or is a file gives the root
  /// row alone. The exclude patterns, the robots.txt rules and the robot's
  /// name are read when it starts and hold for the whole scan.
  bool run();
  bool isRunning() const { return m_running; }
  /// Ends a running scan before its next file; the rows so far stay.
  void requestStop() { m_stopRequested = true; }

  /// The folder of the last scan, ending in "/"; empty before the first.
  const std::string& scanFolder() const { return m_scanFolder; }
  /// The site URL of the last scan, ending in "/".
  const std::string& rootUrl() const { return m_rootUrl; }
  /// File rows of the last scan longer than `kMaxUrlLength`.
  int overlongCount() const { return m_overlongCount; }
  /// What the last scan left out, in walk order, and why; a scan empties
  /// it when it starts.
  const LeftOutList& leftOut() const { return m_leftOut; }
  /// The files of the last scan that no rule left out, the index file at
  /// the root (which gives no row) among them; gone files not counted.
  std::size_t keptFileCount() const { return m_keptFiles; }
  /// Forgets what the last scan left out, as a new project does.
  void clearLeftOut();

  /// The URL a file row gets: `base` (XML-escaped, "\" turned into "/")
  /// and the path relative to the scan folder joined by "/"; the path
  /// percent-encoded and XML-escaped by `appendUrlPathEscaped`. A file named
  /// `indexFile` exactly (when not empty) leaves its name out, so the URL
  /// is its folder's, ending in "/". `encodeNonAscii` writes the path's
  /// letters outside ASCII as "%XX" of their UTF-8 bytes too.
  static std::string fileUrl(std::string_view base, std::string_view relativePath,
                             std::string_view indexFile, bool encodeNonAscii = false);

  /// Reads what the row of the file `name` of `folder` needs from the disk.
  /// Runs on the scan's worker threads, several files at once: it reads the
  /// disk through `folder` alone and changes nothing else.
  static FileFacts readFacts(Folder& folder, std::string_view name);

 private:
  /// What the workers hand over for a file: nothing for one that an exclude
  /// pattern leaves out by its path, which is never read.
  using FileValue = std::optional<FileFacts>;
  using Walker = ParallelWalker<FileValue>;
  FileValue readUnlessExcluded(Folder& folder, std::string_view relativeFolder,
                               std::string_view name) const;
  void onFileFound(const Walker::File& file);
  /// Decides, from what `readFacts` gave, whether and how the file becomes
  /// a row: what depends on the settings, the site URL and the rules.
  void addFileRow(const std::string& path, std::string_view relativePath, const FileFacts& facts);
  RobotsRules readRobotsRules() const;

  GeneratorSettings& m_settings;
  PageList& m_pages;
  const ScanInputs& m_inputs;
  const LocaleFormats& m_formats;
  FileSystem& m_fileSystem;
  Walker m_walker;

  std::string m_scanFolder;
  std::string m_rootUrl;
  std::string m_rootRowUrl;
  int m_overlongCount = 0;
  ExcludePatterns m_exclude;
  std::optional<RobotsRules> m_robots;
  std::string m_requestPath;  // kept for the next file's
  RobotsPathForm m_robotsPaths;
  LeftOutList m_leftOut;
  std::size_t m_keptFiles = 0;
  bool m_running = false;
  bool m_stopRequested = false;
};

}  // namespace qorv
