#include "platform/contentdigest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/faultpoints.h"
#include "platform/filesystem.h"
#include "tests/support/asuser.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

/// What digesting a file gave, as the scan will sort it.
enum class Outcome { Digested, NotPlain, Gone, AccessDenied, Failed };

Outcome outcomeOf(const Result<std::optional<ContentDigest>>& digest) {
  if (digest) return *digest ? Outcome::Digested : Outcome::NotPlain;
  switch (failureKind(digest.error())) {
    case FailureKind::Gone:
      return Outcome::Gone;
    case FailureKind::AccessDenied:
      return Outcome::AccessDenied;
    case FailureKind::Failed:
      break;
  }
  return Outcome::Failed;
}

/// Bytes that differ from one position to the next, `size` of them.
std::string pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) % 251);
  return bytes;
}

TEST(ContentDigest, FilesDigestAsXxhsumH2PrintsThem) {
  // The expected texts are what `xxhsum -H2` prints for the same bytes:
  // a file that fits one read, one that fills it exactly and ones past it.
  const struct {
    std::size_t size;
    const char* text;
  } cases[] = {
      {0, "99aa06d3014798d86001c324468d497f"},
      {65536, "9faccae04a825f25a0f09c7440c8010e"},
      {65537, "6816ad3bd2919cebae55d214885dd4aa"},
      {200000, "21d6ecf1e7c13af0799cc039afce482e"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.writeFile("page", pattern(c.size));
    const Result<std::optional<ContentDigest>> digest = digestFile(path);
    ASSERT_EQ(outcomeOf(digest), Outcome::Digested) << c.size;
    EXPECT_EQ(digestText(**digest), c.text) << c.size << " bytes";
    EXPECT_EQ(**digest, digestBytes(pattern(c.size))) << c.size << " bytes";
  }
  EXPECT_EQ(digestText(digestBytes("abc")), "06b05ab6733a618578af5f94892f3950");
}

TEST(ContentDigest, TextReadsBackAndNothingElseDoes) {
  const ContentDigest digest = digestBytes("abc");
  EXPECT_EQ(readDigestText(digestText(digest)), digest);
  for (const char* text :
       {"", "06b05ab6733a618578af5f94892f395", "06b05ab6733a618578af5f94892f39500",
        "06B05AB6733A618578AF5F94892F3950", "06b05ab6733a618578af5f94892f395g"})
    EXPECT_EQ(readDigestText(text), std::nullopt) << text;
}

TEST(ContentDigest, OnlyPlainFilesAreOpened) {
  test::TempDir dir;
  const std::string fifo = dir / "pipe.htm";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  dir.makeDir("folder.htm");
  const std::string page = dir.writeFile("page.htm", "<html>");
  ASSERT_EQ(symlink("page.htm", (dir / "link.htm").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "dangling.htm").c_str()), 0);
  const struct {
    std::string path;
    Outcome outcome;
  } cases[] = {
      {fifo, Outcome::NotPlain},
      {dir / "folder.htm", Outcome::NotPlain},
      {"/dev/zero", Outcome::NotPlain},
      {dir / "link.htm", Outcome::Digested},
      {dir / "dangling.htm", Outcome::Gone},
      {dir / "missing.htm", Outcome::Gone},
      {dir / "page.htm/below", Outcome::Gone},
  };
  for (const auto& c : cases) EXPECT_EQ(outcomeOf(digestFile(c.path)), c.outcome) << c.path;
  const Result<std::optional<ContentDigest>> linked = digestFile(dir / "link.htm");
  const Result<std::optional<ContentDigest>> direct = digestFile(page);
  ASSERT_TRUE(linked && *linked && direct && *direct);
  EXPECT_EQ(**linked, **direct) << "a link is digested as the file it leads to";
}

TEST(ContentDigest, ARefusedFileIsToldFromAFailedOne) {
  test::TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string path = dir.writeFile("secret.htm", "<html>");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  const int outcome =
      test::runAsNobody([&] { return static_cast<int>(outcomeOf(digestFile(path))); });
  ASSERT_NE(outcome, -1) << "could not run as nobody";
  EXPECT_EQ(static_cast<Outcome>(outcome), Outcome::AccessDenied);
}

#ifdef QORV_FAULT_POINTS
TEST(ContentDigest, AFifoIsNeverOpenedAndAnInputErrorIsAFailure) {
  test::TempDir dir;
  const std::string fifo = dir / "pipe.htm";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  {
    // Had the FIFO been opened, the open would have failed here.
    const FaultScope noOpen("openat", 1, EIO, true);
    EXPECT_EQ(outcomeOf(digestFile(fifo)), Outcome::NotPlain);
  }
  const std::string page = dir.writeFile("page.htm", "<html>");
  const FaultScope brokenRead("read", 1, EIO);
  const Result<std::optional<ContentDigest>> digest = digestFile(page);
  EXPECT_EQ(outcomeOf(digest), Outcome::Failed);
  EXPECT_EQ(digest.error(), EIO);
}
#endif

}  // namespace
}  // namespace qorv
