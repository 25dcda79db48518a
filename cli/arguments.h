#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/projectsettings.h"

namespace qorv::cli {

/// An option of a project setting, as the command line gave it.
struct SettingArgument {
  const ProjectSetting* setting = nullptr;
  /// The value; none for a flag and for a --no- form.
  std::optional<std::string> value;
  /// Given as "--no-NAME".
  bool negated = false;
};

/// What the command line asks for. Settings it does not give stay as the
/// project (or the defaults) say.
struct CliOptions {
  std::optional<std::string> folder;
  std::optional<std::string> url;
  /// Read first; everything else given overrides what it says.
  std::optional<std::string> project;
  /// Written with the effective settings, before the scan.
  std::optional<std::string> saveProject;
  /// The options of settings, in the order given: a later one wins.
  std::vector<SettingArgument> settings;
  bool includeAll = true;
  bool list = false;
  /// Print what the scan left out, after the report or the list.
  bool leftOut = false;
  bool quiet = false;
  /// The scan's threads (SiteScanner::threads): 0 for every processor the
  /// process may run on.
  unsigned threads = 0;
  bool help = false;
  bool version = false;
};

/// A command line that cannot be understood; exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Parses the arguments after the program name, with the options of
/// `settings` beside the command line's own. Options may come before,
/// between and after the two operands, as "--name VALUE" or
/// "--name=VALUE"; "--" ends the options. Operands are taken byte for byte,
/// whatever their encoding; one that begins with a single "-" is an operand.
CliOptions parseArguments(const std::vector<std::string>& args,
                          std::span<const ProjectSetting> settings = kProjectSettings);

/// Sets what `arguments` give, in their order.
void applySettings(const std::vector<SettingArgument>& arguments, GeneratorSettings& settings);

/// The text of --help, listing the options of `settings` in their groups.
std::string usageText(std::span<const ProjectSetting> settings = kProjectSettings);

/// An option as --help, the manual page and the completion name it.
struct OptionSpelling {
  std::string name;
  /// "--no-NAME", or empty.
  std::string negation;
  /// What follows the option in --help: empty, a placeholder ("FILE") or
  /// the words it takes ("all|none").
  std::string value;
  /// Every text the value may be, where the program knows them: the words
  /// of a choice, the entries of a vocabulary.
  std::vector<std::string> words;
};

/// Every option of the command line, its own and those of `settings`.
std::vector<OptionSpelling> optionSpellings(
    std::span<const ProjectSetting> settings = kProjectSettings);

}  // namespace qorv::cli
