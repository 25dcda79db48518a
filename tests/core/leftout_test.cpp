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
  EXPECT_EQ(reasonWord(LeftOutReason::Noindex), "noindex");
  EXPECT_EQ(reasonLabel(LeftOutReason::Noindex), "noindex");
  EXPECT_EQ(reasonWord(LeftOutReason::Redirect), "redirect");
  EXPECT_EQ(reasonLabel(LeftOutReason::Redirect), "presmerovanie");
  EXPECT_EQ(reasonWord(LeftOutReason::Canonical), "canonical");
  EXPECT_EQ(reasonLabel(LeftOutReason::Canonical), "kanonická adresa mimo webu");
  EXPECT_EQ(reasonWord(LeftOutReason::Duplicate), "duplicate");
  EXPECT_EQ(reasonLabel(LeftOutReason::Duplicate), "rovnaká adresa ako iná stránka");
  EXPECT_EQ(reasonWord(LeftOutReason::Unreadable), "unreadable");
  EXPECT_EQ(reasonLabel(LeftOutReason::Unreadable), "nečitateľná");
}

TEST(LeftOutLines, UnreadablePagesAreCountedOnALineOfTheirOwnNotAsLeftOut) {
  LeftOutList list;
  list.add("a.html", LeftOutReason::Unreadable);
  EXPECT_EQ(list.leftOutCount(), 0u);
  EXPECT_EQ(unreadableLine(list), "Nečitateľné stránky: 1");
  EXPECT_EQ(leftOutTotalLine(list), "Nečitateľné stránky: 1");
  EXPECT_EQ(allLeftOutLine(list, 1), "");
  list.add("b.html", LeftOutReason::Noindex);
  list.add("c.html", LeftOutReason::Unreadable);
  EXPECT_EQ(list.leftOutCount(), 1u);
  EXPECT_EQ(leftOutReportLine(list), "Vynechané stránky: 1 (noindex 1)");
  EXPECT_EQ(leftOutTotalLine(list), "Spolu: 1 (noindex 1); Nečitateľné stránky: 2");
  list.clear();
  EXPECT_EQ(unreadableLine(list), "");
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
constexpr auto kNoindex = LeftOutReason::Noindex;
constexpr auto kRedirect = LeftOutReason::Redirect;
constexpr auto kCanonical = LeftOutReason::Canonical;
constexpr auto kDuplicate = LeftOutReason::Duplicate;

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
              "2 (vylúčené vzorom 1, zakázané v robots.txt 1)", ""},
    LinesCase{"head rules in rule order", {kDuplicate, kRobots, kCanonical, kRedirect, kNoindex,
              kNoindex}, 3, "6 (noindex 2, presmerovanie 1, kanonická adresa mimo webu 1, "
              "zakázané v robots.txt 1, rovnaká adresa ako iná stránka 1)", ""},
    LinesCase{"redirect stubs left out every file", {kRedirect}, 0, "1 (presmerovanie 1)",
              "Všetky stránky vynechané pravidlom: presmerovanie. Skontrolujte adresu webu a "
              "nastavenia."}),
    CaseName());
// clang-format on

}  // namespace
}  // namespace qorv
