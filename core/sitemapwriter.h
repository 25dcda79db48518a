#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "platform/datetime.h"
#include "platform/localeformats.h"

namespace qorv {

inline constexpr std::string_view kSitemapFileName = "sitemap.xml";
/// The protocol's limits, all inclusive: a file of schema 0.84 holds at
/// most 10 MiB, one of 0.9 at most 50 MiB, and either 50,000 URLs.
inline constexpr std::uint64_t kMaxSitemapBytes = 10485760;
inline constexpr std::uint64_t kMaxSitemapBytes09 = 52428800;
inline constexpr std::uint64_t kMaxSitemapUrls = 50000;

/// The size limit of a file of `schema`.
constexpr std::uint64_t maxSitemapBytes(SitemapSchema schema) {
  return schema == SitemapSchema::V09 ? kMaxSitemapBytes09 : kMaxSitemapBytes;
}

/// What one write yields.
struct SitemapResult {
  std::string filePath;
  /// Every URL written, in all parts together.
  std::uint64_t urlCount = 0;
  /// Of `filePath`, as the folder entry gives it after the write; 0 when
  /// there is none.
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

  /// A single file over a limit; parts of an index never are.
  bool exceedsLimits() const {
    return partCount == 0 && (fileSize > maxBytes || urlCount > kMaxSitemapUrls);
  }
};

/// Receives the document piece by piece, in order.
using SitemapSink = std::function<void(std::string_view)>;

/// Writes the ticked rows of a page list as a sitemap: UTF-8 without a byte
/// order mark, CRLF line ends, in list order, leaving out rows whose URL is
/// longer than `kMaxUrlLength`. The settings choose the schema, and whether
/// rows past a limit go to parts under a sitemap index, whether gzip copies
/// are written, and whether robots.txt is to name the sitemap.
/// A row's lastmod is its date as "yyyy-mm-dd"; in the long form, when the
/// zone text is a W3C zone and the time text reads back, followed by "T",
/// the time as "hh:mm:ss" and the zone.
class SitemapWriter {
 public:
  explicit SitemapWriter(const LocaleFormats& formats);

  /// The local moment that resolves two-digit years of date texts and
  /// dates the parts of an index.
  std::function<DateTime()> now;

  /// Writes `scanFolder` + "sitemap.xml" (the working folder when
  /// `scanFolder` is empty), with its parts and copies as the settings ask.
  /// `rootUrl`, the site URL of the last scan ending in "/", names the parts
  /// in an index and the sitemap in robots.txt. The files are replaced only
  /// once all are complete and on disk, the parts first and sitemap.xml
  /// last; on an error before that, nothing changes. No file is ever written
  /// through a symbolic link. Throws IoError when a file cannot be read,
  /// written or removed (robots.txt is done last, after the sitemap is in
  /// place), ConvertError when a row's date text does not read back.
  SitemapResult writeSitemap(const std::string& scanFolder, const std::string& rootUrl,
                             const PageList& pages, const GeneratorSettings& settings) const;
  SitemapResult writeSitemap(const std::string& scanFolder, const PageList& pages,
                             const GeneratorSettings& settings) const {
    return writeSitemap(scanFolder, std::string(), pages, settings);
  }

  /// The whole urlset document, streamed to `sink` one url element at a
  /// time, however many rows it holds. Returns the number of url elements.
  std::uint64_t writeDocument(const SitemapSink& sink, const PageList& pages,
                              const GeneratorSettings& settings) const;

  /// The completion message; "\r" breaks its lines.
  static std::string reportText(const SitemapResult& result);

 private:
  const LocaleFormats& m_formats;
};

/// A message whose lines are broken by "\r" (the core's messages are) with
/// "\n" line breaks instead, as message boxes and terminals show them.
std::string withLineBreaks(std::string text);

}  // namespace qorv
