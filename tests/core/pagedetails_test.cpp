#include "core/pagedetails.h"

#include <gtest/gtest.h>

#include "tests/support/formats.h"

namespace qorv {
namespace {

TEST(PageDetails, ReadsEitherTimeFormAndStoresTheLongOne) {
  const LocaleFormats formats = test::dayFirstFormats();
  PageList pages;
  pages.add("http://s/a.htm", "5.3.2006", "09:05:06", "None", "0.55");
  pages.setIncluded(0, true);
  const std::optional<PageDetails> details = readPageDetails(pages.at(0), formats, 2026);
  ASSERT_TRUE(details);
  EXPECT_EQ(*details, (PageDetails{{2006, 3, 5}, {9, 5, 6}, "None", "0.55"}));

  storePageDetails(pages, 0, {{2007, 1, 2}, {23, 4, 5}, "typed", ""}, formats);
  EXPECT_EQ(pages.at(0), (PageEntry{"http://s/a.htm", "2.1.2007", "23:04:05", "typed", "", true}));
  storePageDetails(pages, 0, *details, formats);
  EXPECT_EQ(pages.at(0).timeText, "9:05:06");
}

TEST(PageDetails, TextsThatDoNotReadBackGiveNothing) {
  const LocaleFormats formats = test::dayFirstFormats();
  EXPECT_FALSE(readPageDetails({"u", "2006-03-05", "9:05:06", "", "", false}, formats, 2026));
  EXPECT_FALSE(readPageDetails({"u", "5.3.2006", "9.05", "", "", false}, formats, 2026));
}

}  // namespace
}  // namespace qorv
