#include <gtest/gtest.h>

#include "platform/productversiontext.h"

namespace qorv {
namespace {

struct TVersionCase {
  std::optional<TProductVersion> Version;
  const char* Caption;
  const char* Full;
  friend void PrintTo(const TVersionCase& c, std::ostream* os) { *os << c.Full; }
};

class ProductVersion : public ::testing::TestWithParam<TVersionCase> {};

TEST_P(ProductVersion, CaptionShowsThreeNumbersAndTheAboutBoxFour) {
  EXPECT_EQ(ProductVersionText(GetParam().Version), GetParam().Caption);
  EXPECT_EQ(FullProductVersionText(GetParam().Version), GetParam().Full);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProductVersion,
    ::testing::Values(TVersionCase{TProductVersion{1, 2, 3, 4}, "1.0203", "1.2.3.4"},
                      TVersionCase{TProductVersion{1, 12, 30, 0}, "1.1230", "1.12.30.0"},
                      TVersionCase{TProductVersion{1, 123, 4, 0}, "1.12304", "1.123.4.0"},
                      TVersionCase{TProductVersion{0, 9, 4, 13}, "0.0904", "0.9.4.13"},
                      TVersionCase{std::nullopt, "", ""}));

}  // namespace
}  // namespace qorv
