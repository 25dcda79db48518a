#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// Makes a text safe as XML element content: "&", "'", "\"", ">" and "<"
/// become entities (an "&" that already begins an entity is escaped too).
/// So that the result is always well-formed UTF-8 XML, bytes that are not
/// valid UTF-8 and characters XML 1.0 does not allow or that a parser would
/// not keep (C0 controls including tab and line breaks, DEL, U+FFFE, U+FFFF)
/// are written as "%XX" per byte, upper-case hex. Nothing else changes: no
/// other percent-encoding.
std::string xmlEscape(std::string_view text);

/// As above, appending to `out`.
void appendXmlEscaped(std::string& out, std::string_view text);

/// As `appendXmlEscaped`, with every "\" written as "/": the site URL as it
/// begins the URL of a file row.
void appendXmlEscapedWithSlashes(std::string& out, std::string_view text);

/// The part of a URL that comes from folder and file names: as
/// `appendXmlEscaped`, but the bytes that may not stand in a URL path, or
/// would change what it names, are written as "%XX" too: the blank, "\"",
/// "#", "%", "<", ">", "?", "[", "\", "]", "^", "`", "{", "|", "}". "&" and
/// "'" stay and become entities; "/" (between folders) and letters outside
/// ASCII stay as they are, unless `encodeNonAscii` asks for them as "%XX"
/// of their UTF-8 bytes too.
void appendUrlPathEscaped(std::string& out, std::string_view path, bool encodeNonAscii = false);

}  // namespace qorv
