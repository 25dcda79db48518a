#include "core/headrules.h"

#include "core/urltext.h"
#include "core/xmltext.h"
#include "platform/urlresolution.h"

namespace qorv {

namespace {

bool isAsciiWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view text, std::string_view lowerText) {
  if (text.size() != lowerText.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (lower(text[i]) != lowerText[i]) return false;
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isAsciiWhitespace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isAsciiWhitespace(text.back())) text.remove_suffix(1);
  return text;
}

/// Whether `list`, split at `separator` (or at blanks when it is one),
/// holds `token` in any case.
bool hasToken(std::string_view list, std::string_view token, char separator) {
  while (!list.empty()) {
    std::size_t end = 0;
    while (end < list.size() &&
           !(separator == ' ' ? isAsciiWhitespace(list[end]) : list[end] == separator))
      ++end;
    if (equalsIgnoringCase(trimmed(list.substr(0, end)), token)) return true;
    list.remove_prefix(end == list.size() ? end : end + 1);
  }
  return false;
}

}  // namespace

bool isNoindex(const PageHead& head) {
  for (const HeadMeta& meta : head.metas) {
    const std::string_view name = trimmed(meta.name);
    if (!equalsIgnoringCase(name, "robots") && !equalsIgnoringCase(name, "googlebot") &&
        !equalsIgnoringCase(name, "bingbot"))
      continue;
    if (hasToken(meta.content, "noindex", ',') || hasToken(meta.content, "none", ',')) return true;
  }
  return false;
}

std::optional<Refresh> parseRefresh(std::string_view input) {
  std::size_t pos = 0;
  const auto skipWhitespace = [&] {
    while (pos < input.size() && isAsciiWhitespace(input[pos])) ++pos;
  };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  skipWhitespace();
  Refresh refresh;
  const std::size_t timeStart = pos;
  while (pos < input.size() && isDigit(input[pos])) {
    // A delay too long to count is still a delay: what matters is the URL.
    if (refresh.seconds < 1'000'000'000'000ULL)
      refresh.seconds = refresh.seconds * 10 + static_cast<unsigned>(input[pos] - '0');
    ++pos;
  }
  if (pos == timeStart && (pos >= input.size() || input[pos] != '.')) return std::nullopt;
  while (pos < input.size() && (isDigit(input[pos]) || input[pos] == '.')) ++pos;
  if (pos < input.size()) {
    const char c = input[pos];
    if (c != ';' && c != ',' && !isAsciiWhitespace(c)) return std::nullopt;
    skipWhitespace();
    if (pos < input.size() && (input[pos] == ';' || input[pos] == ',')) ++pos;
    skipWhitespace();
  }
  if (pos >= input.size()) return refresh;
  // "url=" in any case, blanks around "=", may come first. The standard's
  // steps would drop the letters of an unfinished "url" ("0; uri.html"
  // would name "i.html"); browsers read the URL from where "url" began.
  const std::size_t urlStart = pos;
  if (input.size() - pos >= 3 && equalsIgnoringCase(input.substr(pos, 3), "url")) {
    pos += 3;
    skipWhitespace();
    if (pos < input.size() && input[pos] == '=') {
      ++pos;
      skipWhitespace();
    } else {
      pos = urlStart;
    }
  }
  char quote = 0;
  if (pos < input.size() && (input[pos] == '\'' || input[pos] == '"')) quote = input[pos++];
  std::string_view url = input.substr(pos);
  if (quote != 0) url = url.substr(0, url.find(quote));
  refresh.url = std::string(url);
  return refresh;
}

std::optional<std::string> resolveHeadUrl(std::string_view baseUrl, std::string_view reference) {
  std::optional<std::string> resolved =
      resolveUrlReference(baseUrl, encodeUrl(urlFromAttribute(reference)));
  if (resolved) resolved->resize(withoutFragment(*resolved).size());
  return resolved;
}

std::string headBaseUrl(const PageHead& head, std::string_view pageUrl) {
  std::string page = encodeUrl(pageUrl);
  if (head.baseHref) {
    if (std::optional<std::string> base = resolveHeadUrl(page, *head.baseHref)) return *base;
  }
  return page;
}

bool isRedirectStub(const PageHead& head, std::string_view pageUrl) {
  for (const HeadMeta& meta : head.metas) {
    if (!equalsIgnoringCase(meta.httpEquiv, "refresh")) continue;
    const std::optional<Refresh> refresh = parseRefresh(meta.content);
    if (!refresh) continue;
    // The first refresh that a browser follows is the only one it follows.
    if (!refresh->url) return false;
    const std::optional<std::string> target =
        resolveHeadUrl(headBaseUrl(head, pageUrl), *refresh->url);
    if (!target) continue;
    return !sameUrl(*target, withoutFragment(pageUrl));
  }
  return false;
}

CanonicalUrl canonicalUrl(const PageHead& head, std::string_view pageUrl,
                          std::string_view siteUrl) {
  std::optional<std::string> chosen;
  std::string base;
  for (const HeadLink& link : head.links) {
    if (!hasToken(link.rel, "canonical", ' ')) continue;
    // A link without a URL names nothing.
    if (urlFromAttribute(link.href).empty()) continue;
    if (base.empty()) base = headBaseUrl(head, pageUrl);
    std::optional<std::string> url = resolveHeadUrl(base, link.href);
    if (!url) continue;
    if (!chosen)
      chosen = std::move(url);
    else if (!sameUrl(*chosen, *url))
      return {};  // two different: the page has none, as Google reads it
  }
  if (!chosen) return {};
  if (sameUrl(*chosen, pageUrl)) return {CanonicalUrl::Own, {}};
  if (!isWithinSite(*chosen, siteUrl)) return {CanonicalUrl::OutsideSite, {}};
  return {CanonicalUrl::WithinSite, rowUrlText(*chosen)};
}

std::vector<LanguageAlternate> languageAlternates(const PageHead& head, std::string_view pageUrl) {
  std::vector<LanguageAlternate> alternates;
  std::string base;
  for (const HeadLink& link : head.links) {
    const std::string_view language = trimmed(link.hreflang);
    if (language.empty() || !hasToken(link.rel, "alternate", ' ')) continue;
    if (urlFromAttribute(link.href).empty()) continue;
    if (base.empty()) base = headBaseUrl(head, pageUrl);
    const std::optional<std::string> url = resolveHeadUrl(base, link.href);
    if (!url) continue;
    alternates.push_back({xmlEscape(language), rowUrlText(*url)});
  }
  return alternates;
}

}  // namespace qorv
