#include "core/leftout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/casename.h"

namespace qorv {
namespace {

using test::CaseName;

TEST(LeftOutList, KeepsWalkOrderCountsByReasonAndClears) {
  LeftOutList list;
  list.add("robots-first.html", LeftOutReason::Robots);
  list.add("drafts/", LeftOutReason::Exclude);
  list.add("a/404.html", LeftOutReason::Exclude);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.entries()[0].path, "robots-first.html");
  EXPECT_EQ(list.entries()[1].path, "drafts/");
  EXPECT_EQ(list.entries()[2].reason, LeftOutReason::Exclude);
  EXPECT_EQ(list.count(LeftOutReason::Exclude), 2u);
  EXPECT_EQ(list.count(LeftOutReason::Robots), 1u);

  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.count(LeftOutReason::Exclude), 0u);
  EXPECT_EQ(list.count(LeftOutReason::Robots), 0u);
}

TEST(LeftOutReason, WordsForTheCommandLineAndLabelsForTheWindow) {
  EXPECT_EQ(reasonWord(LeftOutReason::Exclude), "exclude");
  EXPECT_EQ(reasonWord(LeftOutReason::Robots), "robots");
  EXPECT_EQ(reasonLabel(LeftOutReason::Exclude), "vylúčené vzorom");
  EXPECT_EQ(reasonLabel(LeftOutReason::Robots), "zakázané v robots.txt");
}

struct LinesCase {
  const char* what;
  std::vector<LeftOutReason> reasons;  // in walk order
  std::size_t filesKept;
  std::string counts;     // after "Vynechané stránky: " and "Spolu: "
  std::string everyFile;  // the line when one rule left out every file
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.what; }

class LeftOutLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(LeftOutLines, NameOnlyTheReasonsThatOccurredInRuleOrder) {
  const LinesCase& c = GetParam();
  LeftOutList list;
  for (std::size_t i = 0; i < c.reasons.size(); ++i)
    list.add("page" + std::to_string(i) + ".html", c.reasons[i]);
  EXPECT_EQ(leftOutReportLine(list), "Vynechané stránky: " + c.counts);
  EXPECT_EQ(leftOutTotalLine(list), "Spolu: " + c.counts);
  EXPECT_EQ(allLeftOutLine(list, c.filesKept), c.everyFile);
}

constexpr auto kExclude = LeftOutReason::Exclude;
constexpr auto kRobots = LeftOutReason::Robots;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, LeftOutLines, ::testing::Values(
    LinesCase{"nothing left out", {}, 0, "0", ""},
    LinesCase{"patterns only", {kExclude, kExclude, kExclude}, 4, "3 (vylúčené vzorom 3)", ""},
    LinesCase{"robots only", {kRobots, kRobots}, 1, "2 (zakázané v robots.txt 2)", ""},
    LinesCase{"both in rule order whatever the walk order", {kRobots, kExclude, kRobots}, 7,
              "3 (vylúčené vzorom 1, zakázané v robots.txt 2)", ""},
    LinesCase{"patterns left out every file", {kExclude, kExclude}, 0, "2 (vylúčené vzorom 2)",
              "Všetky stránky vynechané pravidlom: vylúčené vzorom. Skontrolujte adresu webu a "
              "nastavenia."},
    LinesCase{"robots left out every file", {kRobots}, 0, "1 (zakázané v robots.txt 1)",
              "Všetky stránky vynechané pravidlom: zakázané v robots.txt. Skontrolujte adresu webu "
              "a nastavenia."},
    LinesCase{"two rules between them are not one rule", {kExclude, kRobots}, 0,
              "2 (vylúčené vzorom 1, zakázané v robots.txt 1)", ""}),
    CaseName());
// clang-format on

}  // namespace
}  // namespace qorv
