#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "core/sitemapparts.h"
#include "core/sitemapxml.h"
#include "platform/datetime.h"
#include "platform/localeformats.h"
#include "platform/outputfolder.h"

namespace qorv {

/// What one write yields.
struct SitemapResult {
  std::string filePath;
  /// Every URL written, in all parts together.
  std::uint64_t urlCount = 0;
  /// Of `filePath`, as written.
  std::uint64_t fileSize = 0;
  /// The size limit of the schema written.
  std::uint64_t maxBytes = kMaxSitemapBytes;
  /// The parts that `filePath`, a sitemap index, names; 0 when it holds the
  /// URLs itself.
  std::uint64_t partCount = 0;
  /// Whether a gzip copy was written beside every file.
  bool gzipCopies = false;
  enum class RobotsLine { Untouched, Added, AlreadyThere };
  RobotsLine robotsLine = RobotsLine::Untouched;
  /// What became of the program's own sitemap.xsl: not asked for, written
  /// (new, or over an earlier one of the program's), or left as it was,
  /// being the user's.
  enum class StylesheetFile { Untouched, Written, NotOurs };
  StylesheetFile stylesheetFile = StylesheetFile::Untouched;
  /// With alternates written: the URLs (as the rows hold them) of the pages
  /// whose language versions lack a return link (`rowsWithoutReturnLinks`).
  std::vector<std::string> withoutReturnLinks{};

  /// A single file over a limit; parts of an index never are.
  bool exceedsLimits() const {
    return partCount == 0 && (fileSize > maxBytes || urlCount > kMaxSitemapUrls);
  }
};

/// Writes the ticked rows of a page list as a sitemap (`writeUrlset` gives
/// its layout), leaving out rows whose URL is longer than `kMaxUrlLength`.
/// The settings choose the schema, and whether rows past a limit go to
/// parts under a sitemap index, whether gzip copies are written, whether
/// robots.txt is to name the sitemap, which stylesheet the files name and
/// whether the program's own is written beside them.
class SitemapWriter {
 public:
  explicit SitemapWriter(const LocaleFormats& formats,
                         OutputFileSystem& output = localOutputFileSystem());

  /// The local moment that resolves two-digit years of date texts and
  /// dates the parts of an index.
  std::function<DateTime()> now;

  /// Writes `scanFolder` + "sitemap.xml" (the working folder when
  /// `scanFolder` is empty), with its parts and copies as the settings ask.
  /// `rootUrl`, the site URL of the last scan ending in "/", names the parts
  /// in an index and the sitemap in robots.txt. The files are replaced only
  /// once all are complete and on disk, the parts first and sitemap.xml
  /// last; on an error before that, nothing changes. sitemap.xsl, when
  /// asked for, is one of them, and the first: an existing one without the
  /// program's marker is the user's and stays. Parts an earlier index
  /// named that this write does not are removed after. No file is ever
  /// written through a symbolic link. Throws IoError when a file cannot be
  /// read, written or removed (robots.txt is done last, after the sitemap is
  /// in place), ConvertError when a row's date text does not read back.
  SitemapResult writeSitemap(const std::string& scanFolder, const std::string& rootUrl,
                             const PageList& pages, const GeneratorSettings& settings) const;
  SitemapResult writeSitemap(const std::string& scanFolder, const PageList& pages,
                             const GeneratorSettings& settings) const {
    return writeSitemap(scanFolder, std::string(), pages, settings);
  }

  /// The urlset of all ticked rows, streamed to `sink` (see `writeUrlset`).
  std::uint64_t writeDocument(const SitemapSink& sink, const PageList& pages,
                              const GeneratorSettings& settings) const;

 private:
  const LocaleFormats& m_formats;
  OutputFileSystem& m_output;
};

}  // namespace qorv
