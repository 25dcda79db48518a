#include "core/outputtransaction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/gzip.h"
#include "tests/support/fakeoutputfolder.h"

namespace qorv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class OutputTransactionTest : public ::testing::Test {
 protected:
  /// The message of the IoError that `step` throws; empty when none.
  template <class Step>
  std::string errorOf(Step step) {
    try {
      step();
    } catch (const IoError& error) {
      return error.message();
    }
    return {};
  }

  test::FakeOutputFileSystem fs;
};

TEST_F(OutputTransactionTest, FilesTakeTheirPlacesOnlyOnCommitInTheOrderFinished) {
  fs.files["site/b"] = "old b";
  {
    OutputTransaction transaction(fs, "site/");
    OutputTransaction::File& a = transaction.begin("a", false);
    OutputTransaction::File& b = transaction.begin("b", false);
    b.write("new ");
    a.write("first");
    b.write("b");
    EXPECT_EQ(b.size(), 5u);
    transaction.finish(b);
    transaction.finish(a);
    EXPECT_THAT(fs.files,
                ElementsAre(std::pair<const std::string, std::string>("site/b", "old b")));
    fs.log.clear();
    transaction.commit();
    EXPECT_THAT(fs.log, ElementsAre("publish site/b", "publish site/a", "sync site/"));
  }
  EXPECT_EQ(fs.files["site/a"], "first");
  EXPECT_EQ(fs.files["site/b"], "new b");
  EXPECT_EQ(fs.pendingFiles, 0);
}

TEST_F(OutputTransactionTest, EachCopyHoldsItsFileCompressedAndChangesJustBeforeIt) {
  OutputTransaction transaction(fs, "");
  OutputTransaction::File& file = transaction.begin("f.xml", true);
  const std::string content = std::string(100000, 'x') + "end";
  file.write(content.substr(0, 70000));
  file.write(content.substr(70000));
  EXPECT_EQ(file.size(), content.size()) << "of the file, not of its copy";
  transaction.finish(file);
  fs.log.clear();
  transaction.commit();
  EXPECT_THAT(fs.log, ElementsAre("publish f.xml.gz", "publish f.xml", "sync "));
  std::string unpacked;
  ASSERT_TRUE(gunzip(fs.files["f.xml.gz"], unpacked));
  EXPECT_EQ(unpacked, content);
  EXPECT_EQ(fs.files["f.xml"], content);
}

TEST_F(OutputTransactionTest, FailureBeforeTheCommitLeavesTheFolderAsItWas) {
  fs.files["old"] = "kept";
  fs.failures["prepare new.gz"] = ENOSPC;
  {
    OutputTransaction transaction(fs, "");
    transaction.finish(transaction.begin("first", true));
    OutputTransaction::File& file = transaction.begin("new", true);
    file.write("x");
    EXPECT_EQ(errorOf([&] { transaction.finish(file); }),
              "Cannot write \"new.gz\": No space left on device");
  }
  EXPECT_THAT(fs.files, ElementsAre(std::pair<const std::string, std::string>("old", "kept")));
  EXPECT_EQ(fs.pendingFiles, 0) << "every file begun is dropped";
}

struct StepCase {
  const char* name;
  const char* failing;  // the log line of the step that fails
  int error;
  const char* message;
  friend void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }
};

class OutputTransactionStep : public OutputTransactionTest,
                              public ::testing::WithParamInterface<StepCase> {};

TEST_P(OutputTransactionStep, FailureNamesTheFileItWasFor) {
  fs.failures[GetParam().failing] = GetParam().error;
  OutputTransaction transaction(fs, "d/");
  EXPECT_EQ(errorOf([&] {
              OutputTransaction::File& file = transaction.begin("f", true);
              file.write("x");
              file.retarget("g");
              transaction.finish(file);
              transaction.commit();
            }),
            GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OutputTransactionStep,
    ::testing::Values(
        StepCase{"FolderThatCannotBeOpened", "open d/", ENOENT,
                 "Cannot create \"d/f\": No such file or directory"},
        StepCase{"File", "create d/f", EACCES, "Cannot create \"d/f\": Permission denied"},
        StepCase{"Copy", "create d/f.gz", EISDIR, "Cannot create \"d/f.gz\": Is a directory"},
        StepCase{"Write", "write d/f", EIO, "Cannot write \"d/f\": Input/output error"},
        StepCase{"WriteOfTheCopy", "write d/f.gz", EIO,
                 "Cannot write \"d/f.gz\": Input/output error"},
        StepCase{"NewName", "retarget d/g", EPERM,
                 "Cannot create \"d/g\": Operation not permitted"},
        StepCase{"NewNameOfTheCopy", "retarget d/g.gz", EIO,
                 "Cannot create \"d/g.gz\": Input/output error"},
        StepCase{"PrepareAfterTheNewName", "prepare d/g", EIO,
                 "Cannot write \"d/g\": Input/output error"},
        StepCase{"Publish", "publish d/g", EIO, "Cannot write \"d/g\": Input/output error"},
        StepCase{"SyncNamesTheLastFile", "sync d/", EIO,
                 "Cannot write \"d/g\": Input/output error"}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(OutputTransactionTest, LinkIsNeverWrittenThroughNorRead) {
  fs.links = {"l", "c.gz"};
  OutputTransaction transaction(fs, "");
  const std::string refused = "\": it is a symbolic link, never written through";
  EXPECT_EQ(errorOf([&] { transaction.begin("l", false); }), "Cannot create \"l" + refused);
  EXPECT_EQ(errorOf([&] { transaction.begin("c", true); }), "Cannot create \"c.gz" + refused);
  EXPECT_EQ(errorOf([&] { transaction.read("l"); }), "Cannot read \"l" + refused);
}

TEST_F(OutputTransactionTest, ReadGivesTheStartOfAFileAndNothingWhereThereIsNone) {
  fs.files["f"] = "0123456789";
  fs.failures["read bad"] = EIO;
  OutputTransaction transaction(fs, "");
  EXPECT_EQ(transaction.read("f", 4), "0123");
  EXPECT_EQ(transaction.read("f"), "0123456789");
  EXPECT_EQ(transaction.read("missing"), std::nullopt);
  EXPECT_EQ(errorOf([&] { transaction.read("bad"); }), "Cannot read \"bad\": Input/output error");
}

TEST_F(OutputTransactionTest, RemovalGoesOnPastAFailureAndGivesTheFirst) {
  for (const char* name : {"a", "b", "c"}) fs.files[name] = "old";
  fs.failures["remove a"] = EIO;
  fs.failures["remove b"] = EACCES;
  OutputTransaction transaction(fs, "");
  const std::optional<IoError> failure = transaction.removePlainFiles({"a", "b", "c", "gone"});
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message(), "Cannot remove \"a\": Input/output error");
  EXPECT_EQ(failure->code, EIO);
  EXPECT_THAT(fs.files, ElementsAre(std::pair<const std::string, std::string>("a", "old"),
                                    std::pair<const std::string, std::string>("b", "old")));
  EXPECT_FALSE(transaction.removePlainFiles({"c"}));
}

TEST_F(OutputTransactionTest, ReplaceOnItsOwnIsInPlaceAndOnDiskWhenItReturns) {
  OutputTransaction transaction(fs, "d/");
  transaction.replace("r", "content");
  EXPECT_THAT(fs.log, ElementsAre("open d/", "create d/r", "write d/r", "prepare d/r",
                                  "publish d/r", "sync d/"));
  EXPECT_EQ(fs.files["d/r"], "content");
  fs.failures["sync d/"] = EIO;
  EXPECT_EQ(errorOf([&] { transaction.replace("r", "again"); }),
            "Cannot write \"d/r\": Input/output error");
}

TEST_F(OutputTransactionTest, NothingFinishedNothingToCommit) {
  OutputTransaction transaction(fs, "");
  transaction.commit();
  EXPECT_THAT(fs.log, IsEmpty()) << "the folder is opened only when a file needs it";
}

}  // namespace
}  // namespace qorv
