#pragma once

#include <string>
#include <string_view>

namespace qorv {

/// The folder of the running executable, ending in "/".
std::string executableFolder();

/// Whether "qorv.ini" and "error.log" belong in the executable's own folder.
/// A program run from `installedBinFolder`, where it was built to be
/// installed, never writes there: that folder is shared by every user and
/// owned by the package manager, even when the user (root) may write it. A
/// program run from anywhere else (a build tree, an unpacked folder) keeps
/// its files with it while it may write there. Both folders are absolute,
/// with or without a trailing "/"; an empty `installedBinFolder` matches
/// nothing.
bool usesOwnFolder(std::string_view executableFolder, std::string_view installedBinFolder,
                   bool executableFolderWritable);

/// Where "qorv.ini" and "error.log" live, ending in "/": the executable's
/// folder when `usesOwnFolder` says so, otherwise the user's configuration
/// folder for the program (created when missing).
std::string settingsFolder();

}  // namespace qorv
