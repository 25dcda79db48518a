#pragma once

#include <string_view>

namespace qorv {

/// Whole-name match of a file mask against a name, both already upper-cased.
/// "*" matches any run of characters, "?" exactly one character (code point);
/// every other character matches itself. The mask "*" alone matches every
/// name, the empty one included; otherwise an empty name matches nothing.
/// Throws EmptyMaskError "Search string cannot be blank" for an empty mask.
/// Runs in O(mask x name) time at worst.
bool wildcardMatch(std::string_view mask, std::string_view name);

}  // namespace qorv
