#include "core/pagelist.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qorv {
namespace {

using ::testing::ElementsAre;

std::vector<bool> Ticks(const TPageList& pages) {
  std::vector<bool> ticks;
  for (const TPageEntry& row : pages) ticks.push_back(row.Included);
  return ticks;
}

TPageList FourRows() {
  TPageList pages;
  for (const char* url : {"a", "b", "c", "d"})
    pages.Add(url, "5.3.2006", "9:05:06", "none", "none");
  return pages;
}

TEST(PageList, AddAppendsUntickedRowsInOrderAllowingRepeats) {
  TPageList pages;
  const TPageEntry& first = pages.Add("u", "d", "t", "c", "p");
  pages.Add("u", "d2", "t2", "c2", "p2");
  EXPECT_EQ(first, (TPageEntry{"u", "d", "t", "c", "p", false}));
  ASSERT_EQ(pages.Count(), 2u);
  EXPECT_EQ(pages.Item(1).DateText, "d2");
}

TEST(PageList, RowsKeepTheirAddressesAsTheListGrows) {
  TPageList pages;
  const TPageEntry* first = &pages.Add("first", "", "", "", "");
  for (int i = 0; i < 100000; ++i) pages.Add("x", "", "", "", "");
  EXPECT_EQ(first, &pages.Item(0));
  EXPECT_EQ(first->Url, "first");
}

TEST(PageList, TickCommands) {
  TPageList pages = FourRows();
  pages.SetIncluded(0, true);
  pages.SetIncluded(2, true);
  pages.InvertAll();
  EXPECT_THAT(Ticks(pages), ElementsAre(false, true, false, true));
  pages.SelectAll();
  EXPECT_THAT(Ticks(pages), ElementsAre(true, true, true, true));
  pages.ClearAll();
  EXPECT_THAT(Ticks(pages), ElementsAre(false, false, false, false));
}

TEST(PageList, SetRowDetailsReplacesTheFourTextsOnly) {
  TPageList pages = FourRows();
  pages.SetIncluded(1, true);
  pages.SetRowDetails(1, "1.1.2000", "10:00:00", "None", "0.55");
  EXPECT_EQ(pages.Item(1), (TPageEntry{"b", "1.1.2000", "10:00:00", "None", "0.55", true}));
}

TEST(PageList, UrlLengthCountsCharactersNotBytes) {
  EXPECT_EQ(UrlLength("abc"), 3u);
  EXPECT_EQ(UrlLength("šľa"), 3u);
  EXPECT_EQ(UrlLength("\xff"
                      "a"),
            2u);
}

/// Records what the list tells its view.
struct TRecorder final : TPageListObserver {
  std::vector<std::string> Events;
  void RowsAboutToBeCleared() override { Events.push_back("clearing"); }
  void RowsCleared() override { Events.push_back("cleared"); }
  void RowAboutToBeAdded(std::size_t row) override {
    Events.push_back("adding " + std::to_string(row));
  }
  void RowAdded(std::size_t row) override { Events.push_back("added " + std::to_string(row)); }
  void RowChanged(std::size_t row) override { Events.push_back("changed " + std::to_string(row)); }
  void AllRowsChanged() override { Events.push_back("all"); }
};

TEST(PageList, TellsItsObserverOfEveryChange) {
  TPageList pages;
  TRecorder recorder;
  pages.SetObserver(&recorder);
  pages.SelectAll();  // nothing to change on an empty list
  pages.Add("a", "", "", "", "");
  pages.SetIncluded(0, true);
  pages.SetRowDetails(0, "", "", "", "");
  pages.InvertAll();
  pages.Clear();
  EXPECT_THAT(recorder.Events, ElementsAre("adding 0", "added 0", "changed 0", "changed 0", "all",
                                           "clearing", "cleared"));
}

}  // namespace
}  // namespace qorv
