#pragma once

#include <string>

#include "core/generatorsettings.h"
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
  /// SitemapWriter::writeSitemap for what it throws).
  SitemapResult write() const;
  /// The completion message of a write, one line per "\n": the file, its
  /// size and URL count with each limit exceeded, then the parts, the gzip
  /// copies and the robots.txt line when there are any.
  static std::string report(const SitemapResult& result);

  SiteScanner& scanner() { return m_scanner; }
  const SiteScanner& scanner() const { return m_scanner; }

 private:
  GeneratorSettings& m_settings;
  PageList& m_pages;
  SiteScanner m_scanner;
  SitemapWriter m_writer;
};

}  // namespace qorv
