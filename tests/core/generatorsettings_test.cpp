#include "core/generatorsettings.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

TEST(Vocabularies, HoldTheirFixedTexts) {
  ASSERT_EQ(ChangefreqVocabulary.size(), 8u);
  EXPECT_EQ(ChangefreqVocabulary[0], "none");
  EXPECT_EQ(ChangefreqVocabulary[3], "daily");
  EXPECT_EQ(ChangefreqVocabulary[7], "never");
  ASSERT_EQ(PriorityVocabulary.size(), 12u);
  EXPECT_EQ(PriorityVocabulary[0], "none");
  for (std::size_t i = 1; i < 11; ++i)
    EXPECT_EQ(PriorityVocabulary[i], "0." + std::to_string(i - 1));
  EXPECT_EQ(PriorityVocabulary[11], "1.0");
  ASSERT_EQ(TimeZoneList.size(), 25u);
  EXPECT_EQ(TimeZoneList[0], "-12:00");
  EXPECT_EQ(TimeZoneList[11], "-01:00");
  EXPECT_EQ(TimeZoneList[12], "+00:00");
  EXPECT_EQ(TimeZoneList[13], "+01:00");
  EXPECT_EQ(TimeZoneList[24], "+12:00");
}

TEST(GeneratorSettings, StartWithTheirDefaults) {
  const TGeneratorSettings settings;
  EXPECT_EQ(settings.FileMask, "*.htm;*.html");
  EXPECT_EQ(settings.IndexFile, "index.htm");
  EXPECT_EQ(settings.RootChangefreq.Text(), "daily");
  EXPECT_EQ(settings.RootPriority.Text(), "0.5");
  EXPECT_EQ(settings.OtherChangefreq.Text(), "none");
  EXPECT_EQ(settings.OtherPriority.Text(), "none");
  EXPECT_TRUE(settings.TimeShort);
  EXPECT_EQ(settings.TimeZone.Index(), 13);
  EXPECT_EQ(settings.TimeZone.Text(), "+01:00");
  EXPECT_FALSE(settings.Compact);
}

struct TIndexCase {
  const char* Name;
  int TypedIndex;  // the index the typed text "Typed" was matched to
  int NewIndex;
  int Index;
  const char* Text;
  friend void PrintTo(const TIndexCase& c, std::ostream* os) { *os << c.Name; }
};

class VocabularyChoice : public ::testing::TestWithParam<TIndexCase> {};

TEST_P(VocabularyChoice, SettingTheIndexFollowsItsThreeRules) {
  TVocabularyChoice choice(ChangefreqVocabulary, 3);
  choice.SetTyped("Typed", GetParam().TypedIndex);
  choice.SetIndex(GetParam().NewIndex);
  EXPECT_EQ(choice.Index(), GetParam().Index);
  EXPECT_EQ(choice.Text(), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VocabularyChoice,
    ::testing::Values(TIndexCase{"SameMinusOneKeepsTypedText", -1, -1, -1, "Typed"},
                      TIndexCase{"SameEntryKeepsTypedText", 3, 3, 3, "Typed"},
                      TIndexCase{"OtherEntrySetsItsText", -1, 4, 4, "weekly"},
                      TIndexCase{"MinusOneAfterAMatchEmptiesText", 3, -1, -1, ""},
                      TIndexCase{"OutOfRangeEmptiesText", -1, 12, -1, ""},
                      TIndexCase{"NegativeOutOfRangeEmptiesText", 3, -7, -1, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GeneratorSettings, ResetForNewProjectKeepsMasksIndexFileAndLayout) {
  TGeneratorSettings settings;
  settings.FileMask = "*.php";
  settings.IndexFile = "default.htm";
  settings.Compact = true;
  settings.TimeShort = false;
  settings.RootChangefreq.SetIndex(1);
  settings.RootPriority.SetTyped("0.55", -1);
  settings.OtherChangefreq.SetIndex(7);
  settings.OtherPriority.SetIndex(11);
  settings.TimeZone.SetTyped("+05:30", -1);
  settings.ResetForNewProject();
  TGeneratorSettings expected;
  expected.FileMask = "*.php";
  expected.IndexFile = "default.htm";
  expected.Compact = true;
  EXPECT_EQ(settings, expected);
}

TEST(GeneratorSettings, ProjectIndexMinusOneEmptiesAfterResetButKeepsATypedText) {
  TGeneratorSettings settings;
  settings.OtherChangefreq.SetTyped("sometimes", -1);
  settings.OtherChangefreq.SetIndex(-1);  // opening a project that stored -1
  EXPECT_EQ(settings.OtherChangefreq.Text(), "sometimes");
  settings.ResetForNewProject();
  settings.OtherChangefreq.SetIndex(-1);
  EXPECT_EQ(settings.OtherChangefreq.Text(), "");
}

struct TFindCase {
  const char* Text;
  int Changefreq;
  int TimeZone;
  friend void PrintTo(const TFindCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }
};

class FindIgnoringCase : public ::testing::TestWithParam<TFindCase> {};

TEST_P(FindIgnoringCase, GivesTheFirstEqualEntry) {
  EXPECT_EQ(FindIgnoreCase(ChangefreqVocabulary, GetParam().Text), GetParam().Changefreq);
  EXPECT_EQ(FindIgnoreCase(TimeZoneList, GetParam().Text), GetParam().TimeZone);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindIgnoringCase,
                         ::testing::Values(TFindCase{"None", 0, -1}, TFindCase{"DAILY", 3, -1},
                                           TFindCase{"dail", -1, -1}, TFindCase{"", -1, -1},
                                           TFindCase{"+00:00", -1, 12},
                                           TFindCase{"+05:30", -1, -1}));

}  // namespace
}  // namespace qorv
