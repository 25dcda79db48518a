#include "persist/inifile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/faultpoints.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

struct IntegerCase {
  const char* text;
  int value;  // 99 is the default
  friend void PrintTo(const IntegerCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class IniInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ParsesDecimalAndHexadecimalOrGivesTheDefault) {
  EXPECT_EQ(parseIniInteger(GetParam().text, 99), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniInteger,
    ::testing::Values(
        IntegerCase{"x10", 16}, IntegerCase{"$10", 16}, IntegerCase{"0x10", 16},
        IntegerCase{"0X1f", 31}, IntegerCase{"016", 16}, IntegerCase{"+7", 7}, IntegerCase{"-0", 0},
        IntegerCase{"  12", 12}, IntegerCase{"-2147483648", -2147483647 - 1},
        IntegerCase{"2147483647", 2147483647}, IntegerCase{"$FFFFFFFF", -1},
        IntegerCase{"$000000001", 1}, IntegerCase{"-$10", 99}, IntegerCase{"+$10", 99},
        IntegerCase{"12a", 99}, IntegerCase{"12 ", 99}, IntegerCase{"0x", 99}, IntegerCase{"$", 99},
        IntegerCase{"x", 99}, IntegerCase{"2147483648", 99}, IntegerCase{"-2147483649", 99},
        IntegerCase{"99999999999999999999", 99}, IntegerCase{"$100000000", 99}, IntegerCase{"", 99},
        IntegerCase{"-", 99}, IntegerCase{"--1", 99}, IntegerCase{"1.5", 99}));

class IniFileTest : public ::testing::Test {
 protected:
  std::string path() const { return dir / "test.ini"; }
  std::string content() const { return test::readFile(path()); }
  test::TempDir dir;
};

struct BoolCase {
  const char* text;
  bool withDefaultYes;
  bool withDefaultNo;
  friend void PrintTo(const BoolCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class IniBool : public IniFileTest, public ::testing::WithParamInterface<BoolCase> {};

TEST_P(IniBool, AnyIntegerButZeroIsYes) {
  dir.writeFile("test.ini", std::string("[S]\r\nB=") + GetParam().text + "\r\n");
  const IniFile ini(path());
  EXPECT_EQ(ini.readBool("S", "B", true), GetParam().withDefaultYes);
  EXPECT_EQ(ini.readBool("S", "B", false), GetParam().withDefaultNo);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniBool,
                         ::testing::Values(BoolCase{"1", true, true}, BoolCase{"2", true, true},
                                           BoolCase{"-1", true, true}, BoolCase{"0", false, false},
                                           BoolCase{"true", true, false},
                                           BoolCase{"yes", true, false},
                                           BoolCase{"", true, false}));

TEST_F(IniFileTest, FirstWriteCreatesTheFileWithHeaderAndEntry) {
  IniFile ini(path());
  ini.writeString("Window", "Top", "12");
  EXPECT_EQ(content(), "[Window]\r\nTop=12\r\n");
  ini.writeInteger("Window", "Left", -5);
  ini.writeBool("Window", "Maximized", true);
  EXPECT_EQ(content(), "[Window]\r\nTop=12\r\nLeft=-5\r\nMaximized=1\r\n");
}

TEST_F(IniFileTest, UpdatesInPlaceKeepingEveryOtherLine) {
  dir.writeFile("test.ini",
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
  IniFile ini(path());
  ini.writeString("PROJECT", "Key", "new");
  ini.writeString("project", "Added", "a");
  ini.writeString("Fresh", "F", "f");
  EXPECT_EQ(content(),
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

TEST_F(IniFileTest, ReadsIgnoringCaseFirstMatchOnlyAndTrimmed) {
  dir.writeFile("test.ini",
                "[Window]\nTop = 1 \ntop=2\n[window]\nLeft=3\n[Other]\nLeft=4\n[S]\nEmpty=\n");
  const IniFile ini(path());
  EXPECT_EQ(ini.readString("WINDOW", "TOP", "d"), "1");
  EXPECT_EQ(ini.readString("Window", "Left", "d"), "d") << "only the first section counts";
  EXPECT_EQ(ini.readString("S", "Empty", "d"), "") << "present but empty is not missing";
  EXPECT_EQ(ini.readInteger("S", "Empty", 7), 7);
  EXPECT_EQ(ini.readString("S", "Missing", "d"), "d");
  EXPECT_EQ(ini.readString("Missing", "Top", "d"), "d");
  EXPECT_EQ(IniFile(dir / "missing.ini").readString("Window", "Top", "d"), "d");
}

TEST_F(IniFileTest, WriteReplacesTheFirstOfDuplicateKeys) {
  dir.writeFile("test.ini", "[S]\r\nK=1\r\nK=2\r\n[S]\r\nK=3\r\n");
  IniFile(path()).writeString("s", "k", "x");
  EXPECT_EQ(content(), "[S]\r\nk=x\r\nK=2\r\n[S]\r\nK=3\r\n");
}

TEST_F(IniFileTest, LongValuesReadBackCutTo2047Characters) {
  IniFile ini(path());
  ini.writeString("S", "Ascii", std::string(3000, 'a'));
  std::string letters;
  for (int i = 0; i < 3000; ++i) letters += "š";
  ini.writeString("S", "Letters", letters);
  EXPECT_EQ(ini.readString("S", "Ascii", ""), std::string(2047, 'a'));
  EXPECT_EQ(ini.readString("S", "Letters", ""), letters.substr(0, std::size_t{2047} * 2));
}

TEST_F(IniFileTest, ByteOrderMarkIsNotPartOfTheFirstLineAndIsKept) {
  dir.writeFile("test.ini", "\xEF\xBB\xBF[Project]\r\nURL=http://s/\r\n");
  IniFile ini(path());
  EXPECT_EQ(ini.readString("Project", "URL", ""), "http://s/");
  ini.writeString("Project", "URL", "http://t/");
  EXPECT_EQ(content(), "\xEF\xBB\xBF[Project]\r\nURL=http://t/\r\n");
}

TEST_F(IniFileTest, LineBreaksInAValueCannotMakeNewLines) {
  IniFile ini(path());
  ini.writeString("S", "K", "a\r\n[Evil]\nX=1");
  EXPECT_EQ(content(), "[S]\r\nK=a  [Evil] X=1\r\n");
}

TEST_F(IniFileTest, MalformedLinesAreIgnoredNotMisread) {
  static constexpr char kContent[] =
      "[Broken\nK=broken\n[S]\nno equals sign\n\0\xff\xfe=\x01\nK=good\n";
  dir.writeFile("test.ini", std::string(kContent, sizeof kContent - 1));
  const IniFile ini(path());
  EXPECT_EQ(ini.readString("Broken", "K", "d"), "d");
  EXPECT_EQ(ini.readString("S", "K", "d"), "good");
}

TEST_F(IniFileTest, BinaryGarbageReadsAsDefaultsAndCanBeWrittenInto) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  dir.writeFile("test.ini", garbage);
  IniFile ini(path());
  EXPECT_EQ(ini.readInteger("Window", "Top", 5), 5);
  ini.writeString("Window", "Top", "6");
  EXPECT_EQ(ini.readInteger("Window", "Top", 5), 6);
}

TEST_F(IniFileTest, HugeFileAndHugeLinesAreRead) {
  std::string original = "[Filler]\n";
  const std::string line(std::size_t{1024} * 1024, 'z');
  for (int i = 0; i < 50; ++i) original += "K" + std::to_string(i) + "=" + line + "\n";
  original += "[S]\nK=found\n";
  dir.writeFile("test.ini", original);
  IniFile ini(path());
  EXPECT_EQ(ini.readString("S", "K", ""), "found");
  EXPECT_EQ(ini.readString("Filler", "K3", "").size(), 2047u);
  ini.writeString("S", "K", "changed");
  // 53 lines now end in CRLF, and the new value is two bytes longer.
  EXPECT_EQ(content().size(), original.size() + 53 + 2);
}

TEST_F(IniFileTest, FolderWhereTheFileShouldBe) {
  dir.makeDir("test.ini");
  IniFile ini(path());
  EXPECT_EQ(ini.readString("S", "K", "d"), "d");
  try {
    ini.writeString("S", "K", "v");
    FAIL() << "no error";
  } catch (const IniWriteError& error) {
    EXPECT_EQ(error.message(), "Unable to write to " + path());
    EXPECT_STREQ(error.className(), "EIniFileException");
  }
}

TEST_F(IniFileTest, PathInAMissingFolderCannotBeWritten) {
  IniFile ini(dir / "missing/test.ini");
  EXPECT_THROW(ini.writeString("S", "K", "v"), IniWriteError);
  EXPECT_EQ(test::listNames(dir.path()), "");
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
  dir.writeFile("test.ini", "[S]\r\nK=old\r\n");
  ASSERT_EQ(chmod(path().c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  const int result = test::runAsNobody([&] {
    IniFile ini(path());
    if (ini.readString("S", "K", "") != "old") return 1;
    try {
      ini.writeString("S", "K", "new");
      return 2;
    } catch (const IniWriteError&) {
      return 0;
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(content(), "[S]\r\nK=old\r\n");
  EXPECT_EQ(test::listNames(dir.path()), "test.ini");
}

TEST_F(IniFileTest, MemoryStoreChangesTheFileOnlyOnUpdateAndWithTheSameBytes) {
  const std::string original = "\xEF\xBB\xBF; kept\n[Project]\nURL=old\n[Other]\nK=1\n";
  dir.writeFile("test.ini", original);
  dir.writeFile("copy.ini", original);
  const auto writes = [](IniStore& ini) {
    ini.writeString("project", "URL", "new");
    ini.writeInteger("Project", "Index", -1);
    ini.writeBool("Fresh", "Flag", true);
  };
  BufferedIniFile batch(path());
  writes(batch);
  EXPECT_EQ(batch.readString("Project", "URL", ""), "new");
  EXPECT_EQ(batch.readInteger("Project", "Index", 5), -1);
  EXPECT_EQ(content(), original);
  batch.commit();
  IniFile copy(dir / "copy.ini");
  writes(copy);
  EXPECT_EQ(content(), test::readFile(dir / "copy.ini"));
}

TEST_F(IniFileTest, MemoryStoreLeavesAReadOnlyFileAlone) {
  dir.writeFile("test.ini", "[S]\r\nK=old\r\n");
  ASSERT_EQ(chmod(path().c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  const int result = test::runAsNobody([&] {
    BufferedIniFile ini(path());
    ini.writeString("S", "K", "new");
    try {
      ini.commit();
      return 2;
    } catch (const IniWriteError& error) {
      return error.message() == "Unable to write to " + path() ? 0 : 3;
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(content(), "[S]\r\nK=old\r\n");
  EXPECT_EQ(test::listNames(dir.path()), "test.ini");
}

#ifdef QORV_FAULT_POINTS

// A file about to be replaced whose read fails for another reason than its
// absence: written anyway, it would lose the lines that could not be read.

struct ReadFault {
  const char* call;  // the call of the read that fails
  friend void PrintTo(const ReadFault& c, std::ostream* os) { *os << c.call; }
};

class IniReadBeforeAWrite : public IniFileTest, public ::testing::WithParamInterface<ReadFault> {
 protected:
  static constexpr const char* kOriginal = "[Other]\r\nKeep=1\r\n[S]\r\nK=old\r\n";
};

TEST_P(IniReadBeforeAWrite, ThatFailsFailsTheWriteAndChangesNothing) {
  dir.writeFile("test.ini", kOriginal);
  {
    IniFile ini(path());
    const FaultScope fault(GetParam().call, 1, EIO);
    EXPECT_THROW(ini.writeString("S", "K", "new"), IniWriteError);
  }
  std::unique_ptr<BufferedIniFile> batch;
  {
    const FaultScope fault(GetParam().call, 1, EIO);
    batch = std::make_unique<BufferedIniFile>(path());
  }
  batch->writeString("S", "K", "new");
  EXPECT_THROW(batch->commit(), IniWriteError);
  EXPECT_EQ(content(), kOriginal);
  EXPECT_EQ(test::listNames(dir.path()), "test.ini");
}

// The opening, the fstat that tells a plain file, the read itself, the
// close after it, and the check that the file may be written.
INSTANTIATE_TEST_SUITE_P(Calls, IniReadBeforeAWrite,
                         ::testing::Values(ReadFault{"open"}, ReadFault{"fstat"}, ReadFault{"read"},
                                           ReadFault{"close"}, ReadFault{"faccessat"}),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.call); });

TEST_F(IniFileTest, WritesAtOnceFailWhenNoReadSucceedsAndChangeNothing) {
  // As on a disk that has gone away: the one replacement and the entries
  // one by one both fail.
  dir.writeFile("test.ini", "[Other]\r\nKeep=1\r\n");
  {
    const FaultScope fault("read", 1, EIO, true);
    EXPECT_THROW(writeAtOnce(path(), [](IniStore& ini) { ini.writeString("S", "K", "v"); }),
                 IniWriteError);
  }
  EXPECT_EQ(content(), "[Other]\r\nKeep=1\r\n");
  EXPECT_EQ(test::listNames(dir.path()), "test.ini");
}

TEST_F(IniFileTest, WritesAtOnceThatFailForAnotherReasonThanSpaceAreNotMadeAgainOneByOne) {
  // An input/output error while the one replacement is written: writing the
  // entries again would hide it from the user, and could mix the file.
  dir.writeFile("test.ini", "[Other]\r\nKeep=1\r\n");
  for (const char* call : {"write", "fsync", "renameat"}) {
    const FaultScope fault(call, 1, EIO);
    try {
      writeAtOnce(path(), [](IniStore& ini) {
        ini.writeString("S", "A", "1");
        ini.writeString("S", "B", "2");
      });
      ADD_FAILURE() << call << ": no error";
    } catch (const IniWriteError& error) {
      EXPECT_EQ(error.code, EIO) << call;
    }
    EXPECT_EQ(content(), "[Other]\r\nKeep=1\r\n") << call;
    EXPECT_EQ(test::listNames(dir.path()), "test.ini") << call;
  }
}

TEST_F(IniFileTest, ReadForItsOwnSakeThatFailsGivesTheDefaults) {
  dir.writeFile("test.ini", "[S]\r\nK=stored\r\n");
  const IniFile ini(path());
  const FaultScope fault("read", 1, EIO);
  EXPECT_EQ(ini.readString("S", "K", "default"), "default");
}

#endif

}  // namespace
}  // namespace qorv
