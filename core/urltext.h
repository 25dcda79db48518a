#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// `url` as RFC 3986 spells a URI reference: every byte it does not allow
/// there (a blank, a letter outside ASCII, "<", a "%" that begins no "%XX")
/// written as "%XX" in upper-case hex. Escapes, reserved characters and the
/// query stay as they are; "[" and "]" only in the host, and a "#" past
/// the first is escaped.
std::string encodeUrl(std::string_view url);

/// `url` in the form in which two URLs that name the same page are equal:
/// encoded as `encodeUrl` does, escapes in upper-case hex and those of
/// unreserved characters decoded, scheme and host in lower case, the
/// default port of http and https (and an empty one) dropped, and the empty
/// path after a host written "/".
std::string comparableUrl(std::string_view url);

/// Whether `a` and `b` name the same page: equal as `comparableUrl` gives them.
bool sameUrl(std::string_view a, std::string_view b);

/// Whether `url` lies within the site whose URL is `siteUrl`: it begins with
/// it, both compared as `comparableUrl` gives them.
bool isWithinSite(std::string_view url, std::string_view siteUrl);

/// `url` without its fragment ("#..." and what follows).
std::string_view withoutFragment(std::string_view url);

/// A URL as the HTML standard reads it from an attribute: without the
/// blanks and control characters around it, and without the tabs and line
/// breaks inside it.
std::string urlFromAttribute(std::string_view text);

/// The text of a page row for the absolute URL `url`: encoded as
/// `encodeUrl` does, then XML-escaped once.
std::string rowUrlText(std::string_view url);

/// The URL that a row's text names: the row holds it XML-escaped, and this
/// reads the escapes back.
std::string urlOfRowText(std::string_view rowText);

}  // namespace qorv
