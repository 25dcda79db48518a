#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qorv::cli {

/// What the command line asks for. Unset options leave the settings as
/// they are.
struct TCliOptions {
  std::optional<std::string> Folder;
  std::optional<std::string> Url;
  std::optional<std::string> FileMask;
  std::optional<std::string> IndexFile;
  std::optional<std::string> RootChangefreq;
  std::optional<std::string> RootPriority;
  std::optional<std::string> OtherChangefreq;
  std::optional<std::string> OtherPriority;
  std::optional<std::string> TimeZone;
  /// Read first; everything else given overrides what it says.
  std::optional<std::string> Project;
  /// Written with the effective settings, before the scan.
  std::optional<std::string> SaveProject;
  bool LongLastmod = false;
  bool Compact = false;
  bool IncludeAll = true;
  bool List = false;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
};

/// A command line that cannot be understood; exit status 2.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Parses the arguments after the program name. Options may come before,
/// between and after the two operands, as "--name VALUE" or "--name=VALUE";
/// "--" ends the options.
TCliOptions ParseArguments(const std::vector<std::string>& args);

/// The text of --help.
const char* UsageText();

}  // namespace qorv::cli
