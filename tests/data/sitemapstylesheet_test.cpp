// The stylesheet that the programs carry: the build turns data/sitemap.xsl
// into a string constant, which must hold the file byte for byte (any
// quoting slip in the conversion would change what a write puts on disk).

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "data/sitemapstylesheet.h"

namespace qorv {
namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SitemapStylesheet, IsTheFileByteForByte) {
  const std::string file = fileBytes(QORV_SOURCE_DIR "/data/sitemap.xsl");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(kSitemapStylesheet.size(), file.size());
  EXPECT_TRUE(kSitemapStylesheet == file);
}

// The marker tells the program's own sitemap.xsl from one a user wrote; it
// must sit in a comment near the start, where a reader of the file sees it.
TEST(SitemapStylesheet, CarriesItsMarkerInTheSecondLine) {
  const std::string_view secondLine = kSitemapStylesheet.substr(kSitemapStylesheet.find('\n') + 1);
  EXPECT_EQ(secondLine.substr(0, kSitemapStylesheetMarker.size()), kSitemapStylesheetMarker);
  EXPECT_EQ(kSitemapStylesheetMarker.substr(0, 4), "<!--");
}

}  // namespace
}  // namespace qorv
