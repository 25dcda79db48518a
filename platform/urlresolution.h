#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qorv {

/// The URL that `reference` names when read against the absolute URL
/// `base`, by RFC 3986's reference resolution (section 5: relative paths
/// merged, "." and ".." segments removed), fragment included. Both must be
/// URI references as RFC 3986 spells them (bytes it does not allow
/// percent-encoded); nothing when either is not, or `base` is not absolute.
std::optional<std::string> resolveUrlReference(std::string_view base, std::string_view reference);

}  // namespace qorv
