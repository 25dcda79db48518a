#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qorv {

// Encodings are named as the Encoding Standard names them ("UTF-8",
// "windows-1250", "Shift_JIS"); an empty name is none.

/// The encoding that a <meta> naming `label` (" Latin1", "utf8") gives: the
/// Encoding Standard's for the label, with the HTML standard's rules that
/// UTF-16 there means UTF-8 and x-user-defined means windows-1252. Empty
/// when the label names none.
std::string_view encodingOfLabel(std::string_view label);

/// The encoding that the `content` of a <meta http-equiv="Content-Type">
/// names by its "charset=" part; empty when none.
std::string_view encodingOfContentType(std::string_view content);

/// Whether the bytes of `encoding` that stand for ASCII characters are
/// ASCII, and no byte of another character is: the markup of a page in it
/// can be read before its text is decoded.
bool isAsciiCompatible(std::string_view encoding);

/// What the first bytes of a page say about its encoding, before any of it
/// is parsed.
struct SniffedEncoding {
  /// The encoding; empty when the bytes name none, and the page's bytes
  /// decide (`fallbackEncoding`).
  std::string_view name;
  /// Given by a byte order mark, which no <meta> overrides.
  bool certain = false;
  /// The length of that byte order mark: the page's text begins after it.
  std::size_t byteOrderMark = 0;
};

/// The encoding of a page that begins with `start` (its first 1024 bytes,
/// or all of them when it is shorter), as the HTML standard sniffs it
/// without a server's word: a byte order mark, else the prescan's <meta>.
SniffedEncoding sniffEncoding(std::string_view start);

/// The encoding of a page whose bytes name none, as Chromium reads a local
/// page: UTF-8 when `bytes` are UTF-8 throughout (a sequence cut by their
/// end counts when `cut`), else windows-1252.
std::string_view fallbackEncoding(std::string_view bytes, bool cut);

/// Appends `bytes` as the Encoding Standard's UTF-8 decoder reads them:
/// U+FFFD for each maximal part of a sequence that is not UTF-8.
void appendDecodedUtf8(std::string& out, std::string_view bytes);

/// Appends `bytes`, in windows-1252, as UTF-8.
void appendDecodedWindows1252(std::string& out, std::string_view bytes);

/// The character that byte `b` (0x80 to 0x9F) stands for in windows-1252.
char32_t windows1252Character(unsigned char b);

}  // namespace qorv
