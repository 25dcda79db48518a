#include "core/robotstxt.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/support/fakeoutputfolder.h"

namespace qorv {
namespace {

constexpr const char* kUrl = "https://example.com/sitemap.xml";

struct RobotsCase {
  const char* name;
  std::optional<std::string> before;
  std::optional<std::string> after;  // nothing: left untouched
  friend void PrintTo(const RobotsCase& c, std::ostream* os) { *os << c.name; }
};

class RobotsWithSitemap : public ::testing::TestWithParam<RobotsCase> {};

TEST_P(RobotsWithSitemap, AddsTheLineOnceKeepingEveryByteAndTheLineEnds) {
  const RobotsUpdate update = robotsWithSitemap(GetParam().before, kUrl);
  EXPECT_EQ(update.changed, GetParam().after.has_value());
  if (GetParam().after) {
    EXPECT_EQ(update.content, *GetParam().after);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RobotsWithSitemap,
    ::testing::Values(
        RobotsCase{"Missing", std::nullopt, "Sitemap: https://example.com/sitemap.xml\r\n"},
        RobotsCase{"Empty", "", "Sitemap: https://example.com/sitemap.xml\r\n"},
        RobotsCase{"NoLine", "User-agent: *\nDisallow: /tmp/\n",
                   "User-agent: *\nDisallow: /tmp/\nSitemap: https://example.com/sitemap.xml\n"},
        RobotsCase{"NoFinalLineBreak", "User-agent: *\nDisallow:",
                   "User-agent: *\nDisallow:\nSitemap: https://example.com/sitemap.xml\n"},
        RobotsCase{"CrlfFile", "User-agent: *\r\nAllow: /\r\n",
                   "User-agent: *\r\nAllow: /\r\nSitemap: https://example.com/sitemap.xml\r\n"},
        RobotsCase{"OneLineWithoutBreak", "User-agent: *",
                   "User-agent: *\r\nSitemap: https://example.com/sitemap.xml\r\n"},
        RobotsCase{"LineThereInOtherCaseAndBlanks",
                   "User-agent: *\nsITEMAP :\t https://example.com/sitemap.xml  \nAllow: /\n",
                   std::nullopt},
        RobotsCase{"LineThereAfterAByteOrderMark",
                   "\xEF\xBB\xBFSitemap: https://example.com/sitemap.xml", std::nullopt},
        RobotsCase{
            "AnotherSitemapIsKept", "Sitemap: https://example.com/old.xml\n",
            "Sitemap: https://example.com/old.xml\nSitemap: https://example.com/sitemap.xml\n"},
        RobotsCase{"TheUrlMustMatchExactly", "Sitemap: HTTPS://example.com/sitemap.xml\n",
                   "Sitemap: HTTPS://example.com/sitemap.xml\n"
                   "Sitemap: https://example.com/sitemap.xml\n"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(RobotsTxtUpdate, ReadsAtOnceAndWritesOnlyWhenAppliedAndNeeded) {
  test::FakeOutputFileSystem fs;
  fs.files["site/robots.txt"] = "User-agent: *\n";
  OutputTransaction transaction(fs, "site/");
  RobotsTxtUpdate update(transaction, kUrl);
  EXPECT_EQ(fs.log.back(), "read site/robots.txt");
  EXPECT_EQ(fs.files["site/robots.txt"], "User-agent: *\n") << "nothing written before apply";
  EXPECT_TRUE(update.apply());
  EXPECT_EQ(fs.files["site/robots.txt"],
            "User-agent: *\nSitemap: https://example.com/sitemap.xml\n");
  EXPECT_EQ(fs.log.back(), "sync site/") << "on disk when apply returns";

  const std::size_t steps = fs.log.size();
  RobotsTxtUpdate again(transaction, kUrl);
  EXPECT_FALSE(again.apply());
  EXPECT_EQ(fs.log.size(), steps + 1) << "only read: the line is there";
}

TEST(RobotsTxtUpdate, RobotsTxtThatCannotBeReadFailsBeforeAnythingIsWritten) {
  test::FakeOutputFileSystem fs;
  fs.failures["read robots.txt"] = EIO;
  OutputTransaction transaction(fs, "");
  try {
    RobotsTxtUpdate update(transaction, kUrl);
    FAIL() << "no error";
  } catch (const IoError& error) {
    EXPECT_EQ(error.message(), "Cannot read \"robots.txt\": Input/output error");
  }
  EXPECT_TRUE(fs.files.empty());
}

}  // namespace
}  // namespace qorv
