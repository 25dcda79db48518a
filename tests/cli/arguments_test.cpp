// The command line's parsing, its apply step and its --help, in-process.

#include "cli/arguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>

#include "tests/support/casename.h"

namespace qorv {
namespace {

using ::testing::HasSubstr;
using Args = std::vector<std::string>;

/// The settings a project gave before the command line's options apply.
GeneratorSettings projectSettings() {
  GeneratorSettings settings;
  settings.gzip = true;
  settings.schema = SitemapSchema::V09;
  return settings;
}

struct ParseCase {
  const char* what;
  Args args;
  std::optional<std::string> folder;
  std::optional<std::string> url;
  /// What the options change in projectSettings().
  std::function<void(GeneratorSettings&, cli::CliOptions&)> expect;
  friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.what; }
};

class ParseArguments : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseArguments, GivesTheOperandsAndSettings) {
  const cli::CliOptions options = cli::parseArguments(GetParam().args);
  EXPECT_EQ(options.folder, GetParam().folder);
  EXPECT_EQ(options.url, GetParam().url);
  GeneratorSettings settings = projectSettings();
  cli::applySettings(options.settings, settings);
  GeneratorSettings expected = projectSettings();
  cli::CliOptions expectedOptions;
  GetParam().expect(expected, expectedOptions);
  EXPECT_EQ(settings, expected);
  EXPECT_EQ(options.project, expectedOptions.project);
  EXPECT_EQ(options.saveProject, expectedOptions.saveProject);
  EXPECT_EQ(options.includeAll, expectedOptions.includeAll);
  EXPECT_EQ(options.list, expectedOptions.list);
  EXPECT_EQ(options.quiet, expectedOptions.quiet);
  EXPECT_EQ(options.threads, expectedOptions.threads);
  EXPECT_EQ(options.help, expectedOptions.help);
}

const auto kNothing = [](GeneratorSettings&, cli::CliOptions&) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseArguments,
    ::testing::Values(
        ParseCase{"options before between and after the operands",
                  {"--list", "dir", "--quiet", "http://s", "--mask=*.php", "--include", "none"},
                  "dir",
                  "http://s",
                  [](GeneratorSettings& s, cli::CliOptions& o) {
                    s.fileMask = "*.php";
                    o.list = o.quiet = true;
                    o.includeAll = false;
                  }},
        ParseCase{
            "double dash ends the options", {"--", "--list", "--x=1"}, "--list", "--x=1", kNothing},
        ParseCase{"single dash begins an operand", {"-x", "-"}, "-x", "-", kNothing},
        ParseCase{"folder bytes that are not UTF-8",
                  {"/srv/\xff\xfe caf\xe9", "http://s"},
                  "/srv/\xff\xfe caf\xe9",
                  "http://s",
                  kNothing},
        ParseCase{"a value may begin with two dashes",
                  {"--index", "--long", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) { s.indexFile = "--long"; }},
        ParseCase{"an empty value after the equals sign",
                  {"--index=", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) { s.indexFile = ""; }},
        ParseCase{"a project needs no operands",
                  {"--project", "p.prj", "--save-project=q.prj"},
                  std::nullopt,
                  std::nullopt,
                  [](GeneratorSettings&, cli::CliOptions& o) {
                    o.project = "p.prj";
                    o.saveProject = "q.prj";
                  }},
        ParseCase{"a project and a folder",
                  {"--project", "p.prj", "dir"},
                  "dir",
                  std::nullopt,
                  [](GeneratorSettings&, cli::CliOptions& o) { o.project = "p.prj"; }},
        ParseCase{"help needs no operands",
                  {"--help"},
                  std::nullopt,
                  std::nullopt,
                  [](GeneratorSettings&, cli::CliOptions& o) { o.help = true; }},
        ParseCase{"one way flags",
                  {"--long", "--compact", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) {
                    s.dateOnlyLastmod = false;
                    s.compact = true;
                  }},
        ParseCase{"switches on and off, the last one winning",
                  {"--no-gzip", "--split", "--robots", "--no-robots", "--encode-non-ascii",
                   "--robots", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) {
                    s.gzip = false;
                    s.splitIndex = s.robotsTxt = s.encodeNonAscii = true;
                  }},
        ParseCase{"the automatic zone by its short word",
                  {"--zone", "auto", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) { s.timeZone.setIndex(25); }},
        ParseCase{"the automatic zone by its entry in any case",
                  {"--zone=Automaticky", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) { s.timeZone.setIndex(25); }},
        ParseCase{"the dates' source and the memory file",
                  {"--lastmod", "content", "--lastmod-memory", "ci/site.mem", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) {
                    s.lastmodSource = LastmodSource::Content;
                    s.lastmodMemory = "ci/site.mem";
                  }},
        ParseCase{"the schema by its word",
                  {"--schema", "0.84", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) { s.schema = SitemapSchema::V084; }},
        ParseCase{"vocabulary texts kept as typed and matched ignoring case",
                  {"--changefreq", "WEEKLY", "--priority=0.55", "--root-priority", "1.0", "--zone",
                   "+00:00", "--root-changefreq", "none", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) {
                    s.otherChangefreq.setTyped("WEEKLY", 4);
                    s.otherPriority.setTyped("0.55", -1);
                    s.rootPriority.setIndex(11);
                    s.timeZone.setIndex(12);
                    s.rootChangefreq.setIndex(0);
                  }},
        ParseCase{"the last of a repeated text",
                  {"--mask", "*.a", "--mask", "*.b", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) { s.fileMask = "*.b"; }},
        ParseCase{"language alternates with schema 0.9",
                  {"--hreflang", "--schema", "0.9", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) {
                    s.hreflang = true;
                    s.schema = SitemapSchema::V09;
                  }},
        ParseCase{"a stylesheet by URL and the program's own",
                  {"--stylesheet", "https://s/x.xsl?v=1&a=b", "--write-stylesheet", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings& s, cli::CliOptions&) {
                    s.stylesheet = "https://s/x.xsl?v=1&a=b";
                    s.writeStylesheet = true;
                  }},
        ParseCase{"threads: every processor unless given",
                  {"a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings&, cli::CliOptions& o) { o.threads = 0; }},
        ParseCase{"threads from 0 to 256, the last one winning",
                  {"--threads", "256", "a", "--threads=1", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings&, cli::CliOptions& o) { o.threads = 1; }},
        ParseCase{"threads with leading zeros",
                  {"--threads=007", "a", "b"},
                  "a",
                  "b",
                  [](GeneratorSettings&, cli::CliOptions& o) { o.threads = 7; }},
        ParseCase{"a stylesheet emptied and the program's own switched off",
                  {"--stylesheet=x.xsl", "--write-stylesheet",
                   "--stylesheet=", "--no-write-stylesheet", "a", "b"},
                  "a",
                  "b",
                  kNothing}),
    test::CaseName());

struct UsageCase {
  const char* what;
  Args args;
  const char* message;
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.what; }
};

class UsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, SayWhatIsWrong) {
  try {
    cli::parseArguments(GetParam().args);
    ADD_FAILURE() << "no usage error";
  } catch (const cli::UsageError& error) {
    EXPECT_STREQ(error.what(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    ::testing::Values(
        UsageCase{"no operands", {}, "FOLDER and URL are needed"},
        UsageCase{"folder alone", {"folder"}, "FOLDER and URL are needed"},
        UsageCase{"three operands", {"a", "b", "c"}, "too many operands"},
        UsageCase{"empty folder", {"", "http://s"}, "FOLDER must not be empty"},
        UsageCase{"unknown option", {"--bogus", "a", "b"}, "unknown option --bogus"},
        UsageCase{"unknown option with a value", {"--bogus=1", "a", "b"}, "unknown option --bogus"},
        UsageCase{
            "no negation of a value option", {"--no-mask", "a", "b"}, "unknown option --no-mask"},
        UsageCase{
            "no negation of a one way flag", {"--no-long", "a", "b"}, "unknown option --no-long"},
        UsageCase{"missing value", {"a", "b", "--mask"}, "option --mask needs a value"},
        UsageCase{"missing word", {"a", "b", "--include"}, "option --include needs a value"},
        UsageCase{"flag with a value", {"--list=yes", "a", "b"}, "option --list takes no value"},
        UsageCase{"switch with a value", {"--gzip=1", "a", "b"}, "option --gzip takes no value"},
        UsageCase{
            "negation with a value", {"--no-gzip=1", "a", "b"}, "option --no-gzip takes no value"},
        UsageCase{"unknown include word",
                  {"--include", "some", "a", "b"},
                  "--include takes all or none, not \"some\""},
        UsageCase{"unknown schema",
                  {"--schema", "1.0", "a", "b"},
                  "--schema takes 0.84 or 0.9, not \"1.0\""},
        UsageCase{"threads over the limit",
                  {"--threads", "257", "a", "b"},
                  "option --threads needs a number from 0 to 256, not \"257\""},
        UsageCase{"threads not a number",
                  {"--threads=two", "a", "b"},
                  "option --threads needs a number from 0 to 256, not \"two\""},
        UsageCase{"threads negative",
                  {"--threads=-1", "a", "b"},
                  "option --threads needs a number from 0 to 256, not \"-1\""},
        UsageCase{"threads empty",
                  {"--threads=", "a", "b"},
                  "option --threads needs a number from 0 to 256, not \"\""},
        UsageCase{"threads far too many digits",
                  {"--threads", "99999999999999999999", "a", "b"},
                  "option --threads needs a number from 0 to 256, not \"99999999999999999999\""},
        UsageCase{
            "threads without a value", {"a", "b", "--threads"}, "option --threads needs a value"},
        UsageCase{"an error before help",
                  {"--schema=1.0", "--help"},
                  "--schema takes 0.84 or 0.9, not \"1.0\""}),
    test::CaseName());

// A table of the kinds the real one has too few of: a text that each use
// of its option adds to, and a choice of three words.
constexpr std::string_view kSourceWords[] = {"file", "git", "none"};

const ProjectSetting kFixture[] = {
    {.key = "Patterns",
     .value = TextValue{.member = &GeneratorSettings::indexFile, .separator = " "},
     .option = {.name = "--pattern",
                .valueName = "PATTERN",
                .help = "leave out the URLs that match PATTERN; may repeat, each adding to "
                        "those of the project",
                .negatable = true,
                .negationHelp = "forget the project's patterns"}},
    {.key = "Source",
     .value = enumChoice<&GeneratorSettings::schema>(kSourceWords),
     .option = {.name = "--source", .help = "where lastmod comes from\n(default file)"}},
    {.key = "Long",
     .value = FlagValue{&GeneratorSettings::gzip},
     .option = {.name = "--a-rather-long-option-name",
                .help = "an option whose name leaves no room",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
    {.key = "Other",
     .value = FlagValue{&GeneratorSettings::robotsTxt},
     .option = {.name = "--other",
                .help = "another switch",
                .group = HelpGroup::SearchEngines,
                .negatable = true}},
};

TEST(ArgumentsOfATable, RepeatedTextAddsToTheProjectsAndItsNegationEmptiesIt) {
  GeneratorSettings settings;
  settings.indexFile = "/old/*";
  cli::applySettings(
      cli::parseArguments({"--pattern", "/a/*", "--pattern=/b/*", "x", "y"}, kFixture).settings,
      settings);
  EXPECT_EQ(settings.indexFile, "/old/* /a/* /b/*");
  cli::applySettings(
      cli::parseArguments({"--pattern", "/a/*", "--no-pattern", "--pattern", "/c/*", "x", "y"},
                          kFixture)
          .settings,
      settings);
  EXPECT_EQ(settings.indexFile, "/c/*");
  settings.indexFile.clear();
  cli::applySettings(cli::parseArguments({"--pattern", "/d/*", "x", "y"}, kFixture).settings,
                     settings);
  EXPECT_EQ(settings.indexFile, "/d/*") << "no separator before the first";
}

TEST(ArgumentsOfATable, AChoiceTakesItsWordsOnly) {
  GeneratorSettings settings;
  cli::applySettings(cli::parseArguments({"--source", "git", "x", "y"}, kFixture).settings,
                     settings);
  EXPECT_EQ(static_cast<int>(settings.schema), 1);
  EXPECT_THROW(
      {
        try {
          cli::parseArguments({"--source=GIT", "x", "y"}, kFixture);
        } catch (const cli::UsageError& error) {
          EXPECT_STREQ(error.what(), "--source takes file, git or none, not \"GIT\"");
          throw;
        }
      },
      cli::UsageError);
}

TEST(ArgumentsOfATable, HelpListsTheOptionsInTheirGroups) {
  const std::string help = cli::usageText(kFixture);
  EXPECT_THAT(help,
              HasSubstr("Options:\n"
                        "  --project FILE           read the folder, the URL and the settings "
                        "from a\n"
                        "                           project file; what the command line gives "
                        "overrides\n"
                        "                           it\n"
                        "  --save-project FILE      save the folder, the URL and the settings in "
                        "force\n"
                        "                           as a project file, before scanning\n"
                        "  --pattern PATTERN        leave out the URLs that match PATTERN; may "
                        "repeat,\n"
                        "                           each adding to those of the project\n"
                        "  --source file|git|none   where lastmod comes from\n"
                        "                           (default file)\n"
                        "  --include all|none       which rows are ticked before writing "
                        "(default all)\n"
                        "  --no-pattern             forget the project's patterns\n"
                        "\n"
                        "For search engines (off unless a project switched them on):\n"
                        "  --a-rather-long-option-name\n"
                        "                           an option whose name leaves no room\n"
                        "  --other                  another switch\n"
                        "  --no-a-rather-long-option-name, --no-other\n"
                        "                           switch the option off\n"
                        "\n"
                        "Other options:\n"
                        "  --list "));
}

TEST(Help, FitsEightyColumnsAndNamesEveryOption) {
  const std::string help = cli::usageText();
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
  for (const cli::OptionSpelling& option : cli::optionSpellings()) {
    EXPECT_THAT(help, HasSubstr("  " + option.name + (option.value.empty() ? "" : " ") +
                                option.value + "  "));
    if (!option.negation.empty()) {
      EXPECT_THAT(help, HasSubstr(option.negation));
    }
  }
}

TEST(OptionSpellings, AreDistinctAndGiveEveryWordTheirValueMayBe) {
  std::set<std::string> names;
  for (const cli::OptionSpelling& option : cli::optionSpellings()) {
    EXPECT_TRUE(names.insert(option.name).second) << option.name;
    if (!option.negation.empty()) {
      EXPECT_TRUE(names.insert(option.negation).second) << option.negation;
    }
  }
  const auto spelling = [](const std::string& name) {
    for (const cli::OptionSpelling& option : cli::optionSpellings())
      if (option.name == name) return option;
    return cli::OptionSpelling{};
  };
  EXPECT_EQ(spelling("--include").value, "all|none");
  EXPECT_EQ(spelling("--schema").words, (std::vector<std::string>{"0.84", "0.9"}));
  EXPECT_EQ(spelling("--zone").value, "TEXT");
  EXPECT_EQ(spelling("--zone").words.size(), kTimeZoneList.size() + 1);
  EXPECT_EQ(spelling("--zone").words.back(), "auto");
  EXPECT_EQ(spelling("--lastmod").words,
            (std::vector<std::string>{"file", "git", "content", "none"}));
  EXPECT_EQ(spelling("--gzip").negation, "--no-gzip");
  EXPECT_EQ(spelling("--long").negation, "");
}

}  // namespace
}  // namespace qorv
