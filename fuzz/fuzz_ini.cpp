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

using qorv::fuzz::Require;

struct TKey {
  const char* Section;
  const char* Key;
};

// The entries the program reads, and a few names a mutation reaches easily.
constexpr TKey kKeys[] = {
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

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

/// What reading back a written value gives: line breaks become blanks, the
/// blanks around it go, and it is cut to the longest value a read gives.
std::string ReadBackOf(std::string_view value) {
  std::string line(value);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string_view trimmed = TrimBlanks(line);
  std::size_t pos = 0;
  for (std::size_t n = 0; n < qorv::kMaxIniValueLength && pos < trimmed.size(); ++n)
    qorv::DecodeUtf8(trimmed, pos);
  return std::string(trimmed.substr(0, pos));
}

class TWindow final : public qorv::TProjectWindow {
 public:
  std::string LocalFolder() const override { return m_folder; }
  void SetLocalFolder(const std::string& folder) override { m_folder = folder; }
  std::string SiteUrl() const override { return m_url; }
  void SetSiteUrl(const std::string& url) override { m_url = url; }
  void ClearPages() override {}

 private:
  std::string m_folder;
  std::string m_url;
};

struct TProject {
  qorv::TGeneratorSettings Settings;
  TWindow Window;
};

TProject Opened(const std::string& content) {
  TProject opened;
  qorv::TProjectFile(opened.Settings, opened.Window).Open(qorv::TMemIniFile("fuzz.prj", content));
  return opened;
}

std::string Saved(TProject& project) {
  qorv::TMemIniFile saved("fuzz.prj", std::string());
  qorv::TProjectFile(project.Settings, project.Window).Save(saved);
  return saved.Content();
}

/// A project opened from any file saves and opens again as it was, as far
/// as one line of text can hold its values.
void RequireProjectRoundTrip(const std::string& content) {
  TProject first = Opened(content);
  TProject second = Opened(Saved(first));
  std::string masks = first.Settings.FileMask;
  for (char& c : masks) {
    if (c == '\r') c = ';';
  }
  const qorv::TGeneratorSettings& a = first.Settings;
  const qorv::TGeneratorSettings& b = second.Settings;
  Require(b.FileMask == ReadBackOf(masks), "masks survive a save", b.FileMask);
  Require(b.IndexFile == ReadBackOf(a.IndexFile), "the index file survives a save", b.IndexFile);
  Require(second.Window.LocalFolder() == ReadBackOf(first.Window.LocalFolder()),
          "the folder survives a save", second.Window.LocalFolder());
  Require(second.Window.SiteUrl() == ReadBackOf(first.Window.SiteUrl()), "the URL survives a save",
          second.Window.SiteUrl());
  Require(b.RootChangefreq == a.RootChangefreq && b.RootPriority == a.RootPriority &&
              b.OtherChangefreq == a.OtherChangefreq && b.OtherPriority == a.OtherPriority &&
              b.TimeZone == a.TimeZone && b.TimeShort == a.TimeShort && b.Compact == a.Compact,
          "the choices and flags survive a save");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the entry to write, the second where the value to
  // write ends; the rest is the file.
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return 0;
  const TKey& written = kKeys[static_cast<unsigned char>(input[0]) % std::size(kKeys)];
  const std::size_t valueLength = static_cast<unsigned char>(input[1]);
  input.remove_prefix(2);
  const std::string value(input.substr(0, valueLength));
  const std::string content(input);

  qorv::TMemIniFile ini("fuzz.ini", content);
  std::string before[std::size(kKeys)];
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const TKey& key = kKeys[i];
    before[i] = ini.ReadString(key.Section, key.Key, "\x01");
    Require(qorv::CodePointCount(before[i]) <= qorv::kMaxIniValueLength, "a value is cut",
            before[i]);
    Require(before[i].find('\n') == std::string::npos, "a value is one line", before[i]);
    const int number = ini.ReadInteger(key.Section, key.Key, 7);
    Require(number == qorv::ParseIniInteger(before[i], 7), "integers are read from the text");
    Require(ini.ReadBool(key.Section, key.Key, true) == (qorv::ParseIniInteger(before[i], 1) != 0),
            "yes is any integer but zero");
    if (number == qorv::ParseIniInteger(before[i], 8)) {
      // A text read as an integer writes back as one that reads the same.
      qorv::TMemIniFile copy("fuzz.ini", content);
      copy.WriteInteger(key.Section, key.Key, number);
      Require(copy.ReadInteger(key.Section, key.Key, number ^ 1) == number,
              "a written integer reads back");
    }
  }

  ini.WriteString(written.Section, written.Key, value);
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const TKey& key = kKeys[i];
    const std::string after = ini.ReadString(key.Section, key.Key, "\x01");
    const bool same = std::string_view(key.Section) == written.Section &&
                      std::string_view(key.Key) == written.Key;
    if (same && *written.Key != '\0')
      Require(after == ReadBackOf(value), "the written value reads back", after);
    else if (!same)
      Require(after == before[i], "a write changes no other entry", key.Key);
  }

  RequireProjectRoundTrip(content);
  return 0;
}
