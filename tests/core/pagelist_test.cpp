#include "core/pagelist.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qorv {
namespace {

using ::testing::ElementsAre;

std::vector<bool> ticks(const PageList& pages) {
  std::vector<bool> ticks;
  for (const PageEntry& row : pages) ticks.push_back(row.included);
  return ticks;
}

PageList fourRows() {
  PageList pages;
  for (const char* url : {"a", "b", "c", "d"})
    pages.add(url, "5.3.2006", "9:05:06", "none", "none");
  return pages;
}

TEST(PageList, AddAppendsUntickedRowsInOrderAllowingRepeats) {
  PageList pages;
  const PageEntry& first = pages.add("u", "d", "t", "c", "p");
  pages.add("u", "d2", "t2", "c2", "p2");
  EXPECT_EQ(first, (PageEntry{"u", "d", "t", "c", "p", false}));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages.at(1).dateText, "d2");
}

TEST(PageList, RowsKeepTheirAddressesAsTheListGrows) {
  PageList pages;
  const PageEntry* first = &pages.add("first", "", "", "", "");
  for (int i = 0; i < 100000; ++i) pages.add("x", "", "", "", "");
  EXPECT_EQ(first, &pages.at(0));
  EXPECT_EQ(first->url, "first");
}

TEST(PageList, TickCommands) {
  PageList pages = fourRows();
  pages.setIncluded(0, true);
  pages.setIncluded(2, true);
  pages.invertIncluded();
  EXPECT_THAT(ticks(pages), ElementsAre(false, true, false, true));
  pages.includeAll();
  EXPECT_THAT(ticks(pages), ElementsAre(true, true, true, true));
  pages.excludeAll();
  EXPECT_THAT(ticks(pages), ElementsAre(false, false, false, false));
}

TEST(PageList, SetRowDetailsReplacesTheFourTextsOnly) {
  PageList pages = fourRows();
  pages.setIncluded(1, true);
  pages.setDetails(1, "1.1.2000", "10:00:00", "None", "0.55");
  EXPECT_EQ(pages.at(1), (PageEntry{"b", "1.1.2000", "10:00:00", "None", "0.55", true}));
}

TEST(PageList, UrlLengthCountsCharactersNotBytes) {
  EXPECT_EQ(urlLength("abc"), 3u);
  EXPECT_EQ(urlLength("šľa"), 3u);
  EXPECT_EQ(urlLength("\xff"
                      "a"),
            2u);
}

/// Records what the list tells its view.
struct Recorder final : PageListObserver {
  std::vector<std::string> events;
  void rowsAboutToBeCleared() override { events.push_back("clearing"); }
  void rowsCleared() override { events.push_back("cleared"); }
  void rowAboutToBeAdded(std::size_t row) override {
    events.push_back("adding " + std::to_string(row));
  }
  void rowAdded(std::size_t row) override { events.push_back("added " + std::to_string(row)); }
  void rowChanged(std::size_t row) override { events.push_back("changed " + std::to_string(row)); }
  void allRowsChanged() override { events.push_back("all"); }
};

TEST(PageList, TellsItsObserverOfEveryChange) {
  PageList pages;
  Recorder recorder;
  pages.setObserver(&recorder);
  pages.includeAll();  // nothing to change on an empty list
  pages.add("a", "", "", "", "");
  pages.setIncluded(0, true);
  pages.setDetails(0, "", "", "", "");
  pages.invertIncluded();
  pages.clear();
  EXPECT_THAT(recorder.events, ElementsAre("adding 0", "added 0", "changed 0", "changed 0", "all",
                                           "clearing", "cleared"));
}

}  // namespace
}  // namespace qorv
