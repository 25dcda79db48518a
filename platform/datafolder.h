#pragma once

#include <string>

#include "platform/result.h"

namespace qorv {

/// The program's folder among the user's data, ending in "/":
/// "$XDG_DATA_HOME/Quorvex/", or "$HOME/.local/share/Quorvex/" when
/// XDG_DATA_HOME is unset or not absolute (as the XDG rules say); empty when
/// no home folder is known. Not created here.
std::string userDataFolder();

/// Creates the folder `path` and those above it that are missing, for the
/// user alone (0700, as the XDG rules ask of the folders they name). Fails
/// with ENOTDIR where a file stands in the way.
Result<void> makeFolders(const std::string& path);

/// The absolute path of the existing `path` with every link resolved.
Result<std::string> realPathOf(const std::string& path);

}  // namespace qorv
