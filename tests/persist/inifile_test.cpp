#include "persist/inifile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

struct TIntegerCase {
  const char* Text;
  int Value;  // 99 is the default
  friend void PrintTo(const TIntegerCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }
};

class IniInteger : public ::testing::TestWithParam<TIntegerCase> {};

TEST_P(IniInteger, ParsesDecimalAndHexadecimalOrGivesTheDefault) {
  EXPECT_EQ(ParseIniInteger(GetParam().Text, 99), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniInteger,
    ::testing::Values(TIntegerCase{"x10", 16}, TIntegerCase{"$10", 16}, TIntegerCase{"0x10", 16},
                      TIntegerCase{"0X1f", 31}, TIntegerCase{"016", 16}, TIntegerCase{"+7", 7},
                      TIntegerCase{"-0", 0}, TIntegerCase{"  12", 12},
                      TIntegerCase{"-2147483648", -2147483647 - 1},
                      TIntegerCase{"2147483647", 2147483647}, TIntegerCase{"$FFFFFFFF", -1},
                      TIntegerCase{"$000000001", 1}, TIntegerCase{"-$10", 99},
                      TIntegerCase{"+$10", 99}, TIntegerCase{"12a", 99}, TIntegerCase{"12 ", 99},
                      TIntegerCase{"0x", 99}, TIntegerCase{"$", 99}, TIntegerCase{"x", 99},
                      TIntegerCase{"2147483648", 99}, TIntegerCase{"-2147483649", 99},
                      TIntegerCase{"99999999999999999999", 99}, TIntegerCase{"$100000000", 99},
                      TIntegerCase{"", 99}, TIntegerCase{"-", 99}, TIntegerCase{"--1", 99},
                      TIntegerCase{"1.5", 99}));

class IniTest : public ::testing::Test {
 protected:
  std::string Path() const { return Dir / "test.ini"; }
  std::string Content() const { return test::ReadFile(Path()); }
  test::TTempDir Dir;
};

struct TBoolCase {
  const char* Text;
  bool WithDefaultYes;
  bool WithDefaultNo;
  friend void PrintTo(const TBoolCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }
};

class IniBool : public IniTest, public ::testing::WithParamInterface<TBoolCase> {};

TEST_P(IniBool, AnyIntegerButZeroIsYes) {
  Dir.WriteFile("test.ini", std::string("[S]\r\nB=") + GetParam().Text + "\r\n");
  const TIniFile ini(Path());
  EXPECT_EQ(ini.ReadBool("S", "B", true), GetParam().WithDefaultYes);
  EXPECT_EQ(ini.ReadBool("S", "B", false), GetParam().WithDefaultNo);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniBool,
                         ::testing::Values(TBoolCase{"1", true, true}, TBoolCase{"2", true, true},
                                           TBoolCase{"-1", true, true},
                                           TBoolCase{"0", false, false},
                                           TBoolCase{"true", true, false},
                                           TBoolCase{"yes", true, false},
                                           TBoolCase{"", true, false}));

TEST_F(IniTest, FirstWriteCreatesTheFileWithHeaderAndEntry) {
  TIniFile ini(Path());
  ini.WriteString("Window", "Top", "12");
  EXPECT_EQ(Content(), "[Window]\r\nTop=12\r\n");
  ini.WriteInteger("Window", "Left", -5);
  ini.WriteBool("Window", "Maximized", true);
  EXPECT_EQ(Content(), "[Window]\r\nTop=12\r\nLeft=-5\r\nMaximized=1\r\n");
}

TEST_F(IniTest, UpdatesInPlaceKeepingEveryOtherLine) {
  Dir.WriteFile("test.ini",
                "; a comment\n"
                "[Other]\n"
                "Key=other\n"
                "[Project]\r\n"
                "  key = old  \n"
                "Unknown=kept\n"
                "not an entry\n"
                "\n"
                "[Last]\n"
                "X=1");
  TIniFile ini(Path());
  ini.WriteString("PROJECT", "Key", "new");
  ini.WriteString("project", "Added", "a");
  ini.WriteString("Fresh", "F", "f");
  EXPECT_EQ(Content(),
            "; a comment\r\n"
            "[Other]\r\n"
            "Key=other\r\n"
            "[Project]\r\n"
            "Key=new\r\n"
            "Unknown=kept\r\n"
            "Added=a\r\n"
            "not an entry\r\n"
            "\r\n"
            "[Last]\r\n"
            "X=1\r\n"
            "[Fresh]\r\n"
            "F=f\r\n");
}

TEST_F(IniTest, ReadsIgnoringCaseFirstMatchOnlyAndTrimmed) {
  Dir.WriteFile("test.ini",
                "[Window]\nTop = 1 \ntop=2\n[window]\nLeft=3\n[Other]\nLeft=4\n[S]\nEmpty=\n");
  const TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("WINDOW", "TOP", "d"), "1");
  EXPECT_EQ(ini.ReadString("Window", "Left", "d"), "d") << "only the first section counts";
  EXPECT_EQ(ini.ReadString("S", "Empty", "d"), "") << "present but empty is not missing";
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini.ReadString("S", "Missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("Missing", "Top", "d"), "d");
  EXPECT_EQ(TIniFile(Dir / "missing.ini").ReadString("Window", "Top", "d"), "d");
}

TEST_F(IniTest, WriteReplacesTheFirstOfDuplicateKeys) {
  Dir.WriteFile("test.ini", "[S]\r\nK=1\r\nK=2\r\n[S]\r\nK=3\r\n");
  TIniFile(Path()).WriteString("s", "k", "x");
  EXPECT_EQ(Content(), "[S]\r\nk=x\r\nK=2\r\n[S]\r\nK=3\r\n");
}

TEST_F(IniTest, LongValuesReadBackCutTo2047Characters) {
  TIniFile ini(Path());
  ini.WriteString("S", "Ascii", std::string(3000, 'a'));
  std::string letters;
  for (int i = 0; i < 3000; ++i) letters += "š";
  ini.WriteString("S", "Letters", letters);
  EXPECT_EQ(ini.ReadString("S", "Ascii", ""), std::string(2047, 'a'));
  EXPECT_EQ(ini.ReadString("S", "Letters", ""), letters.substr(0, 2047 * 2));
}

TEST_F(IniTest, ByteOrderMarkIsNotPartOfTheFirstLineAndIsKept) {
  Dir.WriteFile("test.ini", "\xEF\xBB\xBF[Project]\r\nURL=http://s/\r\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("Project", "URL", ""), "http://s/");
  ini.WriteString("Project", "URL", "http://t/");
  EXPECT_EQ(Content(), "\xEF\xBB\xBF[Project]\r\nURL=http://t/\r\n");
}

TEST_F(IniTest, LineBreaksInAValueCannotMakeNewLines) {
  TIniFile ini(Path());
  ini.WriteString("S", "K", "a\r\n[Evil]\nX=1");
  EXPECT_EQ(Content(), "[S]\r\nK=a  [Evil] X=1\r\n");
}

TEST_F(IniTest, MalformedLinesAreIgnoredNotMisread) {
  static constexpr char kContent[] =
      "[Broken\nK=broken\n[S]\nno equals sign\n\0\xff\xfe=\x01\nK=good\n";
  Dir.WriteFile("test.ini", std::string(kContent, sizeof kContent - 1));
  const TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("Broken", "K", "d"), "d");
  EXPECT_EQ(ini.ReadString("S", "K", "d"), "good");
}

TEST_F(IniTest, BinaryGarbageReadsAsDefaultsAndCanBeWrittenInto) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  Dir.WriteFile("test.ini", garbage);
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadInteger("Window", "Top", 5), 5);
  ini.WriteString("Window", "Top", "6");
  EXPECT_EQ(ini.ReadInteger("Window", "Top", 5), 6);
}

TEST_F(IniTest, HugeFileAndHugeLinesAreRead) {
  std::string content = "[Filler]\n";
  const std::string line(1024 * 1024, 'z');
  for (int i = 0; i < 50; ++i) content += "K" + std::to_string(i) + "=" + line + "\n";
  content += "[S]\nK=found\n";
  Dir.WriteFile("test.ini", content);
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("S", "K", ""), "found");
  EXPECT_EQ(ini.ReadString("Filler", "K3", "").size(), 2047u);
  ini.WriteString("S", "K", "changed");
  // 53 lines now end in CRLF, and the new value is two bytes longer.
  EXPECT_EQ(Content().size(), content.size() + 53 + 2);
}

TEST_F(IniTest, FolderWhereTheFileShouldBe) {
  Dir.MakeDir("test.ini");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
  try {
    ini.WriteString("S", "K", "v");
    FAIL() << "no error";
  } catch (const EIniFileException& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + Path());
    EXPECT_STREQ(error.ClassName(), "EIniFileException");
  }
}

TEST_F(IniTest, PathInAMissingFolderCannotBeWritten) {
  TIniFile ini(Dir / "missing/test.ini");
  EXPECT_THROW(ini.WriteString("S", "K", "v"), EIniFileException);
  EXPECT_EQ(test::ListNames(Dir.Path()), "");
}

TEST_F(IniTest, ReadOnlyFileIsNotReplaced) {
  Dir.WriteFile("test.ini", "[S]\r\nK=old\r\n");
  ASSERT_EQ(chmod(Path().c_str(), 0444), 0);
  ASSERT_EQ(chmod(Dir.Path().c_str(), 0777), 0);
  const int result = test::RunAsNobody([&] {
    TIniFile ini(Path());
    if (ini.ReadString("S", "K", "") != "old") return 1;
    try {
      ini.WriteString("S", "K", "new");
      return 2;
    } catch (const EIniFileException&) {
      return 0;
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Content(), "[S]\r\nK=old\r\n");
  EXPECT_EQ(test::ListNames(Dir.Path()), "test.ini");
}

TEST_F(IniTest, MemoryStoreChangesTheFileOnlyOnUpdateAndWithTheSameBytes) {
  const std::string original = "\xEF\xBB\xBF; kept\n[Project]\nURL=old\n[Other]\nK=1\n";
  Dir.WriteFile("test.ini", original);
  Dir.WriteFile("copy.ini", original);
  const auto writes = [](TCustomIniFile& ini) {
    ini.WriteString("project", "URL", "new");
    ini.WriteInteger("Project", "Index", -1);
    ini.WriteBool("Fresh", "Flag", true);
  };
  TMemIniFile batch(Path());
  writes(batch);
  EXPECT_EQ(batch.ReadString("Project", "URL", ""), "new");
  EXPECT_EQ(batch.ReadInteger("Project", "Index", 5), -1);
  EXPECT_EQ(Content(), original);
  batch.UpdateFile();
  TIniFile copy(Dir / "copy.ini");
  writes(copy);
  EXPECT_EQ(Content(), test::ReadFile(Dir / "copy.ini"));
}

TEST_F(IniTest, MemoryStoreLeavesAReadOnlyFileAlone) {
  Dir.WriteFile("test.ini", "[S]\r\nK=old\r\n");
  ASSERT_EQ(chmod(Path().c_str(), 0444), 0);
  ASSERT_EQ(chmod(Dir.Path().c_str(), 0777), 0);
  const int result = test::RunAsNobody([&] {
    TMemIniFile ini(Path());
    ini.WriteString("S", "K", "new");
    try {
      ini.UpdateFile();
      return 2;
    } catch (const EIniFileException& error) {
      return error.Message() == "Unable to write to " + Path() ? 0 : 3;
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Content(), "[S]\r\nK=old\r\n");
  EXPECT_EQ(test::ListNames(Dir.Path()), "test.ini");
}

}  // namespace
}  // namespace qorv
