#include "core/returnlinks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qorv {
namespace {

struct Row {
  std::string url;
  /// The URLs its alternates name, as a row holds them.
  std::vector<std::string> alternates{};
  bool ticked = true;
};

struct ReturnLinkCase {
  const char* name;
  std::vector<Row> rows;
  std::vector<std::size_t> expected;
  friend void PrintTo(const ReturnLinkCase& c, std::ostream* os) { *os << c.name; }
};

class ReturnLinks : public ::testing::TestWithParam<ReturnLinkCase> {};

TEST_P(ReturnLinks, NameTheWrittenRowsWhoseVersionsDoNotLinkBack) {
  PageList pages;
  for (const Row& row : GetParam().rows) {
    std::vector<LanguageAlternate> alternates;
    for (const std::string& url : row.alternates) alternates.push_back({"xx", url});
    pages.add(row.url, "1.1.2006", "00:00:00", "none", "none", std::move(alternates));
    pages.setIncluded(pages.size() - 1, row.ticked);
  }
  EXPECT_EQ(rowsWithoutReturnLinks(pages), GetParam().expected);
}

const std::string kOverlong = "http://s/" + std::string(kMaxUrlLength, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, ReturnLinks,
    ::testing::Values(
        ReturnLinkCase{"NoAlternatesAnywhere", {{"http://s/a"}, {"http://s/b"}}, {}},
        ReturnLinkCase{"EachNamesTheOtherAndItself",
                       {{"http://s/en/", {"http://s/en/", "http://s/sk/"}},
                        {"http://s/sk/", {"http://s/sk/", "http://s/en/"}}},
                       {}},
        ReturnLinkCase{"OtherNamesOnlyItself",
                       {{"http://s/en/", {"http://s/en/", "http://s/sk/"}},
                        {"http://s/sk/", {"http://s/sk/"}}},
                       {0}},
        ReturnLinkCase{"OtherNamesNone",
                       {{"http://s/en/", {"http://s/en/", "http://s/sk/"}}, {"http://s/sk/"}},
                       {0}},
        // The other links back, but the page itself is missing from its set.
        ReturnLinkCase{"PageLeavesItselfOut",
                       {{"http://s/en/", {"http://s/sk/"}},
                        {"http://s/sk/", {"http://s/sk/", "http://s/en/"}}},
                       {0}},
        ReturnLinkCase{"ThreeLanguagesOneLinkMissing",
                       {{"http://s/en/", {"http://s/en/", "http://s/sk/", "http://s/de/"}},
                        {"http://s/sk/", {"http://s/en/", "http://s/sk/", "http://s/de/"}},
                        {"http://s/de/", {"http://s/de/", "http://s/sk/"}}},
                       {0}},
        // What the sitemap does not hold cannot be asked.
        ReturnLinkCase{"OtherOutsideTheListCountsAsLinkingBack",
                       {{"http://s/en/", {"http://s/en/", "https://other.example/sk/"}}},
                       {}},
        ReturnLinkCase{"UntickedRowsAreNotInTheSitemap",
                       {{"http://s/en/", {"http://s/en/", "http://s/sk/"}},
                        {"http://s/sk/", {"http://s/sk/"}, false},
                        {"http://s/de/", {"http://s/en/"}, false}},
                       {}},
        ReturnLinkCase{"OverlongRowIsNotInTheSitemap",
                       {{"http://s/en/", {"http://s/en/", kOverlong}}, {kOverlong, {kOverlong}}},
                       {}},
        // The rows hold URLs escaped for XML; alternates are encoded, rows
        // may hold letters as they are; host case and default port differ.
        ReturnLinkCase{
            "UrlsAreComparedAsTheyNameAPage",
            {{"http://s/caf\xC3\xA9/a&amp;b", {"http://S:80/caf%c3%a9/a&amp;b", "http://s/sk/"}},
             {"http://s/sk/", {"http://s/sk/", "http://s/caf%C3%A9/a&amp;b"}}},
            {}},
        ReturnLinkCase{"FirstOfRowsWithTheSameUrlAnswers",
                       {{"http://s/en/", {"http://s/en/", "http://s/sk/"}},
                        {"http://s/sk/", {"http://s/sk/"}},
                        {"http://s/sk/", {"http://s/sk/", "http://s/en/"}}},
                       {0}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace qorv
