#pragma once

#include <string>
#include <string_view>

#include "core/pagelist.h"

namespace qorv::test {

inline constexpr std::string_view kSchema084 = "http://www.google.com/schemas/sitemap/0.84";
inline constexpr std::string_view kSchema09 = "http://www.sitemaps.org/schemas/sitemap/0.9";

/// The declaration and start tag of a urlset, or of an index, of the
/// schema `ns`.
inline std::string urlsetHead(std::string_view ns = kSchema084) {
  const std::string uri(ns);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<urlset xmlns=\"" + uri +
         "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" + uri +
         " " + uri + "/sitemap.xsd\">\r\n";
}
inline std::string indexHead(std::string_view ns = kSchema084) {
  const std::string uri(ns);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<sitemapindex xmlns=\"" + uri +
         "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" + uri +
         " " + uri + "/siteindex.xsd\">\r\n";
}
/// Those of schema 0.84, and the urlset's end tag.
inline const std::string kHead = urlsetHead();
inline const std::string kTail = "</urlset>\r\n";

/// Adds a row, ticked.
inline void addTicked(PageList& pages, std::string url, std::string date, std::string time,
                      std::string changefreq, std::string priority) {
  pages.add(std::move(url), std::move(date), std::move(time), std::move(changefreq),
            std::move(priority));
  pages.setIncluded(pages.size() - 1, true);
}

/// A root row, a file row and an unticked row.
inline void addTypicalRows(PageList& pages) {
  addTicked(pages, "http://s/", "5.3.2006", "9:05:06", "daily", "0.5");
  addTicked(pages, "http://s/a&amp;b.htm", "31.12.2005", "12:00:00", "none", "none");
  pages.add("http://s/unticked.htm", "1.1.2006", "00:00:00", "none", "none");
}

}  // namespace qorv::test
