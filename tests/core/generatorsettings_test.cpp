#include "core/generatorsettings.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

TEST(Vocabularies, HoldTheirFixedTexts) {
  ASSERT_EQ(kChangefreqVocabulary.size(), 8u);
  EXPECT_EQ(kChangefreqVocabulary[0], "none");
  EXPECT_EQ(kChangefreqVocabulary[3], "daily");
  EXPECT_EQ(kChangefreqVocabulary[7], "never");
  ASSERT_EQ(kPriorityVocabulary.size(), 12u);
  EXPECT_EQ(kPriorityVocabulary[0], "none");
  for (std::size_t i = 1; i < 11; ++i)
    EXPECT_EQ(kPriorityVocabulary[i], "0." + std::to_string(i - 1));
  EXPECT_EQ(kPriorityVocabulary[11], "1.0");
  ASSERT_EQ(kTimeZoneList.size(), 26u);
  EXPECT_EQ(kTimeZoneList[0], "-12:00");
  EXPECT_EQ(kTimeZoneList[11], "-01:00");
  EXPECT_EQ(kTimeZoneList[12], "+00:00");
  EXPECT_EQ(kTimeZoneList[13], "+01:00");
  EXPECT_EQ(kTimeZoneList[24], "+12:00");
  // Added last, so that the indices project files keep still mean the same.
  EXPECT_EQ(kTimeZoneList[25], "automaticky");
}

TEST(GeneratorSettings, StartWithTheirDefaults) {
  const GeneratorSettings settings;
  EXPECT_EQ(settings.fileMask, "*.htm;*.html");
  EXPECT_EQ(settings.indexFile, "index.htm");
  EXPECT_EQ(settings.rootChangefreq.text(), "daily");
  EXPECT_EQ(settings.rootPriority.text(), "0.5");
  EXPECT_EQ(settings.otherChangefreq.text(), "none");
  EXPECT_EQ(settings.otherPriority.text(), "none");
  EXPECT_TRUE(settings.dateOnlyLastmod);
  EXPECT_EQ(settings.timeZone.index(), 13);
  EXPECT_EQ(settings.timeZone.text(), "+01:00");
  EXPECT_FALSE(settings.compact);
}

struct IndexCase {
  const char* name;
  int typedIndex;  // the index the typed text "Typed" was matched to
  int newIndex;
  int index;
  const char* text;
  friend void PrintTo(const IndexCase& c, std::ostream* os) { *os << c.name; }
};

class VocabularyChoiceTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(VocabularyChoiceTest, SettingTheIndexFollowsItsThreeRules) {
  VocabularyChoice choice(kChangefreqVocabulary, 3);
  choice.setTyped("Typed", GetParam().typedIndex);
  choice.setIndex(GetParam().newIndex);
  EXPECT_EQ(choice.index(), GetParam().index);
  EXPECT_EQ(choice.text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VocabularyChoiceTest,
    ::testing::Values(IndexCase{"SameMinusOneKeepsTypedText", -1, -1, -1, "Typed"},
                      IndexCase{"SameEntryKeepsTypedText", 3, 3, 3, "Typed"},
                      IndexCase{"OtherEntrySetsItsText", -1, 4, 4, "weekly"},
                      IndexCase{"MinusOneAfterAMatchEmptiesText", 3, -1, -1, ""},
                      IndexCase{"OutOfRangeEmptiesText", -1, 12, -1, ""},
                      IndexCase{"NegativeOutOfRangeEmptiesText", 3, -7, -1, ""}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(GeneratorSettings, ResetForNewProjectKeepsMasksIndexFileAndLayout) {
  GeneratorSettings settings;
  settings.fileMask = "*.php";
  settings.indexFile = "default.htm";
  settings.compact = true;
  settings.dateOnlyLastmod = false;
  settings.rootChangefreq.setIndex(1);
  settings.rootPriority.setTyped("0.55", -1);
  settings.otherChangefreq.setIndex(7);
  settings.otherPriority.setIndex(11);
  settings.timeZone.setTyped("+05:30", -1);
  settings.resetForNewProject();
  GeneratorSettings expected;
  expected.fileMask = "*.php";
  expected.indexFile = "default.htm";
  expected.compact = true;
  EXPECT_EQ(settings, expected);
}

TEST(GeneratorSettings, ProjectIndexMinusOneEmptiesAfterResetButKeepsATypedText) {
  GeneratorSettings settings;
  settings.otherChangefreq.setTyped("sometimes", -1);
  settings.otherChangefreq.setIndex(-1);  // opening a project that stored -1
  EXPECT_EQ(settings.otherChangefreq.text(), "sometimes");
  settings.resetForNewProject();
  settings.otherChangefreq.setIndex(-1);
  EXPECT_EQ(settings.otherChangefreq.text(), "");
}

struct FindCase {
  const char* text;
  int changefreq;
  int timeZone;
  friend void PrintTo(const FindCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class FindIgnoringCase : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindIgnoringCase, GivesTheFirstEqualEntry) {
  EXPECT_EQ(findIgnoreCase(kChangefreqVocabulary, GetParam().text), GetParam().changefreq);
  EXPECT_EQ(findIgnoreCase(kTimeZoneList, GetParam().text), GetParam().timeZone);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindIgnoringCase,
                         ::testing::Values(FindCase{"None", 0, -1}, FindCase{"DAILY", 3, -1},
                                           FindCase{"dail", -1, -1}, FindCase{"", -1, -1},
                                           FindCase{"+00:00", -1, 12}, FindCase{"+05:30", -1, -1}));

struct CompletionCase {
  const char* typed;
  Completion expected;
  friend void PrintTo(const CompletionCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }
};

class CompleteTyped : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(CompleteTyped, FirstEntryBeginningWithTheTypedTextKeepingItsCase) {
  EXPECT_EQ(complete(kChangefreqVocabulary, GetParam().typed), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompleteTyped,
    ::testing::Values(CompletionCase{"d", {3, "daily", 1}}, CompletionCase{"D", {3, "Daily", 1}},
                      CompletionCase{"dAI", {3, "dAIly", 3}},
                      CompletionCase{"weekly", {4, "weekly", 6}},
                      CompletionCase{"dx", {-1, "dx", 2}}, CompletionCase{"", {-1, "", 0}},
                      CompletionCase{"neverx", {-1, "neverx", 6}},
                      CompletionCase{"n", {0, "none", 1}}, CompletionCase{"ne", {7, "never", 2}},
                      CompletionCase{"dá", {-1, "dá", 3}}));

struct EditCase {
  const char* text;
  TextEdit edit;
  Completion expected;
  friend void PrintTo(const EditCase& c, std::ostream* os) {
    *os << '"' << c.text << (c.edit == TextEdit::Removed ? "\" removed" : "\" typed");
  }
};

class CompleteEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(CompleteEdit, TypingCompletesAndRemovingNeverDoes) {
  EXPECT_EQ(completeEdit(kChangefreqVocabulary, GetParam().text, GetParam().edit),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompleteEdit,
                         ::testing::Values(EditCase{"dai", TextEdit::Typed, {3, "daily", 3}},
                                           EditCase{"dai", TextEdit::Removed, {-1, "dai", 3}},
                                           EditCase{"w", TextEdit::Removed, {-1, "w", 1}},
                                           EditCase{"weekly", TextEdit::Removed, {-1, "weekly", 6}},
                                           EditCase{"Daily", TextEdit::Removed, {-1, "Daily", 5}},
                                           EditCase{"", TextEdit::Removed, {-1, "", 0}},
                                           EditCase{"dx", TextEdit::Typed, {-1, "dx", 2}}));

}  // namespace
}  // namespace qorv
