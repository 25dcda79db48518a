#include "core/contentmemory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/faultpoints.h"
#include "tests/support/asuser.h"
#include "tests/support/formats.h"
#include "tests/support/tempdir.h"

namespace qorv {
namespace {

constexpr std::string_view kFolder = "/srv/site/public";

RememberedMoment at(int year, int month, int day, int hour, int minute, int second,
                    bool longTime = false) {
  return {{{year, month, day}, {hour, minute, second}}, longTime};
}

/// A memory file's body closed with its checksum line, as the program
/// writes it: for files that are well sealed but wrong inside.
std::string sealed(const std::string& body) {
  return body + "end " + digestText(digestBytes(body)) + "\n";
}

TEST(ContentMemory, RemembersEachFileByPathAndDigest) {
  const ContentDigest page = digestBytes("<html>page</html>");
  const ContentDigest other = digestBytes("<html>other</html>");
  const std::vector<MemoryEntry> entries = {
      {"sub/page.htm", page, at(2024, 5, 2, 9, 5, 0, true)},
      {"index.htm", other, at(2024, 5, 1, 14, 3, 6)},
      {"with space.htm", page, at(2023, 12, 31, 23, 59, 58)},
      {"čaj/new\nline.htm", other, at(1999, 1, 1, 0, 0, 0)},
      {"sub", page, at(2001, 2, 3, 4, 5, 6)},
  };
  ContentMemory memory;
  ASSERT_EQ(memory.read(formatContentMemory(entries, kFolder), kFolder),
            ContentMemory::Load::Loaded);
  EXPECT_EQ(memory.size(), entries.size());
  for (const MemoryEntry& entry : entries) {
    EXPECT_EQ(memory.recall(entry.path, entry.digest), entry.moment) << entry.path;
    EXPECT_EQ(memory.recall(entry.path, digestBytes("changed")), std::nullopt) << entry.path;
  }
  EXPECT_EQ(memory.recall("new.htm", page), std::nullopt);
  EXPECT_EQ(memory.recall("sub/", page), std::nullopt);
  EXPECT_EQ(formatContentMemory(memory.entries(), kFolder), formatContentMemory(entries, kFolder))
      << "what it holds writes the same file again";
}

TEST(ContentMemory, TheFileIsReadableTextOfMomentsThatNoLocaleShapes) {
  const std::string bytes =
      formatContentMemory({{"b.htm", digestBytes("b"), at(2006, 3, 5, 9, 5, 6, true)},
                           {"a.htm", digestBytes("a"), at(2006, 3, 5, 14, 3, 6)}},
                          kFolder);
  const std::string expectedStart =
      "Quorvex content memory 1\n"
      "folder 16 /srv/site/public\n"
      "files 2\n" +
      digestText(digestBytes("a")) + " 2006-03-05T14:03:06 s 5 a.htm\n" +
      digestText(digestBytes("b")) + " 2006-03-05T09:05:06 l 5 b.htm\n";
  EXPECT_EQ(bytes, sealed(expectedStart));
}

TEST(ContentMemory, FollowsTheFilesOfThreeWrites) {
  const ContentDigest a = digestBytes("a");
  const ContentDigest b1 = digestBytes("b, first");
  const ContentDigest b2 = digestBytes("b, second");
  const ContentDigest c = digestBytes("c");
  const RememberedMoment first = at(2024, 1, 1, 10, 0, 0);
  const RememberedMoment second = at(2024, 2, 1, 10, 0, 0);
  const RememberedMoment edited = at(2023, 6, 1, 8, 0, 0, true);

  // Write 1: three files at their file times.
  ContentMemory memory;
  ASSERT_EQ(
      memory.read(formatContentMemory(
                      {{"a.htm", a, first}, {"b.htm", b1, first}, {"c.htm", c, first}}, kFolder),
                  kFolder),
      ContentMemory::Load::Loaded);

  // Scan 2: a.htm unchanged (its row then edited), b.htm changed, c.htm
  // renamed to d.htm, e.htm new.
  EXPECT_EQ(memory.recall("a.htm", a), first);
  EXPECT_EQ(memory.recall("b.htm", b2), std::nullopt) << "changed: its file time";
  EXPECT_EQ(memory.recall("d.htm", c), std::nullopt) << "renamed: a new file to the memory";
  EXPECT_EQ(memory.recall("e.htm", digestBytes("e")), std::nullopt) << "new";
  // Write 2 holds exactly the files of scan 2.
  ASSERT_EQ(memory.read(formatContentMemory({{"a.htm", a, edited},
                                             {"b.htm", b2, second},
                                             {"d.htm", c, second},
                                             {"e.htm", digestBytes("e"), second}},
                                            kFolder),
                        kFolder),
            ContentMemory::Load::Loaded);

  // Scan 3: nothing changed; the dates of write 2 stay, c.htm is forgotten.
  EXPECT_EQ(memory.recall("a.htm", a), edited) << "the edited row's date, in its long form";
  EXPECT_EQ(memory.recall("b.htm", b2), second);
  EXPECT_EQ(memory.recall("d.htm", c), second);
  EXPECT_EQ(memory.recall("c.htm", c), std::nullopt) << "removed files drop out";
  EXPECT_EQ(memory.size(), 4u);
}

TEST(ContentMemory, OfAPathGivenTwiceTheLastEntryCounts) {
  ContentMemory memory;
  ASSERT_EQ(memory.read(formatContentMemory({{"a.htm", digestBytes("1"), at(2020, 1, 1, 0, 0, 0)},
                                             {"a.htm", digestBytes("2"), at(2021, 1, 1, 0, 0, 0)}},
                                            kFolder),
                        kFolder),
            ContentMemory::Load::Loaded);
  EXPECT_EQ(memory.size(), 1u);
  EXPECT_EQ(memory.recall("a.htm", digestBytes("2")), at(2021, 1, 1, 0, 0, 0));
}

TEST(ContentMemory, AnyDamageEmptiesTheWholeMemory) {
  const std::string good =
      formatContentMemory({{"a.htm", digestBytes("a"), at(2024, 1, 1, 10, 0, 0)},
                           {"b.htm", digestBytes("b"), at(2024, 1, 2, 10, 0, 0)}},
                          kFolder);
  const std::string digestA = digestText(digestBytes("a"));
  const std::string digestB = digestText(digestBytes("b"));
  const std::string head = "Quorvex content memory 1\nfolder 16 /srv/site/public\n";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"a byte changed",
       [&] {
         std::string bytes = good;
         bytes[bytes.find("a.htm")] = 'x';
         return bytes;
       }()},
      {"the checksum changed",
       [&] {
         std::string bytes = good;
         bytes[bytes.size() - 2] = bytes[bytes.size() - 2] == '0' ? '1' : '0';
         return bytes;
       }()},
      {"no line break at the end", good.substr(0, good.size() - 1)},
      {"something after the end", good + "x"},
      {"another version",
       sealed("Quorvex content memory 2\nfolder 16 /srv/site/public\nfiles 0\n")},
      {"not sorted", sealed(head + "files 2\n" + digestB + " 2024-01-02T10:00:00 s 5 b.htm\n" +
                            digestA + " 2024-01-01T10:00:00 s 5 a.htm\n")},
      {"a path twice", sealed(head + "files 2\n" + digestA + " 2024-01-01T10:00:00 s 5 a.htm\n" +
                              digestB + " 2024-01-02T10:00:00 s 5 a.htm\n")},
      {"no such date", sealed(head + "files 1\n" + digestA + " 2023-02-29T10:00:00 s 5 a.htm\n")},
      {"no such time", sealed(head + "files 1\n" + digestA + " 2023-02-28T24:00:00 s 5 a.htm\n")},
      {"an unknown time form",
       sealed(head + "files 1\n" + digestA + " 2024-01-01T10:00:00 x 5 a.htm\n")},
      {"a wrong path length",
       sealed(head + "files 1\n" + digestA + " 2024-01-01T10:00:00 s 4 a.htm\n")},
      {"an empty path", sealed(head + "files 1\n" + digestA + " 2024-01-01T10:00:00 s 0 \n")},
      {"fewer files than counted",
       sealed(head + "files 2\n" + digestA + " 2024-01-01T10:00:00 s 5 a.htm\n")},
      {"more files than counted",
       sealed(head + "files 0\n" + digestA + " 2024-01-01T10:00:00 s 5 a.htm\n")},
      {"a count beyond reason", sealed(head + "files 99999999999999\n")},
      {"a length with a leading zero",
       sealed(head + "files 1\n" + digestA + " 2024-01-01T10:00:00 s 05 a.htm\n")},
      {"a count with a leading zero",
       sealed(head + "files 01\n" + digestA + " 2024-01-01T10:00:00 s 5 a.htm\n")},
      {"a digest in capitals",
       sealed(head + "files 1\n" + std::string(32, 'A') + " 2024-01-01T10:00:00 s 5 a.htm\n")},
  };
  for (const auto& c : cases) {
    ContentMemory memory;
    ASSERT_EQ(memory.read(good, kFolder), ContentMemory::Load::Loaded);
    EXPECT_EQ(memory.read(c.bytes, kFolder), ContentMemory::Load::Damaged) << c.what;
    EXPECT_EQ(memory.size(), 0u) << c.what;
    EXPECT_EQ(memory.recall("a.htm", digestBytes("a")), std::nullopt) << c.what;
  }
  // Cut anywhere, it is damaged.
  for (std::size_t length = 0; length < good.size(); ++length) {
    ContentMemory memory;
    ASSERT_EQ(memory.read(good.substr(0, length), kFolder), ContentMemory::Load::Damaged)
        << "cut at " << length;
  }
}

TEST(ContentMemory, TheMemoryOfAnotherFolderIsNotUsed) {
  const std::string bytes =
      formatContentMemory({{"a.htm", digestBytes("a"), at(2024, 1, 1, 10, 0, 0)}}, "/srv/other");
  ContentMemory memory;
  EXPECT_EQ(memory.read(bytes, kFolder), ContentMemory::Load::Foreign);
  EXPECT_EQ(memory.size(), 0u);
  EXPECT_EQ(memory.read(bytes, "/srv/other"), ContentMemory::Load::Loaded);
  EXPECT_EQ(memory.read(bytes, "/srv/other/"), ContentMemory::Load::Foreign)
      << "the real path, exactly";
}

TEST(ContentMemory, SavesAsAWholeAndLoadsBack) {
  test::TempDir dir;
  const std::string file = dir / "data/Quorvex/lastmod/site.mem";
  const std::vector<MemoryEntry> entries = {{"a.htm", digestBytes("a"), at(2024, 1, 1, 10, 0, 0)}};
  EXPECT_EQ(saveContentMemory(file, kFolder, entries).error(), ENOENT)
      << "no folder made unless asked";
  ASSERT_TRUE(saveContentMemory(file, kFolder, entries, true));
  struct stat st;
  ASSERT_EQ(stat((dir / "data/Quorvex/lastmod").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "the user's data is the user's alone";
  ContentMemory memory;
  const Result<ContentMemory::Load> loaded = memory.load(file, kFolder);
  ASSERT_TRUE(loaded) << loaded.error();
  EXPECT_EQ(*loaded, ContentMemory::Load::Loaded);
  EXPECT_EQ(memory.recall("a.htm", digestBytes("a")), at(2024, 1, 1, 10, 0, 0));
  EXPECT_EQ(test::readFile(file), formatContentMemory(entries, kFolder));
}

TEST(ContentMemory, AMissingFileIsAnEmptyMemoryAndAnUnreadableOneAFailure) {
  test::TempDir dir;
  ContentMemory memory;
  const Result<ContentMemory::Load> missing = memory.load(dir / "none.mem", kFolder);
  ASSERT_TRUE(missing) << missing.error();
  EXPECT_EQ(*missing, ContentMemory::Load::Missing);
  dir.makeDir("folder.mem");
  EXPECT_EQ(memory.load(dir / "folder.mem", kFolder).error(), EISDIR);

  const std::string file = dir / "site.mem";
  ASSERT_TRUE(saveContentMemory(file, kFolder, {}));
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  const int refused = test::runAsNobody([&] {
    ContentMemory theirs;
    return theirs.load(file, kFolder).error() == EACCES ? 0 : 1;
  });
  EXPECT_EQ(refused, 0) << "a memory that may not be read is no empty memory";
}

#ifdef QORV_FAULT_POINTS
TEST(ContentMemory, InputAndOutputErrorsAreReportedAndLeaveTheOldFile) {
  test::TempDir dir;
  const std::string file = dir / "site.mem";
  const std::vector<MemoryEntry> old = {{"a.htm", digestBytes("a"), at(2024, 1, 1, 10, 0, 0)}};
  ASSERT_TRUE(saveContentMemory(file, kFolder, old));
  const std::string before = test::readFile(file);
  {
    const FaultScope broken("read", 1, EIO);
    ContentMemory memory;
    EXPECT_EQ(memory.load(file, kFolder).error(), EIO);
  }
  // The calls that put the new file in place depend on the file system
  // (a nameless file linked in, or a named one renamed): those the save
  // does not make leave it to succeed.
  const struct {
    const char* call;
    bool alwaysMade;
  } calls[] = {
      {"write", true}, {"fsync", true}, {"close", true}, {"linkat", false}, {"renameat", false}};
  for (const auto& c : calls) {
    const FaultScope broken(c.call, 1, EIO, true);
    const Result<void> saved =
        saveContentMemory(file, kFolder, {{"b.htm", digestBytes("b"), at(2024, 2, 1, 0, 0, 0)}});
    if (saved && !c.alwaysMade) continue;
    EXPECT_EQ(saved.error(), EIO) << c.call;
    EXPECT_EQ(test::readFile(file), before) << c.call;
  }
}
#endif

TEST(ContentMemory, EachFolderHasAFileOfItsOwnNamedForPeopleToo) {
  const std::string data = "/home/user/.local/share/Quorvex/";
  const std::string www = defaultContentMemoryFile(data, "/srv/a/www");
  EXPECT_EQ(www.substr(0, data.size() + 8), data + "lastmod/");
  EXPECT_EQ(www.substr(www.size() - 8), "-www.mem");
  EXPECT_EQ(www.size(), data.size() + 8 + 16 + 8);
  EXPECT_NE(defaultContentMemoryFile(data, "/srv/b/www"), www) << "same name, other folder";
  EXPECT_EQ(defaultContentMemoryFile(data, "/srv/a/www"), www);
  const std::string root = defaultContentMemoryFile(data, "/");
  EXPECT_EQ(root.substr(root.size() - 9), "-root.mem");
  const std::string odd = defaultContentMemoryFile(data, "/srv/čaj a/");
  EXPECT_EQ(odd.substr(odd.size() - 11), "-__aj_a.mem");
}

TEST(ContentMemory, RowTextsComeBackInTheirOwnForm) {
  const LocaleFormats formats = test::dayFirstFormats();
  const struct {
    const char* date;
    const char* time;
    RememberedMoment moment;
  } cases[] = {
      {"5.3.2006", "14:03:06", at(2006, 3, 5, 14, 3, 6)},
      {"5.3.2006", "09:05:06", at(2006, 3, 5, 9, 5, 6)},
      {"5.3.2006", "9:05:06", at(2006, 3, 5, 9, 5, 6, true)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(momentOfRow(c.date, c.time, formats, 2024), c.moment) << c.time;
    EXPECT_EQ(rowTextsOf(c.moment, formats),
              std::make_pair(std::string(c.date), std::string(c.time)))
        << c.time;
  }
  EXPECT_EQ(momentOfRow("31.2.2006", "14:03:06", formats, 2024), std::nullopt);
  EXPECT_EQ(momentOfRow("5.3.2006", "14:03", formats, 2024), at(2006, 3, 5, 14, 3, 0, true));
  EXPECT_EQ(momentOfRow("5.3.2006", "noon", formats, 2024), std::nullopt);

  LocaleFormats other;
  other.shortDateFormat = "yyyy/MM/dd";
  other.dateSeparator = "-";
  EXPECT_EQ(rowTextsOf(at(2006, 3, 5, 9, 5, 6), other),
            std::make_pair(std::string("2006-03-05"), std::string("09:05:06")))
      << "under another locale, the same moment in its texts";
}

}  // namespace
}  // namespace qorv
