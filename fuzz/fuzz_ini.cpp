// INI files: projects come from anywhere, and "qorv.ini" may be edited by
// hand. Reading never fails; a write changes its own entry and nothing else.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/generatorsettings.h"
#include "core/utf8.h"
#include "fuzz/property.h"
#include "persist/inifile.h"
#include "persist/projectfile.h"

namespace {

using qorv::fuzz::require;

struct Key {
  const char* section;
  const char* key;
};

// The entries the program reads, and a few names a mutation reaches easily.
constexpr Key kKeys[] = {
    {"Project", "LocalFolder"},
    {"Project", "FileMask"},
    {"Project", "IndexFile"},
    {"Project", "URL"},
    {"Project", "SetChangefreq1"},
    {"Project", "SetPriority1"},
    {"Project", "SetChangefreq2"},
    {"Project", "SetPriority2"},
    {"Project", "SetTimeShort"},
    {"Project", "SetTimezone"},
    {"Project", "TagIndent"},
    {"Window", "Maximized"},
    {"Window", "Left"},
    {"Window", "Top"},
    {"Window", "Height"},
    {"Window", "Width"},
    {"S", "K"},
    {"", ""},
};

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

/// What reading back a written value gives: line breaks become blanks, the
/// blanks around it go, and it is cut to the longest value a read gives.
std::string readBackOf(std::string_view value) {
  std::string line(value);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string_view trimmed = trimBlanks(line);
  std::size_t pos = 0;
  for (std::size_t n = 0; n < qorv::kMaxIniValueLength && pos < trimmed.size(); ++n)
    qorv::decodeUtf8(trimmed, pos);
  return std::string(trimmed.substr(0, pos));
}

struct Project {
  qorv::GeneratorSettings settings;
  qorv::ProjectTexts window;
};

Project opened(const std::string& content) {
  Project opened;
  qorv::ProjectFile(opened.settings, opened.window)
      .open(qorv::BufferedIniFile("fuzz.prj", content));
  return opened;
}

std::string saved(Project& project) {
  qorv::BufferedIniFile saved("fuzz.prj", std::string());
  qorv::ProjectFile(project.settings, project.window).save(saved);
  return saved.content();
}

/// A project opened from any file saves and opens again as it was, as far
/// as one line of text can hold its values.
void requireProjectRoundTrip(const std::string& content) {
  Project first = opened(content);
  Project second = opened(saved(first));
  std::string masks = first.settings.fileMask;
  for (char& c : masks) {
    if (c == '\r') c = ';';
  }
  const qorv::GeneratorSettings& a = first.settings;
  const qorv::GeneratorSettings& b = second.settings;
  require(b.fileMask == readBackOf(masks), "masks survive a save", b.fileMask);
  require(b.indexFile == readBackOf(a.indexFile), "the index file survives a save", b.indexFile);
  require(second.window.localFolder() == readBackOf(first.window.localFolder()),
          "the folder survives a save", second.window.localFolder());
  require(second.window.siteUrl() == readBackOf(first.window.siteUrl()), "the URL survives a save",
          second.window.siteUrl());
  require(b.rootChangefreq == a.rootChangefreq && b.rootPriority == a.rootPriority &&
              b.otherChangefreq == a.otherChangefreq && b.otherPriority == a.otherPriority &&
              b.timeZone == a.timeZone && b.dateOnlyLastmod == a.dateOnlyLastmod &&
              b.compact == a.compact,
          "the choices and flags survive a save");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the entry to write, the second where the value to
  // write ends; the rest is the file.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return 0;
  const Key& written = kKeys[static_cast<unsigned char>(input[0]) % std::size(kKeys)];
  const std::size_t valueLength = static_cast<unsigned char>(input[1]);
  input.remove_prefix(2);
  const std::string value(input.substr(0, valueLength));
  const std::string content(input);

  qorv::BufferedIniFile ini("fuzz.ini", content);
  std::string before[std::size(kKeys)];
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const Key& key = kKeys[i];
    before[i] = ini.readString(key.section, key.key, "\x01");
    require(qorv::codePointCount(before[i]) <= qorv::kMaxIniValueLength, "a value is cut",
            before[i]);
    require(before[i].find('\n') == std::string::npos, "a value is one line", before[i]);
    const int number = ini.readInteger(key.section, key.key, 7);
    require(number == qorv::parseIniInteger(before[i], 7), "integers are read from the text");
    require(ini.readBool(key.section, key.key, true) == (qorv::parseIniInteger(before[i], 1) != 0),
            "yes is any integer but zero");
    if (number == qorv::parseIniInteger(before[i], 8)) {
      // A text read as an integer writes back as one that reads the same.
      qorv::BufferedIniFile copy("fuzz.ini", content);
      copy.writeInteger(key.section, key.key, number);
      require(copy.readInteger(key.section, key.key, number ^ 1) == number,
              "a written integer reads back");
    }
  }

  ini.writeString(written.section, written.key, value);
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const Key& key = kKeys[i];
    const std::string after = ini.readString(key.section, key.key, "\x01");
    const bool same = std::string_view(key.section) == written.section &&
                      std::string_view(key.key) == written.key;
    if (same && *written.key != '\0')
      require(after == readBackOf(value), "the written value reads back", after);
    else if (!same)
      require(after == before[i], "a write changes no other entry", key.key);
  }

  requireProjectRoundTrip(content);
  return 0;
}
