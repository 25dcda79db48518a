#include "platform/pagehead.h"

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

const std::string kCases = QORV_SOURCE_DIR "/tests/platform/pageheads/";

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
        << entry.path().filename() << ": run tests/platform/pageheads/record";
  }
  // One parser for all, as a scan uses it: nothing of one page stays for the next.
  HeadParser parser;
  for (const auto& [name, chromium] : expected) {
    PageHead head;
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
    parser.parse(bytes, PageStart::Whole, whole);
    // Every length for the small pages; the long one in steps.
    const std::size_t step = bytes.size() > 4096 ? 211 : 1;
    for (std::size_t length = 0; length < bytes.size(); length += step) {
      PageHead head;
      if (!parser.parse(std::string_view(bytes).substr(0, length), PageStart::More, head)) continue;
      EXPECT_EQ(describe(head), describe(whole)) << name << " after " << length << " bytes";
      break;
    }
  }
}

TEST(HeadParser, AHeadCutByTheLimitIsIncompleteAndKeepsWhatItHeld) {
  std::string page = "<head><meta name=\"robots\" content=\"noindex\"><style>";
  page.append(kMaxHeadBytes, 'x');
  HeadParser parser;
  PageHead head;
  ASSERT_TRUE(parser.parse(std::string_view(page).substr(0, kMaxHeadBytes), PageStart::Cut, head));
  EXPECT_FALSE(head.complete);
  ASSERT_EQ(head.metas.size(), 1u);
  EXPECT_EQ(head.metas[0].content, "noindex");
  EXPECT_FALSE(parser.parse(std::string_view(page).substr(0, 4096), PageStart::More, head))
      << "a style that goes on may hide the end of the head";
}

}  // namespace
}  // namespace qorv
