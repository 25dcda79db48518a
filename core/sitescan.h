#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/contentmemory.h"
#include "core/dirwalk.h"
#include "core/excludepatterns.h"
#include "core/generatorsettings.h"
#include "core/leftout.h"
#include "core/pagehead.h"
#include "core/pagelist.h"
#include "core/parallelwalker.h"
#include "core/robotsrules.h"
#include "platform/datetime.h"
#include "platform/filesystem.h"
#include "platform/githistory.h"
#include "platform/localeformats.h"
#include "platform/localzone.h"

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

/// What the rules of a scan need to know of a page's head. With none of
/// them on, no page is opened.
struct HeadNeeds {
  bool noindex = false;
  bool redirect = false;
  bool canonical = false;
  /// The language versions a page names (`writesAlternates`).
  bool alternates = false;
  bool any() const { return noindex || redirect || canonical || alternates; }
};

/// A page's head as `readPageHead` read it.
struct PageRead {
  /// True: `head` is what the page's head says. False: the entry is no
  /// regular file (a FIFO, a device), which is never opened. An error: the
  /// page could not be opened or read.
  Result<bool> read = false;
  PageHead head;
};

/// Whether a scan with `settings` reads the head of every page: only a rule
/// that asks what a head says does, as opening every page costs far more
/// than reading its time.
bool scanNeedsPageHeads(const GeneratorSettings& settings);

/// What the disk says of one reported file. Read on a worker thread of the
/// scan, without touching anything the scan shares.
struct FileFacts {
  /// The last-write time as the file system keeps it (`Folder::writeTime`):
  /// it becomes local time where the row is made, as the C library turns
  /// times into local time under one lock that would hold the workers up.
  Result<std::int64_t> writeTime;
  /// The digest of the file's bytes, when asked for: nothing inside for
  /// what is no plain file (never opened).
  std::optional<Result<std::optional<ContentDigest>>> digest;
  /// Read when the scan's rules need the head and the time was read.
  std::optional<PageRead> page;
};

/// What `readFacts` reads beyond the file's time.
struct FactsWanted {
  bool digest = false;
  HeadNeeds head;
};

/// One file row's bytes as the scan found them, for the content memory.
struct ScannedContent {
  /// The row in the page list.
  std::size_t row = 0;
  /// Relative to the scan folder.
  std::string path;
  ContentDigest digest;
  /// The row's date and time as the scan gave them.
  RememberedMoment moment;
};

/// What the last scan found out about its dates, for the completion
/// message and the content memory's write.
struct ScanDates {
  LastmodSource source = LastmodSource::FileTime;
  /// The history read, under the git source; its files are forgotten once
  /// the scan has used them.
  GitHistory git;
  /// Files that kept their file time because git has no clean commit of them.
  std::size_t withoutHistory = 0;
  /// The scan folder's real path; empty when it could not be found.
  std::string realFolder;
  /// The content memory's file; empty when there is none to write.
  std::string memoryFile;
  /// How the memory read went; nothing when the file could not be read
  /// (`memoryError` says why), and then it must not be replaced.
  std::optional<ContentMemory::Load> memoryLoad;
  int memoryError = 0;
  /// Files whose bytes could not be read (refused, gone, no plain file):
  /// they kept their file time and are not remembered.
  std::size_t unreadable = 0;
  /// Whether the scan went through every file: neither stopped nor ended
  /// by a failure.
  bool complete = false;
  /// The file rows' digests, in row order.
  std::vector<ScannedContent> contents;
};

/// Turns the local copy of a site into the page list: a root row for the
/// site URL, then one unticked row per matching file, in walk order, with
/// the URL the file is published under (or the canonical URL its head
/// names, when asked). The exclude patterns and, when asked, what a page's
/// head says and the scan folder's robots.txt leave pages out (never the
/// root row); what they left out is listed in `leftOut`, with the pages
/// whose heads could not be read.
class SiteScanner {
 public:
  SiteScanner(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
              const LocaleFormats& formats, FileSystem& fileSystem = localFileSystem());

  /// The local moment for the root row; the machine's clock by default.
  std::function<DateTime()> now;
  /// Called after every reported file, also when it gave no row: the
  /// window lets pending events run here so the list grows visibly.
  std::function<void()> onFileDone;
  /// Called often during a pass that comes before the walk (the git
  /// history), so that the window can let events run there too.
  std::function<void()> whileBusy;
  /// Where the git source's history comes from.
  GitHistorySource* gitSource = &localGitHistory();
  /// The user's data folder, ending in "/", where content memories live by
  /// default; empty when none is known.
  std::function<std::string()> dataFolder;
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
  /// a folder cannot be listed, a file's time (or, for the head rules, its
  /// head) cannot be read for another reason than being gone or refused,
  /// or robots.txt (when obeyed) cannot
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
  /// What the last scan found out about its dates.
  const ScanDates& dates() const { return m_dates; }
  /// Forgets what the last scan left out, as a new project does.
  void clearLeftOut();

  /// The URL a file row gets: `base` (XML-escaped, "\" turned into "/")
  /// and the path relative to the scan folder joined by "/"; the path
  /// percent-encoded and XML-escaped by `appendUrlPathEscaped`. A file named
  /// `indexFile` exactly (when not empty) leaves its name out, so the URL
  /// is its folder's, ending in "/". `encodeNonAscii` writes the path's
  /// letters outside ASCII as "%XX" of their UTF-8 bytes too.
  /// `dropExtension` leaves out a final ".html" or ".htm" (in any case) of
  /// the file's name, after the index file rule; a name that is nothing else
  /// keeps it.
  static std::string fileUrl(std::string_view base, std::string_view relativePath,
                             std::string_view indexFile, bool encodeNonAscii = false,
                             bool dropExtension = false);

  /// Reads what the row of the file `name` of `folder` needs from the disk: its
  /// time, and its digest and its head when `wanted` asks for them.
  /// Runs on the scan's worker threads, several files at once: it reads the
  /// disk through `folder` alone and changes nothing else.
  static FileFacts readFacts(Folder& folder, std::string_view name, const FactsWanted& wanted = {});

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
  /// The rule of the page's head that leaves it out, if any; a canonical
  /// URL within the site replaces `url`, and clears `ownUrl`.
  std::optional<LeftOutReason> headRule(const PageHead& head, std::string& url, bool& ownUrl) const;
  /// Adds the row of a file that no rule left out, or leaves it out when
  /// another page has the row of its URL.
  void addRow(std::string url, bool ownUrl, std::string_view relativePath, const DateTime& written,
              const FileFacts& facts, std::vector<LanguageAlternate> alternates);
  /// The row `row` now stands for the page whose digest `rowMoment` kept
  /// past the first `remembered` contents (if it kept one): its content
  /// replaces the page's that had the row.
  void takeOverContent(std::size_t row, std::size_t remembered);
  RobotsRules readRobotsRules() const;
  /// The language versions that the head in `facts` names for the page at
  /// the row URL `url`; none when its head was not read.
  std::vector<LanguageAlternate> alternatesOf(const std::string& url, const FileFacts& facts) const;
  /// Reads what the date source needs before the walk; false when the
  /// user stopped the scan meanwhile.
  bool prepareDates();
  /// The date and time of a file row whose file time is `written`, by the
  /// date source; the digest, when there is one, kept for the memory.
  RememberedMoment rowMoment(std::string_view relativePath, const DateTime& written,
                             const FileFacts& facts);

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
  bool m_alternates = false;
  LeftOutList m_leftOut;
  std::size_t m_keptFiles = 0;
  bool m_dropExtension = false;
  /// Rows by their URL's comparable form, kept only when two pages can give
  /// one URL (canonical URLs, extensions dropped): otherwise every file's
  /// URL is its own.
  struct RowOwner {
    std::size_t row;
    /// Whether the row's URL is the one its page's own path gives.
    bool ownUrl;
    std::string path;
  };
  bool m_oneRowPerUrl = false;
  std::unordered_map<std::string, RowOwner> m_rowsByUrl;
  ScanDates m_dates;
  ContentMemory m_memory;
  FactsWanted m_wanted;
  LocalZone m_localZone;
  bool m_running = false;
  bool m_stopRequested = false;
};

}  // namespace qorv
