// The files that describe the programs to an installed system: the manual
// pages, the bash completion, the desktop entry and the AppStream metadata.
// They are written by hand, so these tests hold them to the validators, to
// the options the command line declares and to what `qorv-cli --help`
// says, whatever options they come to be.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "cli/arguments.h"
#include "tests/support/casename.h"
#include "tests/support/runprogram.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

using ::testing::IsSupersetOf;
using ::testing::UnorderedElementsAreArray;
using Words = std::vector<std::string>;

std::string sourcePath(const std::string& relative) { return QORV_SOURCE_DIR "/" + relative; }

const std::string kManualPage = "packaging/qorv-cli.1";
const std::string kCompletion = "packaging/qorv-cli.bash";

std::string helpText() {
  const char* cli = std::getenv("QORV_CLI");
  if (!cli) {
    ADD_FAILURE() << "QORV_CLI names the qorv-cli to test; ctest sets it";
    return {};
  }
  const test::ProgramRun help = test::runProgram({cli, "--help"});
  EXPECT_EQ(help.status, 0) << help.err;
  return help.out;
}

/// Every option a text names: each "--name" word, where "--[no-]name"
/// names "--name" and "--no-name".
std::set<std::string> optionsNamedIn(const std::string& text) {
  static const std::regex kOption(R"(--(\[no-\])?([a-z0-9][a-z0-9-]*))");
  std::set<std::string> options;
  for (std::sregex_iterator it(text.begin(), text.end(), kOption), end; it != end; ++it) {
    options.insert("--" + (*it)[2].str());
    if ((*it)[1].matched) options.insert("--no-" + (*it)[2].str());
  }
  return options;
}

/// One option entry of the help: "  --name VALUE   what it does".
struct HelpEntry {
  std::set<std::string> options;
  /// "" for an option without a value, "a|b" for a choice, else a
  /// placeholder such as "FILE".
  std::string value;
};

std::vector<HelpEntry> helpEntries(const std::string& help) {
  static const std::regex kEntry(R"(^ {2}(--[^\s,]+(?:, --[^\s,]+)*)(?: (\S+))?(?: {2,}|$))");
  std::vector<HelpEntry> entries;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_search(line, match, kEntry))
      entries.push_back({optionsNamedIn(match[1].str()), match[2].str()});
  }
  return entries;
}

/// The options of the manual page's entries: the tag lines of its .TP
/// paragraphs, with the roff escapes for fonts and hyphens undone.
std::set<std::string> manualPageOptions(const std::string& page) {
  static const std::regex kFontEscape(R"(\\f(\[[^\]]*\]|\(..|.))");
  std::set<std::string> options;
  std::istringstream lines(page);
  bool tagNext = false;
  for (std::string line; std::getline(lines, line);) {
    if (tagNext) {
      std::string tag = std::regex_replace(line, kFontEscape, "");
      tag = std::regex_replace(tag, std::regex(R"(\\-)"), "-");
      tag = std::regex_replace(tag, std::regex(R"(\\&)"), "");
      options.merge(optionsNamedIn(tag));
    }
    tagNext = line == ".TP";
  }
  return options;
}

/// What the completion offers for the words typed so far, the last one
/// being completed, in `folder`: bash alone, without the bash-completion
/// package or any start-up file.
Words complete(const Words& words, const std::string& folder = "/") {
  Words argv = {"bash",
                "--norc",
                "--noprofile",
                "-c",
                std::string("cd \"$1\" && source \"$2\" || exit 1; shift 2;") +
                    "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\";" +
                    "COMP_POINT=${#COMP_LINE}; _qorv_cli || exit 1;" +
                    "for reply in \"${COMPREPLY[@]}\"; do printf '%s\\n' \"$reply\"; done",
                "bash",
                folder,
                sourcePath(kCompletion),
                "qorv-cli"};
  argv.insert(argv.end(), words.begin(), words.end());
  const test::ProgramRun run = test::runProgram(argv);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  Words replies;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) replies.push_back(line);
  return replies;
}

TEST(HelpOptions, AreReadFromTheHelpText) {
  const std::string help = helpText();
  EXPECT_THAT(optionsNamedIn(help), IsSupersetOf({"--help", "--version", "--project", "--list"}));
  EXPECT_THAT(optionsNamedIn("  --[no-]gzip, --schema 0.84|0.9; -- ends"),
              UnorderedElementsAreArray({"--gzip", "--no-gzip", "--schema"}));
  const std::vector<HelpEntry> forms = helpEntries(
      "  --a, --no-a   what\n  --[no-]b\n  --c 0.84|0.9  what\n  --d FILE\n"
      "                 --e in a description\n");
  ASSERT_EQ(forms.size(), 4u);
  EXPECT_THAT(forms[0].options, UnorderedElementsAreArray({"--a", "--no-a"}));
  EXPECT_EQ(forms[0].value, "");
  EXPECT_THAT(forms[1].options, UnorderedElementsAreArray({"--b", "--no-b"}));
  EXPECT_EQ(forms[2].value, "0.84|0.9");
  EXPECT_EQ(forms[3].value, "FILE");
  const std::vector<HelpEntry> entries = helpEntries(help);
  const auto include = std::find_if(entries.begin(), entries.end(), [](const HelpEntry& e) {
    return e.options.count("--include") > 0;
  });
  ASSERT_NE(include, entries.end());
  EXPECT_EQ(include->value, "all|none");
}

TEST(ManualPage, HasAnEntryForEveryOptionOfTheHelp) {
  const std::set<std::string> documented =
      manualPageOptions(test::readFile(sourcePath(kManualPage)));
  for (const std::string& option : optionsNamedIn(helpText()))
    EXPECT_TRUE(documented.count(option)) << option << " has no .TP entry in " << kManualPage;
}

TEST(Completion, OffersEveryOptionOfTheHelp) {
  const Words offered = complete({"--"});
  for (const std::string& option : optionsNamedIn(helpText()))
    EXPECT_THAT(offered, ::testing::Contains(option)) << option << " is missing in " << kCompletion;
}

/// Every spelling of every option the command line declares.
std::vector<std::string> declaredOptions() {
  std::vector<std::string> names;
  for (const cli::OptionSpelling& option : cli::optionSpellings()) {
    names.push_back(option.name);
    if (!option.negation.empty()) names.push_back(option.negation);
  }
  return names;
}

TEST(ManualPage, HasAnEntryForEveryDeclaredOption) {
  const std::set<std::string> documented =
      manualPageOptions(test::readFile(sourcePath(kManualPage)));
  for (const std::string& option : declaredOptions())
    EXPECT_TRUE(documented.count(option)) << option << " has no .TP entry in " << kManualPage;
}

TEST(Completion, OffersEveryDeclaredOption) {
  const Words offered = complete({"--"});
  for (const std::string& option : declaredOptions())
    EXPECT_THAT(offered, ::testing::Contains(option)) << option << " is missing in " << kCompletion;
}

// An option's value is completed when it has one, with the words the
// program knows it may be; a --no- form, like a flag, is followed by FOLDER.
TEST(Completion, CompletesTheValueOfEveryDeclaredOption) {
  test::TempDir folder;
  folder.makeDir("www");
  folder.writeFile("site.prj");
  for (const cli::OptionSpelling& option : cli::optionSpellings()) {
    const Words offered = complete({option.name, ""}, folder.path());
    if (option.value.empty()) {
      EXPECT_THAT(offered, UnorderedElementsAreArray({"www"})) << option.name << " takes no value";
    } else if (!option.words.empty()) {
      EXPECT_THAT(offered, UnorderedElementsAreArray(option.words)) << option.name;
    } else {
      EXPECT_NE(offered, Words{"www"}) << option.name << " takes a value: " << option.value;
    }
    if (!option.negation.empty()) {
      EXPECT_THAT(complete({option.negation, ""}, folder.path()),
                  UnorderedElementsAreArray({"www"}))
          << option.negation << " takes no value";
    }
  }
}

// What follows an option is its value exactly when the help gives it one,
// and a choice the help spells out is what the completion offers.
TEST(Completion, CompletesTheValuesTheHelpGives) {
  test::TempDir folder;
  folder.makeDir("www");
  folder.writeFile("site.prj");
  for (const HelpEntry& entry : helpEntries(helpText())) {
    for (const std::string& option : entry.options) {
      const Words offered = complete({option, ""}, folder.path());
      if (entry.value.empty()) {
        EXPECT_THAT(offered, UnorderedElementsAreArray({"www"}))
            << option << " takes no value: FOLDER follows";
      } else if (entry.value.find('|') != std::string::npos) {
        Words choices;
        std::istringstream alternatives(entry.value);
        for (std::string choice; std::getline(alternatives, choice, '|');)
          choices.push_back(choice);
        EXPECT_THAT(offered, UnorderedElementsAreArray(choices)) << option;
      } else {
        EXPECT_NE(offered, Words{"www"}) << option << " takes a value: " << entry.value;
      }
    }
  }
}

struct CompletionCase {
  const char* what;
  Words words;
  Words offered;
  friend void PrintTo(const CompletionCase& c, std::ostream* os) { *os << c.what; }
};

class CompletionOffers : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(CompletionOffers, WhatFitsTheWordBeingTyped) {
  test::TempDir folder;
  folder.makeDir("www");
  folder.makeDir("my site");
  folder.writeFile("site.prj");
  folder.writeFile("index.htm");
  EXPECT_THAT(complete(GetParam().words, folder.path()),
              UnorderedElementsAreArray(GetParam().offered));
}

const Words kChangefreqs = {"none",   "always",  "hourly", "daily",
                            "weekly", "monthly", "yearly", "never"};
const Words kPriorities = {"none", "0.0", "0.1", "0.2", "0.3", "0.4",
                           "0.5",  "0.6", "0.7", "0.8", "0.9", "1.0"};
const Words kZones = {"-12:00", "-11:00", "-10:00", "-09:00", "-08:00",      "-07:00", "-06:00",
                      "-05:00", "-04:00", "-03:00", "-02:00", "-01:00",      "+00:00", "+01:00",
                      "+02:00", "+03:00", "+04:00", "+05:00", "+06:00",      "+07:00", "+08:00",
                      "+09:00", "+10:00", "+11:00", "+12:00", "automaticky", "auto"};
const Words kFolders = {"www", "my site"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CompletionOffers,
    ::testing::Values(
        CompletionCase{"options by prefix", {"--in"}, {"--index", "--include"}},
        CompletionCase{"root changefreq", {"--root-changefreq", ""}, kChangefreqs},
        CompletionCase{"changefreq by prefix", {"--changefreq", "w"}, {"weekly"}},
        CompletionCase{"root priority", {"--root-priority", ""}, kPriorities},
        CompletionCase{"priority by prefix",
                       {"--priority", "0."},
                       Words(kPriorities.begin() + 1, kPriorities.end() - 1)},
        CompletionCase{"zones", {"--zone", ""}, kZones},
        CompletionCase{"negative zones", {"--zone", "-1"}, {"-12:00", "-11:00", "-10:00"}},
        CompletionCase{"zone after =", {"--zone", "=", "+1"}, {"+10:00", "+11:00", "+12:00"}},
        CompletionCase{"the automatic zone", {"--zone", "au"}, {"automaticky", "auto"}},
        CompletionCase{"dates' sources", {"--lastmod", ""}, {"file", "git", "content", "none"}},
        CompletionCase{"value right after =", {"--include", "="}, {"all", "none"}},
        CompletionCase{"=, when bash keeps the word whole", {"--include=n"}, {"--include=none"}},
        CompletionCase{
            "project files", {"--project", ""}, {"www", "my site", "site.prj", "index.htm"}},
        CompletionCase{"save-project files by prefix", {"--save-project", "s"}, {"site.prj"}},
        CompletionCase{"free text", {"--mask", ""}, {}},
        CompletionCase{"folders for FOLDER", {""}, kFolders},
        CompletionCase{"FOLDER after a flag", {"--long", ""}, kFolders},
        CompletionCase{"FOLDER after an option's value", {"--mask", "*.htm", ""}, kFolders},
        CompletionCase{"an option's value even if it looks like an option",
                       {"--index", "--long", ""},
                       kFolders},
        CompletionCase{
            "FOLDER after a value given with =", {"--zone", "=", "+02:00", ""}, kFolders},
        CompletionCase{"nothing for URL", {"www", ""}, {}},
        CompletionCase{"options after the operands", {"www", "https://x/", "--qu"}, {"--quiet"}},
        CompletionCase{"no options after --", {"--", "--"}, {}},
        CompletionCase{"FOLDER after --", {"--", "w"}, {"www"}}),
    test::CaseName());

struct CheckCase {
  const char* what;
  Words command;
  /// The validator says nothing when all is well: anything it says fails.
  bool silent;
  friend void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.what; }
};

class Validator : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Validator, AcceptsTheFile) {
  Words command = GetParam().command;
  command.back() = sourcePath(command.back());
  const test::ProgramRun run = test::runProgram(command);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  if (GetParam().silent) {
    EXPECT_EQ(run.out + run.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Validator,
    ::testing::Values(
        CheckCase{
            "desktop entry", {"desktop-file-validate", "ui/com.example.quorvex.desktop"}, true},
        CheckCase{
            "AppStream metainfo",
            {"appstreamcli", "validate", "--no-net", "packaging/com.example.quorvex.metainfo.xml"},
            false},
        CheckCase{"qorv page", {"groff", "-ww", "-z", "-man", "packaging/qorv.1"}, true},
        CheckCase{"qorv-cli page", {"groff", "-ww", "-z", "-man", "packaging/qorv-cli.1"}, true},
        // As man shows them: UTF-8 text through preconv, on a terminal.
        CheckCase{"qorv page on a terminal",
                  {"groff", "-k", "-ww", "-z", "-man", "-Tutf8", "packaging/qorv.1"},
                  true},
        CheckCase{"qorv-cli page on a terminal",
                  {"groff", "-k", "-ww", "-z", "-man", "-Tutf8", "packaging/qorv-cli.1"},
                  true}),
    test::CaseName());

struct VersionCase {
  const char* what;
  const char* file;
  const char* pattern;
  friend void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.what; }
};

class ReleaseRecord : public ::testing::TestWithParam<VersionCase> {};

// A new version needs its own entry, dated, in each record of releases.
TEST_P(ReleaseRecord, NewestEntryIsTheProgramsVersion) {
  const char* cli = std::getenv("QORV_CLI");
  ASSERT_TRUE(cli);
  const std::string printed = test::runProgram({cli, "--version"}).out;
  const std::string version = printed.substr(0, printed.find('\n')).substr(printed.find(' ') + 1);
  const std::string text = test::readFile(sourcePath(GetParam().file));
  std::smatch match;
  ASSERT_TRUE(std::regex_search(text, match, std::regex(GetParam().pattern))) << GetParam().file;
  EXPECT_EQ(match[1].str(), version) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Cases, ReleaseRecord,
                         ::testing::Values(VersionCase{"AppStream releases",
                                                       "packaging/com.example.quorvex.metainfo.xml",
                                                       R"re(<release version="([^"]+)")re"},
                                           VersionCase{"Debian changelog", "packaging/changelog",
                                                       R"re(^quorvex \(([^)]+)\))re"}),
                         test::CaseName());

struct IconCase {
  int size;
  const char* path;
  friend void PrintTo(const IconCase& c, std::ostream* os) { *os << c.path; }
};

class IconRendition : public ::testing::TestWithParam<IconCase> {};

// The icon theme finds a picture by the size its folder names.
TEST_P(IconRendition, IsAPngOfItsFoldersSize) {
  const std::string png = test::readFile(sourcePath(GetParam().path));
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  auto bigEndian = [&png](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value = value << 8 | static_cast<unsigned char>(png[at + i]);
    return value;
  };
  EXPECT_EQ(bigEndian(16), static_cast<std::uint32_t>(GetParam().size));  // IHDR width
  EXPECT_EQ(bigEndian(20), static_cast<std::uint32_t>(GetParam().size));  // IHDR height
}

INSTANTIATE_TEST_SUITE_P(Cases, IconRendition,
                         ::testing::Values(IconCase{48, "packaging/icons/48x48/quorvex.png"},
                                           IconCase{256, "packaging/icons/256x256/quorvex.png"}),
                         [](const ::testing::TestParamInfo<IconCase>& caseInfo) {
                           return "Size" + std::to_string(caseInfo.param.size);
                         });

}  // namespace
}  // namespace qorv
