#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/dirwalk.h"
#include "core/excludepatterns.h"
#include "core/generatorsettings.h"
#include "core/leftout.h"
#include "core/pagehead.h"
#include "core/pagelist.h"
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

/// What the rules of a scan need to know of a page's head. With none of
/// them on, no page is opened.
struct HeadNeeds {
  bool noindex = false;
  bool redirect = false;
  bool canonical = false;
  bool any() const { return noindex || redirect || canonical; }
};

/// A page's head as `readPageHead` read it.
struct PageRead {
  /// True: `head` is what the page's head says. False: the entry is no
  /// regular file (a FIFO, a device), which is never opened. An error: the
  /// page could not be opened or read.
  Result<bool> read = false;
  PageHead head;
};

/// What the disk says of one reported file. Read without touching anything
/// the scan shares, so that several files could be read at once.
struct FileFacts {
  Result<std::optional<DateTime>> time;
  /// Read when the scan's rules need the head and the time was read.
  std::optional<PageRead> page;
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

  /// Reads what the row of a reported file needs from the disk: its time,
  /// and its head when `needs` asks for one.
  static FileFacts readFacts(const FoundFile& file, const HeadNeeds& needs = {});

 private:
  void onFileFound(const FoundFile& file);
  bool leavesOutFolder(std::string_view relativeFolder);
  /// Decides, from what `readFacts` gave, whether and how the file becomes
  /// a row: what depends on the settings, the site URL and the rules.
  void addFileRow(const std::string& path, std::string_view relativePath, const FileFacts& facts);
  /// The rule of the page's head that leaves it out, if any; a canonical
  /// URL within the site replaces `url`, and clears `ownUrl`.
  std::optional<LeftOutReason> headRule(const PageHead& head, std::string& url, bool& ownUrl) const;
  /// Adds the row of a file that no rule left out, or leaves it out when
  /// another page has the row of its URL.
  void addRow(std::string url, bool ownUrl, std::string_view relativePath, const DateTime& written);
  RobotsRules readRobotsRules() const;

  GeneratorSettings& m_settings;
  PageList& m_pages;
  const ScanInputs& m_inputs;
  const LocaleFormats& m_formats;
  FileSystem& m_fileSystem;
  DirectoryWalker m_walker;

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
  HeadNeeds m_headNeeds;
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
  bool m_running = false;
  bool m_stopRequested = false;
};

}  // namespace qorv
