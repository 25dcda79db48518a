#include "core/pagehead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/faultpoints.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

const std::string kCases = QORV_SOURCE_DIR "/tests/core/pageheads/";

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

/// The head in the form the recording script writes Chromium's answers in,
/// elements of each kind in head order (the script lists them as they come,
/// but the parser keeps metas and links apart, which the rules never mix).
std::string describe(const PageHead& head) {
  std::string out;
  if (head.baseHref) out += "base\t" + escaped(*head.baseHref) + "\n";
  for (const HeadMeta& meta : head.metas)
    out += "meta\t" + escaped(meta.name) + "\t" + escaped(meta.httpEquiv) + "\t" +
           escaped(meta.content) + "\t" + escaped(meta.charset) + "\n";
  for (const HeadLink& link : head.links)
    out += "link\t" + escaped(link.rel) + "\t" + escaped(link.href) + "\t" +
           escaped(link.hreflang) + "\n";
  return out;
}

/// expected.txt: for each page, its lines put in the order `describe` uses.
std::map<std::string, std::string> chromiumHeads() {
  std::ifstream in(kCases + "expected.txt");
  std::map<std::string, std::string> heads;
  std::map<std::string, std::string> parts;  // "base", "meta", "link" of the page so far
  std::string page;
  std::string line;
  const auto flush = [&] {
    if (!page.empty()) heads[page] = parts["base"] + parts["meta"] + parts["link"];
    parts.clear();
  };
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.starts_with("== ")) {
      flush();
      page = line.substr(3);
      continue;
    }
    parts[line.substr(0, line.find('\t'))] += line + "\n";
  }
  flush();
  return heads;
}

std::string pageBytes(const std::string& name) {
  std::ifstream in(kCases + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(HeadParser, HoldsWhatChromiumPutsIntoTheHeadOfEveryTrickyPage) {
  const std::map<std::string, std::string> expected = chromiumHeads();
  ASSERT_FALSE(expected.empty());
  // Every page has its answer recorded, so that none is left untested.
  for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
    if (entry.path().extension() != ".html") continue;
    EXPECT_TRUE(expected.contains(entry.path().filename().string()))
        << entry.path().filename() << ": run tests/core/pageheads/record";
  }
  // One parser for all, as a scan uses it: nothing of one page stays for the next.
  HeadParser parser;
  for (const auto& [name, chromium] : expected) {
    PageHead head;
    parser.startPage();
    ASSERT_TRUE(parser.parse(pageBytes(name), PageStart::Whole, head)) << name;
    EXPECT_EQ(describe(head), chromium) << name;
    EXPECT_TRUE(head.complete) << name;
  }
}

TEST(HeadParser, ReadsTheSameHeadWhereverTheBytesReadSoFarEnd) {
  HeadParser parser;
  for (const auto& [name, chromium] : chromiumHeads()) {
    const std::string bytes = pageBytes(name);
    PageHead whole;
    parser.startPage();
    parser.parse(bytes, PageStart::Whole, whole);
    // Every length for the small pages; the long one in steps.
    const std::size_t step = bytes.size() > 4096 ? 211 : 1;
    for (std::size_t length = 0; length < bytes.size(); length += step) {
      PageHead head;
      parser.startPage();
      if (!parser.parse(std::string_view(bytes).substr(0, length), PageStart::More, head)) continue;
      EXPECT_EQ(describe(head), describe(whole)) << name << " after " << length << " bytes";
      break;
    }
  }
}

TEST(HeadParser, ReadingAPageInStepsGivesTheHeadOfReadingItWhole) {
  HeadParser parser;
  for (const auto& [name, chromium] : chromiumHeads()) {
    const std::string bytes = pageBytes(name);
    PageHead whole;
    parser.startPage();
    parser.parse(bytes, PageStart::Whole, whole);
    for (const std::size_t step : {1, 7, 100, 4096}) {
      // Each step goes on from where the one before stopped.
      parser.startPage();
      PageHead head;
      std::size_t given = 0;
      bool final = false;
      while (!final) {
        given = std::min(bytes.size(), given + step);
        final = parser.parse(std::string_view(bytes).substr(0, given),
                             given == bytes.size() ? PageStart::Whole : PageStart::More, head);
      }
      EXPECT_EQ(head, whole) << name << " in steps of " << step;
    }
  }
}

TEST(HeadParser, AHeadCutByTheLimitIsIncompleteAndKeepsWhatItHeld) {
  std::string page = "<head><meta name=\"robots\" content=\"noindex\"><style>";
  page.append(kMaxHeadBytes, 'x');
  HeadParser parser;
  PageHead head;
  parser.startPage();
  ASSERT_TRUE(parser.parse(std::string_view(page).substr(0, kMaxHeadBytes), PageStart::Cut, head));
  EXPECT_FALSE(head.complete);
  ASSERT_EQ(head.metas.size(), 1u);
  EXPECT_EQ(head.metas[0].content, "noindex");
  parser.startPage();
  EXPECT_FALSE(parser.parse(std::string_view(page).substr(0, 4096), PageStart::More, head))
      << "a style that goes on may hide the end of the head";
}

bool isRead(const Result<bool>& read) { return read.ok() && *read; }

std::unique_ptr<Folder> openFolderAt(const std::string& path) {
  Result<std::unique_ptr<Folder>> folder = localFileSystem().openFolder(path);
  EXPECT_TRUE(folder) << path;
  return folder ? std::move(*folder) : nullptr;
}

TEST(ReadPageHead, ReadsAsFarAsTheHeadGoesAndNoFurther) {
  test::TempDir dir;
  const std::string longHead = pageBytes("long-head.html");
  dir.writeFile("long.html", longHead);
  dir.writeFile("short.html", "<meta name=robots content=noindex><p>" + std::string(40000, 'x'));
  auto folder = openFolderAt(dir.path());
  HeadParser parser;
  std::string buffer;
  PageHead head;
  ASSERT_TRUE(isRead(readPageHead(*folder, "long.html", parser, buffer, head)));
  PageHead whole;
  parser.startPage();
  parser.parse(longHead, PageStart::Whole, whole);
  EXPECT_EQ(head, whole);
  EXPECT_EQ(buffer, longHead) << "a head of 40 KiB takes the page of 43 KiB";

  ASSERT_TRUE(isRead(readPageHead(*folder, "short.html", parser, buffer, head)));
  EXPECT_EQ(head.metas.size(), 1u);
  EXPECT_TRUE(head.complete);
  EXPECT_EQ(buffer.size(), 4096u) << "the first step holds the head";
}

TEST(ReadPageHead, AHugePageIsReadNoFurtherThanTheLimit) {
  test::TempDir dir;
  const std::string path =
      dir.writeFile("huge.html", "<head><meta name=robots content=noindex><style>");
  // 2 GiB that take no room on the disk: zeros after the start.
  ASSERT_EQ(truncate(path.c_str(), 2LL * 1024 * 1024 * 1024), 0);
  auto folder = openFolderAt(dir.path());
  HeadParser parser;
  std::string buffer;
  PageHead head;
  ASSERT_TRUE(isRead(readPageHead(*folder, "huge.html", parser, buffer, head)));
  EXPECT_EQ(buffer.size(), kMaxHeadBytes);
  EXPECT_FALSE(head.complete);
  ASSERT_EQ(head.metas.size(), 1u);
  EXPECT_EQ(head.metas[0].content, "noindex");
}

TEST(ReadPageHead, OpensNoFifoDeviceOrFolder) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe.html").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", (dir / "zero.html").c_str()), 0);
  dir.makeDir("folder.html");
  auto folder = openFolderAt(dir.path());
  HeadParser parser;
  std::string buffer;
  PageHead head;
  // A FIFO opened for reading would wait here for a writer.
  for (const char* name : {"pipe.html", "zero.html", "folder.html"}) {
    const Result<bool> read = readPageHead(*folder, name, parser, buffer, head);
    ASSERT_TRUE(read) << name;
    EXPECT_FALSE(*read) << name;
  }
}

TEST(ReadPageHead, ARefusedOrMissingPageSaysWhy) {
  test::TempDir dir;
  dir.writeFile("locked.html", "<meta name=robots content=noindex>");
  ASSERT_EQ(chmod((dir / "locked.html").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling.html").c_str()), 0);
  const int result = test::runAsNobody([&] {
    Result<std::unique_ptr<Folder>> folder = localFileSystem().openFolder(dir.path());
    if (!folder) return 1;
    HeadParser parser;
    std::string buffer;
    PageHead head;
    const Result<bool> refused = readPageHead(**folder, "locked.html", parser, buffer, head);
    if (refused.error() != EACCES) return 2;
    const Result<bool> missing = readPageHead(**folder, "missing.html", parser, buffer, head);
    if (missing.error() != ENOENT) return 3;
    const Result<bool> dangling = readPageHead(**folder, "dangling.html", parser, buffer, head);
    if (failureKind(dangling.error()) != FailureKind::Gone || dangling.ok()) return 4;
    return 0;
  });
  EXPECT_EQ(result, 0);
}

#ifdef QORV_FAULT_POINTS
TEST(ReadPageHead, AFailedCallIsAFailureUnlessItWasARefusal) {
  test::TempDir dir;
  dir.writeFile("page.html", "<meta name=robots content=noindex><p>x</p>");
  const struct {
    const char* call;
    int error;
    FailureKind kind;
  } cases[] = {{"fstatat", EIO, FailureKind::Failed},         {"openat", EIO, FailureKind::Failed},
               {"openat", EACCES, FailureKind::AccessDenied}, {"openat", ENOENT, FailureKind::Gone},
               {"fstat", EIO, FailureKind::Failed},           {"read", EIO, FailureKind::Failed}};
  auto folder = openFolderAt(dir.path());
  HeadParser parser;
  std::string buffer;
  for (const auto& c : cases) {
    PageHead head;
    const FaultScope fault(c.call, 1, c.error);
    const Result<bool> read = readPageHead(*folder, "page.html", parser, buffer, head);
    ASSERT_FALSE(read) << c.call;
    EXPECT_EQ(failureKind(read.error()), c.kind) << c.call << " " << c.error;
    EXPECT_EQ(read.error(), c.error) << c.call;
    EXPECT_TRUE(head.metas.empty()) << "a head that could not be read says nothing";
  }
}
#endif

}  // namespace
}  // namespace qorv
