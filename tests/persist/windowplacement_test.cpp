#include "persist/windowplacement.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace qorv {
namespace {

constexpr ScreenSize kScreen{1024, 768};

class WindowPlacementTest : public ::testing::Test {
 protected:
  std::string path() const { return dir / "qorv.ini"; }
  WindowState restore(ScreenSize screen = kScreen) const {
    return WindowPlacement(path()).restore(screen);
  }
  test::TempDir dir;
};

TEST_F(WindowPlacementTest, WithoutAFileTheWindowIsNormalSizeCentred) {
  EXPECT_EQ(restore(), (WindowState{false, 197, 154, 630, 460}));
  EXPECT_FALSE(test::fileExists(path())) << "restoring writes nothing";
}

TEST_F(WindowPlacementTest, ClosingNormalWritesTheGeometryInKeyOrder) {
  WindowPlacement(path()).save({false, 197, 154, 630, 460}, kScreen);
  EXPECT_EQ(test::readFile(path()),
            "[Window]\r\nMaximized=0\r\nLeft=197\r\nTop=154\r\nHeight=460\r\nWidth=630\r\n");
}

TEST_F(WindowPlacementTest, MaximizedIsWrittenAsTheCentredNormalSizeAndRestoredMaximized) {
  WindowPlacement(path()).save({true, -8, -8, 1040, 744}, kScreen);
  EXPECT_EQ(test::readFile(path()),
            "[Window]\r\nMaximized=1\r\nLeft=197\r\nTop=154\r\nHeight=460\r\nWidth=630\r\n");
  EXPECT_EQ(restore(), (WindowState{true, 197, 154, 630, 460}));
}

TEST_F(WindowPlacementTest, MaximizedIgnoresTheStoredGeometry) {
  dir.writeFile("qorv.ini",
                "[Window]\r\nMaximized=1\r\nLeft=5\r\nTop=6\r\nHeight=700\r\nWidth=900\r\n");
  EXPECT_EQ(restore(), (WindowState{true, 197, 154, 630, 460}));
}

TEST_F(WindowPlacementTest, MissingKeysTakeDefaultsCentredOnTheSizeRead) {
  dir.writeFile("qorv.ini", "[Window]\r\nWidth=800\r\nTop=garbage\r\n");
  EXPECT_EQ(restore(), (WindowState{false, 112, 154, 800, 460}));
}

struct SmallSizeCase {
  const char* name;
  const char* ini;
  WindowState expected;
  friend void PrintTo(const SmallSizeCase& c, std::ostream* os) { *os << c.name; }
};

class SmallStoredSize : public ::testing::TestWithParam<SmallSizeCase> {
 protected:
  test::TempDir dir;
};

// The window's minimum (the normal size) enlarges a smaller stored size, so
// the default position centres the size the window actually takes.
TEST_P(SmallStoredSize, MissingPositionCentresTheSizeTheWindowTakes) {
  dir.writeFile("qorv.ini", GetParam().ini);
  EXPECT_EQ(WindowPlacement(dir / "qorv.ini").restore(kScreen), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmallStoredSize,
    ::testing::Values(
        SmallSizeCase{"narrow", "[Window]\r\nWidth=100\r\n", {false, 197, 154, 100, 460}},
        SmallSizeCase{"low", "[Window]\r\nHeight=100\r\n", {false, 197, 154, 630, 100}},
        SmallSizeCase{"one pixel below, top stored",
                      "[Window]\r\nWidth=629\r\nHeight=459\r\nTop=3\r\n",
                      {false, 197, 3, 629, 459}},
        SmallSizeCase{"one pixel above",
                      "[Window]\r\nWidth=631\r\nHeight=461\r\n",
                      {false, 196, 153, 631, 461}},
        SmallSizeCase{"negative, left stored",
                      "[Window]\r\nWidth=-5\r\nLeft=7\r\n",
                      {false, 7, 154, -5, 460}}));

TEST_F(WindowPlacementTest, StoredValuesAreUsedUnclamped) {
  dir.writeFile("qorv.ini", "[Window]\r\nLeft=-300\r\nTop=5000\r\nHeight=100\r\nWidth=100\r\n");
  EXPECT_EQ(restore(), (WindowState{false, -300, 5000, 100, 100}));
}

TEST(CentredOffset, TruncatesTowardZero) {
  EXPECT_EQ(centredOffset(601, 630), -14);
  EXPECT_EQ(centredOffset(600, 630), -15);
  EXPECT_EQ(centredOffset(1024, 630), 197);
  EXPECT_EQ(centredOffset(768, 460), 154);
}

}  // namespace
}  // namespace qorv
