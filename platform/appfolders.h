#pragma once

#include <string>

namespace qorv {

/// The folder of the running executable, ending in "/".
std::string executableFolder();

/// Where "qorv.ini" and "error.log" live, ending in "/": the executable's
/// folder, or, when that cannot be written (an installed program), the
/// user's configuration folder for the program, so that neither is lost.
std::string settingsFolder();

}  // namespace qorv
