#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qorv::cli {

/// What the command line asks for. Unset options leave the settings as
/// they are.
struct CliOptions {
  std::optional<std::string> folder;
  std::optional<std::string> url;
  std::optional<std::string> fileMask;
  std::optional<std::string> indexFile;
  std::optional<std::string> rootChangefreq;
  std::optional<std::string> rootPriority;
  std::optional<std::string> otherChangefreq;
  std::optional<std::string> otherPriority;
  std::optional<std::string> timeZone;
  /// Read first; everything else given overrides what it says.
  std::optional<std::string> project;
  /// Written with the effective settings, before the scan.
  std::optional<std::string> saveProject;
  /// "0.84" or "0.9".
  std::optional<std::string> schema;
  // The options for search engines: each on, off, or as the project says.
  std::optional<bool> encodeNonAscii;
  std::optional<bool> splitIndex;
  std::optional<bool> gzip;
  std::optional<bool> robotsTxt;
  bool longLastmod = false;
  bool compact = false;
  bool includeAll = true;
  bool list = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

/// A command line that cannot be understood; exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Parses the arguments after the program name. Options may come before,
/// between and after the two operands, as "--name VALUE" or "--name=VALUE";
/// "--" ends the options.
CliOptions parseArguments(const std::vector<std::string>& args);

/// The text of --help.
const char* usageText();

}  // namespace qorv::cli
