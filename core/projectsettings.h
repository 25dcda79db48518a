#pragma once

#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "core/generatorsettings.h"

namespace qorv {

/// The folder box's text in a new project.
inline constexpr std::string_view kNewProjectFolder = "/";
/// The URL box's text in a new project, and when the window opens.
inline constexpr std::string_view kNewProjectUrl = "http://";

/// One of the main window's two texts that a project stores.
enum class WindowText { Folder, Url };

/// A text of the main window, stored as it is. The command line gives it
/// as an operand, never through an option.
struct WindowTextValue {
  WindowText text;
  std::string_view defaultText;
};

/// A text setting, stored as it is unless `stored` rewrites it.
struct TextValue {
  std::string GeneratorSettings::*member;
  /// What a project file keeps of the text, when not the text itself.
  std::string (*stored)(std::string_view text) = nullptr;
  /// Given more than once on the command line, each value adds to the text
  /// (the first to what the project says) after this separator; when empty,
  /// the last value replaces the text.
  std::string_view separator = {};
};

/// A yes-or-no setting, stored as 1 or 0 and read as any integer.
struct FlagValue {
  bool GeneratorSettings::*member;
};

/// A setting chosen from a vocabulary or typed: a project file keeps the
/// entry's position (-1 for a text of no entry), the command line takes the
/// text, matched to an entry ignoring case.
struct VocabularyValue {
  VocabularyChoice GeneratorSettings::*member;
  /// A shorter word the command line takes, ignoring case, for the entry
  /// `aliasOf`; empty for none.
  std::string_view alias = {};
  std::string_view aliasOf = {};
};

/// One of a few choices: a project file keeps its number (any other number
/// reads as the default), the command line takes its word.
struct ChoiceValue {
  int (*get)(const GeneratorSettings&);
  void (*set)(GeneratorSettings&, int);
  /// The command line's word for each number, from 0.
  std::span<const std::string_view> words;
};

/// The ChoiceValue of an enum member whose enumerators count from 0, in the
/// order of `words`.
template <auto Member>
constexpr ChoiceValue enumChoice(std::span<const std::string_view> words) {
  using Enum = std::remove_cvref_t<decltype(GeneratorSettings{}.*Member)>;
  return {
      [](const GeneratorSettings& settings) { return static_cast<int>(settings.*Member); },
      [](GeneratorSettings& settings, int number) { settings.*Member = static_cast<Enum>(number); },
      words};
}

/// Where a value lives while the program runs, and how it is converted.
/// Each reader of the table handles every kind: a new kind fails to compile
/// until they all do.
using SettingValue =
    std::variant<WindowTextValue, TextValue, FlagValue, VocabularyValue, ChoiceValue>;

/// A visitor of a SettingValue made of one lambda per kind.
template <class... Ways>
struct Overloaded : Ways... {
  using Ways::operator()...;
};
template <class... Ways>
Overloaded(Ways...) -> Overloaded<Ways...>;

/// When saving writes an entry.
enum class Saving {
  Always,
  /// When the value is not the default, or the file holds the key already
  /// (so that going back to the default is saved): a project that leaves a
  /// newer setting alone keeps the bytes it always had.
  WhenNotDefault,
};

/// Where `qorv-cli --help` lists an option.
enum class HelpGroup { General, SearchEngines, Other };

/// How `qorv-cli` sets a value.
struct CommandLineOption {
  /// "--mask"; empty for a value no option sets.
  std::string_view name;
  /// What --help calls the value ("TEXT"); empty for a flag, and for a
  /// choice whose words stand there.
  std::string_view valueName = {};
  /// The option's text in --help, wrapped to fit; "\n" begins a new line.
  std::string_view help = {};
  HelpGroup group = HelpGroup::General;
  /// What a flag's option sets it to.
  bool flagSets = true;
  /// Whether "--no-NAME" exists: it sets a flag to the other value, or
  /// empties a text.
  bool negatable = false;
  /// The text of the --no- form in --help.
  std::string_view negationHelp = "switch the option off";
};

/// One value a project stores: its key in section "Project", where it
/// lives and how it is converted, and how `qorv-cli` sets it. A setting of
/// GeneratorSettings has the default of its member's initializer.
struct ProjectSetting {
  std::string_view key;
  SettingValue value;
  Saving saving = Saving::Always;
  /// Whether a new project leaves the value as it is.
  bool keptByNewProject = false;
  CommandLineOption option = {};
};

/// Every value a project stores, in the order of the file.
extern const std::span<const ProjectSetting> kProjectSettings;

}  // namespace qorv
