#include "cli/arguments.h"

#include <algorithm>
#include <string_view>
#include <variant>

#include "core/unicodecase.h"

namespace qorv::cli {

namespace {

/// An option of the run itself, stored in no project.
struct RunOption {
  std::string_view name;
  std::variant<std::optional<std::string> CliOptions::*, bool CliOptions::*, unsigned CliOptions::*>
      field;
  /// What --help calls the value; empty for a flag and for words.
  std::string_view valueName = {};
  /// The words the value may be; the field is true for the first.
  std::span<const std::string_view> words = {};
  std::string_view help = {};
  HelpGroup group = HelpGroup::General;
  /// Listed before the settings of its group, not after them.
  bool beforeSettings = false;
};

constexpr std::string_view kIncludeWords[] = {"all", "none"};

constexpr RunOption kRunOptions[] = {
    {.name = "--project",
     .field = &CliOptions::project,
     .valueName = "FILE",
     .help = "read the folder, the URL and the settings from a project file; what the command "
             "line gives overrides it",
     .beforeSettings = true},
    {.name = "--save-project",
     .field = &CliOptions::saveProject,
     .valueName = "FILE",
     .help = "save the folder, the URL and the settings in force as a project file, before "
             "scanning",
     .beforeSettings = true},
    {.name = "--include",
     .field = &CliOptions::includeAll,
     .words = kIncludeWords,
     .help = "which rows are ticked before writing (default all)"},
    {.name = "--list",
     .field = &CliOptions::list,
     .help = "print the page list instead of writing: one row a line, Url, date, time, "
             "changefreq, priority and ticked (1 or 0), tab-separated",
     .group = HelpGroup::Other},
    {.name = "--left-out",
     .field = &CliOptions::leftOut,
     .help = "after the report (or the list), print what the scan left out: one entry a line, "
             "the reason (exclude or robots), a tab and the path below FOLDER, a folder's "
             "ending in \"/\"",
     .group = HelpGroup::Other},
    {.name = "--threads",
     .field = &CliOptions::threads,
     .valueName = "N",
     .help = "threads that list folders and read files while the rows are made in walk order: "
             "0 (the default) for every processor the program may run on, 1 for the scan on "
             "one thread; at most 256. The output is the same whatever N is",
     .group = HelpGroup::Other},
    {.name = "--quiet",
     .field = &CliOptions::quiet,
     .help = "no live count of scanned files on a terminal",
     .group = HelpGroup::Other},
    {.name = "--help",
     .field = &CliOptions::help,
     .help = "show this text",
     .group = HelpGroup::Other},
    {.name = "--version",
     .field = &CliOptions::version,
     .help = "show the version",
     .group = HelpGroup::Other},
};

constexpr std::string_view kNegationPrefix = "--no-";

constexpr unsigned kMostThreads = 256;

/// The value of a numeric option: decimal digits alone, within the limit.
unsigned countValue(std::string_view name, const std::string& value) {
  unsigned count = 0;
  bool valid = !value.empty() && value.size() <= 3;
  for (const char c : value) {
    if (c < '0' || c > '9') valid = false;
    if (valid) count = count * 10 + static_cast<unsigned>(c - '0');
  }
  if (!valid || count > kMostThreads)
    throw UsageError("option " + std::string(name) + " needs a number from 0 to " +
                     std::to_string(kMostThreads) + ", not \"" + value + "\"");
  return count;
}

std::string negationOf(std::string_view name) {
  return std::string(kNegationPrefix) + std::string(name.substr(2));
}

/// The setting whose option or --no- form is `name`, and which of the two.
std::pair<const ProjectSetting*, bool> findSetting(std::span<const ProjectSetting> settings,
                                                   std::string_view name) {
  for (const ProjectSetting& setting : settings) {
    const CommandLineOption& option = setting.option;
    if (option.name.empty()) continue;
    if (name == option.name) return {&setting, false};
    if (option.negatable && name == negationOf(option.name)) return {&setting, true};
  }
  return {nullptr, false};
}

/// The words a value of `setting` may be, where there is such a list.
std::span<const std::string_view> choiceWords(const ProjectSetting& setting) {
  const auto* choice = std::get_if<ChoiceValue>(&setting.value);
  return choice ? choice->words : std::span<const std::string_view>();
}

/// The position of `value` among `words`; a usage error when none.
std::size_t wordIndex(std::string_view name, std::span<const std::string_view> words,
                      const std::string& value) {
  const auto found = std::find(words.begin(), words.end(), value);
  if (found != words.end()) return static_cast<std::size_t>(found - words.begin());
  std::string alternatives;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) alternatives += i + 1 == words.size() ? " or " : ", ";
    alternatives += words[i];
  }
  throw UsageError(std::string(name) + " takes " + alternatives + ", not \"" + value + "\"");
}

std::string joinedWords(std::span<const std::string_view> words) {
  std::string joined;
  for (const std::string_view word : words) {
    if (!joined.empty()) joined += '|';
    joined += word;
  }
  return joined;
}

/// What --help shows after the option's name.
std::string helpValue(const ProjectSetting& setting) {
  // A choice whose words would leave its description no room names them
  // there instead.
  if (!setting.option.valueName.empty()) return std::string(setting.option.valueName);
  const std::span<const std::string_view> words = choiceWords(setting);
  return words.empty() ? std::string(setting.option.valueName) : joinedWords(words);
}

std::string helpValue(const RunOption& option) {
  return option.words.empty() ? std::string(option.valueName) : joinedWords(option.words);
}

constexpr std::size_t kDescriptionColumn = 27;
constexpr std::size_t kHelpWidth = 79;

/// Appends the words of `text` to `help`, whose last line is `column`
/// characters wide, breaking lines before they pass kHelpWidth and
/// beginning each new one with `indent` spaces. Returns the new column.
std::size_t appendWrapped(std::string& help, std::string_view text, std::size_t column,
                          std::size_t indent) {
  bool first = true;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    if (!first && column + 1 + word.size() > kHelpWidth) {
      help.append("\n").append(indent, ' ');
      column = indent;
    } else if (!first) {
      help += ' ';
      ++column;
    }
    help += word;
    column += word.size();
    first = false;
  }
  return column;
}

/// One entry: "  --name VALUE", its description from column 27 (on a line
/// of its own when the names leave no room), "\n" in it starting a line.
void appendEntry(std::string& help, std::string_view names, std::string_view description) {
  help += "  ";
  std::size_t column = appendWrapped(help, names, 2, 2);
  if (column + 2 > kDescriptionColumn) {
    help += '\n';
    column = 0;
  }
  help.append(kDescriptionColumn - column, ' ');
  column = kDescriptionColumn;
  for (std::size_t start = 0; start <= description.size();) {
    const std::size_t end = std::min(description.find('\n', start), description.size());
    if (start > 0) {
      help.append("\n").append(kDescriptionColumn, ' ');
      column = kDescriptionColumn;
    }
    column =
        appendWrapped(help, description.substr(start, end - start), column, kDescriptionColumn);
    start = end + 1;
  }
  help += '\n';
}

struct HelpGroupText {
  HelpGroup group;
  std::string_view heading;
};

constexpr HelpGroupText kHelpGroups[] = {
    {HelpGroup::General, "Options:"},
    {HelpGroup::SearchEngines, "For search engines (off unless a project switched them on):"},
    {HelpGroup::Other, "Other options:"},
};

void appendGroup(std::string& help, HelpGroupText group, std::span<const ProjectSetting> settings) {
  help.append("\n").append(group.heading).append("\n");
  const auto appendRunOptions = [&](bool beforeSettings) {
    for (const RunOption& option : kRunOptions) {
      if (option.group != group.group || option.beforeSettings != beforeSettings) continue;
      const std::string value = helpValue(option);
      appendEntry(help, std::string(option.name) + (value.empty() ? "" : " " + value), option.help);
    }
  };
  appendRunOptions(true);
  // The --no- forms of a group, gathered by what they do.
  std::vector<std::pair<std::string_view, std::string>> negations;
  for (const ProjectSetting& setting : settings) {
    const CommandLineOption& option = setting.option;
    if (option.name.empty() || option.group != group.group) continue;
    const std::string value = helpValue(setting);
    appendEntry(help, std::string(option.name) + (value.empty() ? "" : " " + value), option.help);
    if (!option.negatable) continue;
    auto same = std::find_if(negations.begin(), negations.end(),
                             [&](const auto& n) { return n.first == option.negationHelp; });
    if (same == negations.end()) {
      negations.emplace_back(option.negationHelp, negationOf(option.name));
    } else {
      same->second.append(", ").append(negationOf(option.name));
    }
  }
  appendRunOptions(false);
  for (const auto& [description, names] : negations) appendEntry(help, names, description);
}

}  // namespace

// By hand rather than with QCommandLineParser, which takes the arguments as
// QStrings (a folder name that is not UTF-8 would lose its bytes), reads a
// word beginning with one "-" as an option (a folder "-x" would need "--")
// and has error texts of its own.
CliOptions parseArguments(const std::vector<std::string>& args,
                          std::span<const ProjectSetting> settings) {
  CliOptions options;
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);
    std::optional<std::string> inlineValue;
    if (equals != std::string::npos) inlineValue = arg.substr(equals + 1);

    const auto takeValue = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError("option " + std::string(name) + " needs a value");
      return args[++i];
    };
    const auto takeNoValue = [&] {
      if (inlineValue) throw UsageError("option " + std::string(name) + " takes no value");
    };

    const auto run = std::find_if(std::begin(kRunOptions), std::end(kRunOptions),
                                  [&](const RunOption& option) { return option.name == name; });
    if (run != std::end(kRunOptions)) {
      std::visit(
          Overloaded{
              [&](std::optional<std::string> CliOptions::*field) { options.*field = takeValue(); },
              [&](unsigned CliOptions::*field) { options.*field = countValue(name, takeValue()); },
              [&](bool CliOptions::*field) {
                if (run->words.empty()) {
                  takeNoValue();
                  options.*field = true;
                } else {
                  options.*field = wordIndex(name, run->words, takeValue()) == 0;
                }
              },
          },
          run->field);
      continue;
    }

    const auto [setting, negated] = findSetting(settings, name);
    if (!setting) throw UsageError("unknown option " + std::string(name));
    SettingArgument argument{setting, std::nullopt, negated};
    if (negated || std::holds_alternative<FlagValue>(setting->value)) {
      takeNoValue();
    } else {
      argument.value = takeValue();
      if (const auto words = choiceWords(*setting); !words.empty())
        wordIndex(name, words, *argument.value);
    }
    options.settings.push_back(std::move(argument));
  }

  if (options.help || options.version) return options;
  // A project names the folder and the URL; without one both are needed.
  if (operands.size() > 2) throw UsageError("too many operands");
  if (!options.project && operands.size() < 2) throw UsageError("FOLDER and URL are needed");
  if (operands.size() >= 1) options.folder = operands[0];
  if (operands.size() >= 2) options.url = operands[1];
  if (options.folder && options.folder->empty()) throw UsageError("FOLDER must not be empty");
  return options;
}

void applySettings(const std::vector<SettingArgument>& arguments, GeneratorSettings& settings) {
  for (const SettingArgument& argument : arguments) {
    const std::string value = argument.value.value_or("");
    std::visit(Overloaded{
                   // The operands set the window's texts.
                   [](const WindowTextValue&) {},
                   [&](const TextValue& text) {
                     std::string& kept = settings.*text.member;
                     if (argument.negated) {
                       kept.clear();
                     } else if (!text.separator.empty() && !kept.empty()) {
                       kept.append(text.separator).append(value);
                     } else {
                       kept = value;
                     }
                   },
                   [&](const FlagValue& flag) {
                     settings.*flag.member = argument.negated != argument.setting->option.flagSets;
                   },
                   // Kept as typed, matched to the first entry equal to it
                   // ignoring case, as the window's boxes do.
                   [&](const VocabularyValue& choice) {
                     VocabularyChoice& kept = settings.*choice.member;
                     // The entry an alias stands for is taken as the list
                     // spells it, which is what the writer knows it by.
                     const bool aliased =
                         !choice.alias.empty() && (equalsIgnoreCase(value, choice.alias) ||
                                                   equalsIgnoreCase(value, choice.aliasOf));
                     const std::string typed = aliased ? std::string(choice.aliasOf) : value;
                     kept.setTyped(typed, findIgnoreCase(kept.vocabulary(), typed));
                   },
                   [&](const ChoiceValue& choice) {
                     const auto found = std::find(choice.words.begin(), choice.words.end(), value);
                     choice.set(settings, static_cast<int>(found - choice.words.begin()));
                   },
               },
               argument.setting->value);
  }
}

std::string usageText(std::span<const ProjectSetting> settings) {
  std::string help =
      "Usage: qorv-cli [OPTIONS] FOLDER URL\n"
      "       qorv-cli --project FILE [OPTIONS] [FOLDER [URL]]\n"
      "Scans FOLDER, the local copy of the site published at URL, and writes\n"
      "FOLDER/sitemap.xml with every page ticked.\n";
  for (const HelpGroupText& group : kHelpGroups) appendGroup(help, group, settings);
  help +=
      "\n"
      "Dates and times follow the locale of LC_ALL, LC_TIME or LANG.\n"
      "\n"
      "Exit status: 0 written within the protocol limits, 3 written but a limit\n"
      "exceeded, 2 bad usage, 1 failure.\n";
  return help;
}

std::vector<OptionSpelling> optionSpellings(std::span<const ProjectSetting> settings) {
  std::vector<OptionSpelling> spellings;
  for (const RunOption& option : kRunOptions) {
    spellings.push_back({std::string(option.name), "", helpValue(option),
                         std::vector<std::string>(option.words.begin(), option.words.end())});
  }
  const GeneratorSettings defaults;
  for (const ProjectSetting& setting : settings) {
    const CommandLineOption& option = setting.option;
    if (option.name.empty()) continue;
    OptionSpelling spelling{std::string(option.name),
                            option.negatable ? negationOf(option.name) : "",
                            helpValue(setting),
                            {}};
    const std::span<const std::string_view> words = choiceWords(setting);
    spelling.words.assign(words.begin(), words.end());
    if (const auto* choice = std::get_if<VocabularyValue>(&setting.value)) {
      const Vocabulary entries = (defaults.*choice->member).vocabulary();
      spelling.words.assign(entries.begin(), entries.end());
      if (!choice->alias.empty()) spelling.words.emplace_back(choice->alias);
    }
    spellings.push_back(std::move(spelling));
  }
  return spellings;
}

}  // namespace qorv::cli
