#pragma once

#include <cstddef>
#include <string_view>

namespace qorv {

// Texts are UTF-8, but file names need not be: a byte that does not start a
// valid sequence counts as one character of its own everywhere.

/// A decoded byte that is not valid UTF-8 becomes kInvalidByteBase + byte,
/// a value outside Unicode, so that it never equals a real character.
inline constexpr char32_t kInvalidByteBase = 0x110000;

/// Decodes the character at `pos` and advances `pos` past it.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

/// Length of the valid UTF-8 sequence at `pos`, or 0 when the byte there
/// does not start one.
std::size_t validSequenceLength(std::string_view text, std::size_t pos);

/// Number of characters: code points, with each invalid byte counted as one.
std::size_t codePointCount(std::string_view text);

/// Appends the UTF-8 encoding of a code point (or the raw invalid byte it stands for).
void appendUtf8(std::string& out, char32_t c);

}  // namespace qorv
