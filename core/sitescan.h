#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dirwalk.h"
#include "core/generatorsettings.h"
#include "core/pagelist.h"
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

/// Turns the local copy of a site into the page list: a root row for the
/// site URL, then one unticked row per matching file, in walk order, with
/// the URL the file is published under.
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
  /// a folder cannot be listed or a file's time cannot be read for another
  /// reason than being gone or refused; the rows added until then stay. A
  /// scan folder that is missing or is a file gives the root row alone.
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

  /// The URL a file row gets: `base` (XML-escaped, "\" turned into "/")
  /// and the path relative to the scan folder joined by "/"; the path
  /// percent-encoded and XML-escaped by `appendUrlPathEscaped`. A file named
  /// `indexFile` exactly (when not empty) leaves its name out, so the URL
  /// is its folder's, ending in "/". `encodeNonAscii` writes the path's
  /// letters outside ASCII as "%XX" of their UTF-8 bytes too.
  static std::string fileUrl(std::string_view base, std::string_view relativePath,
                             std::string_view indexFile, bool encodeNonAscii = false);

 private:
  void addFileRow(const FoundFile& file);

  GeneratorSettings& m_settings;
  PageList& m_pages;
  const ScanInputs& m_inputs;
  const LocaleFormats& m_formats;
  DirectoryWalker m_walker;

  std::string m_scanFolder;
  std::string m_rootUrl;
  std::string m_rootRowUrl;
  int m_overlongCount = 0;
  bool m_running = false;
  bool m_stopRequested = false;
};

}  // namespace qorv
