#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/generatorsettings.h"
#include "core/pagelist.h"
#include "platform/datetime.h"
#include "platform/localeformats.h"
#include "platform/localzone.h"

namespace qorv {

/// The two documents of the protocol: a urlset of pages, and a sitemap
/// index naming urlsets.
enum class SitemapDocument { Urlset, Index };

/// The program's own stylesheet, as it is written beside the sitemap.
inline constexpr std::string_view kStylesheetFileName = "sitemap.xsl";

/// The stylesheet the files of a write name: the one the settings give, or
/// the program's own when it is written and they give none; empty for none.
std::string_view stylesheetHref(const GeneratorSettings& settings);

/// The XML declaration and the start tag of a document, in the schema the
/// settings choose, with the line naming the stylesheet between them when
/// there is one; UTF-8 without a byte order mark, CRLF line ends.
std::string documentHead(SitemapDocument document, const GeneratorSettings& settings);
/// The end tag of a document and its line end.
std::string_view documentTail(SitemapDocument document);

/// The indentation and the line end inside the elements of a document:
/// none in the compact layout, where an element is one line.
struct ElementLayout {
  explicit ElementLayout(const GeneratorSettings& settings);
  std::string_view outer;
  std::string_view inner;
  std::string_view lineEnd;
};

/// The url element of each row, in the layout the settings choose
/// (`compact`: one line per element, else indented, one line per tag). A
/// row's lastmod is its date as "yyyy-mm-dd"; in the long form, when the
/// zone text is a W3C zone and the time text reads back, followed by "T",
/// the time as "hh:mm:ss" and the zone (for the automatic zone, the offset
/// of that local moment). No lastmod at all under the source "none".
class UrlElements {
 public:
  /// `currentYear` resolves the two-digit years of date texts.
  UrlElements(const LocaleFormats& formats, const GeneratorSettings& settings, int currentYear);

  /// The row's element in `element`; false, leaving it alone, for a row
  /// that is not written (unticked, or its URL longer than `kMaxUrlLength`).
  /// Throws ConvertError when the row's date text does not read back.
  bool format(const PageEntry& row, std::string& element);

 private:
  const LocaleFormats& m_formats;
  int m_currentYear;
  ElementLayout m_layout;
  std::string m_zone;
  bool m_withTime;
  /// Each date with the offset the local zone's rules give it.
  bool m_automaticZone;
  bool m_withLastmod;
  LocalZone m_localZone;
  std::string m_value;
};

/// The sitemap element of an index for each part, in the layout of the
/// url elements.
class IndexEntries {
 public:
  /// Parts named by their file name under `rootUrl` (the site URL, ending
  /// in "/"), each dated `date`, the day of the write.
  IndexEntries(const GeneratorSettings& settings, std::string_view rootUrl, const Date& date);

  /// The element of the part in the file `partName`.
  void format(std::string_view partName, std::string& element) const;

 private:
  ElementLayout m_layout;
  std::string m_base;
  /// Empty when no lastmod is written.
  std::string m_lastmod;
};

/// Receives a document piece by piece, in order.
using SitemapSink = std::function<void(std::string_view)>;

/// The whole urlset of the ticked rows, in list order, streamed to `sink`
/// one url element at a time, however many rows it holds. Returns the
/// number of url elements.
std::uint64_t writeUrlset(const SitemapSink& sink, const PageList& pages,
                          const GeneratorSettings& settings, const LocaleFormats& formats,
                          int currentYear);

}  // namespace qorv
