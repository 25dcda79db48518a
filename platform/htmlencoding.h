#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// The encoding a browser reads a page in, by a name that iconv knows
/// ("UTF-8", "WINDOWS-1250").
struct PageEncoding {
  std::string name;
  /// Chosen by a guess or a look at the first bytes: a <meta> that the
  /// parser meets may still name another one, which then applies.
  bool tentative = true;
};

/// The encoding of a page that begins with `start`, as the HTML standard
/// decides it without a server's word: a byte order mark (which is then
/// taken off `start`), else a <meta> in the first 1024 bytes, else UTF-8
/// when `start` is valid UTF-8 and Windows-1252 when it is not, as Chromium
/// reads a local page.
PageEncoding sniffPageEncoding(std::string_view& start);

/// The encoding that `label` names (" Latin1", "utf8", "windows-1250") as
/// the Encoding Standard reads labels, with the HTML standard's rule that a
/// <meta> naming UTF-16 means UTF-8; empty when it names none this machine
/// can read.
std::string encodingOfLabel(std::string_view label);

/// The encoding that the `content` of a <meta http-equiv="Content-Type">
/// names by its "charset=" part; empty when none.
std::string encodingOfContentType(std::string_view content);

/// Whether `text` is UTF-8 throughout.
bool isValidUtf8(std::string_view text);

/// Appends `bytes`, in `encoding`, to `out` as UTF-8, with U+FFFD for each
/// sequence that is no character of it.
void appendAsUtf8(std::string& out, std::string_view bytes, const std::string& encoding);

}  // namespace qorv
