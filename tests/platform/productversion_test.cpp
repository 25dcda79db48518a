#include <gtest/gtest.h>

#include "platform/productversiontext.h"

namespace qorv {
namespace {

struct VersionCase {
  std::optional<ProductVersion> version;
  const char* caption;
  const char* full;
  friend void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.full; }
};

class ProductVersionText : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ProductVersionText, CaptionShowsThreeNumbersAndTheAboutBoxFour) {
  EXPECT_EQ(productVersionText(GetParam().version), GetParam().caption);
  EXPECT_EQ(fullProductVersionText(GetParam().version), GetParam().full);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProductVersionText,
    ::testing::Values(VersionCase{ProductVersion{1, 2, 3, 4}, "1.0203", "1.2.3.4"},
                      VersionCase{ProductVersion{1, 12, 30, 0}, "1.1230", "1.12.30.0"},
                      VersionCase{ProductVersion{1, 123, 4, 0}, "1.12304", "1.123.4.0"},
                      VersionCase{ProductVersion{0, 9, 4, 13}, "0.0904", "0.9.4.13"},
                      VersionCase{std::nullopt, "", ""}));

}  // namespace
}  // namespace qorv
