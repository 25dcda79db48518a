#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qorv {

/// Turns text in one of the web's encodings into UTF-8, piece by piece.
class TextDecoder {
 public:
  virtual ~TextDecoder() = default;
  /// Appends `bytes` to `out` as UTF-8, with U+FFFD for each byte that is
  /// no character. The bytes of a character cut by the end of `bytes` wait
  /// for the next call; with `last`, no more follow, and they are U+FFFD.
  virtual void decode(std::string_view bytes, bool last, std::string& out) = 0;
  /// Forgets what the calls before left: a new text begins.
  virtual void reset() = 0;
};

/// A decoder for `encoding`, named as the Encoding Standard names it
/// ("windows-1250", "Shift_JIS", "UTF-16LE"); none when this machine has
/// none for it.
std::unique_ptr<TextDecoder> openTextDecoder(std::string_view encoding);

}  // namespace qorv
