#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// Unicode simple upper-case mapping of one code point (one code point in,
/// one out), independent of the process locale.
char32_t toUpper(char32_t c);

/// Upper-cases a UTF-8 text character by character; bytes that are not
/// valid UTF-8 are copied unchanged.
std::string toUpper(std::string_view text);

/// As above, into `out` (cleared first), reusing its storage.
void toUpper(std::string_view text, std::string& out);

/// Equal when upper-cased, the comparison masks and vocabularies use.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace qorv
