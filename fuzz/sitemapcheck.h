#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qorv::fuzz {

/// What an XML parser makes of a sitemap document.
struct SitemapCheck {
  /// Well-formed XML, namespaces included, in valid UTF-8.
  bool wellFormed = false;
  /// The parser's complaint when it is not.
  std::string error;
  /// The `url` elements of the root element.
  std::size_t urlCount = 0;
  /// The text of every `loc` element, entities resolved, joined by "\n".
  std::string locations;
};

/// Parses `document` with libxml2, which reads nothing from outside it.
SitemapCheck checkSitemap(std::string_view document);

/// A URL as a client reads its path: every "%XX" (hex digits in either
/// case) becomes the byte it stands for; everything else stays.
std::string percentDecoded(std::string_view url);

}  // namespace qorv::fuzz
