#pragma once

#include <string>

namespace qorv {

/// The program's folder among the user's data, ending in "/":
/// "$XDG_DATA_HOME/Quorvex/", or "$HOME/.local/share/Quorvex/" when
/// XDG_DATA_HOME is unset or not absolute (as the XDG rules say); empty when
/// no home folder is known. Not created here.
std::string userDataFolder();

/// Creates the folder `path` and those above it that are missing, for the
/// user alone (0700, as the XDG rules ask of the folders they name): 0, or
/// the error number.
int makeFolders(const std::string& path);

/// The absolute path of the existing `path` with every link resolved, into
/// `real`: 0, or the error number.
int realPathOf(const std::string& path, std::string& real);

}  // namespace qorv
