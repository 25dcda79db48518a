#pragma once

#include <cstddef>
#include <string>

#include "core/generatorsettings.h"
#include "core/leftout.h"
#include "core/pagelist.h"
#include "core/sitemapwriter.h"
#include "core/sitescan.h"
#include "platform/filesystem.h"
#include "platform/localeformats.h"

namespace qorv {

/// One run from folder to file, as the window and `qorv-cli` both perform
/// it: scan the folder into the page list (with a warning for URLs too long
/// to be written), then write the ticked rows and report. The two steps are
/// separate commands in the window; the command line runs them back to back.
class SitemapJob {
 public:
  SitemapJob(GeneratorSettings& settings, PageList& pages, const ScanInputs& inputs,
             const LocaleFormats& formats, FileSystem& fileSystem = localFileSystem());

  /// Scans the folder into the page list. False, doing nothing, while a
  /// scan is already running. Throws what the scan throws; the rows added
  /// until then stay.
  bool scan();
  /// The message about the last scan's URLs that are too long to be
  /// written; empty when there are none.
  std::string scanWarning() const;

  /// Writes the ticked rows into the folder of the last scan (see
  /// SitemapWriter::writeSitemap for what it throws); then, under the
  /// content memory, the memory of that scan's files with their rows' dates
  /// as they are now. A sitemap that could not be written leaves the memory
  /// as it was; so does a scan that did not end (stopped, or failed), whose
  /// memory would lose the files it did not reach.
  SitemapResult write();
  /// The completion message of a write, one line per "\n": the file, its
  /// size and URL count with each limit exceeded; when the scan left pages
  /// out (`leftOut`, with `filesKept` as `allLeftOutLine` takes it), an
  /// empty line and what it left out; then the parts, the gzip copies and
  /// the robots.txt line when there are any, and a sitemap.xsl of the
  /// user's left in place of the program's.
  static std::string report(const SitemapResult& result, const LeftOutList& leftOut = {},
                            std::size_t filesKept = 0);
  /// The completion message of a write after the last scan, with what
  /// the dates' source reported and the warnings about dates that cannot
  /// be right (one date for all, a zone that cannot be written) after an
  /// empty line.
  std::string completionMessage(const SitemapResult& result) const;
  /// Those lines alone, one per "\n"; empty when there is nothing to say.
  std::string datesReport() const;
  /// Throws IoError when the content memory of the last scan and write
  /// could not be read or saved: the command line's way of not calling such
  /// a run a success, after its report.
  void throwMemoryFailure() const;

  SiteScanner& scanner() { return m_scanner; }
  const SiteScanner& scanner() const { return m_scanner; }

 private:
  void saveContentMemory();
  std::string uniformLastmodWarning(LastmodSource source) const;

  GeneratorSettings& m_settings;
  PageList& m_pages;
  const LocaleFormats& m_formats;
  SiteScanner m_scanner;
  SitemapWriter m_writer;
  /// Why the last write could not save the content memory; empty when it
  /// did, or had none to save.
  std::string m_memoryNotSaved;
  int m_memorySaveError = 0;
};

}  // namespace qorv
