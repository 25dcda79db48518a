#pragma once

#include <optional>
#include <string>

#include "platform/productversion.h"

namespace qorv {

/// The version shown in the main window's caption: major, a full stop, then
/// minor and release with two digits at least each ("1.0203" for 1.2.3.4);
/// empty without a version.
std::string productVersionText(const std::optional<ProductVersion>& version);

/// All four numbers, "1.2.3.4"; empty without a version.
std::string fullProductVersionText(const std::optional<ProductVersion>& version);

}  // namespace qorv
