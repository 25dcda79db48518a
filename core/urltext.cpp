#include "core/urltext.h"

#include <array>
#include <optional>

#include "core/xmltext.h"

namespace qorv {

namespace {

constexpr bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool isUnreserved(char c) {
  return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

constexpr bool isSubDelimiter(char c) {
  switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
      return true;
    default:
      return false;
  }
}

/// The parts of a URI reference (RFC 3986, appendix B).
struct UrlParts {
  std::string_view scheme;  // without ":"
  std::optional<std::string_view> authority;
  std::string_view path;
  std::optional<std::string_view> query;
  std::optional<std::string_view> fragment;
};

UrlParts splitUrl(std::string_view url) {
  UrlParts parts;
  if (!url.empty() && isAlpha(url[0])) {
    std::size_t i = 1;
    while (i < url.size() &&
           (isAlpha(url[i]) || isDigit(url[i]) || url[i] == '+' || url[i] == '-' || url[i] == '.'))
      ++i;
    if (i < url.size() && url[i] == ':') {
      parts.scheme = url.substr(0, i);
      url.remove_prefix(i + 1);
    }
  }
  if (url.starts_with("//")) {
    const std::size_t end = url.find_first_of("/?#", 2);
    parts.authority = url.substr(2, end == std::string_view::npos ? end : end - 2);
    url.remove_prefix(end == std::string_view::npos ? url.size() : end);
  }
  const std::size_t hash = url.find('#');
  if (hash != std::string_view::npos) {
    parts.fragment = url.substr(hash + 1);
    url = url.substr(0, hash);
  }
  const std::size_t question = url.find('?');
  if (question != std::string_view::npos) {
    parts.query = url.substr(question + 1);
    url = url.substr(0, question);
  }
  parts.path = url;
  return parts;
}

void appendPercent(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char escape[3] = {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
  out.append(escape, 3);
}

// The parts of a URL, as bits of `kAllowedIn`.
enum Part : unsigned char { Authority = 1, Path = 2, QueryOrFragment = 4 };

/// For each byte, the parts where RFC 3986 allows it as it is.
constexpr std::array<unsigned char, 256> kAllowedIn = [] {
  std::array<unsigned char, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) {
    const char c = static_cast<char>(b);
    unsigned char parts = 0;
    if (isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@')
      parts = Authority | Path | QueryOrFragment;
    if (c == '[' || c == ']') parts |= Authority;
    if (c == '/') parts |= Path | QueryOrFragment;
    if (c == '?') parts |= QueryOrFragment;
    table[b] = parts;
  }
  return table;
}();

bool isEscapeAt(std::string_view text, std::size_t i) {
  return text[i] == '%' && i + 2 < text.size() && isHexDigit(text[i + 1]) &&
         isHexDigit(text[i + 2]);
}

/// Appends one part, each byte RFC 3986 does not allow in it as "%XX".
void appendEncoded(std::string& out, std::string_view text, Part part) {
  std::size_t i = 0;
  while (i < text.size()) {
    // A run of what stays as it is, escapes included.
    std::size_t run = i;
    while (run < text.size() &&
           ((kAllowedIn[static_cast<unsigned char>(text[run])] & part) || isEscapeAt(text, run)))
      ++run;
    out.append(text, i, run - i);
    if (run == text.size()) break;
    appendPercent(out, static_cast<unsigned char>(text[run]));
    i = run + 1;
  }
}

/// Appends `text` with its escapes in upper-case hex, and those of
/// unreserved characters decoded; `lowerCase` lower-cases the rest.
void appendNormalized(std::string& out, std::string_view text, bool lowerCase) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t percent = i;
    while (percent < text.size() && text[percent] != '%') ++percent;
    if (lowerCase) {
      for (; i < percent; ++i) out += lower(text[i]);
    } else {
      out.append(text, i, percent - i);
      i = percent;
    }
    if (i == text.size()) break;
    if (!isEscapeAt(text, i)) {
      out += '%';
      ++i;
      continue;
    }
    const auto hex = [](char h) { return isDigit(h) ? h - '0' : lower(h) - 'a' + 10; };
    const char decoded = static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
    if (isUnreserved(decoded)) {
      out += lowerCase ? lower(decoded) : decoded;
    } else {
      out += '%';
      out += upper(text[i + 1]);
      out += upper(text[i + 2]);
    }
    i += 3;
  }
}

std::string_view defaultPort(std::string_view scheme) {
  if (scheme == "http") return "80";
  if (scheme == "https") return "443";
  return {};
}

}  // namespace

std::string encodeUrl(std::string_view url) {
  const UrlParts parts = splitUrl(url);
  std::string out;
  out.reserve(url.size() + 16);
  if (!parts.scheme.empty()) {
    out += parts.scheme;
    out += ':';
  }
  if (parts.authority) {
    out += "//";
    appendEncoded(out, *parts.authority, Part::Authority);
  }
  appendEncoded(out, parts.path, Part::Path);
  if (parts.query) {
    out += '?';
    appendEncoded(out, *parts.query, Part::QueryOrFragment);
  }
  if (parts.fragment) {
    out += '#';
    appendEncoded(out, *parts.fragment, Part::QueryOrFragment);
  }
  return out;
}

std::string comparableUrl(std::string_view url) {
  const std::string encoded = encodeUrl(url);
  const UrlParts parts = splitUrl(encoded);
  std::string out;
  out.reserve(encoded.size());
  std::string scheme;
  for (const char c : parts.scheme) scheme += lower(c);
  if (!scheme.empty()) {
    out += scheme;
    out += ':';
  }
  if (parts.authority) {
    out += "//";
    std::string_view authority = *parts.authority;
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
      appendNormalized(out, authority.substr(0, at + 1), false);
      authority.remove_prefix(at + 1);
    }
    // The port follows the last ":" outside an IPv6 literal's brackets.
    std::string_view port;
    const std::size_t colon = authority.rfind(':');
    const std::size_t bracket = authority.rfind(']');
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
      port = authority.substr(colon + 1);
      authority = authority.substr(0, colon);
    }
    appendNormalized(out, authority, true);
    if (!port.empty() && port != defaultPort(scheme)) {
      out += ':';
      out += port;
    }
    if (parts.path.empty()) out += '/';
  }
  appendNormalized(out, parts.path, false);
  if (parts.query) {
    out += '?';
    appendNormalized(out, *parts.query, false);
  }
  if (parts.fragment) {
    out += '#';
    appendNormalized(out, *parts.fragment, false);
  }
  return out;
}

bool sameUrl(std::string_view a, std::string_view b) {
  return a == b || comparableUrl(a) == comparableUrl(b);
}

bool isWithinSite(std::string_view url, std::string_view siteUrl) {
  return comparableUrl(url).starts_with(comparableUrl(siteUrl));
}

std::string_view withoutFragment(std::string_view url) { return url.substr(0, url.find('#')); }

std::string urlFromAttribute(std::string_view text) {
  const auto blankOrControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!text.empty() && blankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && blankOrControl(text.back())) text.remove_suffix(1);
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
    if (c != '\t' && c != '\n' && c != '\r') out += c;
  return out;
}

std::string rowUrlText(std::string_view url) { return xmlEscape(encodeUrl(url)); }

std::string urlOfRowText(std::string_view rowText) {
  static constexpr struct {
    std::string_view entity;
    char character;
  } kEntities[] = {{"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}};
  std::string out;
  out.reserve(rowText.size());
  for (std::size_t i = 0; i < rowText.size(); ++i) {
    bool replaced = false;
    if (rowText[i] == '&') {
      for (const auto& [entity, character] : kEntities) {
        if (rowText.substr(i).starts_with(entity)) {
          out += character;
          i += entity.size() - 1;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += rowText[i];
  }
  return out;
}

}  // namespace qorv
