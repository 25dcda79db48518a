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
/// The protocol's limits, both inclusive.
inline constexpr std::uint64_t kMaxSitemapBytes = 10485760;
inline constexpr std::uint64_t kMaxSitemapUrls = 50000;

/// What one write yields.
struct SitemapResult {
  std::string filePath;
  std::uint64_t urlCount = 0;
  /// As the folder entry gives it after the write; 0 when there is none.
  std::uint64_t fileSize = 0;

  bool exceedsLimits() const { return fileSize > kMaxSitemapBytes || urlCount > kMaxSitemapUrls; }
};

/// Receives the document piece by piece, in order.
using SitemapSink = std::function<void(std::string_view)>;

/// Writes the ticked rows of a page list as a sitemap (schema 0.84): UTF-8
/// without a byte order mark, CRLF line ends, in list order, leaving out rows
/// whose URL is longer than `kMaxUrlLength`.
/// A row's lastmod is its date as "yyyy-mm-dd"; in the long form, when the
/// zone text is a W3C zone and the time text reads back, followed by "T",
/// the time as "hh:mm:ss" and the zone.
class SitemapWriter {
 public:
  explicit SitemapWriter(const LocaleFormats& formats);

  /// The local moment that resolves two-digit years of date texts.
  std::function<DateTime()> now;

  /// Writes `scanFolder` + "sitemap.xml" (the working folder when
  /// `scanFolder` is empty). The file is replaced only once complete: on
  /// any error the old file keeps its content. Throws IoError when the
  /// file cannot be written, ConvertError when a row's date text does not
  /// read back.
  SitemapResult writeSitemap(const std::string& scanFolder, const PageList& pages,
                             const GeneratorSettings& settings) const;

  /// The document itself, streamed to `sink` one url element at a time.
  /// Returns the number of url elements.
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
