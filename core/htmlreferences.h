#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// Appends `text` to `out` with its character references ("&amp;",
/// "&#233;", "&#xE9;") decoded as the HTML standard's tokenizer decodes
/// them: every named reference of the standard, numeric ones with its
/// replacements (zero, surrogates and code points past Unicode give U+FFFD,
/// 0x80 to 0x9F the Windows-1252 characters), and the old names that may go
/// without ";". `inAttribute`: as in an attribute value, where such a name
/// followed by "=" or a letter or digit stays as written, so that
/// "?a=1&copy=2" keeps its query. `text` and the result are UTF-8.
void appendDecodedReferences(std::string& out, std::string_view text, bool inAttribute);

}  // namespace qorv
