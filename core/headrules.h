#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pagehead.h"
#include "core/pagelist.h"

namespace qorv {

// What a page's head says about the page, for the rules that leave pages
// out of the sitemap or list them under another URL. URLs come in and go
// out unescaped, as absolute URLs, unless said otherwise.

/// Whether the head asks search engines not to index the page: a <meta>
/// named "robots", "googlebot" or "bingbot" (in any case) whose content
/// holds the token "noindex" or "none" among its comma-separated tokens
/// (in any case, blanks around them ignored).
bool isNoindex(const PageHead& head);

/// What a <meta http-equiv="refresh"> content says, read by the HTML
/// standard's declarative refresh steps.
struct Refresh {
  unsigned long long seconds = 0;
  /// The URL as written ("url=" and quotes taken off); nothing when the
  /// content names none, and the page reloads itself.
  std::optional<std::string> url;
};

/// The refresh that `content` describes ("5", "0; url=/new/", "0;URL='x'");
/// nothing when a browser would not refresh by it.
std::optional<Refresh> parseRefresh(std::string_view content);

/// The URL that references in the head are read against: its first
/// <base href>, read against `pageUrl`, or else `pageUrl`. In the form
/// `encodeUrl` gives.
std::string headBaseUrl(const PageHead& head, std::string_view pageUrl);

/// The absolute URL, without fragment, that `reference` (an attribute's
/// text) names against `baseUrl`; nothing when it names none.
std::optional<std::string> resolveHeadUrl(std::string_view baseUrl, std::string_view reference);

/// Whether the page at `pageUrl` is a redirect stub: the first refresh of
/// its head that a browser would follow names a URL that is not the page's
/// own, whatever its delay.
bool isRedirectStub(const PageHead& head, std::string_view pageUrl);

/// What the canonical URL of a page means for its row.
struct CanonicalUrl {
  enum Kind {
    /// The head names none, or names two different ones.
    None,
    /// The page's own URL.
    Own,
    /// Another URL within the site: `rowUrl` is the row's text for it.
    WithinSite,
    /// A URL outside the site.
    OutsideSite,
  };
  Kind kind = None;
  /// The row's text (encoded and XML-escaped) for `WithinSite`.
  std::string rowUrl;
};

/// The canonical URL of the page at `pageUrl` in the site at `siteUrl`:
/// the `href` of the first <link> whose `rel` tokens include "canonical"
/// (read against `headBaseUrl`, fragment dropped); none when another such
/// link names a different URL.
CanonicalUrl canonicalUrl(const PageHead& head, std::string_view pageUrl, std::string_view siteUrl);

/// The language versions that the head of the page at `pageUrl` names, in
/// head order.
std::vector<LanguageAlternate> languageAlternates(const PageHead& head, std::string_view pageUrl);

}  // namespace qorv
