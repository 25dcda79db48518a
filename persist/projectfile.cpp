#include "persist/projectfile.h"

#include <string_view>

namespace qorv {

namespace {

/// The mask box holds one line; a line break in the text separates masks
/// as ";" does (CR LF as one break), so it is stored as one ";".
std::string masksOnOneLine(std::string_view masks) {
  std::string line;
  line.reserve(masks.size());
  for (std::size_t i = 0; i < masks.size(); ++i) {
    const char c = masks[i];
    if (c == '\r' && i + 1 < masks.size() && masks[i + 1] == '\n') continue;
    line += c == '\r' || c == '\n' ? ';' : c;
  }
  return line;
}

}  // namespace

ProjectFile::ProjectFile(GeneratorSettings& settings, ProjectWindow& window)
    : m_settings(settings), m_window(window) {}

void ProjectFile::startNew() {
  m_window.setLocalFolder(kDefaultFolder);
  m_window.setSiteUrl(kDefaultUrl);
  m_window.clearPages();
  m_settings.resetForNewProject();
}

void ProjectFile::open(const IniStore& store) {
  const GeneratorSettings defaults;
  m_window.setLocalFolder(store.readString(kSection, "LocalFolder", kDefaultFolder));
  m_settings.fileMask = store.readString(kSection, "FileMask", defaults.fileMask);
  m_settings.indexFile = store.readString(kSection, "IndexFile", defaults.indexFile);
  m_window.setSiteUrl(store.readString(kSection, "URL", kDefaultUrl));
  m_settings.rootChangefreq.setIndex(
      store.readInteger(kSection, "SetChangefreq1", defaults.rootChangefreq.index()));
  m_settings.rootPriority.setIndex(
      store.readInteger(kSection, "SetPriority1", defaults.rootPriority.index()));
  m_settings.otherChangefreq.setIndex(
      store.readInteger(kSection, "SetChangefreq2", defaults.otherChangefreq.index()));
  m_settings.otherPriority.setIndex(
      store.readInteger(kSection, "SetPriority2", defaults.otherPriority.index()));
  m_settings.dateOnlyLastmod = store.readBool(kSection, "SetTimeShort", defaults.dateOnlyLastmod);
  m_settings.timeZone.setIndex(
      store.readInteger(kSection, "SetTimezone", defaults.timeZone.index()));
  m_settings.compact = store.readBool(kSection, "TagIndent", defaults.compact);
  m_settings.schema =
      store.readInteger(kSection, "Schema", 0) == 1 ? SitemapSchema::V09 : SitemapSchema::V084;
  m_settings.encodeNonAscii = store.readBool(kSection, "EncodeNonAscii", defaults.encodeNonAscii);
  m_settings.splitIndex = store.readBool(kSection, "SplitIndex", defaults.splitIndex);
  m_settings.gzip = store.readBool(kSection, "Gzip", defaults.gzip);
  m_settings.robotsTxt = store.readBool(kSection, "RobotsTxt", defaults.robotsTxt);
}

void ProjectFile::open(const std::string& path) { open(IniFile(path)); }

void ProjectFile::save(IniStore& store) const {
  store.writeString(kSection, "LocalFolder", m_window.localFolder());
  store.writeString(kSection, "FileMask", masksOnOneLine(m_settings.fileMask));
  store.writeString(kSection, "IndexFile", m_settings.indexFile);
  store.writeString(kSection, "URL", m_window.siteUrl());
  store.writeInteger(kSection, "SetChangefreq1", m_settings.rootChangefreq.index());
  store.writeInteger(kSection, "SetPriority1", m_settings.rootPriority.index());
  store.writeInteger(kSection, "SetChangefreq2", m_settings.otherChangefreq.index());
  store.writeInteger(kSection, "SetPriority2", m_settings.otherPriority.index());
  store.writeBool(kSection, "SetTimeShort", m_settings.dateOnlyLastmod);
  store.writeInteger(kSection, "SetTimezone", m_settings.timeZone.index());
  store.writeBool(kSection, "TagIndent", m_settings.compact);

  // The options for search engines came later. A project that leaves them
  // at their defaults keeps the bytes it always had; a key the file holds
  // is kept up to date, so that switching an option back off is saved.
  const GeneratorSettings defaults;
  const auto writeOption = [&store](const char* key, bool value, bool defaultValue) {
    if (value != defaultValue || store.hasKey(kSection, key)) store.writeBool(kSection, key, value);
  };
  const int schema = m_settings.schema == SitemapSchema::V09 ? 1 : 0;
  if (schema != 0 || store.hasKey(kSection, "Schema"))
    store.writeInteger(kSection, "Schema", schema);
  writeOption("EncodeNonAscii", m_settings.encodeNonAscii, defaults.encodeNonAscii);
  writeOption("SplitIndex", m_settings.splitIndex, defaults.splitIndex);
  writeOption("Gzip", m_settings.gzip, defaults.gzip);
  writeOption("RobotsTxt", m_settings.robotsTxt, defaults.robotsTxt);
}

void ProjectFile::save(const std::string& path) const {
  // A crash while saving must leave the earlier project whole.
  writeAtOnce(path, [this](IniStore& store) { save(store); });
}

}  // namespace qorv
