#include "persist/windowplacement.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace qorv {
namespace {

constexpr TScreenSize kScreen{1024, 768};

class WindowPlacement : public ::testing::Test {
 protected:
  std::string Path() const { return Dir / "qorv.ini"; }
  TWindowState Restore(TScreenSize screen = kScreen) const {
    return TWindowPlacementStore(Path()).Restore(screen);
  }
  test::TTempDir Dir;
};

TEST_F(WindowPlacement, WithoutAFileTheWindowIsNormalSizeCentred) {
  EXPECT_EQ(Restore(), (TWindowState{false, 197, 154, 630, 460}));
  EXPECT_FALSE(test::FileExists(Path())) << "restoring writes nothing";
}

TEST_F(WindowPlacement, ClosingNormalWritesTheGeometryInKeyOrder) {
  TWindowPlacementStore(Path()).Save({false, 197, 154, 630, 460}, kScreen);
  EXPECT_EQ(test::ReadFile(Path()),
            "[Window]\r\nMaximized=0\r\nLeft=197\r\nTop=154\r\nHeight=460\r\nWidth=630\r\n");
}

TEST_F(WindowPlacement, MaximizedIsWrittenAsTheCentredNormalSizeAndRestoredMaximized) {
  TWindowPlacementStore(Path()).Save({true, -8, -8, 1040, 744}, kScreen);
  EXPECT_EQ(test::ReadFile(Path()),
            "[Window]\r\nMaximized=1\r\nLeft=197\r\nTop=154\r\nHeight=460\r\nWidth=630\r\n");
  EXPECT_EQ(Restore(), (TWindowState{true, 197, 154, 630, 460}));
}

TEST_F(WindowPlacement, MaximizedIgnoresTheStoredGeometry) {
  Dir.WriteFile("qorv.ini",
                "[Window]\r\nMaximized=1\r\nLeft=5\r\nTop=6\r\nHeight=700\r\nWidth=900\r\n");
  EXPECT_EQ(Restore(), (TWindowState{true, 197, 154, 630, 460}));
}

TEST_F(WindowPlacement, MissingKeysTakeDefaultsCentredOnTheSizeRead) {
  Dir.WriteFile("qorv.ini", "[Window]\r\nWidth=800\r\nTop=garbage\r\n");
  EXPECT_EQ(Restore(), (TWindowState{false, 112, 154, 800, 460}));
}

TEST_F(WindowPlacement, StoredValuesAreUsedUnclamped) {
  Dir.WriteFile("qorv.ini", "[Window]\r\nLeft=-300\r\nTop=5000\r\nHeight=100\r\nWidth=100\r\n");
  EXPECT_EQ(Restore(), (TWindowState{false, -300, 5000, 100, 100}));
}

TEST(CentredOffset, TruncatesTowardZero) {
  EXPECT_EQ(CentredOffset(601, 630), -14);
  EXPECT_EQ(CentredOffset(600, 630), -15);
  EXPECT_EQ(CentredOffset(1024, 630), 197);
  EXPECT_EQ(CentredOffset(768, 460), 154);
}

}  // namespace
}  // namespace qorv
